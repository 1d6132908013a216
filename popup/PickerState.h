#pragma once
// What the Shortcut picker shows: its filter, the names that match it, the selected one and its
// preview, step by step as the user types and moves the selection. No Win32 here, so the rules
// are checked natively; Picker.cpp gathers the steps and carries out what each one returns.
#include "popup/PickerMatch.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace popup {

// What the picker's window does after a step; what is unset stays as it is.
struct PickerView {
    // The list's rows from now on: one when nothing matches, which says so.
    std::optional<int> rows;
    std::optional<int> selected;           // the row to select; -1: none
    std::optional<std::u16string> preview; // the preview's text from now on
};

class PickerState {
  public:
    // The names and their lower case outlive the state; previewOf(i) previews names[i]. The
    // names are put in name order in place (lowerNames then holds their lower case) unless
    // lowerNames holds their lower case already when the picker opens.
    PickerState(NameList& names, NameList& lowerNames,
                std::function<std::u16string(int name)> previewOf);

    // The picker opens on a filter. Until the names are ordered, only the first rows are
    // listed, firstRows of them.
    PickerView start(std::u16string_view filter, std::size_t firstRows);
    PickerView filterTyped(std::u16string_view filter);
    // Up, Down, Page Up or Page Down: rows to move, up when negative.
    PickerView selectionMoved(int rows);
    PickerView rowClicked(int row);
    // The text of a row of the list; a row past the first ones listed puts the names in order.
    std::u16string rowText(int row);
    // The names put in order once the picker is on screen. The rows stay what they were.
    void finishOrder();

    bool ordered() const { return ordered_; }
    const std::u16string& filter() const { return filter_; }
    bool anyMatch() const { return matchCount_ > 0; }
    bool nameSelected() const { return selected_ >= 0; }
    // The name Return picks, as an index into the names; -1: none.
    int chosen() const;

  private:
    void orderNames();
    PickerView listFilter(std::u16string_view filter, std::size_t firstRows);
    const FilterMatches& matchesOf(std::u16string_view filter);
    PickerView showSelection();

    NameList& names_;
    NameList& lowerNames_;
    std::function<std::u16string(int name)> previewOf_;
    bool ordered_ = false;
    std::u16string filter_;
    // Indexes into the names: until the names are ordered, only the first rows.
    std::vector<int> matches_;
    std::size_t matchCount_ = 0; // the rows the list has
    int selected_ = -1;          // index into matches_
    int previewed_ = -2;         // the name whose template the preview shows; -1: none
    // Once the names are in order: what the filters that the present one holds matched, so
    // that typing on looks only at those names and erasing back finds its list again.
    std::vector<FilterMatches> held_;
};

} // namespace popup

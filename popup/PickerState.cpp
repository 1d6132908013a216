#include "popup/PickerState.h"

#include "base/LetterCase.h"
#include "popup/PopupText.h"

#include <algorithm>
#include <utility>

namespace popup {

PickerState::PickerState(NameList& names, NameList& lowerNames,
                         std::function<std::u16string(int name)> previewOf)
    : names_(names), lowerNames_(lowerNames), previewOf_(std::move(previewOf)) {}

void PickerState::orderNames() {
    ordered_ = true;
    held_.clear(); // indexes of the names as they stood
    lowerNames_ = sortPickerNames(names_);
    previewed_ = -2; // its name has moved: the next selection shows it again
}

// Puts the names in order and lists the filter's matches again: the same rows, now all of them.
void PickerState::finishOrder() {
    if (ordered_)
        return;
    orderNames();
    matches_ = matchesOf(filter_).listed;
    matchCount_ = matches_.size();
}

PickerView PickerState::showSelection() {
    PickerView view;
    view.selected = selected_;
    const int name = selected_ >= 0 ? matches_[size_t(selected_)] : -1;
    if (name != previewed_) {
        previewed_ = name;
        view.preview = name >= 0 ? previewOf_(name) : std::u16string();
    }
    return view;
}

// The filter's matches, from those of the longest filter it holds where there is one.
const FilterMatches& PickerState::matchesOf(std::u16string_view filter) {
    const std::u16string lowerFilter = text::lowerCaseText(filter);
    std::erase_if(held_, [&lowerFilter](const FilterMatches& held) {
        return lowerFilter.find(held.lowerFilter) == std::u16string::npos;
    });
    const FilterMatches* among = nullptr;
    for (const FilterMatches& held : held_)
        if (!among || held.lowerFilter.size() > among->lowerFilter.size())
            among = &held;
    if (among && among->lowerFilter == lowerFilter)
        return *among;
    FilterMatches found = findPickerMatches(lowerNames_, filter, among);
    held_.push_back(std::move(found));
    return held_.back();
}

// Until the names are in order, matches_ holds only the rows the list shows first, a row shown
// in part included.
PickerView PickerState::listFilter(std::u16string_view filter, size_t firstRows) {
    filter_ = filter;
    if (ordered_) {
        matches_ = matchesOf(filter_).listed;
        matchCount_ = matches_.size();
    } else {
        PickerPage page = firstPickerPage(names_, filter_, firstRows);
        matches_ = std::move(page.rows);
        matchCount_ = page.count;
    }
    selected_ = matchCount_ == 0 ? -1 : 0;
    PickerView view = showSelection();
    // With nothing to pick, one row says so.
    view.rows = std::max<int>(int(matchCount_), 1);
    return view;
}

PickerView PickerState::start(std::u16string_view filter, size_t firstRows) {
    ordered_ = lowerNames_.size() == names_.size();
    return listFilter(filter, firstRows);
}

// The user types once the picker is on screen: all the names are needed now.
PickerView PickerState::filterTyped(std::u16string_view filter) {
    if (!ordered_)
        orderNames();
    return listFilter(filter, 0);
}

PickerView PickerState::selectionMoved(int rows) {
    if (matchCount_ == 0)
        return {};
    selected_ = movedSelection(selected_, rows, int(matchCount_));
    if (selected_ >= int(matches_.size()))
        finishOrder();
    return showSelection();
}

PickerView PickerState::rowClicked(int row) {
    selected_ = row >= 0 && size_t(row) < matchCount_ ? row : -1;
    if (selected_ >= int(matches_.size()))
        finishOrder();
    return showSelection();
}

std::u16string PickerState::rowText(int row) {
    if (matchCount_ == 0)
        return noMatchingNameText(filter_);
    if (row < 0 || size_t(row) >= matchCount_)
        return std::u16string();
    if (size_t(row) >= matches_.size())
        finishOrder();
    return std::u16string(names_[size_t(matches_[size_t(row)])]);
}

int PickerState::chosen() const {
    return selected_ >= 0 && size_t(selected_) < matches_.size() ? matches_[size_t(selected_)] : -1;
}

} // namespace popup

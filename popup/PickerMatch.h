#pragma once
// Which Shortcut names the picker lists for the text in its filter, in what order, and where its
// selection moves. No Win32 here, so the rules are checked natively.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace popup {

// Names one after another in one text, each found by where it ends: a hundred thousand names
// are a few allocations, not a hundred thousand, and a pass over them reads memory in order.
class NameList {
  public:
    void reserve(std::size_t names, std::size_t units);
    void add(std::u16string_view name);
    std::size_t size() const { return ends_.size(); }
    bool empty() const { return ends_.empty(); }
    std::u16string_view operator[](std::size_t i) const;
    // Every name, one after another; name i ends where endOf(i) says.
    const std::u16string& text() const { return text_; }
    std::size_t endOf(std::size_t i) const { return ends_[i]; }

  private:
    friend NameList sortPickerNames(NameList& names);
    std::u16string text_;
    std::vector<std::size_t> ends_;
};

// Puts the names in name order, the picker's (store::inPickerOrder), and returns the lower
// case of each, for matching.
NameList sortPickerNames(NameList& names);

// Indexes into the sorted names, ignoring case: the exact name first, then the names that
// begin with the filter, then those that hold it; each group keeps name order.
std::vector<int> matchPickerNames(const NameList& lowerNames, std::u16string_view filter);

// What a filter matched, kept so that a filter holding it looks only at these names.
struct FilterMatches {
    std::u16string lowerFilter;
    std::vector<int> listed; // as matchPickerNames lists them
    std::vector<int> byName; // the same names in name order
};

// matchPickerNames, with what it found in name order too. Given `among`, the matches of a
// filter that this one holds (ignoring case), only those names are looked at: any name that
// holds this filter holds that one.
FilterMatches findPickerMatches(const NameList& lowerNames, std::u16string_view filter,
                                const FilterMatches* among = nullptr);

// The first rows of what matchPickerNames lists once the names are sorted, and how many it
// lists, straight from the names in any order: neither sorts nor keeps the lower case of all.
struct PickerPage {
    std::vector<int> rows; // indexes into the names, at most the rows asked for
    size_t count = 0;      // every name that matches
};
PickerPage firstPickerPage(const NameList& names, std::u16string_view filter, std::size_t rows);

// The selection after a step of rows (negative: up), kept inside a list of count rows.
int movedSelection(int current, int step, int count);

} // namespace popup

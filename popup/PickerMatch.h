#pragma once
// Which Shortcut names the picker lists for the text in its filter, in what order, and where its
// selection moves. No Win32 here, so the rules are checked natively.
#include <string>
#include <string_view>
#include <vector>

namespace popup {

// Puts the names in name order (by their lower case, then as written) and returns the lower
// case of each, for matching.
std::vector<std::u16string> sortPickerNames(std::vector<std::u16string>& names);

// Indexes into the sorted names, ignoring case: the exact name first, then the names that
// begin with the filter, then those that hold it; each group keeps name order.
std::vector<int> matchPickerNames(const std::vector<std::u16string>& lowerNames,
                                  std::u16string_view filter);

// The first rows of what matchPickerNames lists once the names are sorted, and how many it
// lists, straight from the names in any order: neither sorts nor keeps the lower case of all.
struct PickerPage {
    std::vector<int> rows; // indexes into the names, at most the rows asked for
    size_t count = 0;      // every name that matches
};
PickerPage firstPickerPage(const std::vector<std::u16string>& names, std::u16string_view filter,
                           size_t rows);

// The selection after a step of rows (negative: up), kept inside a list of count rows.
int movedSelection(int current, int step, int count);

} // namespace popup

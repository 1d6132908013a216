#include "popup/PickerMatch.h"

#include "idelink/LowerCase.h"

#include <algorithm>

namespace popup {

void sortPickerNames(std::vector<std::u16string>& names) {
    std::vector<std::pair<std::u16string, std::u16string>> keyed;
    keyed.reserve(names.size());
    for (std::u16string& name : names)
        keyed.emplace_back(idelink::lowerCaseText(name), std::move(name));
    std::sort(keyed.begin(), keyed.end());
    for (size_t i = 0; i < keyed.size(); ++i)
        names[i] = std::move(keyed[i].second);
}

std::vector<std::u16string> lowerPickerNames(const std::vector<std::u16string>& names) {
    std::vector<std::u16string> lower;
    lower.reserve(names.size());
    for (const std::u16string& name : names)
        lower.push_back(idelink::lowerCaseText(name));
    return lower;
}

// One pass that sorts each name into its group: the names are in name order already, so every
// group is too.
std::vector<int> matchPickerNames(const std::vector<std::u16string>& lowerNames,
                                  std::u16string_view filter) {
    const std::u16string lowerFilter = idelink::lowerCaseText(filter);
    std::vector<int> exact, starting, holding;
    for (size_t i = 0; i < lowerNames.size(); ++i) {
        const size_t at = lowerNames[i].find(lowerFilter);
        if (at == std::u16string::npos)
            continue;
        const int index = static_cast<int>(i);
        if (at != 0)
            holding.push_back(index);
        else if (lowerNames[i].size() == lowerFilter.size())
            exact.push_back(index);
        else
            starting.push_back(index);
    }
    exact.insert(exact.end(), starting.begin(), starting.end());
    exact.insert(exact.end(), holding.begin(), holding.end());
    return exact;
}

int movedSelection(int current, int step, int count) {
    if (count <= 0)
        return -1;
    if (current < 0)
        return 0;
    const long long moved = static_cast<long long>(current) + step;
    return static_cast<int>(std::clamp<long long>(moved, 0, count - 1));
}

} // namespace popup

#include "popup/PickerMatch.h"

#include "idelink/LowerCase.h"

#include <algorithm>

namespace popup {

// All names are lower-cased in one call: on Windows each call is a trip through the system's
// mapping, and ten thousand of them are a noticeable part of the picker's start.
std::vector<std::u16string> sortPickerNames(std::vector<std::u16string>& names) {
    std::u16string joined;
    for (const std::u16string& name : names)
        joined += name;
    const std::u16string lowerJoined = idelink::lowerCaseText(joined);
    std::vector<std::u16string_view> lower;
    lower.reserve(names.size());
    for (size_t i = 0, at = 0; i < names.size(); at += names[i].size(), ++i)
        lower.push_back(std::u16string_view(lowerJoined).substr(at, names[i].size()));
    std::vector<size_t> order(names.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        const int byLower = lower[a].compare(lower[b]);
        return byLower != 0 ? byLower < 0 : names[a] < names[b];
    });
    std::vector<std::u16string> sortedNames, sortedLower;
    sortedNames.reserve(names.size());
    sortedLower.reserve(names.size());
    for (const size_t i : order) {
        sortedNames.push_back(std::move(names[i]));
        sortedLower.emplace_back(lower[i]);
    }
    names = std::move(sortedNames);
    return sortedLower;
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

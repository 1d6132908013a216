#include "popup/PickerMatch.h"

#include "base/LetterCase.h"
#include "store/NameOrder.h"

#include <algorithm>

namespace popup {

namespace {

// The group a lower-cased name is listed in for the lower-cased filter: 0 the exact name, 1 a
// name beginning with it, 2 one holding it; -1 none.
int matchGroup(std::u16string_view lowerName, std::u16string_view lowerFilter) {
    const size_t at = lowerName.find(lowerFilter);
    if (at == std::u16string_view::npos)
        return -1;
    return at != 0 ? 2 : lowerName.size() == lowerFilter.size() ? 0 : 1;
}

} // namespace

void NameList::reserve(size_t names, size_t units) {
    ends_.reserve(names);
    text_.reserve(units);
}

void NameList::add(std::u16string_view name) {
    text_ += name;
    ends_.push_back(text_.size());
}

std::u16string_view NameList::operator[](size_t i) const {
    const size_t begin = i == 0 ? 0 : ends_[i - 1];
    return std::u16string_view(text_).substr(begin, ends_[i] - begin);
}

// All names are lower-cased in one call, which keeps each name where it was: on Windows each
// call is a trip through the system's mapping, and ten thousand of them are a noticeable part
// of the picker's start.
NameList sortPickerNames(NameList& names) {
    NameList lower;
    lower.text_ = text::lowerCaseText(names.text());
    lower.ends_ = names.ends_;
    std::vector<size_t> order(names.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        return store::inPickerOrder(lower[a], names[a], lower[b], names[b]);
    });
    NameList sortedNames, sortedLower;
    sortedNames.reserve(names.size(), names.text().size());
    sortedLower.reserve(names.size(), names.text().size());
    for (const size_t i : order) {
        sortedNames.add(names[i]);
        sortedLower.add(lower[i]);
    }
    names = std::move(sortedNames);
    return sortedLower;
}

std::vector<int> matchPickerNames(const NameList& lowerNames, std::u16string_view filter) {
    return findPickerMatches(lowerNames, filter).listed;
}

// One pass that sorts each name into its group: the names are in name order already, so every
// group is too. The filter is looked for in the text of all names at once, and a place where it
// stands counts for the name it lies in wholly; a name's first such place decides its group.
// Among the matches of a shorter filter, each of those names is looked at alone.
FilterMatches findPickerMatches(const NameList& lowerNames, std::u16string_view filter,
                                const FilterMatches* among) {
    FilterMatches found;
    found.lowerFilter = text::lowerCaseText(filter);
    const std::u16string& lowerFilter = found.lowerFilter;
    std::vector<int> exact, starting, holding;
    const auto add = [&](size_t name, int group) {
        (group == 0 ? exact : group == 1 ? starting : holding).push_back(static_cast<int>(name));
    };
    if (among) {
        for (const int name : among->byName)
            if (const int group = matchGroup(lowerNames[size_t(name)], lowerFilter); group >= 0)
                add(size_t(name), group);
    } else if (lowerFilter.empty()) {
        for (size_t i = 0; i < lowerNames.size(); ++i)
            add(i, matchGroup(lowerNames[i], lowerFilter));
    } else {
        const std::u16string_view text = lowerNames.text();
        size_t name = 0;
        for (size_t at = text.find(lowerFilter); at != std::u16string_view::npos;) {
            while (lowerNames.endOf(name) <= at)
                ++name;
            const size_t end = lowerNames.endOf(name);
            if (at + lowerFilter.size() > end) {
                at = text.find(lowerFilter, at + 1); // it runs on into the next name
                continue;
            }
            const size_t begin = name == 0 ? 0 : lowerNames.endOf(name - 1);
            add(name, at != begin ? 2 : end - begin == lowerFilter.size() ? 0 : 1);
            at = text.find(lowerFilter, end);
        }
    }
    found.listed.reserve(exact.size() + starting.size() + holding.size());
    found.listed.insert(found.listed.end(), exact.begin(), exact.end());
    found.listed.insert(found.listed.end(), starting.begin(), starting.end());
    found.listed.insert(found.listed.end(), holding.begin(), holding.end());
    std::vector<int> firstTwo(exact.size() + starting.size());
    std::merge(exact.begin(), exact.end(), starting.begin(), starting.end(), firstTwo.begin());
    found.byName.resize(firstTwo.size() + holding.size());
    std::merge(firstTwo.begin(), firstTwo.end(), holding.begin(), holding.end(),
               found.byName.begin());
    return found;
}

namespace {

// A name that matches, as the list orders it: by group (exact, beginning, holding), then in name
// order.
struct PageRow {
    int group = 0;
    std::u16string lower;
    int name = 0;
};

bool listedBefore(int groupA, std::u16string_view lowerA, std::u16string_view nameA,
                  const PageRow& b, const NameList& names) {
    if (groupA != b.group)
        return groupA < b.group;
    return store::inPickerOrder(lowerA, nameA, b.lower, names[size_t(b.name)]);
}

bool isAscii(std::u16string_view name) {
    return std::all_of(name.begin(), name.end(), [](char16_t unit) { return unit < 0x80; });
}

} // namespace

// ASCII names are lower-cased here; the others go through lowerCaseText together, one call,
// since on Windows every call is a trip through the system's mapping. Only the rows that may
// still be shown are kept, as a heap with the last of them on top.
PickerPage firstPickerPage(const NameList& names, std::u16string_view filter, size_t rows) {
    const std::u16string lowerFilter = text::lowerCaseText(filter);
    std::vector<size_t> others;
    std::u16string othersJoined;
    for (size_t i = 0; i < names.size(); ++i)
        if (!isAscii(names[i])) {
            others.push_back(i);
            othersJoined += names[i];
        }
    const std::u16string othersLower = text::lowerCaseText(othersJoined);
    PickerPage page;
    std::vector<PageRow> heap;
    const auto later = [&names](const PageRow& a, const PageRow& b) {
        return listedBefore(a.group, a.lower, names[size_t(a.name)], b, names);
    };
    std::u16string lower;
    for (size_t i = 0, other = 0, otherAt = 0; i < names.size(); ++i) {
        const std::u16string_view name = names[i];
        if (other < others.size() && others[other] == i) {
            lower.assign(othersLower, otherAt, name.size());
            otherAt += name.size();
            ++other;
        } else {
            lower = name;
            for (char16_t& unit : lower)
                unit = store::foldAsciiLetter(unit);
        }
        const int group = matchGroup(lower, lowerFilter);
        if (group < 0)
            continue;
        ++page.count;
        if (heap.size() == rows &&
            (heap.empty() || !listedBefore(group, lower, name, heap.front(), names)))
            continue;
        if (heap.size() == rows) {
            std::pop_heap(heap.begin(), heap.end(), later);
            heap.pop_back();
        }
        heap.push_back(PageRow{group, lower, int(i)});
        std::push_heap(heap.begin(), heap.end(), later);
    }
    std::sort_heap(heap.begin(), heap.end(), later);
    for (const PageRow& row : heap)
        page.rows.push_back(row.name);
    return page;
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

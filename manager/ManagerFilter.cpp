#include "manager/ManagerFilter.h"

#include <algorithm>
#include <cstddef>
#include <iterator>

#include "base/LetterCase.h"

namespace manager {

namespace {} // namespace

// All the rows are lower-cased in one call, rather than name by name: on Windows each call
// converts and allocates.
void prepareRowFilter(RowView& view, const std::vector<std::u16string>& rows) {
    if (view.lowerKnown)
        return;
    std::size_t units = 0;
    for (const std::u16string& row : rows)
        units += row.size();
    std::u16string joined;
    joined.reserve(units);
    view.rowEnds.clear();
    view.rowEnds.reserve(rows.size());
    for (const std::u16string& row : rows) {
        joined += row;
        view.rowEnds.push_back(joined.size());
    }
    view.lowerRows = text::lowerCaseText(joined);
    view.lowerKnown = true;
}

namespace {

// The rows that hold the filter, ascending: one search through all the rows' text, a match
// counting only where it lies inside one row.
std::vector<int> matchingRows(const RowView& view) {
    std::vector<int> matches;
    const std::u16string lowerFilter = text::lowerCaseText(view.filter);
    const std::u16string_view all(view.lowerRows);
    std::size_t row = 0;
    for (std::size_t at = all.find(lowerFilter); at != all.npos;) {
        while (view.rowEnds[row] <= at)
            ++row;
        if (at + lowerFilter.size() <= view.rowEnds[row]) {
            matches.push_back(static_cast<int>(row));
            at = all.find(lowerFilter, view.rowEnds[row]);
        } else {
            at = all.find(lowerFilter, at + 1);
        }
    }
    return matches;
}

void showFiltered(RowView& view, const std::vector<std::u16string>& rows) {
    prepareRowFilter(view, rows);
    const std::vector<int> matches = matchingRows(view);
    // The rows shown whatever the filter: a new Shortcut's, and those kept (few).
    std::vector<int> always;
    for (std::size_t i = rows.size(); i-- > 0;) {
        if (rows[i] == kNewRow)
            always.push_back(static_cast<int>(i));
        else if (view.kept.empty())
            break; // the row "..." is the last
    }
    for (const std::u16string& name : view.kept) {
        const auto found = std::find(rows.begin(), rows.end(), name);
        if (found != rows.end())
            always.push_back(static_cast<int>(found - rows.begin()));
    }
    std::sort(always.begin(), always.end());
    view.shown.clear();
    std::set_union(matches.begin(), matches.end(), always.begin(), always.end(),
                   std::back_inserter(view.shown));
}

} // namespace

void updateRowView(RowView& view, const std::vector<std::u16string>& rows) {
    view.lowerKnown = false;
    if (!view.filter.empty()) {
        showFiltered(view, rows);
        return;
    }
    view.shown.resize(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i)
        view.shown[i] = static_cast<int>(i);
}

void setRowFilter(RowView& view, const std::vector<std::u16string>& rows,
                  std::u16string_view filter) {
    view.filter = filter;
    view.kept.clear();
    if (view.filter.empty()) {
        const bool lowerKnown = view.lowerKnown;
        updateRowView(view, rows);
        view.lowerKnown = lowerKnown;
        return;
    }
    showFiltered(view, rows);
}

void keepRow(RowView& view, std::u16string_view name) {
    if (std::find(view.kept.begin(), view.kept.end(), name) == view.kept.end())
        view.kept.emplace_back(name);
}

int listPosition(const RowView& view, int row) {
    const auto found = std::lower_bound(view.shown.begin(), view.shown.end(), row);
    return row >= 0 && found != view.shown.end() && *found == row
               ? static_cast<int>(found - view.shown.begin())
               : -1;
}

int rowAtPosition(const RowView& view, int position) {
    return position >= 0 && std::size_t(position) < view.shown.size()
               ? view.shown[std::size_t(position)]
               : -1;
}

int removeShownRow(std::vector<std::u16string>& rows, RowView& view, int row) {
    if (row < 0 || std::size_t(row) >= rows.size())
        return -1;
    // The rows shown before it keep their positions; the next one takes its place.
    const auto next = std::lower_bound(view.shown.begin(), view.shown.end(), row);
    const int position = static_cast<int>(next - view.shown.begin());
    rows.erase(rows.begin() + row);
    updateRowView(view, rows);
    if (std::size_t(position) < view.shown.size())
        return view.shown[std::size_t(position)];
    return view.shown.empty() ? -1 : view.shown.back();
}

} // namespace manager

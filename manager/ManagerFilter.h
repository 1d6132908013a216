#pragma once
// Which of the manager's rows its list shows for the text in the filter field, and where the
// list's positions stand among the rows. Plain C++, no Win32: the window keeps a RowView beside
// its rows and draws the rows it names.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace manager {

// The row of a new Shortcut, last in the list until the Shortcut is saved.
inline constexpr std::u16string_view kNewRow = u"...";

struct RowView {
    std::u16string filter;            // as typed; empty shows every row
    std::vector<std::u16string> kept; // names saved or renamed since the filter last changed
    std::vector<int> shown;           // indexes into the rows, ascending: the list's positions
    // The rows' lower case, one after another, and where each ends: made by prepareRowFilter
    // or the first filter after the rows changed, so that a keystroke only searches.
    std::u16string lowerRows;
    std::vector<std::size_t> rowEnds;
    bool lowerKnown = false;
};

// After the rows changed: the list shows a row whose name holds the filter, ignoring case as
// the picker does; a row kept since the filter last changed; and the row of a new Shortcut.
void updateRowView(RowView& view, const std::vector<std::u16string>& rows);

// Another filter over the rows as they were at the last updateRowView: the names kept for the
// old filter go.
void setRowFilter(RowView& view, const std::vector<std::u16string>& rows,
                  std::u16string_view filter);

// Makes the rows' lower case where the rows changed since it was made: a moment before the
// first keystroke (the filter field taking the focus) keeps that work out of the keystroke.
void prepareRowFilter(RowView& view, const std::vector<std::u16string>& rows);

// The row stays shown, whatever the filter, until the filter changes.
void keepRow(RowView& view, std::u16string_view name);

// The list's position of a row, and the row at a position; -1 for none.
int listPosition(const RowView& view, int row);
int rowAtPosition(const RowView& view, int position);

// Removes the row from the rows and the list, and gives the row current afterwards: the one
// shown next, or the one shown before when the last shown went; -1 when none is shown.
int removeShownRow(std::vector<std::u16string>& rows, RowView& view, int row);

} // namespace manager

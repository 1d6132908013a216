#include "manager/ManagerFilter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using Rows = std::vector<std::u16string>;

// The user types a filter; Shortcuts may be saved or renamed under it (the rows then hold the
// new names, kept); the filter may change again; a row may be deleted. The list shows these
// rows, with the Shortcut that was current still current where it is shown, and after a Delete
// the row shown next current, or the one shown before where the last shown went.
TEST(ManagerFilter, ShowsMatchingRowsAndWhatWasMadeUnderTheFilter) {
    const Rows kRows = {u"each", u"Form", u"if", u"ifelse", u"\u00d6l", u"..."};
    const struct {
        const char* name;
        std::u16string filter;
        std::u16string kept;    // saved or renamed under the filter
        std::u16string later;   // the filter typed afterwards; empty for none
        std::u16string removed; // deleted afterwards; empty for none
        std::u16string current; // before a Delete
        Rows shown;
        int currentPosition;
    } cases[] = {
        {"NoFilterShowsEveryRow", u"", u"", u"", u"", u"if", kRows, 2},
        {"PartOfTheNameIgnoringCase", u"oR", u"", u"", u"", u"Form", {u"Form", u"..."}, 0},
        {"LettersBeyondAscii", u"\u00f6L", u"", u"", u"", u"", {u"\u00d6l", u"..."}, -1},
        {"NoMatchLeavesTheNewRow", u"zz", u"", u"", u"", u"", {u"..."}, -1},
        {"HiddenCurrentIsNoneCurrent", u"else", u"", u"", u"", u"if", {u"ifelse", u"..."}, -1},
        {"CurrentStaysWhereShown", u"if", u"", u"", u"", u"ifelse", {u"if", u"ifelse", u"..."}, 1},
        {"SavedUnderItStays", u"else", u"Form", u"", u"", u"Form", {u"Form", u"ifelse", u"..."}, 0},
        {"KeptUntilItChanges", u"else", u"Form", u"els", u"", u"Form", {u"ifelse", u"..."}, -1},
        {"DeleteGivesTheNext", u"", u"", u"", u"each", u"", {kRows.begin() + 1, kRows.end()}, 0},
        {"DeleteLastGivesPrev", u"", u"", u"", u"...", u"", {kRows.begin(), kRows.end() - 1}, 4},
        {"DeleteSkipsHidden", u"e", u"", u"", u"each", u"", {u"ifelse", u"..."}, 0},
        {"DeleteHidden", u"e", u"", u"", u"Form", u"", {u"each", u"ifelse", u"..."}, 1},
        {"DeleteOnlyShownGivesNone", u"zz", u"", u"", u"...", u"", {}, -1},
        {"DeleteNoRowRemovesNothing", u"", u"", u"", u"zz", u"", kRows, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Rows rows = kRows;
        const auto rowNamed = [&rows](const std::u16string& name) {
            return int(std::find(rows.begin(), rows.end(), name) - rows.begin()); // size(): none
        };
        manager::RowView view;
        manager::setRowFilter(view, rows, c.filter);
        if (!c.kept.empty())
            manager::keepRow(view, c.kept);
        manager::updateRowView(view, rows);
        if (!c.later.empty())
            manager::setRowFilter(view, rows, c.later);
        const int current = c.removed.empty()
                                ? rowNamed(c.current)
                                : manager::removeShownRow(rows, view, rowNamed(c.removed));
        Rows shown;
        for (int position = 0, row; (row = manager::rowAtPosition(view, position)) >= 0; ++position)
            shown.push_back(rows[std::size_t(row)]);
        EXPECT_EQ(shown, c.shown);
        EXPECT_EQ(manager::listPosition(view, current), c.currentPosition);
    }
}

} // namespace

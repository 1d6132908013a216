// Which names the picker lists for a filter and in what order. Native and Windows builds both
// run it.
#include "popup/PickerMatch.h"

#include "base/TextConvert.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

struct MatchCase {
    const char* filter;
    const char* listed; // the names shown, in order, separated by spaces
};

// Names as a file may hold them, in file order; "É" lower-cases to "é".
const char* const kNames[] = {"proc", "ifelse", "if",     "OpenWindow(", "elif", "Procs",
                              "IF2",  "sprocx", "Éclair", "éb",          "procs"};

const MatchCase kCases[] = {
    {"", "elif if IF2 ifelse OpenWindow( proc Procs procs sprocx éb Éclair"}, // by code unit
    {"if", "if IF2 ifelse elif"}, // exact, then beginning, then holding
    {"IF", "if IF2 ifelse elif"}, // case does not matter
    {"procs", "Procs procs"},     // the same name in two cases: both, upper case first
    {"proc", "proc Procs procs sprocx"},
    {"é", "éb Éclair"}, // beyond ASCII too
    {"window(", "OpenWindow("},
    {"zz", ""},
    {"fi", ""},      // "elif" and "if" stand side by side in name order: no name holds it
    {"ifelse!", ""}, // longer than every name
};

TEST(PickerMatch, ListsExactThenBeginningThenHoldingInNameOrder) {
    popup::NameList names;
    for (const char* name : kNames)
        names.add(text::utf8ToUtf16(name));
    const popup::NameList lower = popup::sortPickerNames(names);
    for (const MatchCase& c : kCases) {
        std::string listed;
        for (const int index : popup::matchPickerNames(lower, text::utf8ToUtf16(c.filter)))
            listed.append(listed.empty() ? "" : " ")
                .append(text::utf16ToUtf8(names[size_t(index)]));
        EXPECT_EQ(listed, c.listed) << "filter \"" << c.filter << "\"";
    }
}

// The first rows and the count, taken from the names in file order, are those of the whole order.
TEST(PickerMatch, FirstPageIsTheStartOfTheWholeOrder) {
    popup::NameList inFileOrder;
    for (const char* name : kNames)
        inFileOrder.add(text::utf8ToUtf16(name));
    inFileOrder.add(u"\u0130f"); // lower-cased by the system's mapping alone
    popup::NameList sorted = inFileOrder;
    const popup::NameList lower = popup::sortPickerNames(sorted);
    for (const MatchCase& c : kCases) {
        const std::u16string filter = text::utf8ToUtf16(c.filter);
        const std::vector<int> all = popup::matchPickerNames(lower, filter);
        for (const size_t rows : {0, 1, 3, 20}) {
            const popup::PickerPage page = popup::firstPickerPage(inFileOrder, filter, rows);
            std::string expected, listed;
            for (size_t i = 0; i < std::min(rows, all.size()); ++i)
                expected += text::utf16ToUtf8(sorted[size_t(all[i])]) + " ";
            for (const int name : page.rows)
                listed += text::utf16ToUtf8(inFileOrder[size_t(name)]) + " ";
            EXPECT_EQ(listed, expected) << "filter \"" << c.filter << "\", " << rows << " rows";
            EXPECT_EQ(page.count, all.size()) << "filter \"" << c.filter << "\"";
        }
    }
}

// Up from the first row and Page Down past the last stay inside the list.
TEST(PickerMatch, SelectionStaysInsideTheList) {
    EXPECT_EQ(popup::movedSelection(0, -1, 5), 0);
    EXPECT_EQ(popup::movedSelection(3, 10, 5), 4);
    EXPECT_EQ(popup::movedSelection(2, -10, 5), 0);
    EXPECT_EQ(popup::movedSelection(2, 1, 5), 3);
    EXPECT_EQ(popup::movedSelection(-1, 1, 0), -1);
}

} // namespace

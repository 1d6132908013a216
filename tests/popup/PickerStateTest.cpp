// What the picker shows as the user types, moves the selection and clicks, and what Return
// picks. Native and Windows builds both run it; the end-to-end suite shows only that it reaches
// the screen.
#include "popup/PickerState.h"

#include "base/TextConvert.h"
#include "popup/PopupText.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string u8(std::u16string_view utf16) {
    return text::utf16ToUtf8(utf16);
}

// Names as a file may hold them, in file order: the first in name order stands second.
const char* const kNames[] = {"procs", "Größe", "proc", "sprocket", "OpenWindow", "wrap", "prompt"};

struct Step {
    enum class Kind { Typed, Moved, Clicked, Ordered, RowShown };
    Kind kind;
    int value = 0;
    const char* text = ""; // Typed: the filter; RowShown: the row's text
};
Step typed(const char* filter) {
    return {Step::Kind::Typed, 0, filter};
}
Step moved(int rows) {
    return {Step::Kind::Moved, rows};
}
Step clicked(int row) {
    return {Step::Kind::Clicked, row};
}
// The names put in order once the picker is on screen.
Step ordered() {
    return {Step::Kind::Ordered};
}
// The list scrolled to a row and asked for its text.
Step rowShown(int row, const char* text) {
    return {Step::Kind::RowShown, row, text};
}

// The picker's window as the steps leave it.
struct Window {
    int rows = 0;
    int selected = -1;
    std::string preview;
    void carryOut(const popup::PickerView& view) {
        if (view.rows)
            rows = *view.rows;
        if (view.selected)
            selected = *view.selected;
        if (view.preview)
            preview = u8(*view.preview);
    }
};

TEST(PickerStateTable, ListsSelectsAndPreviewsAsTheUserGoes) {
    struct Case {
        const char* name;
        const char* filter; // the picker opens on it
        size_t firstRows;   // listed before the names are in order
        std::vector<Step> steps;
        const char* listed; // every row, "-" for the one that says nothing matches
        int selected;
        const char* preview;
        const char* picked; // what Return picks; "" nothing
    };
    const Case cases[] = {
        {"OpensOnTheWord", "pro", 2, {}, "proc procs prompt sprocket", 0, "<proc>", "proc"},
        {"OpensOnEveryName",
         "",
         3,
         {},
         "Größe OpenWindow proc procs prompt sprocket wrap",
         0,
         "<Größe>",
         "Größe"},
        {"OpensOnAWordNothingHolds", "zz", 3, {}, "-", -1, "", ""},
        {"DownMovesThePreview",
         "pro",
         9,
         {moved(1)},
         "proc procs prompt sprocket",
         1,
         "<procs>",
         "procs"},
        {"UpFromTheFirstRowStays",
         "pro",
         9,
         {moved(-1)},
         "proc procs prompt sprocket",
         0,
         "<proc>",
         "proc"},
        // Past the rows listed first: the names are put in order for it.
        {"PageDownStopsAtTheLastRow",
         "pro",
         2,
         {moved(5)},
         "proc procs prompt sprocket",
         3,
         "<sprocket>",
         "sprocket"},
        {"RowPastTheFirstOnesClicked",
         "pro",
         2,
         {clicked(3)},
         "proc procs prompt sprocket",
         3,
         "<sprocket>",
         "sprocket"},
        {"TypingNarrows", "", 3, {typed("w")}, "wrap OpenWindow", 0, "<wrap>", "wrap"},
        {"TypingToNothing", "", 3, {moved(2), typed("wx")}, "-", -1, "", ""},
        {"BackspaceWidensAgain",
         "",
         3,
         {typed("wx"), typed("w")},
         "wrap OpenWindow",
         0,
         "<wrap>",
         "wrap"},
        {"CaseDoesNotMatter", "PRO", 3, {typed("gRÖ")}, "Größe", 0, "<Größe>", "Größe"},
        {"NothingMovesWhereNothingMatches", "zz", 3, {moved(1)}, "-", -1, "", ""},
        {"ClickOnTheRowThatSaysNothingMatches", "zz", 3, {clicked(0)}, "-", -1, "", ""},
        {"ClickThenDown",
         "pro",
         9,
         {clicked(2), moved(1)},
         "proc procs prompt sprocket",
         3,
         "<sprocket>",
         "sprocket"},
        // Ordering moves every name; the preview follows the row, not where its name stood.
        {"OrderedOnScreenThenDown",
         "",
         3,
         {ordered(), moved(1)},
         "Größe OpenWindow proc procs prompt sprocket wrap",
         1,
         "<OpenWindow>",
         "OpenWindow"},
        {"RowShownPastTheFirstOnesThenDown",
         "",
         3,
         {rowShown(5, "sprocket"), moved(1)},
         "Größe OpenWindow proc procs prompt sprocket wrap",
         1,
         "<OpenWindow>",
         "OpenWindow"},
        {"OrderedThenTyped",
         "pro",
         2,
         {ordered(), typed("proc")},
         "proc procs sprocket",
         0,
         "<proc>",
         "proc"},
        {"TypingOnNarrowsWhatMatched",
         "",
         3,
         {typed("p"), typed("pr"), typed("pro")},
         "proc procs prompt sprocket",
         0,
         "<proc>",
         "proc"},
        {"BackspaceFindsTheWiderListAgain",
         "",
         3,
         {typed("w"), typed("wr"), typed("w")},
         "wrap OpenWindow",
         0,
         "<wrap>",
         "wrap"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        popup::NameList names;
        popup::NameList lowerNames;
        for (const char* name : kNames)
            names.add(text::utf8ToUtf16(name));
        popup::PickerState state(names, lowerNames, [&names](int name) {
            return u"<" + std::u16string(names[size_t(name)]) + u">";
        });
        Window window;
        window.carryOut(state.start(text::utf8ToUtf16(c.filter), c.firstRows));
        for (const Step& step : c.steps) {
            switch (step.kind) {
            case Step::Kind::Typed:
                window.carryOut(state.filterTyped(text::utf8ToUtf16(step.text)));
                break;
            case Step::Kind::Moved:
                window.carryOut(state.selectionMoved(step.value));
                break;
            case Step::Kind::Clicked:
                window.carryOut(state.rowClicked(step.value));
                break;
            case Step::Kind::Ordered:
                state.finishOrder();
                break;
            case Step::Kind::RowShown:
                EXPECT_EQ(u8(state.rowText(step.value)), step.text);
                break;
            }
        }
        EXPECT_EQ(window.selected, c.selected);
        EXPECT_EQ(window.preview, c.preview);
        const int chosen = state.chosen();
        EXPECT_EQ(chosen >= 0 ? u8(names[size_t(chosen)]) : "", c.picked);
        std::string listed;
        for (int row = 0; row < window.rows; ++row) {
            const std::u16string text = state.rowText(row);
            listed += (row == 0 ? "" : " ") +
                      (text == popup::noMatchingNameText(state.filter()) ? "-" : u8(text));
        }
        EXPECT_EQ(listed, c.listed);
    }
}

// However a filter is reached (typed on, erased back, typed at its start, its case changed,
// replaced), the list is the one a fresh match of all names gives.
TEST(PickerStateTable, EveryFilterListsAsIfTypedAfresh) {
    // In "x" xaxyz begins and axyz holds; in "xyz" both hold, and keep name order.
    const char* const names[] = {"procs", "xaxyz", "Größe", "proc", "axyz", "sprocket", "wrap"};
    const std::vector<std::vector<const char*>> paths = {
        {"x", "xy", "xyz", "xy", "x", ""},
        {"oc", "roc", "proc", "PROC", "proc", "w", "wr"},
        {"s", "sp", "s", "", "gr", "grö", "GRÖ", "gr"},
    };
    for (const std::vector<const char*>& path : paths) {
        SCOPED_TRACE(path.front());
        popup::NameList sorted;
        popup::NameList lowerNames;
        for (const char* name : names)
            sorted.add(text::utf8ToUtf16(name));
        popup::PickerState state(sorted, lowerNames, [](int) { return std::u16string(); });
        state.start(u"", 2);
        for (const char* filter : path) {
            SCOPED_TRACE(filter);
            const std::optional<int> rows = state.filterTyped(text::utf8ToUtf16(filter)).rows;
            std::string listed, fresh;
            for (const int name : popup::matchPickerNames(lowerNames, text::utf8ToUtf16(filter)))
                fresh += u8(sorted[size_t(name)]) + " ";
            for (int row = 0; rows && fresh.size() && row < *rows; ++row)
                listed += u8(state.rowText(row)) + " ";
            EXPECT_EQ(listed, fresh);
        }
    }
}

} // namespace

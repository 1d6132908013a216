// What the manager does for each action, by what it knows: the mode, the Shortcut shown, typed
// text, and the file the same, changed or gone. The window only applies these plans. And how
// many rows of a large library go into the list when, and in what order.
#include "manager/ManagerPlan.h"

#include "base/TextConvert.h"
#include "manager/ManagerText.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using manager::ManagerAction;
using manager::ManagerMode;
using store::LibraryState;

// "a=1,b=2": names and templates.
store::ShortcutStore shortcuts(const std::string& list) {
    store::ShortcutStore made;
    for (size_t at = 0; at < list.size();) {
        const size_t end = std::min(list.find(',', at), list.size());
        const std::string entry = list.substr(at, end - at);
        const size_t equals = entry.find('=');
        store::setShortcut(made, text::utf8ToUtf16(entry.substr(0, equals)),
                           text::utf8ToUtf16(entry.substr(equals + 1)));
        at = end + 1;
    }
    return made;
}

// The plan's settings, in a fixed order, those that are set.
std::string summary(const manager::ManagerPlan& plan) {
    static const char* const kRefusals[] = {"", "refuse=empty ", "refuse=exists ",
                                            "refuse=unstorable "};
    std::string out;
    out += plan.takeFresh ? "fresh " : "";
    out += plan.keepShown ? "keep " : "";
    out += plan.refillRows ? "refill " : "";
    out += plan.refreshEditor ? "refresh " : "";
    out += plan.showNothing ? "nothing " : "";
    out += plan.askAboutEdits ? "ask " : "";
    out += kRefusals[static_cast<int>(plan.refusal)];
    out += plan.write ? "write " : "";
    out += plan.act ? "act " : "";
    out += plan.beginNew ? "new " : "";
    if (!out.empty())
        out.pop_back();
    return out;
}

struct PlanCase {
    const char* name;
    ManagerAction action;
    ManagerMode mode;
    const char* shown;
    const char* field; // the name field, or the chosen row
    bool edits;
    LibraryState file;
    const char* held;
    const char* fresh; // the file's Shortcuts when it changed
    const char* plan;
    bool heldFromFile = true; // the window's Shortcuts were read from or written to a file
};

void PrintTo(const PlanCase& c, std::ostream* out) {
    *out << '"' << c.name << '"';
}

class PlanTable : public testing::TestWithParam<PlanCase> {};

TEST_P(PlanTable, GivesThePlan) {
    const PlanCase& c = GetParam();
    store::ShortcutStore held = shortcuts(c.held);
    held.stamp.file.exists = c.heldFromFile;
    const store::ShortcutStore fresh = shortcuts(c.fresh);
    manager::ManagerFacts facts;
    facts.action = c.action;
    facts.mode = c.mode;
    facts.shownName = text::utf8ToUtf16(c.shown);
    facts.name = text::utf8ToUtf16(c.field);
    facts.oldName = facts.shownName;
    facts.editsUnsaved = c.edits;
    facts.file = c.file;
    facts.held = &held;
    facts.fresh = c.file == LibraryState::Changed ? &fresh : nullptr;
    EXPECT_EQ(summary(manager::planManagerAction(facts)), c.plan);
}

constexpr auto kSame = LibraryState::Unchanged;
constexpr auto kChanged = LibraryState::Changed;
constexpr auto kGone = LibraryState::Missing;
constexpr auto kBrowsing = ManagerMode::Browsing;
constexpr auto kCreating = ManagerMode::Creating;
constexpr auto kRenaming = ManagerMode::Renaming;
constexpr auto kNothing = ManagerMode::NothingShown;

INSTANTIATE_TEST_SUITE_P(
    All, PlanTable,
    testing::Values(
        // Coming back to the window.
        PlanCase{"BackToTheSameFile", ManagerAction::Activation, kBrowsing, "a", "", false, kSame,
                 "a=1,b=2", "", "act"},
        PlanCase{"ShownChangedOutside", ManagerAction::Activation, kBrowsing, "a", "", false,
                 kChanged, "a=1,b=2", "a=9,b=2", "fresh refresh act"},
        PlanCase{"ShownChangedOutsideOverEdits", ManagerAction::Activation, kBrowsing, "a", "",
                 true, kChanged, "a=1,b=2", "a=9,b=2", "fresh ask act"},
        PlanCase{"OtherAddedOutsideEditsKept", ManagerAction::Activation, kBrowsing, "a", "", true,
                 kChanged, "a=1", "a=1,c=3", "fresh refill act"},
        PlanCase{"ShownRemovedOutside", ManagerAction::Activation, kBrowsing, "a", "", false,
                 kChanged, "a=1,b=2", "b=2", "fresh refill nothing act"},
        PlanCase{"ShownRemovedOutsideOverEdits", ManagerAction::Activation, kBrowsing, "a", "",
                 true, kChanged, "a=1,b=2", "b=2", "fresh keep act"},
        PlanCase{"FileGoneKeepsTheLibrary", ManagerAction::Activation, kBrowsing, "a", "", true,
                 kGone, "a=1,b=2", "", "act"},
        PlanCase{"RenamingEditorFollowsTheFile", ManagerAction::Activation, kRenaming, "a", "",
                 false, kChanged, "a=1", "a=9", "fresh refresh act"},
        PlanCase{"RenamingKeepsEditsForLater", ManagerAction::Activation, kRenaming, "a", "", true,
                 kChanged, "a=1", "a=9", "fresh act"},
        PlanCase{"RenamingShownRemovedOutside", ManagerAction::Activation, kRenaming, "a", "",
                 false, kChanged, "a=1,b=2", "b=2", "fresh keep act"},
        PlanCase{"CreatingSeesNewNames", ManagerAction::Activation, kCreating, "", "", true,
                 kChanged, "a=1", "a=1,b=2", "fresh refill act"},
        PlanCase{"RenameCancelledEditorFollowsTheFile", ManagerAction::RenameCancel, kRenaming, "a",
                 "", false, kChanged, "a=1", "a=9", "fresh refresh act"},
        // Save and rename check names against the file as it is now.
        PlanCase{"SaveNew", ManagerAction::Save, kCreating, "", "b", true, kSame, "a=1", "",
                 "write act"},
        PlanCase{"SaveNameAddedOutside", ManagerAction::Save, kCreating, "", "b", true, kChanged,
                 "a=1", "a=1,b=2", "fresh refill refuse=exists"},
        PlanCase{"SaveNameHeld", ManagerAction::Save, kCreating, "", "a", true, kGone, "a=1", "",
                 "refuse=exists"},
        PlanCase{"SaveNoName", ManagerAction::Save, kCreating, "", "", true, kSame, "a=1", "",
                 "refuse=empty"},
        PlanCase{"SaveUnstorableName", ManagerAction::Save, kCreating, "", "x=y", true, kSame,
                 "a=1", "", "refuse=unstorable"},
        PlanCase{"SaveShownOverAnOutsideChange", ManagerAction::Save, kBrowsing, "a", "a", true,
                 kChanged, "a=1,b=2", "a=9,b=2", "fresh write act"},
        PlanCase{"SaveShownRemovedOutside", ManagerAction::Save, kBrowsing, "a", "a", false,
                 kChanged, "a=1,b=2", "b=2", "fresh keep write act"},
        PlanCase{"RenameToNameAddedOutside", ManagerAction::RenameEnd, kRenaming, "a", "c", false,
                 kChanged, "a=1", "a=1,c=3", "fresh refill refuse=exists"},
        PlanCase{"RenameAfterOutsideChange", ManagerAction::RenameEnd, kRenaming, "a", "c", false,
                 kChanged, "a=1", "a=9", "fresh refresh write act"},
        PlanCase{"RenameToNoName", ManagerAction::RenameEnd, kRenaming, "a", "", false, kSame,
                 "a=1", "", "act"},
        PlanCase{"RenameToTheSameName", ManagerAction::RenameEnd, kRenaming, "a", "a", false, kSame,
                 "a=1", "", "act"},
        // Typed text is never dropped without a question.
        PlanCase{"OtherRowOverEdits", ManagerAction::ShowRow, kBrowsing, "a", "b", true, kSame,
                 "a=1,b=2", "", "ask act"},
        PlanCase{"SameRowKeepsEdits", ManagerAction::ShowRow, kBrowsing, "a", "a", true, kSame,
                 "a=1,b=2", "", ""},
        PlanCase{"OtherRow", ManagerAction::ShowRow, kBrowsing, "a", "b", false, kSame, "a=1,b=2",
                 "", "act"},
        PlanCase{"NewOverEdits", ManagerAction::New, kBrowsing, "a", "", true, kSame, "a=1", "",
                 "ask act"},
        PlanCase{"CloseWhileCreating", ManagerAction::Close, kCreating, "", "b", true, kSame, "a=1",
                 "", "ask act"},
        PlanCase{"CloseWithNothingTyped", ManagerAction::Close, kBrowsing, "a", "", false, kSame,
                 "a=1", "", "act"},
        PlanCase{"CloseGivesAFileGoneTheLibrary", ManagerAction::Close, kBrowsing, "a", "", false,
                 kGone, "a=1", "", "write act"},
        PlanCase{"CloseOverEditsWithTheFileGone", ManagerAction::Close, kCreating, "", "b", true,
                 kGone, "a=1", "", "ask write act"},
        PlanCase{"CloseWithNoFileEverRead", ManagerAction::Close, kNothing, "", "", false, kGone,
                 "", "", "act", false},
        PlanCase{"TypingWithNothingShownBeginsANewShortcut", ManagerAction::EditorTyped, kNothing,
                 "", "", true, kSame, "", "", "act new"},
        PlanCase{"TypingInAShownTemplate", ManagerAction::EditorTyped, kBrowsing, "a", "", true,
                 kSame, "a=1", "", ""},
        PlanCase{"Delete", ManagerAction::Delete, kBrowsing, "a", "a", true, kSame, "a=1,b=2", "",
                 "write act"},
        PlanCase{"DeleteOfAShortcutRemovedOutside", ManagerAction::Delete, kBrowsing, "a", "a",
                 false, kChanged, "a=1,b=2", "b=2", "fresh refill nothing"},
        PlanCase{"DeleteOfEditsRemovedOutside", ManagerAction::Delete, kBrowsing, "a", "a", true,
                 kChanged, "a=1,b=2", "b=2", "fresh keep write act"}));

// The list's fill: a screenful before the window is drawn, short steps while nothing waits,
// every row before the user scrolls or anything reads or changes the rows.
TEST(FillTable, TakesTheRows) {
    using manager::FillMoment;
    constexpr size_t kScreenful = 135; // a maximised list on a 2160-pixel screen at 96 DPI
    const struct {
        const char* name;
        FillMoment moment;
        size_t filled, total, least, most; // rows taken now: at least, at most
    } cases[] = {
        {"SmallLibraryWholeAtOnce", FillMoment::Opening, 0, 100, 100, 100},
        {"LargeLibraryAScreenfulFirst", FillMoment::Opening, 0, 100000, kScreenful, 1000},
        {"IdleTakesAShortStep", FillMoment::Idle, 200, 100000, 100, 5000},
        {"IdleTakesTheLastRows", FillMoment::Idle, 99990, 100000, 10, 10},
        {"ScrollingSeesEveryRow", FillMoment::ListInput, 200, 100000, 99800, 99800},
        {"CommandSeesEveryRow", FillMoment::Command, 2200, 100000, 97800, 97800},
        {"ActivationLeavesTheRest", FillMoment::Passing, 200, 100000, 0, 0},
        {"FilledListTakesNothing", FillMoment::Command, 100000, 100000, 0, 0},
    };
    for (const auto& c : cases) {
        const size_t rows = manager::rowsToFillNow(c.moment, c.filled, c.total);
        EXPECT_GE(rows, c.least) << c.name;
        EXPECT_LE(rows, c.most) << c.name;
    }
}

// Filled in steps of any size, the list holds the rows in the order of sortShortcutNames, names
// that compare equal in the order they came in.
TEST(FillOrder, StepsGiveTheSortedOrder) {
    std::string list;
    for (int i = 0; i < 300; ++i)
        list +=
            (i ? "," : "") + std::string(i % 3 ? "s" : "S") + std::to_string(i * 7 % 100) + "=t";
    const store::ShortcutStore library = shortcuts(list + ",If=1,if=2,[x=3,_a=4");
    std::vector<std::u16string> sorted;
    store::forEachShortcutName(library,
                               [&](std::u16string_view name) { sorted.emplace_back(name); });
    manager::sortShortcutNames(sorted);
    for (const size_t step : {1, 7, 160, 1000}) {
        manager::ListFill fill = manager::beginListFill(library);
        std::vector<std::u16string> rows = manager::takeNextRows(fill, 160); // a screenful first
        while (fill.filled < fill.names.size()) {
            const std::vector<std::u16string> taken = manager::takeNextRows(fill, step);
            rows.insert(rows.end(), taken.begin(), taken.end());
        }
        EXPECT_EQ(rows, sorted) << "steps of " << step;
    }
}

} // namespace

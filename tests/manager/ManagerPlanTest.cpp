// What the manager does for each action, by what it knows: the mode, the Shortcut shown, typed
// text, and the file the same, changed or gone. The window only applies these plans. And which
// row of the list is current after one is removed.
#include "manager/ManagerPlan.h"

#include "base/TextConvert.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

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

} // namespace

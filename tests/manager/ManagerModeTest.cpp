#include "manager/ManagerMode.h"

#include <gtest/gtest.h>

namespace {

using manager::ManagerMode;

// The rules a user relies on in every mode, rather than the table letter by letter.
TEST(ManagerMode, NoModeOffersAStepThatLosesWorkOrHasNothingToActOn) {
    const ManagerMode kModes[] = {ManagerMode::NothingShown, ManagerMode::Browsing,
                                  ManagerMode::Creating, ManagerMode::Renaming};
    for (const ManagerMode mode : kModes) {
        SCOPED_TRACE(static_cast<int>(mode));
        const manager::ControlStates s = manager::controlStatesFor(mode);
        const bool storedShown = mode == ManagerMode::Browsing || mode == ManagerMode::Renaming;
        // The name field is open exactly while Escape has a typed name to undo there, and
        // nothing that would leave that name behind is offered meanwhile.
        EXPECT_EQ(s.nameField, manager::namingMode(mode));
        EXPECT_EQ(s.shortcutList, !s.nameField);
        // The filter only narrows the list: it is open exactly while the list is.
        EXPECT_EQ(s.filterField, s.shortcutList);
        EXPECT_EQ(s.newButton, !s.nameField);
        // Delete and Rename act on a stored Shortcut; a rename in progress shows its button
        // pressed, still enabled to end it, and closes the editor: the template goes with it.
        EXPECT_EQ(s.deleteButton, storedShown && !s.nameField);
        EXPECT_EQ(s.renameButton, storedShown);
        EXPECT_EQ(s.renamePressed, mode == ManagerMode::Renaming);
        EXPECT_EQ(s.templateEditor, !s.renamePressed);
        // Save stores an open editor's text under a name: never with no name to store it under.
        EXPECT_EQ(s.saveButton, s.templateEditor && mode != ManagerMode::NothingShown);
    }
}

} // namespace

// A shortcut never does what its button would refuse, Ctrl+S saves only from where text is
// typed, and Escape undoes only where there is a typed name to undo.
TEST(ManagerMode, ShortcutsFollowTheModeAndTheFocus) {
    using manager::FocusedPart;
    using manager::ManagerCommand;
    using Effect = manager::ManagerKeyEffect;
    struct Case {
        const char* name;
        ManagerCommand command;
        ManagerMode mode;
        FocusedPart focus;
        Effect effect;
    };
    const Case kCases[] = {
        {"NewWhileBrowsing", ManagerCommand::New, ManagerMode::Browsing, FocusedPart::Other,
         Effect::ClickNew},
        {"NoNewWhileNaming", ManagerCommand::New, ManagerMode::Creating, FocusedPart::NameField,
         Effect::Nothing},
        {"DeleteNeedsAStoredShortcut", ManagerCommand::Delete, ManagerMode::NothingShown,
         FocusedPart::Other, Effect::Nothing},
        {"DeleteWhileBrowsing", ManagerCommand::Delete, ManagerMode::Browsing, FocusedPart::Other,
         Effect::ClickDelete},
        {"RenameEndsARename", ManagerCommand::Rename, ManagerMode::Renaming, FocusedPart::NameField,
         Effect::ClickRename},
        {"NoRenameOfANewShortcut", ManagerCommand::Rename, ManagerMode::Creating,
         FocusedPart::NameField, Effect::Nothing},
        {"SaveFromTheEditor", ManagerCommand::Save, ManagerMode::Browsing,
         FocusedPart::TemplateEditor, Effect::ClickSave},
        {"SaveFromTheNameField", ManagerCommand::Save, ManagerMode::Creating,
         FocusedPart::NameField, Effect::ClickSave},
        {"NoSaveFromTheList", ManagerCommand::Save, ManagerMode::Browsing, FocusedPart::Other,
         Effect::Nothing},
        {"NoSaveDuringARename", ManagerCommand::Save, ManagerMode::Renaming, FocusedPart::NameField,
         Effect::Nothing},
        {"EscapeInTheNameField", ManagerCommand::Escape, ManagerMode::Renaming,
         FocusedPart::NameField, Effect::Escape},
        {"EscapeInTheEditorWhileNaming", ManagerCommand::Escape, ManagerMode::Creating,
         FocusedPart::TemplateEditor, Effect::Escape},
        {"EscapeInTheEditorWhileBrowsing", ManagerCommand::Escape, ManagerMode::Browsing,
         FocusedPart::TemplateEditor, Effect::Nothing},
        {"EscapeInTheList", ManagerCommand::Escape, ManagerMode::Browsing, FocusedPart::Other,
         Effect::Nothing},
        {"CloseAlways", ManagerCommand::Close, ManagerMode::Creating, FocusedPart::NameField,
         Effect::Close},
        {"EscapeEmptiesTheFilter", ManagerCommand::Escape, ManagerMode::Browsing,
         FocusedPart::FilterField, Effect::ClearFilter},
        {"EscapeInAnEmptyFilterAsInTheList", ManagerCommand::Escape, ManagerMode::NothingShown,
         FocusedPart::EmptyFilterField, Effect::Nothing},
        {"NoFilterWhileNaming", ManagerCommand::Filter, ManagerMode::Creating,
         FocusedPart::NameField, Effect::Nothing},
        {"ImportAlways", ManagerCommand::Import, ManagerMode::Renaming, FocusedPart::Other,
         Effect::ClickImport},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(manager::keyEffectFor(c.command, c.mode, c.focus), c.effect);
    }
}

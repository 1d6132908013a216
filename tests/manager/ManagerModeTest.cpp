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

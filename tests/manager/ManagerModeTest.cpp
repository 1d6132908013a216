#include "manager/ManagerMode.h"

#include <gtest/gtest.h>

namespace {

using manager::ManagerMode;

// Enabled controls as letters in screen order (New, Delete, Rename, Save, name Field, List,
// Editor), '-' for a disabled one, then the Rename button's pressed state.
std::string shown(const manager::ControlStates& s) {
    std::string out;
    const std::pair<bool, char> letters[] = {
        {s.newButton, 'N'}, {s.deleteButton, 'D'}, {s.renameButton, 'R'},  {s.saveButton, 'S'},
        {s.nameField, 'F'}, {s.shortcutList, 'L'}, {s.templateEditor, 'E'}};
    for (const auto& [enabled, letter] : letters)
        out += enabled ? letter : '-';
    return out + (s.renamePressed ? " pressed" : " released");
}

TEST(ManagerMode, EachModeEnablesItsControls) {
    const struct {
        ManagerMode mode;
        const char* controls;
        bool naming;
    } kModes[] = {
        {ManagerMode::NothingShown, "N----LE released", false},
        {ManagerMode::Browsing, "NDRS-LE released", false},
        {ManagerMode::Creating, "---SF-E released", true},
        {ManagerMode::Renaming, "--R-F-- pressed", true},
    };
    for (const auto& row : kModes) {
        EXPECT_EQ(shown(manager::controlStatesFor(row.mode)), row.controls);
        EXPECT_EQ(manager::namingMode(row.mode), row.naming) << row.controls;
    }
}

} // namespace

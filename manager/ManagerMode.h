#pragma once
// The manager's mode and the controls each mode enables. Plain C++, no Win32: the window
// applies what controlStatesFor gives and never reads a mode back from its controls.
#include <string>

namespace manager {

enum class ManagerMode {
    NothingShown, // no Shortcut shown: only New, the list and the editor
    Browsing,     // the Shortcut of the current row shown
    Creating,     // a new Shortcut being named; its row "..." at the end of the list
    Renaming,     // the shown Shortcut's name being changed
};

struct ControlStates {
    bool newButton;
    bool deleteButton;
    bool renameButton;
    bool saveButton;
    bool nameField;
    bool shortcutList;
    bool templateEditor;
    bool renamePressed;
};

ControlStates controlStatesFor(ManagerMode mode);

// The name field is open for typing: Escape has something to undo there.
bool namingMode(ManagerMode mode);

} // namespace manager

#pragma once
// The manager's mode and the controls each mode enables. Plain C++, no Win32: the window
// applies what controlStatesFor gives and never reads a mode back from its controls.
#include <string>

namespace manager {

enum class ManagerMode {
    NothingShown, // no Shortcut shown: only New, the list and the editor
    Browsing,     // the Shortcut of the current row shown, or of a row the filter hides
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
    bool filterField;
    bool templateEditor;
    bool renamePressed;
};

ControlStates controlStatesFor(ManagerMode mode);

// The name field is open for typing: Escape has something to undo there.
bool namingMode(ManagerMode mode);

// The commands of the window's keyboard shortcuts (Ctrl+N, Ctrl+D, Ctrl+S, Escape, Shift+Return,
// Ctrl+R, Ctrl+I, Ctrl+F); 0 is no command.
enum class ManagerCommand { New = 1, Delete, Save, Escape, Close, Rename, Import, Filter };

// Where the keyboard focus is, as far as a shortcut cares.
enum class FocusedPart { Other, NameField, TemplateEditor, FilterField, EmptyFilterField };

// What a shortcut does: a button's click (only while the button is enabled), closing the
// window, or Escape's own undoing.
enum class ManagerKeyEffect {
    Nothing,
    ClickNew,
    ClickDelete,
    ClickSave,
    ClickRename,
    ClickImport,
    Close,
    Escape,
    FocusFilter, // the focus goes to the filter field, its text selected
    ClearFilter  // the filter field is emptied: the list shows every row again
};

// Save and Escape belong to the fields: Ctrl+S saves only from the name field or the editor,
// and Escape undoes only in the name field, or in the editor while a name is being typed. In
// the filter field Escape first empties the filter, and then does what it does elsewhere.
ManagerKeyEffect keyEffectFor(ManagerCommand command, ManagerMode mode, FocusedPart focus);

} // namespace manager

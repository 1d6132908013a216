#pragma once
// What the manager does for an action, decided from what it knows: its mode, the Shortcut it
// shows, whether the editor holds text that is not stored, and the library file as it is now.
// Plain C++, no Win32: ManagerCommands.cpp gathers the facts, applies the plan and asks the
// question it names.
#include <string>
#include <vector>

#include "manager/ManagerMode.h"
#include "store/ShortcutStore.h"

namespace manager {

enum class ManagerAction {
    Activation,   // the user came back to the window from another program
    ShowRow,      // a row of the list was chosen
    New,          // New button or Ctrl+N
    Save,         // Save button or Ctrl+S
    Delete,       // the user said Yes to the Delete question
    RenameEnd,    // the Rename button released
    RenameCancel, // Escape while renaming
    Close,        // the window's close request
    EditorTyped,  // the user changed the template editor's text
};

struct ManagerFacts {
    ManagerAction action = ManagerAction::Activation;
    ManagerMode mode = ManagerMode::NothingShown;
    std::u16string shownName; // the Shortcut whose template the editor shows; empty for none
    std::u16string name;      // Save, RenameEnd: the trimmed name field; ShowRow: the chosen row
    std::u16string oldName;   // RenameEnd: the name the rename began with
    bool editsUnsaved = false;
    store::LibraryState file = store::LibraryState::Unchanged;
    const store::ShortcutStore* held = nullptr;  // the Shortcuts the window holds
    const store::ShortcutStore* fresh = nullptr; // the file's, read again because it changed
};

enum class Refusal { None, EmptyName, NameExists, NameUnstorable };

struct ManagerPlan {
    bool takeFresh = false;     // the window's Shortcuts become the file's...
    bool keepShown = false;     // ...with the shown one as held: the file lost it mid-work
    bool refillRows = false;    // the names changed
    bool refreshEditor = false; // the editor shows the shown Shortcut's template as stored now
    bool showNothing = false;   // the shown Shortcut is gone: nothing is shown, as with no rows
    bool askAboutEdits = false; // Yes saves the edits first, No drops them, Cancel stops here
    Refusal refusal = Refusal::None;
    bool write = false;    // the change goes to the file, and stays in the window only if taken;
                           // Close: the library goes back to a file deleted meanwhile
    bool act = true;       // the action goes on (after the question's Yes or No)
    bool beginNew = false; // text typed with nothing shown becomes a new Shortcut's template
};

ManagerPlan planManagerAction(const ManagerFacts& facts);

// Whether the editor's text (in the store's form) is text that Save has not stored.
bool editorTextUnsaved(ManagerMode mode, const std::u16string& editorTemplate,
                       const std::u16string* storedTemplate);

// The Shortcut list's rows: every name of the store, in the order of sortShortcutNames.
std::vector<std::u16string> shortcutRows(const store::ShortcutStore& store);

} // namespace manager

#pragma once
// What the manager does for an action, decided from what it knows: its mode, the Shortcut it
// shows, whether the editor holds text that is not stored, and the library file as it is now.
// Plain C++, no Win32: ManagerCommands.cpp gathers the facts, applies the plan and asks the
// question it names.
#include <cstddef>
#include <cstdint>
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

// The Shortcut list is filled in steps, so that a library of any size shows at once: the rows
// the window shows first, then the rest between events.
struct ListFill {
    std::vector<std::u16string> names;  // every row's name, in the order they came in
    std::vector<std::uint32_t> pending; // indexes into names of the rows still to come
    bool pendingIsHeap = false;         // ordered as a heap, the next row on top
    std::size_t filled = 0;             // how many rows the list has
};

// The names of every Shortcut, none of them in the list yet.
ListFill beginListFill(const store::ShortcutStore& store);

// The next rows, at most count of them, in the order of sortShortcutNames; their names move
// out of fill.names.
std::vector<std::u16string> takeNextRows(ListFill& fill, std::size_t count);

enum class FillMoment {
    Opening,   // the window is about to be drawn for the first time
    Idle,      // nothing waits in the queue
    ListInput, // a key, click or wheel turn for the list waits: the user scrolls or chooses
    Command,   // a command, a chosen row or typed text: anything that may read or change the rows
    Passing,   // an activation, a resize or the close request: the rows stay as they are
};

// How many more rows the list takes now, holding filled of total.
std::size_t rowsToFillNow(FillMoment moment, std::size_t filled, std::size_t total);

} // namespace manager

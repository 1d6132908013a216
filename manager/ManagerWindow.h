#pragma once
// The Shortcut manager: its window with the controls, the rows of the Shortcut list and the
// resize rule (ManagerWindow.cpp), and the event loop with every command (ManagerCommands.cpp).
#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "manager/ManagerFilter.h"
#include "manager/ManagerMode.h"
#include "store/ShortcutStore.h"
#include "ui/WindowService.h"

namespace manager {

// The window's controls, made with it; the list and the editor are the splitter's panes.
struct ManagerControls {
    ui::Control* newButton = nullptr;
    ui::Control* deleteButton = nullptr;
    ui::Control* renameButton = nullptr;
    ui::Control* saveButton = nullptr;
    ui::Control* importButton = nullptr;
    ui::Control* openButton = nullptr;
    ui::Control* donateButton = nullptr;
    ui::Control* nameField = nullptr;
    ui::Control* filterField = nullptr;
    ui::Control* shortcutList = nullptr;
    ui::Control* templateEditor = nullptr;
    ui::Control* splitter = nullptr;
};

// What the commands work on; the controls' states follow the mode.
struct ManagerSession {
    store::ShortcutStore& store;
    std::u16string title;       // the window's title and every message box's caption
    std::u16string libraryPath; // the library file the window edits
    std::u16string oldName;     // the name a rename began with
    std::u16string shownName;   // the Shortcut whose template the editor shows; empty for none
    ManagerMode mode = ManagerMode::NothingShown;
    // The list's rows from the top, which the list draws from: the store's names as
    // sortShortcutNames orders them, a Shortcut saved or renamed since in its row, and the row
    // "..." of a new Shortcut last.
    std::vector<std::u16string> rows;
    RowView view; // the rows the list shows for the filter field's text
    ui::OwnedWindow window;
    ManagerControls controls;
};

// Builds the window, puts the rows that takeRows gives (the store's, as shortcutRows gives them)
// in its list, and shows and activates it, on a new Shortcut with that template (in the store's
// form) when one is given. takeRows is called once the window is made, so that the library
// may be read meanwhile. False when the window could not be made.
bool buildManagerWindow(ManagerSession& session, HWND owner,
                        const std::function<std::vector<std::u16string>()>& takeRows,
                        const std::optional<std::u16string>& newTemplate = std::nullopt);

// The list shows the rows of session.view, with that row of session.rows current (-1 for none,
// or for a row the filter hides).
void showRows(const ManagerSession& session, int current);

// Places the splitter and the right-hand buttons for the window's present client size.
void layoutManagerWindow(const ManagerSession& session);

// Builds the window and runs its loop; returns once the window is closed. takeRows and
// newTemplate as for buildManagerWindow; the store is not touched before takeRows returns.
void runManager(store::ShortcutStore& store,
                const std::function<std::vector<std::u16string>()>& takeRows,
                std::u16string_view libraryPath, std::u16string_view appTitle, HWND owner,
                const std::optional<std::u16string>& newTemplate = std::nullopt);

} // namespace manager

#pragma once
// The manager's event loop and its commands: showing a Shortcut, New, Save, Delete, Rename,
// Escape, the filter, opening the preference file, the donation request and closing.
#include "manager/ManagerWindow.h"

namespace manager {

// Sets the mode and enables the controls for it.
void enterMode(ManagerSession& session, ManagerMode mode);

// The window shows a new Shortcut, as after New, with that template (in the store's form) as
// its unsaved text and the name field to type in.
void openOnNewShortcut(ManagerSession& session, std::u16string_view templateText);

// Handles the window's events until its close request.
void runManagerLoop(ManagerSession& session);

// The name field's change handler: typed names are lower case, the caret at their end.
void lowerCaseNameField(ManagerSession& session);

// The filter field's change handler: the list shows the rows that hold the new filter, the shown
// Shortcut's row current where it is among them.
void followFilter(ManagerSession& session);

// Down in the filter field: the focus goes to the list, and with no row current the first
// becomes current and is shown, as by a click.
void enterListFromFilter(ManagerSession& session);

} // namespace manager

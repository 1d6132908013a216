#pragma once
// The manager's event loop and its commands: showing a Shortcut, New, Save, Delete, Rename,
// Escape, opening the preference file, the donation request and closing.
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

} // namespace manager

#pragma once
// Start-up and mode selection: everything between the process entry and the common end.

namespace app {

// Creates the named mutex of a mode, initially owned. False when it could not be created or
// already existed: another instance of that mode is running.
bool takeModeLock(const wchar_t* name);

// Runs one start of the program, from the environment to the end of its one mode.
void runProgram();

} // namespace app

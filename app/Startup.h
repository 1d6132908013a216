#pragma once
// Start-up and mode selection: everything between the process entry and the common end.
#include <cstdint>
#include <string_view>

namespace app {

// Integer text as the IDE writes it into the environment: leading blanks, an optional sign,
// then decimal digits ("$" hexadecimal, "%" binary) up to the first other character.
std::int32_t parseToolInteger(std::u16string_view text);

// The folder part of a module path, cut after its last backslash or slash.
std::u16string_view folderOfPath(std::u16string_view modulePath);

// Creates the named mutex of a mode, initially owned. False when it could not be created or
// already existed: another instance of that mode is running.
bool takeModeLock(const wchar_t* name);

// Runs one start of the program, from the environment to the end of its one mode.
void runProgram();

} // namespace app

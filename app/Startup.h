#pragma once
// Start-up and mode selection: everything between the process entry and the common end.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace app {

// Integer text as the IDE writes it into the environment: leading blanks, an optional sign,
// then decimal digits ("$" hexadecimal, "%" binary) up to the first other character.
std::int32_t parseToolInteger(std::u16string_view text);

// The folder part of a module path, cut after its last backslash or slash.
std::u16string_view folderOfPath(std::u16string_view modulePath);

// Creates the named mutex of a mode, initially owned. False when it could not be created or
// already existed: another instance of that mode is running.
bool takeModeLock(const wchar_t* name);

// Which editor a start works on, from its command-line arguments.
enum class StartKind {
    Ide,             // no argument: the editor the IDE hands over in the environment
    Focused,         // --focused: the Scintilla that has the keyboard focus
    UnknownArgument, // anything else: the known arguments are shown, nothing more happens
};

struct StartArguments {
    StartKind kind = StartKind::Ide;
    bool pick = false;      // --pick: the picker, whatever the word before the caret
    std::u16string unknown; // the first argument not known, for UnknownArgument
};

// The arguments without the program's own name.
StartArguments readStartArguments(const std::vector<std::u16string>& arguments);

// Runs one start of the program, from the environment to the end of its one mode.
void runProgram();

} // namespace app

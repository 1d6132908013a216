#pragma once
// What a start is asked to do, from its command-line arguments and the environment the IDE
// hands over. Plain C++, no Win32.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace app {

inline constexpr std::u16string_view kFocusedArgument = u"--focused";
inline constexpr std::u16string_view kPickArgument = u"--pick";
inline constexpr std::u16string_view kFileArgument = u"--file";
inline constexpr std::u16string_view kLibraryArgument = u"--library";
inline constexpr std::u16string_view kImportArgument = u"--import";
inline constexpr std::u16string_view kNewArgument = u"--new";

// Integer text as the IDE writes it into the environment: leading blanks, an optional sign,
// then decimal digits ("$" hexadecimal, "%" binary) up to the first other character.
std::int32_t parseToolInteger(std::u16string_view text);

// The folder part of a module path, cut after its last backslash or slash.
std::u16string_view folderOfPath(std::u16string_view modulePath);

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
    // --file PATH: the document's file, which the editor names in the argument after it (empty
    // for a document never saved, and when nothing follows).
    std::u16string file;
    // --library PATH: the library file, as written (relative to the program's folder, with
    // %NAME% parts from the environment); empty: the default place.
    std::u16string library;
    // --import FILE: another tool's snippet file whose Shortcuts go into the library; nothing
    // else happens in such a start.
    std::u16string importFile;
    bool import = false;
    // --new: the manager, on a new Shortcut made of the editor's selection.
    bool newShortcut = false;
};

// The arguments without the program's own name.
StartArguments readStartArguments(const std::vector<std::u16string>& arguments);

} // namespace app

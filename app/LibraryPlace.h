#pragma once
// Where the library file is: named with --library, or beside the program, or in the user's
// application data when the program's folder cannot be written. Plain C++, no Win32.
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace app {

// "%NAME%" parts replaced by the variable's value, as Windows expands them: a name that is not
// set (or an empty one, "%%") and a "%" without its closing one stay as written.
std::u16string expandEnvironmentParts(
    std::u16string_view text,
    const std::function<std::optional<std::u16string>(std::u16string_view name)>& variable);

// A path that names its place on its own: a drive ("C:\", "C:"), a share ("\\server"), or the
// root of the current drive ("\", "/").
bool isAbsolutePath(std::u16string_view path);

// What the choice of the library's place asks of the system; each is asked only when it
// matters.
struct LibraryQuestions {
    std::function<std::optional<std::u16string>(std::u16string_view name)> variable;
    std::function<bool(std::u16string_view path)> exists;
    std::function<bool(std::u16string_view folder)> canCreateFileIn;
};

// The library's path. `argument` is --library as written (empty: none); `programFolder` ends
// with a separator. Without an argument the library beside the program wins when it is there,
// and when the program's folder cannot be written the library is kPreferenceFileName in
// %APPDATA%\Zendrik.
std::u16string libraryPlace(std::u16string_view argument, std::u16string_view programFolder,
                            const LibraryQuestions& ask);

} // namespace app

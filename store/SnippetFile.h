#pragma once
// Another tool's snippet file brought into the library: read, converted and added in one save.
#include <string>
#include <string_view>

namespace store {

struct ImportOutcome {
    bool saved = false;     // the library holds the Shortcuts added (or nothing was new)
    std::u16string message; // for the user: how many were added and each one skipped, or why
                            // nothing was
};

// Adds the Shortcuts of the snippet file at snippetPath (VS Code or Sublime Text, by its
// extension) to the library at libraryPath, under the writers' lock in one save, so that one
// backup holds the library as it was. A name the library holds already is kept as it is and
// reported. A file that cannot be read or understood changes nothing.
ImportOutcome importSnippetFile(std::u16string_view libraryPath, std::u16string_view snippetPath);

} // namespace store

#include "store/SnippetFile.h"

#include "store/FileAccess.h"
#include "store/ShortcutStore.h"
#include "store/SnippetImport.h"

#include <new>
#include <vector>

namespace store {

ImportOutcome importSnippetFile(std::u16string_view libraryPath, std::u16string_view snippetPath) {
    try {
        FileHandle file;
        std::string bytes;
        if (!openForReading(snippetPath, file) || !readWholeFile(file, bytes))
            return {false, importFailureMessage(snippetPath, u"the file could not be read")};
        file = FileHandle();
        const SnippetImport imported = importSnippets(bytes, snippetFormatOf(snippetPath));
        if (imported.failure)
            return {false, importFailureMessage(snippetPath, *imported.failure)};
        std::vector<NamedTemplate> shortcuts;
        shortcuts.reserve(imported.shortcuts.size());
        for (const ImportedShortcut& shortcut : imported.shortcuts)
            shortcuts.push_back({shortcut.name, shortcut.templateText});
        std::vector<std::u16string> alreadyThere;
        if (!shortcuts.empty() && !addShortcutsIn(libraryPath, shortcuts, alreadyThere))
            return {false, u"Nothing was imported: the library " + std::u16string(libraryPath) +
                               u" could not be written. It may be read-only, open in another "
                               u"program, or the disk full."};
        std::vector<SkippedSnippet> skipped = imported.skipped;
        for (const std::u16string& name : alreadyThere)
            skipped.push_back({name, u"the library has a Shortcut of this name, kept as it is"});
        return {true, importReport(shortcuts.size() - alreadyThere.size(), skipped)};
    } catch (const std::bad_alloc&) {
        return {false, importFailureMessage(snippetPath, u"there was not enough memory")};
    }
}

} // namespace store

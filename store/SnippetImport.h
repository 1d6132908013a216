#pragma once
// Snippets of other editors read as Shortcuts: VS Code's snippet files (JSON with comments) and
// Sublime Text's .sublime-snippet files (XML), their TextMate snippet syntax turned into
// Zendrik's templates. What a template cannot say is skipped whole, with the reason.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace store {

enum class SnippetFormat { VsCode, Sublime };

// ".sublime-snippet" (in any case) is Sublime's; anything else (".code-snippets", ".json") is
// taken for VS Code's.
SnippetFormat snippetFormatOf(std::u16string_view path);

struct ImportedShortcut {
    std::u16string name; // in lower case, as the editor's word is looked up
    std::u16string templateText;
};

struct SkippedSnippet {
    std::u16string name; // the prefix or tabTrigger as written; without one, the snippet's title
    std::u16string reason;
};

struct SnippetImport {
    std::vector<ImportedShortcut> shortcuts; // in file order
    std::vector<SkippedSnippet> skipped;     // in file order
    // Where and why the file could not be read as its format ("line 3, column 14: ..."); then
    // nothing else is given.
    std::optional<std::u16string> failure;
};

// The file's bytes as read, UTF-8 with or without a byte-order mark.
SnippetImport importSnippets(std::string_view fileBytes, SnippetFormat format);

// "3 Shortcuts added." and a line "name: reason" for each snippet skipped.
std::u16string importReport(std::size_t added, const std::vector<SkippedSnippet>& skipped);

std::u16string importFailureMessage(std::u16string_view path, std::u16string_view failure);

} // namespace store

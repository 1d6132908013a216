#pragma once
// The word the user has just typed before the caret in the IDE's editor.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/CodePageText.h"

namespace idelink {

// What was read of the editor at the caret, in the document's own bytes.
struct LineAtCaret {
    std::string bytes;                  // the caret's line from its start up to the caret
    std::int64_t caret = -1;            // the caret's position
    int codePage = text::kUtf8CodePage; // the document's code page (documentCodePage)
};

struct CaretWord {
    std::u16string caretWord;   // lowercased; empty when no word stands before the caret
    int wordIndent = 0;         // UTF-16 units of the line that stand before the word
    std::int64_t wordBytes = 0; // bytes the word takes in the editor, as it stands there
    // The line's text before the word with every unit but a tab turned into a space: what the
    // further lines of an expansion start with, so that they line up under the word.
    std::u16string indentation = {};
    // The line as it was read, for telling whether it still stands so before it is replaced;
    // unset when the word was not read from an editor.
    std::optional<LineAtCaret> line = std::nullopt;

    int codePage() const { return line ? line->codePage : text::kUtf8CodePage; }
};

// The line's text before a place turned into indentation: tabs stay, every other unit a space,
// so that a further line starts under the place whatever the tab width.
std::u16string indentationOf(std::u16string_view lineBeforePlace);

// lineBeforeCaret: the caret's line from its start up to the caret, without line ends.
CaretWord findCaretWord(std::u16string_view lineBeforeCaret);

// The same for the line's bytes as the editor holds them, in the document's code page, zero
// bytes included; the word's byte count is exact even where the bytes are no valid text.
CaretWord findCaretWord(const LineAtCaret& line);

// Whether the word ends with "(", as one typed where a call is begun does.
bool endsWithParen(std::u16string_view caretWord);

} // namespace idelink

#pragma once
// The word the user has just typed before the caret in the IDE's editor.
#include <cstdint>
#include <string>
#include <string_view>

namespace idelink {

struct CaretWord {
    std::u16string caretWord;   // lowercased; empty when no word stands before the caret
    int wordIndent = 0;         // UTF-16 units of the line that stand before the word
    std::int64_t wordBytes = 0; // bytes the word takes in the editor, as it stands there
    // The line's text before the word with every unit but a tab turned into a space: what the
    // further lines of an expansion start with, so that they line up under the word.
    std::u16string indentation = {};
    // The caret's line up to the caret as it was read (the editor's bytes), for telling whether
    // it still stands so before it is replaced; empty when the word was not read from an editor.
    std::string lineBytes = {};
};

// The line's text before a place turned into indentation: tabs stay, every other unit a space,
// so that a further line starts under the place whatever the tab width.
std::u16string indentationOf(std::u16string_view lineBeforePlace);

// lineBeforeCaret: the caret's line from its start up to the caret, without line ends.
CaretWord findCaretWord(std::u16string_view lineBeforeCaret);

// The same for the line's bytes as the editor holds them (UTF-8, zero bytes included); the
// word's byte count is then exact even where the bytes are no valid UTF-8.
CaretWord findCaretWord(std::string_view lineBeforeCaretUtf8);

} // namespace idelink

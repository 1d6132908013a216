#pragma once
// The word the user has just typed before the caret in the IDE's editor.
#include <string>
#include <string_view>

namespace idelink {

struct CaretWord {
    std::u16string caretWord; // lowercased; empty when no word stands before the caret
    int wordIndent = 0;       // UTF-16 units of the line that stand before the word
};

// lineBeforeCaret: the caret's line from its start up to the caret, without line ends.
CaretWord findCaretWord(std::u16string_view lineBeforeCaret);

} // namespace idelink

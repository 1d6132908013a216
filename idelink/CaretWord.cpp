#include "idelink/CaretWord.h"

#include "idelink/LowerCase.h"

namespace idelink {

CaretWord findCaretWord(std::u16string_view lineBeforeCaret) {
    const std::u16string line = lowerCaseText(lineBeforeCaret);
    std::u16string_view word = line;

    if (const size_t space = word.rfind(u' '); space != word.npos)
        word.remove_prefix(space + 1);

    // A "(" right at the caret belongs to the word, so that names such as "openwindow(" can
    // be typed as the call is begun; the "(" before it still ends the word on the left.
    if (const size_t lastParen = word.rfind(u'('); lastParen != word.npos) {
        if (lastParen + 1 == word.size()) {
            const size_t previousParen =
                lastParen == 0 ? word.npos : word.rfind(u'(', lastParen - 1);
            if (previousParen != word.npos)
                word.remove_prefix(previousParen + 1);
        } else {
            word.remove_prefix(lastParen + 1);
        }
    }

    if (const size_t bar = word.rfind(u'|'); bar != word.npos)
        word.remove_prefix(bar + 1);

    CaretWord result;
    result.caretWord = std::u16string(word);
    result.wordIndent = static_cast<int>(line.size() - word.size());
    return result;
}

} // namespace idelink

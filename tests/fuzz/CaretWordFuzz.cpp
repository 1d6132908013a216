// The word before the caret, from arbitrary bytes of the caret's line, in a UTF-8, a single-byte
// and a double-byte document (the input's length picks which, so that every input of the corpus
// keeps its meaning and mutations reach all three).
#include "base/CodePageText.h"
#include "base/LetterCase.h"
#include "base/TextConvert.h"
#include "idelink/CaretWord.h"

#include "FuzzSupport.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view line(reinterpret_cast<const char*>(data), size);
    constexpr int kCodePages[] = {text::kUtf8CodePage, 1252, 932};
    const int codePage = kCodePages[size % 3];
    const idelink::CaretWord word = idelink::findCaretWord({std::string(line), 0, codePage});
    const std::u16string units = text::codePageToUtf16(codePage, line);

    fuzz::require(word.wordIndent >= 0 &&
                      size_t(word.wordIndent) + word.caretWord.size() == units.size(),
                  "the word and what stands before it make the line");
    fuzz::require(word.wordBytes >= 0 && size_t(word.wordBytes) <= size,
                  "the word's bytes lie within the line");
    // The bytes the editor would replace are the word, in its lower case.
    const std::string_view wordBytes = line.substr(size - size_t(word.wordBytes));
    fuzz::require(text::lowerCaseText(text::codePageToUtf16(codePage, wordBytes)) ==
                      word.caretWord,
                  "the replaced bytes are the word");
    size_t at = 0;
    while (at < size - size_t(word.wordBytes))
        at += text::characterLength(codePage, line, at);
    fuzz::require(at == size - size_t(word.wordBytes) || codePage == text::kUtf8CodePage,
                  "the word starts where a character does");
    fuzz::require(word.caretWord.find_first_of(u" \t") == std::u16string::npos,
                  "no space or tab in the word");
    fuzz::require(word.indentation.size() == size_t(word.wordIndent) &&
                      word.indentation.find_first_not_of(u" \t") == std::u16string::npos,
                  "the indentation is as wide as the text before the word, in blanks");
    fuzz::require(word.caretWord.find(u'|') == std::u16string::npos, "no bar in the word");
    const size_t paren = word.caretWord.find(u'(');
    fuzz::require(paren == std::u16string::npos || paren + 1 == word.caretWord.size(),
                  "a parenthesis only at the word's end");
    fuzz::require(idelink::findCaretWord(std::u16string_view(units)).caretWord == word.caretWord,
                  "bytes and text give the same word");
    return 0;
}

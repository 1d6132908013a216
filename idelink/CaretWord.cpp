#include "idelink/CaretWord.h"

#include "base/LetterCase.h"
#include "base/TextConvert.h"

namespace idelink {

namespace {

// Where the word ends on the left. The four boundaries are ASCII, which UTF-8 never uses
// inside a longer sequence (nor a single-byte code page for anything else) and which decoding
// and lower-casing leave in place, so the same steps find the same word in the line's bytes
// and in its UTF-16 text.
template <typename Char> size_t wordStart(std::basic_string_view<Char> line) {
    size_t start = 0;
    // A tab ends the word as a space does: most code in Scintilla editors is indented with tabs.
    const Char blanks[] = {Char(' '), Char('\t')};
    if (const size_t blank = line.find_last_of(blanks, line.npos, 2); blank != line.npos)
        start = blank + 1;
    std::basic_string_view<Char> word = line.substr(start);

    // A "(" right at the caret belongs to the word, so that names such as "openwindow(" can
    // be typed as the call is begun; the "(" before it still ends the word on the left.
    if (const size_t lastParen = word.rfind(Char('(')); lastParen != word.npos) {
        if (lastParen + 1 == word.size()) {
            const size_t previousParen =
                lastParen == 0 ? word.npos : word.rfind(Char('('), lastParen - 1);
            if (previousParen != word.npos)
                start += previousParen + 1;
        } else {
            start += lastParen + 1;
        }
    }
    word = line.substr(start);

    if (const size_t bar = word.rfind(Char('|')); bar != word.npos)
        start += bar + 1;
    return start;
}

} // namespace

std::u16string indentationOf(std::u16string_view lineBeforePlace) {
    std::u16string indentation(lineBeforePlace.size(), u' ');
    for (size_t i = 0; i < lineBeforePlace.size(); ++i)
        if (lineBeforePlace[i] == u'\t')
            indentation[i] = u'\t';
    return indentation;
}

CaretWord findCaretWord(std::u16string_view lineBeforeCaret) {
    const std::u16string line = text::lowerCaseText(lineBeforeCaret);
    const size_t start = wordStart(std::u16string_view(line));
    CaretWord result;
    result.caretWord = line.substr(start);
    result.wordIndent = static_cast<int>(start);
    result.indentation = indentationOf(std::u16string_view(line).substr(0, start));
    // Lower-casing keeps the number of units but not of bytes: the editor holds the word
    // as typed.
    result.wordBytes = static_cast<std::int64_t>(text::utf8Length(lineBeforeCaret.substr(start)));
    return result;
}

// The word is found in the bytes themselves, so that its byte count is what the editor holds. In
// a double-byte document the second byte of a character may be the byte of "|" or "(" (the "|"
// of Shift-JIS "ポ"): those bytes are masked first, so that only a character ends the word.
CaretWord findCaretWord(const LineAtCaret& line) {
    std::string masked;
    std::string_view bytes = line.bytes;
    if (text::isDoubleByteCodePage(line.codePage)) {
        masked = line.bytes;
        for (size_t at = 0; at < masked.size();) {
            const size_t length = text::characterLength(line.codePage, masked, at);
            if (length == 2)
                masked[at + 1] = 'x';
            at += length;
        }
        bytes = masked;
    }
    const size_t start = wordStart(bytes);
    const std::u16string before =
        text::codePageToUtf16(line.codePage, std::string_view(line.bytes).substr(0, start));
    CaretWord result;
    result.caretWord = text::lowerCaseText(
        text::codePageToUtf16(line.codePage, std::string_view(line.bytes).substr(start)));
    result.wordIndent = static_cast<int>(before.size());
    result.indentation = indentationOf(before);
    result.wordBytes = static_cast<std::int64_t>(line.bytes.size() - start);
    result.line = line;
    return result;
}

// A window at the caret opens just after the call's "(" then, and its preview starts there.
bool endsWithParen(std::u16string_view caretWord) {
    return !caretWord.empty() && caretWord.back() == u'(';
}

} // namespace idelink

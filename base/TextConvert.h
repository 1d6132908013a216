#pragma once
// The text conversions of the whole program. Bytes that cross a boundary are UTF-8: the
// preference files (or Latin-1 without a byte-order mark) and the text sent to the IDE's
// editor. Between the modules, names, templates, control texts and messages travel as UTF-16
// in std::u16string, the units of a Windows wide string on every platform, since characters
// are counted, lower-cased and sorted in those units; toWide and fromWide hand them to Win32
// and back unchanged.
#include <string>
#include <string_view>

namespace text {

std::u16string utf8ToUtf16(std::string_view utf8);
std::string utf16ToUtf8(std::u16string_view utf16);

// Whether every byte belongs to a well-formed UTF-8 sequence. Text that is not reads with
// U+FFFD in place of each bad byte; canonicalUtf8 gives it in that form.
bool isWellFormedUtf8(std::string_view bytes);
std::string canonicalUtf8(std::string_view bytes);

// Every byte is one character U+0000..U+00FF (files without a byte-order mark).
std::string latin1ToUtf8(std::string_view bytes);

// The code point that starts at text[at] and its units: a surrogate pair, or one unit (a lone
// surrogate too, as itself).
size_t codePointUnits(std::u16string_view text, size_t at);
char32_t codePointAt(std::u16string_view text, size_t at);
// A code point's UTF-16 units.
std::u16string codePointText(char32_t codePoint);

// Number of bytes the UTF-8 form of a UTF-16 text takes, without building it.
size_t utf8Length(std::u16string_view utf16);

// Copies UTF-16 units into a wide string and back (Windows: wchar_t is one UTF-16 unit).
inline std::wstring toWide(std::u16string_view s) {
    return std::wstring(s.begin(), s.end());
}
inline std::u16string fromWide(std::wstring_view s) {
    std::u16string out;
    out.reserve(s.size());
    for (wchar_t c : s)
        out.push_back(static_cast<char16_t>(c));
    return out;
}

// Every occurrence of pattern (not empty) replaced, left to right, without overlaps.
std::u16string replaceAll(std::u16string_view text, std::u16string_view pattern,
                          std::u16string_view replacement);

// Without leading and trailing spaces; other blanks such as tabs stay.
std::u16string_view trimSpaces(std::u16string_view text);

} // namespace text

#pragma once
// Text in a document's own code page, as a Scintilla editor keeps it: UTF-8 (65001), a
// single-byte Windows code page (1252, 1251, ...) or a double-byte one (932, 936, 949, 950,
// 1361). Decoding and encoding are the system's (Windows' conversions, iconv elsewhere); what
// makes a character one or two bytes long is the editor's own rule, written here once.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace text {

inline constexpr int kUtf8CodePage = 65001;

// True for the double-byte code pages whose lead bytes the editor knows.
bool isDoubleByteCodePage(int codePage);

// Whether the byte opens a two-byte character in the code page (never in any other).
bool isLeadByte(int codePage, unsigned char byte);

// The bytes of the character that starts at bytes[at]: two for a lead byte that has a byte after
// it in a double-byte code page, the sequence's length in UTF-8, else one.
size_t characterLength(int codePage, std::string_view bytes, size_t at);

// The text the bytes hold. A byte or a pair of bytes that is no character of the code page reads
// as U+FFFD; a code page the system does not have reads every byte as U+FFFD but ASCII.
std::u16string codePageToUtf16(int codePage, std::string_view bytes);

// The text in the code page, every character as exactly itself: no look-alike, no "?". When a
// character has no bytes of its own there, nothing is written and the first such character is
// given instead.
struct CodePageBytes {
    std::string bytes;
    std::optional<char32_t> cannotHold; // the first character the code page cannot hold
};
CodePageBytes utf16ToCodePage(int codePage, std::u16string_view text);

// Whether the bytes read as text and back give the same bytes: no byte of them is lost.
bool decodesExactly(int codePage, std::string_view bytes);

// The system's conversions behind the ones above, for one single- or double-byte code page;
// each false, with nothing promised in out, when any part of the input has no exact counterpart.
bool systemDecode(int codePage, std::string_view bytes, std::u16string& out);
bool systemEncode(int codePage, std::u16string_view text, std::string& out);

} // namespace text

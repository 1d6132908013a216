#include "base/CodePageText.h"

#include "base/TextConvert.h"

namespace text {

namespace {

constexpr char16_t kReplacement = 0xFFFD;

size_t utf8SequenceLength(std::string_view bytes, size_t at) {
    const auto lead = static_cast<unsigned char>(bytes[at]);
    const size_t length = lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    for (size_t k = 1; k < length; ++k)
        if (at + k >= bytes.size() || (static_cast<unsigned char>(bytes[at + k]) & 0xC0) != 0x80)
            return 1;
    return length;
}

} // namespace

bool isDoubleByteCodePage(int codePage) {
    switch (codePage) {
    case 932:
    case 936:
    case 949:
    case 950:
    case 1361:
        return true;
    default:
        return false;
    }
}

// The lead-byte ranges the editor itself uses to step through a double-byte document: Shift-JIS,
// GBK, Unified Hangul, Big5 and Johab.
bool isLeadByte(int codePage, unsigned char byte) {
    switch (codePage) {
    case 932:
        return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
    case 936:
    case 949:
    case 950:
        return byte >= 0x81 && byte <= 0xFE;
    case 1361:
        return (byte >= 0x84 && byte <= 0xD3) || (byte >= 0xD8 && byte <= 0xDE) ||
               (byte >= 0xE0 && byte <= 0xF9);
    default:
        return false;
    }
}

size_t characterLength(int codePage, std::string_view bytes, size_t at) {
    if (codePage == kUtf8CodePage)
        return utf8SequenceLength(bytes, at);
    return isLeadByte(codePage, static_cast<unsigned char>(bytes[at])) && at + 1 < bytes.size() ? 2
                                                                                                : 1;
}

std::u16string codePageToUtf16(int codePage, std::string_view bytes) {
    if (codePage == kUtf8CodePage)
        return utf8ToUtf16(bytes);
    std::u16string out;
    if (systemDecode(codePage, bytes, out))
        return out;
    // Character by character, so that one bad byte costs only its own character.
    out.clear();
    std::u16string one;
    for (size_t at = 0; at < bytes.size();) {
        const size_t length = characterLength(codePage, bytes, at);
        const std::string_view character = bytes.substr(at, length);
        // ASCII is itself in these code pages, but for Johab, whose 0x5C some tables read as
        // the won sign.
        if (length == 1 && static_cast<unsigned char>(character[0]) < 0x80 && codePage != 1361)
            out.push_back(char16_t(character[0]));
        else if (systemDecode(codePage, character, one))
            out += one;
        else
            out.push_back(kReplacement);
        at += length;
    }
    return out;
}

CodePageBytes utf16ToCodePage(int codePage, std::u16string_view text) {
    CodePageBytes result;
    if (codePage == kUtf8CodePage) {
        result.bytes = utf16ToUtf8(text);
        return result;
    }
    if (systemEncode(codePage, text, result.bytes))
        return result;
    result.bytes.clear();
    std::string ignored;
    for (size_t at = 0; at < text.size(); at += codePointUnits(text, at)) {
        if (!systemEncode(codePage, text.substr(at, codePointUnits(text, at)), ignored)) {
            result.cannotHold = codePointAt(text, at);
            return result;
        }
    }
    // Every character alone goes in, all of them together did not: a pair the system joins
    // differently. Nothing is guessed.
    result.cannotHold = text.empty() ? kReplacement : codePointAt(text, 0);
    return result;
}

bool decodesExactly(int codePage, std::string_view bytes) {
    const CodePageBytes back = utf16ToCodePage(codePage, codePageToUtf16(codePage, bytes));
    return !back.cannotHold && back.bytes == bytes;
}

} // namespace text

#include "base/TextConvert.h"

namespace text {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Decodes one code point at bytes[i], advancing i; malformed input gives U+FFFD and moves
// on by one byte, as Windows' MultiByteToWideChar does without MB_ERR_INVALID_CHARS.
char32_t decodeOne(std::string_view bytes, size_t& i) {
    const auto b0 = static_cast<unsigned char>(bytes[i]);
    if (b0 < 0x80) {
        ++i;
        return b0;
    }
    int extra = 0;
    char32_t cp = 0;
    char32_t minimum = 0;
    if ((b0 & 0xE0) == 0xC0) {
        extra = 1, cp = b0 & 0x1F, minimum = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        extra = 2, cp = b0 & 0x0F, minimum = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        extra = 3, cp = b0 & 0x07, minimum = 0x10000;
    } else {
        ++i;
        return kReplacement;
    }
    if (i + extra >= bytes.size()) {
        ++i;
        return kReplacement;
    }
    for (int k = 1; k <= extra; ++k) {
        const auto b = static_cast<unsigned char>(bytes[i + k]);
        if ((b & 0xC0) != 0x80) {
            ++i;
            return kReplacement;
        }
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++i;
        return kReplacement;
    }
    i += extra + 1;
    return cp;
}

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

} // namespace

std::u16string utf8ToUtf16(std::string_view utf8) {
    // Never more UTF-16 units than UTF-8 bytes, so one allocation serves, and ASCII (nearly
    // all of a preference file) is copied without decoding.
    std::u16string out(utf8.size(), u'\0');
    size_t length = 0;
    size_t i = 0;
    while (i < utf8.size()) {
        const auto byte = static_cast<unsigned char>(utf8[i]);
        if (byte < 0x80) {
            out[length++] = byte;
            ++i;
            continue;
        }
        const char32_t cp = decodeOne(utf8, i);
        if (cp >= 0x10000) {
            out[length++] = static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
            out[length++] = static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            out[length++] = static_cast<char16_t>(cp);
        }
    }
    out.resize(length);
    // Text of two- and three-byte characters needs a half or a third of the units reserved;
    // a whole library of it would otherwise keep the rest for as long as it is loaded.
    if (length < out.capacity() - out.capacity() / 4)
        out.shrink_to_fit();
    return out;
}

std::string utf16ToUtf8(std::u16string_view utf16) {
    std::string out;
    out.reserve(utf16.size());
    for (size_t i = 0; i < utf16.size(); ++i) {
        char32_t cp = utf16[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 &&
            utf16[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (utf16[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = kReplacement; // a lone surrogate has no UTF-8 form
        }
        appendUtf8(out, cp);
    }
    return out;
}

bool isWellFormedUtf8(std::string_view bytes) {
    for (size_t i = 0; i < bytes.size();) {
        if (static_cast<unsigned char>(bytes[i]) < 0x80) {
            ++i;
            continue;
        }
        // A malformed sequence decodes as U+FFFD one byte long; a real U+FFFD takes three.
        const size_t start = i;
        decodeOne(bytes, i);
        if (i - start == 1)
            return false;
    }
    return true;
}

std::string canonicalUtf8(std::string_view bytes) {
    return utf16ToUtf8(utf8ToUtf16(bytes));
}

std::string latin1ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 8);
    for (char c : bytes)
        appendUtf8(out, static_cast<unsigned char>(c));
    return out;
}

size_t utf8Length(std::u16string_view utf16) {
    size_t length = 0;
    for (size_t i = 0; i < utf16.size(); ++i) {
        const char16_t c = utf16[i];
        if (c < 0x80)
            length += 1;
        else if (c < 0x800)
            length += 2;
        else if (c >= 0xD800 && c <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 &&
                 utf16[i + 1] <= 0xDFFF) {
            length += 4;
            ++i;
        } else
            length += 3;
    }
    return length;
}

std::u16string replaceAll(std::u16string_view text, std::u16string_view pattern,
                          std::u16string_view replacement) {
    std::u16string out;
    out.reserve(text.size());
    size_t from = 0;
    for (size_t hit = text.find(pattern); hit != text.npos; hit = text.find(pattern, from)) {
        out.append(text.substr(from, hit - from));
        out.append(replacement);
        from = hit + pattern.size();
    }
    out.append(text.substr(from));
    return out;
}

std::u16string_view trimSpaces(std::u16string_view text) {
    const size_t first = text.find_first_not_of(u' ');
    if (first == text.npos)
        return {};
    return text.substr(first, text.find_last_not_of(u' ') - first + 1);
}

size_t codePointUnits(std::u16string_view text, size_t at) {
    return text[at] >= 0xD800 && text[at] <= 0xDBFF && at + 1 < text.size() &&
                   text[at + 1] >= 0xDC00 && text[at + 1] <= 0xDFFF
               ? 2
               : 1;
}

char32_t codePointAt(std::u16string_view text, size_t at) {
    if (codePointUnits(text, at) == 2)
        return 0x10000 + ((char32_t(text[at]) - 0xD800) << 10) + (char32_t(text[at + 1]) - 0xDC00);
    return text[at];
}

std::u16string codePointText(char32_t codePoint) {
    if (codePoint < 0x10000)
        return std::u16string(1, char16_t(codePoint));
    return {char16_t(0xD800 + ((codePoint - 0x10000) >> 10)),
            char16_t(0xDC00 + ((codePoint - 0x10000) & 0x3FF))};
}

} // namespace text

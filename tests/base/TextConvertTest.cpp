#include "base/TextConvert.h"

#include <gtest/gtest.h>

namespace {

TEST(TextConvert, Utf8DecodesLikeWindowsWithoutStrictFlag) {
    const std::pair<std::string, std::u16string> cases[] = {
        {"", u""},
        {"plain ASCII = 1", u"plain ASCII = 1"},
        {"\xC2\xA4", u"\u00A4"},
        {"\xE4\xB8\xAD", u"\u4E2D"},
        {"\xF0\x9F\x98\x80", u"\U0001F600"},
        {std::string("a\0b", 3), std::u16string(u"a\0b", 3)},
        {"\xA4", u"\uFFFD"},           // a lone continuation byte
        {"\xC2", u"\uFFFD"},           // cut off at the end
        {"\xE4\xB8", u"\uFFFD\uFFFD"}, // cut off at the end
        {"\xC2"
         "A",
         u"\uFFFDA"},                                      // cut off by an ASCII byte
        {"\xC0\x80", u"\uFFFD\uFFFD"},                     // overlong
        {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},           // an encoded surrogate
        {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"}, // beyond U+10FFFF
        {"\xFF\xFE", u"\uFFFD\uFFFD"},
    };
    for (const auto& [utf8, utf16] : cases) {
        SCOPED_TRACE(utf8);
        EXPECT_EQ(text::utf8ToUtf16(utf8), utf16);
    }
}

TEST(TextConvert, Utf16EncodesAndLengthAgrees) {
    const std::pair<std::u16string, std::string> cases[] = {
        {u"", ""},
        {u"abc", "abc"},
        {u"\u00A4", "\xC2\xA4"},
        {u"\u4E2D", "\xE4\xB8\xAD"},
        {u"\U0001F600", "\xF0\x9F\x98\x80"},
        {std::u16string(1, char16_t(0xD800)), "\xEF\xBF\xBD"}, // unpaired surrogates
        {std::u16string(1, char16_t(0xDC00)) + u"x", "\xEF\xBF\xBDx"},
    };
    for (const auto& [utf16, utf8] : cases) {
        SCOPED_TRACE(utf8);
        EXPECT_EQ(text::utf16ToUtf8(utf16), utf8);
        EXPECT_EQ(text::utf8Length(utf16), utf8.size());
    }
}

TEST(TextConvert, Latin1BytesAreTheFirst256CodePoints) {
    EXPECT_EQ(text::latin1ToUtf8("a\xA4\xFF"), "a\xC2\xA4\xC3\xBF");
    EXPECT_EQ(text::utf8ToUtf16(text::latin1ToUtf8("\x80\xE9")), u"\u0080\u00E9");
}

} // namespace

#include "base/CodePageText.h"

#include "base/TextConvert.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

std::u16string u16(std::string_view utf8) {
    return text::utf8ToUtf16(utf8);
}

// A document's bytes and the text they hold, both ways, in the code pages a Scintilla editor
// keeps documents in. The encoder never guesses: a character without bytes of its own in the
// code page is named, and no bytes are given.
TEST(CodePageTextTable, DecodesAndEncodesEveryCharacterExactlyOrNamesTheOneThatCannotGoIn) {
    struct Case {
        const char* name;
        int codePage;
        std::string bytes;             // the document's bytes
        const char* text;              // UTF-8 of the text they hold
        std::optional<char32_t> fails; // encoding the text: the character that cannot go in
    };
    const Case cases[] = {
        {"utf8", text::kUtf8CodePage,
         "Gr\xC3\xBC\xC3\x9F"
         "e \xCE\xA9",
         "Grüße Ω", std::nullopt},
        {"latin letters in 1252", 1252,
         "Gr\xFC\xDF"
         "e",
         "Grüße", std::nullopt},
        {"euro sign in 1252", 1252, "\x80", "€", std::nullopt},
        {"omega has no byte in 1252", 1252, "", "aΩb", U'\u03A9'},
        // Windows would put "a" for "α" and "?" for what it lacks: neither may go in.
        {"no look-alike in 1252", 1252, "", "x\xCE\xB1", U'\u03B1'},
        {"a character beyond the BMP", 1252, "", "a\xF0\x9F\x98\x80", U'\U0001F600'},
        {"cyrillic in 1251", 1251, "\xCF\xF0\xE8", "При", std::nullopt},
        {"katakana in 932", 932,
         "\x83\x7C"
         "if",
         "ポif", std::nullopt},
        {"kanji and ASCII in 932", 932, "\x8A\xBF\x8E\x9A=1", "漢字=1", std::nullopt},
        {"umlaut has no bytes in 932", 932, "", "\xC3\xBC", U'\u00FC'},
        {"hangul in 949", 949, "\xC7\xD1", "한", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const text::CodePageBytes encoded = text::utf16ToCodePage(c.codePage, u16(c.text));
        EXPECT_EQ(encoded.cannotHold, c.fails);
        EXPECT_EQ(encoded.bytes, c.bytes);
        if (!c.fails) {
            EXPECT_EQ(text::codePageToUtf16(c.codePage, c.bytes), u16(c.text));
            EXPECT_TRUE(text::decodesExactly(c.codePage, c.bytes));
        }
    }
}

// Bytes that are no character read as U+FFFD one character at a time, by the editor's own
// lead-byte rule, and do not come back as themselves: wrapping them would change them.
TEST(CodePageTextTable, BytesThatAreNoCharacterReadAsReplacementsAndDoNotComeBack) {
    struct Case {
        const char* name;
        int codePage;
        std::string bytes;
        const char* text;
    };
    const Case cases[] = {
        {"bad UTF-8", text::kUtf8CodePage, "a\xC3(", "a\xEF\xBF\xBD("},
        {"lead byte at the end in 932", 932, "ab\x83", "ab\xEF\xBF\xBD"},
        {"lead byte before a byte no pair has in 932", 932,
         "\x81\x7F"
         "a",
         "\xEF\xBF\xBD"
         "a"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(text::codePageToUtf16(c.codePage, c.bytes), u16(c.text));
        EXPECT_FALSE(text::decodesExactly(c.codePage, c.bytes));
    }
}

} // namespace

#include "idelink/CaretWord.h"

#include "base/TextConvert.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>

namespace {

struct CaretWordCase {
    const char* lineBeforeCaret; // UTF-8
    const char* caretWord;       // UTF-8
    int wordIndent;
    const char* indentation = nullptr; // UTF-8; unset: as many spaces as wordIndent
};

void PrintTo(const CaretWordCase& c, std::ostream* out) {
    *out << '"' << c.lineBeforeCaret << '"';
}

class CaretWordTable : public testing::TestWithParam<CaretWordCase> {};

TEST_P(CaretWordTable, CutsTheLowercasedWordAndCountsTheUnitsBeforeIt) {
    const CaretWordCase& c = GetParam();
    const idelink::CaretWord found = idelink::findCaretWord(text::utf8ToUtf16(c.lineBeforeCaret));
    EXPECT_EQ(text::utf16ToUtf8(found.caretWord), c.caretWord) << "line: " << c.lineBeforeCaret;
    EXPECT_EQ(found.wordIndent, c.wordIndent) << "line: " << c.lineBeforeCaret;
    EXPECT_EQ(text::utf16ToUtf8(found.indentation),
              c.indentation ? c.indentation : std::string(size_t(c.wordIndent), ' '))
        << "line: " << c.lineBeforeCaret;
}

INSTANTIATE_TEST_SUITE_P(Examples, CaretWordTable,
                         testing::Values(CaretWordCase{"    For", "for", 4},
                                         CaretWordCase{"x = OpenWindow(", "openwindow(", 4},
                                         CaretWordCase{"a(OpenWindow(", "openwindow(", 2},
                                         CaretWordCase{"Foo(bar", "bar", 4},
                                         CaretWordCase{"a|if", "if", 2},
                                         CaretWordCase{"x = Foo(a, b)", "b)", 11},
                                         CaretWordCase{"If x : for", "for", 7},
                                         CaretWordCase{"\tfor", "for", 1, "\t"},
                                         CaretWordCase{"for ", "", 4}, CaretWordCase{"", "", 0}));

INSTANTIATE_TEST_SUITE_P(
    Boundaries, CaretWordTable,
    testing::Values(
        // Two "(" at the caret: nothing between them, then the final "(".
        CaretWordCase{"((", "(", 1}, CaretWordCase{"  x(((", "(", 5},
        CaretWordCase{"Foo(", "foo(", 0}, CaretWordCase{"call Foo(", "foo(", 5},
        // "|" is looked at after the parentheses, also inside a word ending in "(".
        CaretWordCase{"a|b(", "b(", 2}, CaretWordCase{"Foo(bar|", "", 8},
        // Only space, tab, "(" and "|" end a word; the tabs before it stay in its indentation.
        CaretWordCase{"x=For", "x=for", 0}, CaretWordCase{"a.b:c,For", "a.b:c,for", 0},
        CaretWordCase{"x\tFor", "for", 2, " \t"}, CaretWordCase{"\t\tx = If", "if", 6, "\t\t    "},
        CaretWordCase{"a\tb = (\tfor", "for", 8, " \t     \t"}, CaretWordCase{"   ", "", 3},
        CaretWordCase{"For", "for", 0}, CaretWordCase{"FOR", "for", 0},
        CaretWordCase{"for", "for", 0}));

INSTANTIATE_TEST_SUITE_P(
    BeyondAscii, CaretWordTable,
    testing::Values(
        // Letters outside ASCII are lowercased too, one unit for one unit.
        CaretWordCase{"x = ÄRGER", "ärger", 4}, CaretWordCase{"ÉTÉ", "été", 0},
        CaretWordCase{"ΣΑΣ", "σασ", 0}, CaretWordCase{"Ä(ДОМ", "дом", 2},
        // A character beyond the BMP takes two UTF-16 units, in the word and before it.
        CaretWordCase{"a \xF0\x9F\x98\x80"
                      "ab",
                      "\xF0\x9F\x98\x80"
                      "ab",
                      2},
        CaretWordCase{"\xF0\x9F\x98\x80 For", "for", 3}, CaretWordCase{"ü = für", "für", 4}));

struct WordBytesCase {
    const char* name;
    std::string lineBytes;                // as the editor holds them
    std::optional<std::string> caretWord; // UTF-8; nullopt where the systems' mappings differ
    int64_t wordBytes;
    int codePage = text::kUtf8CodePage; // the document's
    int wordIndent = -1;                // -1: not checked
};

// What the editor holds, in the document's code page, decides how many bytes are replaced:
// lower-casing changes the byte count of some letters, undecodable bytes become U+FFFD (three
// bytes), a zero byte is part of the line like any other, and in a double-byte document only a
// whole character ends the word.
TEST(CaretWord, CountsTheWordsBytesAsTheEditorHoldsThem) {
    const WordBytesCase cases[] = {
        {"U+023A grows from two bytes to three", "  \xC8\xBAx", "\xE2\xB1\xA5x", 3},
        {"U+2C6F shrinks from three bytes to two", "a(\xE2\xB1\xAF", "\xC9\x90", 3},
        // Unicode lowers these to ASCII; Wine's mapping leaves them: the bytes count either way.
        {"U+0130",
         "\xC4\xB0"
         "f",
         std::nullopt, 3},
        {"the Kelvin sign", "x \xE2\x84\xAA", std::nullopt, 3},
        {"a byte that is no UTF-8", "a \xE9t", "\xEF\xBF\xBDt", 2},
        {"a zero byte stays in the word", std::string("if\0xx", 5), std::string("if\0xx", 5), 5},
        {"a zero byte before a space is no part of it", std::string("a\0 for", 6), "for", 3},
        {"nothing before the caret", "", "", 0},
        {"letters of 1252", "  Gr\xDC\xDF", "gr\xC3\xBC\xC3\x9F", 4, 1252, 2},
        {"after a parenthesis in 1252",
         "\xE9(\xC4"
         "B",
         "\xC3\xA4"
         "b",
         2, 1252, 2},
        // The second byte of "ポ" is the byte of "|": no boundary inside a character.
        {"katakana whose second byte is a bar",
         "\x83\x7C"
         "if",
         "\xE3\x83\x9D"
         "if",
         4, 932, 0},
        {"katakana then a space", "\x83\x7C if", "if", 2, 932, 2},
        {"kanji after a bar", "a|\x8A\xBF", "\xE6\xBC\xA2", 2, 932, 2},
    };
    for (const WordBytesCase& c : cases) {
        SCOPED_TRACE(c.name);
        const idelink::CaretWord found = idelink::findCaretWord({c.lineBytes, 7, c.codePage});
        if (c.caretWord) {
            EXPECT_EQ(text::utf16ToUtf8(found.caretWord), *c.caretWord);
        }
        EXPECT_EQ(found.wordBytes, c.wordBytes);
        if (c.wordIndent >= 0) {
            EXPECT_EQ(found.wordIndent, c.wordIndent);
        }
        // The text of valid UTF-8 gives the same answer as its bytes.
        if (c.codePage == text::kUtf8CodePage && c.lineBytes.find('\xE9') == std::string::npos) {
            EXPECT_EQ(idelink::findCaretWord(text::utf8ToUtf16(c.lineBytes)).wordBytes,
                      c.wordBytes);
        }
    }
}

} // namespace

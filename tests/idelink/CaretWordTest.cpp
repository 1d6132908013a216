#include "idelink/CaretWord.h"

#include "store/TextConvert.h"

#include <gtest/gtest.h>

namespace {

struct CaretWordCase {
    const char* lineBeforeCaret; // UTF-8
    const char* caretWord;       // UTF-8
    int wordIndent;
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
}

INSTANTIATE_TEST_SUITE_P(Examples, CaretWordTable,
                         testing::Values(CaretWordCase{"    For", "for", 4},
                                         CaretWordCase{"x = OpenWindow(", "openwindow(", 4},
                                         CaretWordCase{"a(OpenWindow(", "openwindow(", 2},
                                         CaretWordCase{"Foo(bar", "bar", 4},
                                         CaretWordCase{"a|if", "if", 2},
                                         CaretWordCase{"x = Foo(a, b)", "b)", 11},
                                         CaretWordCase{"If x : for", "for", 7},
                                         CaretWordCase{"\tfor", "\tfor", 0},
                                         CaretWordCase{"for ", "", 4}, CaretWordCase{"", "", 0}));

INSTANTIATE_TEST_SUITE_P(
    Boundaries, CaretWordTable,
    testing::Values(
        // Two "(" at the caret: nothing between them, then the final "(".
        CaretWordCase{"((", "(", 1}, CaretWordCase{"  x(((", "(", 5},
        CaretWordCase{"Foo(", "foo(", 0}, CaretWordCase{"call Foo(", "foo(", 5},
        // "|" is looked at after the parentheses, also inside a word ending in "(".
        CaretWordCase{"a|b(", "b(", 2}, CaretWordCase{"Foo(bar|", "", 8},
        // Only space, "(" and "|" end a word.
        CaretWordCase{"x=For", "x=for", 0}, CaretWordCase{"a.b:c,For", "a.b:c,for", 0},
        CaretWordCase{"x\tFor", "x\tfor", 0}, CaretWordCase{"   ", "", 3},
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

} // namespace

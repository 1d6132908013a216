// Typing in a list: which row each typed letter makes current.
#include "ui/TypedRowSearch.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

struct Key {
    char16_t character;
    std::uint32_t time; // milliseconds
};

TEST(TypedRowSearch, TypedLettersFindTheRow) {
    const std::vector<std::u16string> rows = {u"for", u"Foo", u"if", u"print", u"proc", u"loop"};
    const struct {
        const char* name;
        int current; // before the first key
        std::vector<Key> keys;
        int expected; // the current row after the last key
    } cases[] = {
        {"FirstLetterGoesOnPastTheLastRow", 5, {{u'p', 100}}, 3},
        {"MoreLettersKeepTheRowTheFirstFound", 5, {{u'p', 100}, {u'r', 200}}, 3},
        {"MoreLettersGoOnWhereTheRowNoLongerFits", 5, {{u'p', 100}, {u'r', 200}, {u'o', 300}}, 4},
        {"SameLetterAgainVisitsTheNextRowWithIt", -1, {{u'f', 100}, {u'f', 200}}, 1},
        {"SameLetterGoesRoundToTheFirstAgain", -1, {{u'f', 100}, {u'f', 200}, {u'f', 300}}, 0},
        {"LetterCaseDoesNotCount", 0, {{u'I', 100}}, 2},
        {"NoCurrentRowSearchesFromTheTop", -1, {{u'p', 100}}, 3},
        {"PauseStartsANewText", 5, {{u'p', 100}, {u'i', 1101}}, 2},
        {"LettersJustWithinThePause", 5, {{u'p', 100}, {u'r', 1100}, {u'o', 2100}}, 4},
        {"TickCountGoingRoundIsNoPause", 5, {{u'p', 0xFFFFFF00u}, {u'r', 0x10}, {u'o', 0x20}}, 4},
        {"NoRowBeginsSoTheRowStays", 2, {{u'x', 100}}, 2},
        {"UnknownLaterLetterKeepsTheRowFound", 5, {{u'p', 100}, {u'z', 200}}, 3},
        {"ControlCharacterSearchesNothing", 2, {{u'\b', 100}, {u'\r', 200}}, 2},
    };
    const auto rowText = [&rows](int row) { return rows[size_t(row)]; };
    for (const auto& c : cases) {
        ui::TypedRowSearch search;
        int current = c.current;
        for (const Key& key : c.keys) {
            const int row = ui::rowForTypedCharacter(search, key.character, key.time, current,
                                                     int(rows.size()), rowText);
            if (row >= 0)
                current = row;
        }
        EXPECT_EQ(current, c.expected) << c.name;
    }
}

TEST(TypedRowSearch, EmptyListFindsNothing) {
    ui::TypedRowSearch search;
    EXPECT_EQ(ui::rowForTypedCharacter(search, u'a', 100, -1, 0,
                                       [](int) { return std::u16string(u"a"); }),
              -1);
}

} // namespace

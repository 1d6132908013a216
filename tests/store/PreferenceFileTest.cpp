#include "store/PreferenceFile.h"

#include "base/TextConvert.h"
#include "store/StoreTestFiles.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <optional>
#include <vector>

namespace {

using store::LineKind;
using store::PreferenceFile;
using store::PreferenceLine;
using namespace storetest;

// "G:name", "C:text" or "K:name|value", so a table can spell out the line list.
std::vector<std::string> describe(const std::vector<PreferenceLine>& lines) {
    std::vector<std::string> out;
    for (const PreferenceLine& line : lines) {
        switch (line.kind) {
        case LineKind::Group:
            out.push_back("G:" + std::string(line.name));
            break;
        case LineKind::Comment:
            out.push_back("C:" + std::string(line.name));
            break;
        case LineKind::Key:
            out.push_back("K:" + std::string(line.name) + "|" + std::string(line.value));
            break;
        }
    }
    return out;
}

TEST(PreferenceFileReading, LinesFollowTheReadingRules) {
    struct Case {
        const char* title;
        std::string_view text;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"one space after ; is dropped", ";  two", {"C: two"}},
        {"comment without space", ";x", {"C:x"}},
        {"tab after ; stays", ";\tx", {"C:\tx"}},
        {"trailing blanks of a comment stay", "; x \t", {"C:x \t"}},
        {"blanks before ; are skipped", " \t; x", {"C:x"}},
        {"empty comment", ";", {"C:"}},
        {"group", "[Popup]", {"G:Popup"}},
        {"spaces inside brackets belong to the name", "[ Popup ]", {"G: Popup "}},
        {"text after ] is ignored", "[Popup] x = 1 ; c", {"G:Popup"}},
        {"group without ]", "[Popup x", {"G:Popup x"}},
        {"empty group name", "[]", {"G:"}},
        {"blanks before [ are skipped", "\t [G]", {"G:G"}},
        {"blanks around name and value", "  name \t=\t value \t", {"K:name|value \t"}},
        {"no = gives an empty value", "justname \t", {"K:justname|"}},
        {"only the first = counts", "a = b = c", {"K:a|b = c"}},
        {"; and [ inside a value", "a = ;[x]", {"K:a|;[x]"}},
        {"empty key name", "= value", {"K:|value"}},
        {"empty value", "a =", {"K:a|"}},
        {"blank lines vanish", "\r\n\r\na=1\r\n\r\n\r\nb=2\r\n\r\n", {"K:a|1", "K:b|2"}},
        {"a line of blanks is dropped", "a=1\r\n \t \r\nb=2\r\n   ", {"K:a|1", "K:b|2"}},
        {"LF, CR and CR LF all end lines",
         "a=1\nb=2\rc=3\r\nd=4",
         {"K:a|1", "K:b|2", "K:c|3", "K:d|4"}},
        {"the line after a key without = is its own line",
         "alone\nnext = 1\n",
         {"K:alone|", "K:next|1"}},
        {"LF CR counts as one run of line ends", "a\n\rb", {"K:a|", "K:b|"}},
        {"a NUL byte is an ordinary character",
         std::string_view("a = x\0y", 7),
         {std::string("K:a|x\0y", 7)}},
        {"empty text", "", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        std::vector<PreferenceLine> lines;
        store::parsePreferenceText(c.text, lines);
        EXPECT_EQ(describe(lines), c.lines);
    }
    // Line ends at every place within and across sixteen bytes, after bytes that differ from CR
    // or LF in the high bit alone.
    for (size_t length = 1; length <= 33; ++length) {
        for (const char* end : {"\n", "\r", "\r\n"}) {
            std::string name;
            for (size_t i = 0; i < length; ++i)
                name += "\x8A\x8Dk"[i % 3];
            const std::string text = name + end + "x" + end;
            std::vector<PreferenceLine> lines;
            store::parsePreferenceText(text, lines);
            EXPECT_EQ(describe(lines), (std::vector<std::string>{"K:" + name + "|", "K:x|"}))
                << length << " bytes";
        }
    }
}

TEST(PreferenceFileReading, BytesAreUtf8AfterAMarkAndLatin1Otherwise) {
    struct Case {
        const char* title;
        std::string raw;
        std::string text;
    };
    const Case cases[] = {
        {"mark dropped",
         "\xEF\xBB\xBF"
         "a=\xC2\xA4",
         "a=\xC2\xA4"},
        {"mark alone", "\xEF\xBB\xBF", ""},
        {"Latin-1 A4 is the currency sign", "a=\xA4", "a=\xC2\xA4"},
        {"two bytes of a mark are Latin-1", "\xEF\xBB", "\xC3\xAF\xC2\xBB"},
        {"mark not at the start is Latin-1", "a\xEF\xBB\xBF", "a\xC3\xAF\xC2\xBB\xC2\xBF"},
        {"ASCII unchanged", "a = b", "a = b"},
        {"bad UTF-8 after a mark is kept as it is", "\xEF\xBB\xBF\xFF\xFE", "\xFF\xFE"},
        {"empty", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        std::string converted;
        EXPECT_EQ(std::string(store::decodePreferenceBytes(c.raw, converted)), c.text);
    }
}

TEST(PreferenceFileReading, IntegersAreDecimalWithSaturation) {
    constexpr auto kMax = std::numeric_limits<std::int32_t>::max();
    constexpr auto kMin = std::numeric_limits<std::int32_t>::min();
    const std::pair<std::string_view, std::int32_t> cases[] = {
        {"245", 245},
        {"12abc", 12},
        {"abc", 0},
        {"$10", 0},
        {"%101", 0},
        {"-5", -5},
        {"+7", 7},
        {"  42", 42},
        {"\t-3x", -3},
        {"", 0},
        {"-", 0},
        {"- 5", 0},
        {"0012", 12},
        {"2147483647", kMax},
        {"2147483648", kMax},
        {"99999999999999999999", kMax},
        {"-2147483648", kMin},
        {"-2147483649", kMin},
        {"-99999999999999999999", kMin},
    };
    for (const auto& [text, value] : cases) {
        SCOPED_TRACE(std::string(text));
        EXPECT_EQ(store::parsePreferenceInteger(text), value);
    }
}

TEST(PreferenceFileReading, SerialisedLinesHaveTheirWrittenForms) {
    const std::string text = "; c \r\n[ G ]\r\nk = v \r\nnovalue\r\n;\r\n";
    std::vector<PreferenceLine> lines;
    store::parsePreferenceText(text, lines);
    EXPECT_EQ(store::serialisePreferenceLines(lines),
              kBom + "; c \r\n[ G ]\r\nk = v \r\nnovalue = \r\n; \r\n");
    EXPECT_EQ(store::serialisePreferenceLines({}), kBom);
}

TEST(PreferenceFileLookup, NamesIgnoreOnlyAsciiCase) {
    TempFolder folder;
    const auto path = folder / "lookup.pref";
    writeBytes(path, "\xEF\xBB\xBF"
                     "top = 1\r\n"
                     "[Popup]\r\n"
                     "Opacity = 200\r\n"
                     "; between\r\n"
                     "opacity = 100\r\n"
                     "[ Spaced ]\r\n"
                     "k = s\r\n"
                     "[Popup]\r\n"
                     "Later = x\r\n"
                     "[\u00DCber]\r\n"
                     "K\xC3\xA4y = u\r\n");
    struct Case {
        std::u16string_view group;
        std::u16string_view key;
        std::u16string_view expected;
    };
    const Case cases[] = {
        {u"", u"top", u"1"},
        {u"", u"Opacity", u"-"}, // the no-group part ends at the first group line
        {u"Popup", u"Opacity", u"200"},
        {u"POPUP", u"opacity", u"200"}, // the first of two names that differ in case
        {u"popup", u"Later", u"-"},     // a second group of the same name is never selected
        {u"Spaced", u"k", u"-"},
        {u" Spaced ", u"K", u"s"},
        {u"\u00DCber", u"K\u00E4Y", u"u"},
        {u"\u00FCber", u"K\u00E4y", u"-"}, // non-ASCII letters must match exactly
        {u"\u00DCber", u"K\u00C4y", u"-"},
        {u"Missing", u"top", u"-"},
    };
    PreferenceFile file;
    ASSERT_TRUE(file.open(u16(path)));
    for (const Case& c : cases) {
        SCOPED_TRACE(text::utf16ToUtf8(c.group) + "/" + text::utf16ToUtf8(c.key));
        file.selectGroup(c.group);
        EXPECT_EQ(file.readString(c.key, u"-"), c.expected);
    }
    EXPECT_FALSE(file.close());
}

// The key walk passes over comments, returns lines that lookups never reach and stops at the
// next group line.
TEST(PreferenceFileLookup, KeyWalkReturnsEveryKeyLineOfTheGroup) {
    TempFolder folder;
    const auto path = folder / "walk.pref";
    writeBytes(path, "lead = 0\n[G]\n; c\n a = 1 \nA = 2\n;\nnovalue\n[H]\nh = 3\n[G]\nlate = 4\n");
    PreferenceFile file;
    ASSERT_TRUE(file.open(u16(path)));
    const auto walk = [&file] {
        std::vector<std::u16string> keys;
        if (!file.examineKeys())
            return std::vector<std::u16string>{u"(no walk)"};
        while (file.nextKey())
            keys.push_back(file.keyName() + u"=" + file.keyValue());
        return keys;
    };
    ASSERT_TRUE(file.selectGroup(u"g"));
    EXPECT_EQ(walk(), (std::vector<std::u16string>{u"a=1", u"A=2", u"novalue="}));
    EXPECT_EQ(file.readString(u"A", u"-"), u"1");
    ASSERT_TRUE(file.selectGroup(u""));
    EXPECT_EQ(walk(), (std::vector<std::u16string>{u"lead=0"}));
    EXPECT_FALSE(file.selectGroup(u"Missing"));
    EXPECT_EQ(walk(), (std::vector<std::u16string>{u"(no walk)"}));
    EXPECT_FALSE(file.nextKey());
    EXPECT_EQ(file.readInteger(u"lead", -7), -7); // a pending group reads nothing
}

struct WriteCase {
    const char* title;
    std::string before;
    std::function<void(PreferenceFile&)> edit;
    std::optional<std::string> after; // none: the file keeps its bytes and close writes nothing
};

void runWriteCases(const std::vector<WriteCase>& cases) {
    TempFolder folder;
    for (const WriteCase& c : cases) {
        SCOPED_TRACE(c.title);
        const auto path = folder / "edit.pref";
        writeBytes(path, c.before);
        PreferenceFile file;
        ASSERT_TRUE(file.open(u16(path)));
        c.edit(file);
        EXPECT_EQ(file.close(), c.after.has_value());
        EXPECT_EQ(readBytes(path), c.after ? kBom + *c.after : c.before);
    }
}

TEST(PreferenceFileWriting, EachWriteLandsWhereTheRulesPutIt) {
    runWriteCases({
        {"new key after the group's last line, comment included",
         "[A]\na = 1\n; end of A\n[B]\nb = 2\n",
         [](PreferenceFile& f) { f.selectGroup(u"A"), f.writeString(u"new", u"v"); },
         "[A]\r\na = 1\r\n; end of A\r\nnew = v\r\n[B]\r\nb = 2\r\n"},
        {"existing key replaced in place, name as passed in", "[A]\nKey = old\nz = 1\n",
         [](PreferenceFile& f) { f.selectGroup(u"A"), f.writeString(u"kEY", u"new"); },
         "[A]\r\nkEY = new\r\nz = 1\r\n"},
        {"new key in the last group goes to the end of the file", "[A]\na = 1\n",
         [](PreferenceFile& f) { f.selectGroup(u"a"), f.writeString(u"b", u"2"); },
         "[A]\r\na = 1\r\nb = 2\r\n"},
        {"no-group key at the very beginning when a group line comes first", "[A]\na = 1\n",
         [](PreferenceFile& f) { f.selectGroup(u""), f.writeString(u"top", u"t"); },
         "top = t\r\n[A]\r\na = 1\r\n"},
        {"no-group key after the lines before the first group", "; c\nx = 1\n[A]\n",
         [](PreferenceFile& f) { f.writeString(u"top", u"t"); },
         "; c\r\nx = 1\r\ntop = t\r\n[A]\r\n"},
        {"a missing group is appended with its key", "[A]\na = 1\n",
         [](PreferenceFile& f) { f.selectGroup(u"New"), f.writeInteger(u"n", -12); },
         "[A]\r\na = 1\r\n[New]\r\nn = -12\r\n"},
        {"a comment goes right after the selected group line", "[A]\na = 1\n",
         [](PreferenceFile& f) { f.selectGroup(u"A"), f.addComment(u"first"); },
         "[A]\r\n; first\r\na = 1\r\n"},
        {"a comment with no current position goes to the very beginning", "[A]\na = 1\n",
         [](PreferenceFile& f) { f.addComment(u"top"), f.addComment(u""); },
         "; top\r\n; \r\n[A]\r\na = 1\r\n"},
        {"a comment follows the key just written", "[A]\na = 1\nb = 2\n",
         [](PreferenceFile& f) {
             f.selectGroup(u"A"), f.writeString(u"a", u"9"), f.addComment(u"c");
         },
         "[A]\r\na = 9\r\n; c\r\nb = 2\r\n"},
        {"removing the only key leaves the group line", "[A]\na = 1\n[B]\n",
         [](PreferenceFile& f) { f.selectGroup(u"A"), f.removeKey(u"A"); }, "[A]\r\n[B]\r\n"},
        {"removing takes the first of two names only", "[A]\nk = 1\nK = 2\n",
         [](PreferenceFile& f) { f.selectGroup(u"A"), f.removeKey(u"k"); }, "[A]\r\nK = 2\r\n"},
        {"writes go to the first of two groups of one name", "[A]\n[B]\n[A]\n",
         [](PreferenceFile& f) { f.selectGroup(u"A"), f.writeString(u"k", u"v"); },
         "[A]\r\nk = v\r\n[B]\r\n[A]\r\n"},
        {"integers in decimal", "",
         [](PreferenceFile& f) {
             f.writeInteger(u"min", std::numeric_limits<std::int32_t>::min());
             f.writeInteger(u"zero", 0);
         },
         "min = -2147483648\r\nzero = 0\r\n"},
        {"a line break inside a text cannot start a new line", "[A]\n",
         [](PreferenceFile& f) {
             f.selectGroup(u"A");
             f.writeString(u"k\r\n[B]", u"x\r\n[Popup]\nOpacity = 1\r");
             f.addComment(u"c\nd");
         },
         "[A]\r\nk  [B] = x  [Popup] Opacity = 1 \r\n; c d\r\n"},
        {"a removed current position puts a comment at the beginning", "[A]\na = 1\n",
         [](PreferenceFile& f) {
             f.selectGroup(u"A"), f.writeString(u"a", u"2"), f.removeKey(u"a"), f.addComment(u"c");
         },
         "; c\r\n[A]\r\n"},
        {"an empty file is written with the mark", "",
         [](PreferenceFile& f) {
             EXPECT_TRUE(f.examineKeys());
             EXPECT_FALSE(f.nextKey());
             f.writeString(u"k", u"v");
         },
         "k = v\r\n"},
        // No mark in the file: any rewrite would add one.
        {"removing from a missing group changes nothing", "[A]\na = 1\n",
         [](PreferenceFile& f) {
             EXPECT_FALSE(f.selectGroup(u"Missing"));
             EXPECT_FALSE(f.removeKey(u"a"));
             EXPECT_FALSE(f.removeKey(u"nothing"));
         },
         std::nullopt},
        {"a file only read is not touched", ";x\n\n[A]\na = \xA4 \n",
         [](PreferenceFile& f) {
             f.selectGroup(u"A");
             EXPECT_EQ(f.readString(u"a", u""), u"\u00A4");
         },
         std::nullopt},
        // A hand-written file keeps every line through a rewrite; only the forms are normalised.
        {"a hand-written file survives a rewrite",
         ";Zendrik by hand\n\n[Shortcuts]\r  cur\t=\t\xA4 money \t\nflag\n\r\n\r\n"
         "  ;  indented comment \n[Popup] old\nOpacity=200\n[Shortcuts]\ncur = second\n   \t",
         [](PreferenceFile& f) {
             f.selectGroup(u"popup");
             EXPECT_EQ(f.readInteger(u"opacity", 0), 200);
             f.writeInteger(u"Shadow", 0);
         },
         "; Zendrik by hand\r\n[Shortcuts]\r\ncur = \xC2\xA4 money \t\r\nflag = \r\n"
         ";  indented comment \r\n[Popup]\r\nOpacity = 200\r\nShadow = 0\r\n"
         "[Shortcuts]\r\ncur = second\r\n"},
    });
}

// Several megabytes go out in pieces, and lines longer than a piece as they stand: the bytes
// must be exactly those of the whole text written at once.
TEST(PreferenceFileWriting, LargeFileIsRewrittenByteForByte) {
    std::string keys;
    for (int i = 0; i < 40000; ++i)
        keys.append("k").append(std::to_string(i)).append(" = Procedure \u00A4EndProcedure\r\n");
    const std::string longValue(3 << 20, 'v');
    const std::string longComment(3 << 20, 'c');
    const std::string before = kBom + "[Shortcuts]\r\n" + keys + "long = " + longValue + "\r\n; " +
                               longComment + "\r\nk7 = old\r\n[Popup]\r\nOpacity = 1\r\n";
    TempFolder folder;
    const auto path = folder / "large.pref";
    writeBytes(path, before);
    PreferenceFile file;
    ASSERT_TRUE(file.open(u16(path)));
    file.selectGroup(u"Shortcuts");
    file.writeString(u"k20000", u"changed");
    file.writeString(u"new", u"added");
    EXPECT_TRUE(file.close());

    std::string expected = before;
    const std::string old = "\r\nk20000 = Procedure \u00A4EndProcedure\r\n";
    expected.replace(expected.find(old), old.size(), "\r\nk20000 = changed\r\n");
    expected.insert(expected.find("[Popup]"), "new = added\r\n");
    EXPECT_TRUE(readBytes(path) == expected); // not EXPECT_EQ: megabytes in a failure message
}

// Far beyond any preference file: not read, and so never written over with what little was.
TEST(PreferenceFileLifecycle, OversizedFileIsLeftAlone) {
    TempFolder folder;
    const auto path = folder / "huge.pref";
    writeBytes(path, "k = v\n");
    const std::uintmax_t size = (std::uintmax_t(1) << 30) + 1;
    storetest::fs::resize_file(path, size);
    PreferenceFile file;
    ASSERT_TRUE(file.open(u16(path)));
    EXPECT_TRUE(file.isReadOnly());
    EXPECT_EQ(file.readString(u"k", u"-"), u"-");
    file.writeString(u"k", u"changed");
    EXPECT_FALSE(file.close());
    EXPECT_EQ(storetest::fs::file_size(path), size);
    std::ifstream in(path, std::ios::binary);
    char start[6] = {};
    in.read(start, 6);
    EXPECT_EQ(std::string(start, 6), "k = v\n");
}

TEST(PreferenceFileLifecycle, CreatedFileIsAlwaysWritten) {
    TempFolder folder;
    const auto path = folder / "created.pref";
    writeBytes(path, "old content\n");
    PreferenceFile file;
    ASSERT_TRUE(file.create(u16(path)));
    EXPECT_EQ(readBytes(path), "old content\n"); // replaced whole, only at close
    EXPECT_TRUE(file.close());
    EXPECT_EQ(readBytes(path), kBom);
    EXPECT_FALSE(file.create(u16(folder / "no-such-folder" / "x.pref")));
    EXPECT_FALSE(file.writeString(u"k", u"v"));
    EXPECT_FALSE(file.close());
}

// A file that cannot be opened reads as empty, collects changes and is created at close.
TEST(PreferenceFileLifecycle, MissingFileIsCreatedAtClose) {
    TempFolder folder;
    const auto path = folder / "missing.pref";
    PreferenceFile file;
    EXPECT_FALSE(file.open(u16(path)));
    EXPECT_EQ(file.readString(u"k", u"default"), u"default");
    EXPECT_TRUE(file.examineKeys());
    EXPECT_FALSE(file.nextKey());
    EXPECT_FALSE(file.selectGroup(u"G"));
    EXPECT_TRUE(file.writeString(u"k", u"v"));
    EXPECT_FALSE(storetest::fs::exists(path));
    EXPECT_TRUE(file.close());
    EXPECT_EQ(readBytes(path), kBom + "[G]\r\nk = v\r\n");

    const auto untouched = folder / "untouched.pref";
    EXPECT_FALSE(file.open(u16(untouched)));
    EXPECT_FALSE(file.close());
    EXPECT_FALSE(storetest::fs::exists(untouched));
}

TEST(PreferenceFileLifecycle, OpeningAnotherFileClosesTheOpenOne) {
    TempFolder folder;
    const auto first = folder / "first.pref";
    const auto second = folder / "second.pref";
    writeBytes(first, "a = 1\n");
    writeBytes(second, "b = 2\n");
    PreferenceFile one;
    PreferenceFile two;
    ASSERT_TRUE(one.open(u16(first)));
    one.writeString(u"a", u"changed");
    ASSERT_TRUE(two.open(u16(second)));
    EXPECT_EQ(readBytes(first), kBom + "a = changed\r\n");
    EXPECT_FALSE(one.isOpen());
    EXPECT_FALSE(one.writeString(u"a", u"lost"));
    EXPECT_EQ(one.readString(u"a", u"-"), u"-");
    EXPECT_EQ(two.readString(u"b", u"-"), u"2");
    {
        PreferenceFile three;
        ASSERT_TRUE(three.create(u16(first)));
        EXPECT_FALSE(two.isOpen());
        three.writeString(u"c", u"3");
    } // closing at the end of its life writes it
    EXPECT_EQ(readBytes(first), kBom + "c = 3\r\n");
}

} // namespace

#include "app/StartArguments.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct IntegerCase {
    std::u16string_view text;
    std::int32_t expected;
};

TEST(StartArgumentsTest, ToolIntegersParseAsTheIdeWritesThem) {
    const IntegerCase cases[] = {
        {u"", 0},
        {u"12345", 12345},
        {u"  \t 42", 42},
        {u"+7", 7},
        {u"-7", -7},
        {u"123abc", 123},
        {u"abc", 0},
        {u" 1 2", 1},
        {u"$1F", 31},
        {u"$ff", 255},
        {u"%101", 5},
        {u"%102", 2},
        {u"-$10", -16},
        {u"2147483647", 2147483647},
        // Beyond 32 bits only the low 32 bits of a handle are significant.
        {u"4294967297", 1},
        {u"\u0661\u0662", 0}, // digits of other scripts are no digits here
    };
    for (const auto& c : cases)
        EXPECT_EQ(app::parseToolInteger(c.text), c.expected)
            << std::string(c.text.begin(), c.text.end());
}

TEST(StartArgumentsTest, ProgramFolderIsCutAfterTheLastSeparator) {
    EXPECT_EQ(app::folderOfPath(u"C:\\Tools\\Zendrik.exe"), u"C:\\Tools\\");
    EXPECT_EQ(app::folderOfPath(u"C:/Tools\\sub/Zendrik.exe"), u"C:/Tools\\sub/");
    EXPECT_EQ(app::folderOfPath(u"Zendrik.exe"), u"");
}

TEST(StartArgumentsTest, ArgumentsChooseTheEditor) {
    using app::StartKind;
    const struct {
        std::vector<std::u16string> arguments;
        StartKind kind;
        std::u16string unknown;
        bool pick = false;
        std::u16string file = u"";
        std::u16string library = u"";
        std::u16string importFile = u"";
        bool import = false;
        bool newShortcut = false;
    } cases[] = {
        {{}, StartKind::Ide, u""},
        {{u""}, StartKind::Ide, u""}, // an empty arguments field of a tool set-up
        {{u"--focused"}, StartKind::Focused, u""},
        {{u"--focused", u"--focused"}, StartKind::Focused, u""},
        {{u"--Focused"}, StartKind::UnknownArgument, u"--Focused"},
        {{u"--focused", u"file.pb"}, StartKind::UnknownArgument, u"file.pb"},
        {{u"-focused"}, StartKind::UnknownArgument, u"-focused"},
        {{u"--pick"}, StartKind::Ide, u"", true},
        {{u"--focused", u"--pick"}, StartKind::Focused, u"", true},
        {{u"--pick", u"--focused"}, StartKind::Focused, u"", true},
        {{u"--pick", u"--Pick"}, StartKind::UnknownArgument, u"--Pick"},
        // The path is the next argument whatever it holds: an unsaved document's is empty.
        {{u"--file", u"C:\\src\\main.pb", u"--pick"},
         StartKind::Ide,
         u"",
         true,
         u"C:\\src\\main.pb"},
        {{u"--focused", u"--file", u"", u"--pick"}, StartKind::Focused, u"", true},
        {{u"--file", u"--pick"}, StartKind::Ide, u"", false, u"--pick"},
        {{u"--pick", u"--file"}, StartKind::Ide, u"", true},
        {{u"--FILE", u"a.pb"}, StartKind::UnknownArgument, u"--FILE"},
        {{u"--library", u"%OneDrive%\\Zendrik.pref", u"--focused", u"--new"},
         StartKind::Focused,
         u"",
         false,
         u"",
         u"%OneDrive%\\Zendrik.pref",
         u"",
         false,
         true},
        {{u"--import", u"C:\\my.code-snippets", u"--library", u"lib.pref"},
         StartKind::Ide,
         u"",
         false,
         u"",
         u"lib.pref",
         u"C:\\my.code-snippets",
         true},
        {{u"--import"}, StartKind::Ide, u"", false, u"", u"", u"", true},
    };
    for (const auto& c : cases) {
        const app::StartArguments start = app::readStartArguments(c.arguments);
        EXPECT_EQ(start.kind, c.kind) << c.arguments.size();
        EXPECT_EQ(start.unknown, c.unknown);
        EXPECT_EQ(start.pick, c.pick);
        EXPECT_EQ(start.file, c.file);
        EXPECT_EQ(start.library, c.library);
        EXPECT_EQ(start.importFile, c.importFile);
        EXPECT_EQ(start.import, c.import);
        EXPECT_EQ(start.newShortcut, c.newShortcut);
    }
}

} // namespace

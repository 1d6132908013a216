#include "app/LibraryPlace.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

namespace {

// Where the library is, from --library and what the system answers.
TEST(LibraryPlaceTable, NamedBesideTheProgramOrInTheUsersSettings) {
    const std::map<std::u16string, std::u16string> environment = {
        {u"APPDATA", u"C:\\Users\\ada\\AppData\\Roaming"},
        {u"OneDrive", u"C:\\Users\\ada\\OneDrive"},
        {u"EMPTY", u""},
    };
    const struct {
        const char* name;
        std::u16string argument;
        bool existsBeside;
        bool folderWritable;
        std::u16string expected;
        bool appData = true;
    } cases[] = {
        {"BesideTheProgram", u"", true, true, u"C:\\Tools\\Zendrik.pref"},
        {"MadeBesideAWritableProgram", u"", false, true, u"C:\\Tools\\Zendrik.pref"},
        {"BesideTheProgramWinsWhereNothingCanBeWritten", u"", true, false,
         u"C:\\Tools\\Zendrik.pref"},
        {"ProgramFilesInstall", u"", false, false,
         u"C:\\Users\\ada\\AppData\\Roaming\\Zendrik\\Zendrik.pref"},
        {"NoAppDataLeavesItBesideTheProgram", u"", false, false, u"C:\\Tools\\Zendrik.pref", false},
        {"RelativeToTheProgram", u"lib\\mine.pref", false, false, u"C:\\Tools\\lib\\mine.pref"},
        {"FromTheEnvironment", u"%OneDrive%\\Zendrik.pref", false, true,
         u"C:\\Users\\ada\\OneDrive\\Zendrik.pref"},
        {"UnsetAndEmptyNamesStayAsWritten", u"D:\\%NOPE%\\%%\\%EMPTY%x%", false, true,
         u"D:\\%NOPE%\\%%\\x%"},
        {"AShare", u"\\\\server\\team\\Zendrik.pref", false, true,
         u"\\\\server\\team\\Zendrik.pref"},
        {"ADriveWithoutFolder", u"E:lib.pref", false, true, u"E:lib.pref"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::set<std::u16string> asked;
        app::LibraryQuestions ask;
        ask.variable = [&](std::u16string_view name) -> std::optional<std::u16string> {
            if (name == u"APPDATA" && !c.appData)
                return std::nullopt;
            const auto found = environment.find(std::u16string(name));
            return found == environment.end() ? std::nullopt : std::optional(found->second);
        };
        ask.exists = [&](std::u16string_view path) {
            asked.insert(u"exists");
            EXPECT_EQ(path, u"C:\\Tools\\Zendrik.pref");
            return c.existsBeside;
        };
        ask.canCreateFileIn = [&](std::u16string_view folder) {
            asked.insert(u"writable");
            EXPECT_EQ(folder, u"C:\\Tools\\");
            return c.folderWritable;
        };
        EXPECT_EQ(app::libraryPlace(c.argument, u"C:\\Tools\\", ask), c.expected);
        // A named library asks nothing of the program's folder.
        if (!c.argument.empty()) {
            EXPECT_TRUE(asked.empty());
        }
    }
}

} // namespace

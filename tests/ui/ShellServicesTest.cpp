// Starting programs: the command line built from a text, and a real start.
#include "ServiceFixture.h"

#include <string>

namespace uitest {
namespace {

std::u16string fromWide(const std::wstring& text) {
    return std::u16string(reinterpret_cast<const char16_t*>(text.data()), text.size());
}

std::wstring tempFolder() {
    wchar_t path[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, path);
    return path;
}

class ProgramCommandLineTest : public ServiceTest {
  protected:
    void SetUp() override {
        ServiceTest::SetUp();
        spacedProgram = tempFolder() + L"zendrik ui test program.exe";
        HANDLE file = CreateFileW(spacedProgram.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  0, nullptr);
        CloseHandle(file);
    }
    void TearDown() override {
        DeleteFileW(spacedProgram.c_str());
        ServiceTest::TearDown();
    }
    std::wstring spacedProgram;
};

TEST_F(ProgramCommandLineTest, QuotedUnlessQuotedOrACommandWithArguments) {
    const std::u16string spaced = fromWide(spacedProgram);
    struct {
        std::u16string text;
        std::u16string expected;
    } cases[] = {
        {u"notepad.exe", u"\"notepad.exe\""},
        {u"\"C:\\Program Files\\x.exe\" Zendrik.pref",
         u"\"C:\\Program Files\\x.exe\" Zendrik.pref"},
        {spaced, u"\"" + spaced + u"\""},
        // What the shell's association gives: a program and its argument.
        {u"C:\\windows\\system32\\notepad.exe Zendrik.pref",
         u"C:\\windows\\system32\\notepad.exe Zendrik.pref"},
        {u"https://www.example.org/donate", u"\"https://www.example.org/donate\""},
        {u"", u""},
    };
    for (const auto& test : cases) {
        EXPECT_EQ(ui::programCommandLine(test.text), test.expected);
    }
    SetEnvironmentVariableW(L"ZENDRIK_UI_TEST_DIR", L"C:\\tools");
    EXPECT_EQ(ui::programCommandLine(u"%ZENDRIK_UI_TEST_DIR%\\edit.exe Zendrik.pref"),
              u"C:\\tools\\edit.exe Zendrik.pref");
}

TEST_F(ProgramCommandLineTest, StartsAProgramWithArgumentsWithoutWaiting) {
    const std::wstring marker = tempFolder() + L"zendrik_ui_started.txt";
    DeleteFileW(marker.c_str());
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    const std::wstring command =
        std::wstring(system) + L"\\cmd.exe /c echo started> \"" + marker + L"\"";
    ASSERT_TRUE(ui::startProgram(fromWide(command)));
    bool appeared = false;
    for (int i = 0; i < 100 && !appeared; ++i) {
        appeared = GetFileAttributesW(marker.c_str()) != INVALID_FILE_ATTRIBUTES;
        Sleep(50);
    }
    EXPECT_TRUE(appeared);
    DeleteFileW(marker.c_str());
}

TEST_F(ProgramCommandLineTest, NothingToStartFails) {
    EXPECT_FALSE(ui::startProgram(u""));
    EXPECT_FALSE(ui::startProgram(u"C:\\no such folder\\no such program.exe"));
}

} // namespace
} // namespace uitest

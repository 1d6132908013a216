// Starting programs: the command line built from a text, and a real start.
#include "ServiceFixture.h"

#include "base/TextConvert.h"

#include <string>

namespace uitest {
namespace {

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

bool sameLine(const std::u16string& a, const std::u16string& b) {
    return CompareStringOrdinal(reinterpret_cast<const wchar_t*>(a.c_str()), -1,
                                reinterpret_cast<const wchar_t*>(b.c_str()), -1,
                                TRUE) == CSTR_EQUAL;
}

// The program part is always resolved and quoted, so that Windows never guesses among the
// prefixes of an unquoted path with spaces ("C:\Program.exe" before "C:\Program Files\...").
TEST_F(ProgramCommandLineTest, ProgramPartResolvedAndQuoted) {
    const std::u16string spaced = text::fromWide(spacedProgram);
    wchar_t systemFolder[MAX_PATH] = {};
    GetSystemDirectoryW(systemFolder, MAX_PATH);
    const std::u16string notepad = text::fromWide(std::wstring(systemFolder) + L"\\notepad.exe");
    SetEnvironmentVariableW(L"ZENDRIK_UI_TEST_DIR", tempFolder().c_str());
    struct {
        std::u16string text;
        std::u16string expected;
    } cases[] = {
        {u"notepad.exe", u"\"notepad.exe\""},
        {u"\"C:\\Program Files\\x.exe\" Zendrik.pref",
         u"\"C:\\Program Files\\x.exe\" Zendrik.pref"},
        {spaced, u"\"" + spaced + u"\""},
        // An existing program with spaces and arguments: never passed unquoted.
        {spaced + u" Zendrik.pref", u"\"" + spaced + u"\" Zendrik.pref"},
        {spaced + u" two words.txt", u"\"" + spaced + u"\" two words.txt"},
        // What the shell's association gives: a program and its argument.
        {notepad + u" Zendrik.pref", u"\"" + notepad + u"\" Zendrik.pref"},
        {u"notepad Zendrik.pref", u"\"" + notepad + u"\" Zendrik.pref"},
        // The association's own variables, in the program part only.
        {u"%ZENDRIK_UI_TEST_DIR%zendrik ui test program.exe %ZENDRIK_UI_TEST_DIR%",
         u"\"" + spaced + u"\" %ZENDRIK_UI_TEST_DIR%"},
        // Nothing resolves: one name, tried as it is.
        {u"C:\\no such folder\\no such program.exe Zendrik.pref",
         u"\"C:\\no such folder\\no such program.exe Zendrik.pref\""},
        {u"https://www.example.org/donate", u"\"https://www.example.org/donate\""},
        {u"", u""},
    };
    for (const auto& test : cases) {
        const std::u16string line = ui::programCommandLine(test.text);
        EXPECT_TRUE(sameLine(line, test.expected))
            << std::string(line.begin(), line.end()) << " for "
            << std::string(test.text.begin(), test.text.end());
    }
}

TEST_F(ProgramCommandLineTest, StartsAProgramWithArgumentsWithoutWaiting) {
    const std::wstring marker = tempFolder() + L"zendrik_ui_started.txt";
    DeleteFileW(marker.c_str());
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    const std::wstring command =
        std::wstring(system) + L"\\cmd.exe /c echo started> \"" + marker + L"\"";
    ASSERT_TRUE(ui::startProgram(text::fromWide(command)));
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

struct SeenBox {
    bool found = false;
    HWND owner = nullptr;
    std::wstring caption;
    std::wstring text;
};
SeenBox seenBox;

BOOL CALLBACK findMessageBox(HWND window, LPARAM) {
    wchar_t className[16] = {};
    GetClassNameW(window, className, 16);
    if (std::wstring(className) != L"#32770") {
        return TRUE;
    }
    wchar_t text[256] = {};
    seenBox.found = true;
    seenBox.owner = GetWindow(window, GW_OWNER);
    GetWindowTextW(window, text, 256);
    seenBox.caption = text;
    GetDlgItemTextW(window, 0xFFFF, text, 256); // the message's static control
    seenBox.text = text;
    PostMessageW(window, WM_COMMAND, IDNO, 0);
    return FALSE;
}

void CALLBACK answerMessageBox(HWND, UINT, UINT_PTR timer, DWORD) {
    EnumThreadWindows(GetCurrentThreadId(), findMessageBox, 0);
    if (seenBox.found) {
        KillTimer(nullptr, timer);
    }
}

class MessageBoxTest : public ServiceTest {};

TEST_F(MessageBoxTest, OwnedByTheProgramsWindowInFrontAndAnswered) {
    ui::OwnedWindow opened = openTestWindow(300, 200, true);
    ASSERT_TRUE(opened);
    HWND window = ui::windowHandle(*opened);
    seenBox = SeenBox{};
    const UINT_PTR timer = SetTimer(nullptr, 0, 100, answerMessageBox);
    const int answer =
        ui::messageBox(u"A caption", u"Delete Shortcut [ if ]?", MB_YESNO | MB_ICONEXCLAMATION);
    KillTimer(nullptr, timer);
    EXPECT_EQ(answer, IDNO);
    ASSERT_TRUE(seenBox.found);
    EXPECT_EQ(seenBox.owner, window);
    EXPECT_EQ(seenBox.caption, L"A caption");
    EXPECT_EQ(seenBox.text, L"Delete Shortcut [ if ]?");
    EXPECT_TRUE(IsWindowEnabled(window)) << "the owner is enabled again afterwards";
}

} // namespace
} // namespace uitest

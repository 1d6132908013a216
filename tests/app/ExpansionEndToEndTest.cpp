// End to end: the real Zendrik.exe, started by the stand-in IDE (IdeHost.exe) exactly as the
// IDE starts a tool, works on a real Scintilla editor in the host's process. Both programs
// are found beside this test program. Each case runs Zendrik.exe from a fresh folder of its
// own, with the preference file the case writes there (or none, for the default file), and
// compares the editor's bytes and caret afterwards; the host then undoes once and reports
// the editor again.
#include <windows.h>

#include <gtest/gtest.h>

#include "app/ToolRunFiles.h"
#include "store/TextConvert.h"

#include <atomic>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

namespace {

constexpr std::string_view kCaret = "<|>";

// Shortcuts of a file the tests write themselves; "¤" separates template lines.
constexpr char kOwnShortcuts[] = "\xEF\xBB\xBF\r\n"
                                 "[Shortcuts]\r\n"
                                 "if = If ¤EndIf\r\n"
                                 "größe = Größe.l = 0¤; größe\r\n"
                                 "sig = ; Grüße ¤; — Ende ¤\r\n"
                                 // Lower-casing changes these words' byte counts: U+023A
                                 // takes two bytes and its lower case three; U+2C6F three
                                 // and its lower case two.
                                 "\xE2\xB1\xA5"
                                 "f = Lock ¤End\r\n"
                                 "\xC9\x90"
                                 "x = Up\r\n";

struct ExpansionCase {
    const char* name;
    const char* preferences; // nullptr: no file, the program writes its default file
    std::string document;    // "<|>" marks the caret
    std::string expected;    // the editor's bytes afterwards, "<|>" at the caret
    bool holdExpansionLock = false;
    const wchar_t* keys = nullptr;  // typed into the foreground window while the tool runs
    const wchar_t* typed = nullptr; // typed at the caret before the tool starts
    const char* pending = nullptr;  // why the case cannot run yet
};

void PrintTo(const ExpansionCase& c, std::ostream* out) {
    *out << c.name;
}

struct EditorReport {
    std::string text;
    int64_t caret = -1;
    int64_t anchor = -1;
};

struct HostReport {
    bool complete = false;
    std::string exit;
    EditorReport after;
    EditorReport undone;
};

struct NamedMutex {
    explicit NamedMutex(const wchar_t* name) : handle(CreateMutexW(nullptr, FALSE, name)) {}
    ~NamedMutex() {
        if (handle)
            CloseHandle(handle);
    }
    NamedMutex(const NamedMutex&) = delete;
    NamedMutex& operator=(const NamedMutex&) = delete;
    HANDLE handle;
};

// Reads "name value" lines; a "text" line gives the number of raw bytes that follow it.
HostReport parseReport(const std::string& bytes) {
    HostReport report;
    size_t at = 0;
    bool sawText = false;
    while (at < bytes.size()) {
        const size_t end = bytes.find('\n', at);
        if (end == std::string::npos)
            return report;
        const std::string line = bytes.substr(at, end - at);
        at = end + 1;
        const size_t space = line.find(' ');
        if (space == std::string::npos)
            return report;
        std::string key = line.substr(0, space);
        const std::string value = line.substr(space + 1);
        EditorReport* editor = &report.after;
        if (key.starts_with("undone-")) {
            editor = &report.undone;
            key = key.substr(7);
        }
        if (key == "exit") {
            report.exit = value;
        } else if (key == "caret") {
            editor->caret = std::stoll(value);
        } else if (key == "anchor") {
            editor->anchor = std::stoll(value);
        } else if (key == "text") {
            const size_t length = std::stoul(value);
            if (at + length + 1 > bytes.size())
                return report;
            editor->text = bytes.substr(at, length);
            at += length + 1;
            sawText = true;
        }
    }
    report.complete = sawText && !report.exit.empty();
    return report;
}

std::string withCaret(std::string text, int64_t caret) {
    if (caret < 0 || caret > int64_t(text.size()))
        return text + " [caret " + std::to_string(caret) + " outside the text]";
    return text.insert(size_t(caret), kCaret);
}

// Runs IdeHost.exe in scripted mode; the tool's working directory is the host's default,
// the folder above the tool's, so the program must find its own folder by itself.
HostReport runHost(const std::wstring& tool, const std::wstring& folder,
                   const std::string& document, const std::wstring& moreOptions) {
    const std::wstring documentPath = folder + L"\\document.pb";
    const std::wstring resultPath = folder + L"\\result.txt";
    if (!writeBytes(documentPath, document))
        return {};
    std::wstring command = L"\"" + programFolder() + L"IdeHost.exe\" --tool \"" + tool +
                           L"\" --document \"" + documentPath + L"\" --result \"" + resultPath +
                           L"\" --undo " + moreOptions;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.c_str(), &startup, &process))
        return {};
    CloseHandle(process.hThread);
    if (WaitForSingleObject(process.hProcess, 60000) != WAIT_OBJECT_0)
        TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hProcess);
    const std::optional<std::string> result = readBytes(resultPath);
    return result ? parseReport(*result) : HostReport{};
}

class ExpansionEndToEnd : public ::testing::TestWithParam<ExpansionCase> {};

TEST_P(ExpansionEndToEnd, LeavesTheEditorAsExpected) {
    const ExpansionCase& c = GetParam();
    if (c.pending)
        GTEST_SKIP() << c.pending;
    const std::wstring program = programFolder() + L"Zendrik.exe";
    ASSERT_TRUE(fileExists(program)) << "Zendrik.exe must be built beside the test program";
    ASSERT_TRUE(fileExists(programFolder() + L"IdeHost.exe"))
        << "IdeHost.exe must be built beside the test program";

    ScratchFolder scratch;
    const std::wstring toolFolder = scratch.path + L"\\tool";
    ASSERT_TRUE(CreateDirectoryW(toolFolder.c_str(), nullptr));
    const std::wstring tool = toolFolder + L"\\Zendrik.exe";
    ASSERT_TRUE(CopyFileW(program.c_str(), tool.c_str(), FALSE));
    const std::wstring preferences = toolFolder + L"\\Zendrik.pref";
    if (c.preferences) {
        ASSERT_TRUE(writeBytes(preferences, c.preferences));
    }

    std::optional<NamedMutex> lock;
    if (c.holdExpansionLock)
        lock.emplace(L"ZendrikPopup");
    std::wstring options;
    if (c.keys)
        options += L" --keys \"" + std::wstring(c.keys) + L"\"";
    if (c.typed)
        options += L" --type-first \"" + std::wstring(c.typed) + L"\"";
    const HostReport report = runHost(tool, scratch.path, c.document, options);
    lock.reset();

    ASSERT_TRUE(report.complete) << "the host wrote no complete report";
    EXPECT_EQ(report.exit, "0");
    EXPECT_EQ(withCaret(report.after.text, report.after.caret), c.expected);
    EXPECT_EQ(report.after.anchor, report.after.caret) << "a selection was left";

    // One undo takes back the whole expansion and nothing else: the word is back as typed.
    std::string beforeTool = c.document;
    if (c.typed)
        beforeTool.insert(beforeTool.find(kCaret), text::utf16ToUtf8(text::fromWide(c.typed)));
    EXPECT_EQ(withCaret(report.undone.text, report.undone.caret), beforeTool);
    EXPECT_EQ(report.undone.anchor, report.undone.caret);

    // The program's file lives beside the program, never in the working directory, and an
    // expansion never rewrites it.
    EXPECT_FALSE(fileExists(scratch.path + L"\\Zendrik.pref"));
    const std::optional<std::string> stored = readBytes(preferences);
    ASSERT_TRUE(stored.has_value());
    if (c.preferences)
        EXPECT_EQ(*stored, c.preferences);
    else
        EXPECT_TRUE(stored->starts_with("\xEF\xBB\xBF\r\n; Zendrik.pref\r\n"));
}

const ExpansionCase kCases[] = {
    {"IfAfterFourSpacesOtherLinesUntouched", nullptr,
     "Procedure A()\r\n    if<|>\r\nEndProcedure\r\n",
     "Procedure A()\r\n    If <|>\r\n    EndIf\r\nEndProcedure\r\n"},
    {"ProcAtTheLineStart", nullptr, "proc<|>\r\n", "Procedure <|>\r\nEndProcedure\r\n"},
    {"RetLosesItsTrailingSpace", nullptr, "  x = 1\r\n  ret<|>", "  x = 1\r\n  ProcedureReturn<|>"},
    {"CapitalLettersTyped", nullptr, "  IF<|>", "  If <|>\r\n  EndIf"},
    {"AfterOpeningParenthesis", nullptr, "Foo(if<|>", "Foo(If <|>\r\n    EndIf"},
    {"AfterBar", nullptr, "a|if<|>", "a|If <|>\r\n  EndIf"},
    {"TextAfterTheCaretStays", nullptr, "  if<|> x > 0\r\nnext\r\n",
     "  If <|>\r\n  EndIf x > 0\r\nnext\r\n"},
    {"IndentCountsCharactersNotBytes", nullptr, "été if<|>", "été If <|>\r\n    EndIf"},
    {"WordWithNonAsciiLetter", kOwnShortcuts, "  Größe<|>\r\n",
     "  Größe.l = 0<|>\r\n  ; größe\r\n"},
    {"NonAsciiLinesArriveByteForByte", kOwnShortcuts, "sig<|>", "; Grüße <|>\r\n; — Ende \r\n"},
    {"WordGrowsWhenLowercased", kOwnShortcuts,
     "  \xC8\xBA"
     "f<|> x\r\n",
     "  Lock <|>\r\n  End x\r\n"},
    {"WordShrinksWhenLowercased", kOwnShortcuts,
     "(\xE2\xB1\xAF"
     "x<|>)",
     "(Up<|>)"},
    // The editor holds a zero byte in the line: the word holding it names nothing.
    {"ZeroByteInTheWord", nullptr, std::string("  if\0xx<|>\r\n", 12),
     std::string("  if\0xx<|>\r\n", 12)},
    {"WordNamingNoShortcut", nullptr, "  zzz<|>\r\n", "  zzz<|>\r\n"},
    {"OwnFileIsNotMergedWithDefaults", kOwnShortcuts, "proc<|>", "proc<|>"},
    {"WordAfterTabNamesNoShortcut", nullptr, "\tif<|>", "\tif<|>"},
    {"ExpansionAlreadyRunning", nullptr, "  if<|>", "  if<|>", true},
    {"WordTypedJustBefore", nullptr, "    <|>\r\n", "    If <|>\r\n    EndIf\r\n", false, nullptr,
     L"If"},
    // Escape cancels the placeholder popup and leaves the editor as it was.
    {"PlaceholdersCancelled", nullptr, "    for<|>\r\n", "    for<|>\r\n", false, L"{ESC}", nullptr,
     "no popup opens yet, so the editor is left alone whatever Escape does"},
};

INSTANTIATE_TEST_SUITE_P(All, ExpansionEndToEnd, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The popup and manager cases drive Zendrik's windows with typed keys; here the host types
// into its own editor, with no tool, to show that the keys and their names arrive.
TEST(StandInIde, TypesKeysIntoTheForegroundWindow) {
    ASSERT_TRUE(fileExists(programFolder() + L"IdeHost.exe"));
    ScratchFolder scratch;
    const HostReport report =
        runHost(L"none.exe", scratch.path, "x<|>",
                L"--no-run --keys-delay 100 --keys \"abc{BACKSPACE}d{ENTER}\u00E9{TAB}z\"");
    ASSERT_TRUE(report.complete);
    EXPECT_EQ(report.exit, "none");
    EXPECT_EQ(withCaret(report.after.text, report.after.caret), "xabd\r\n\xC3\xA9\tz<|>");
}

} // namespace

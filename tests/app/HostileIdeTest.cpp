// The real Zendrik.exe against an IDE that answers wrongly, slowly, not at all, or goes away
// (HostileIde.exe beside this test program), and against hostile PB_Tool_* values. Whatever
// the IDE does, the program ends in time with exit code 0, leaves the editor's text as stated
// and never touches its preference file. The test starts the program itself, with the handles
// the hostile IDE announces, so it sees the exit code even when the IDE ends in the middle.
#include <windows.h>

#include <gtest/gtest.h>

#include "app/EndToEndFiles.h"
#include "idehost/HostProtocol.h"

#include <cstdint>
#include <optional>
#include <string>

namespace {

using namespace endtoend;

using idehost::kReportMessage;
constexpr DWORD kToolLimitMs = 10000; // a few seconds of limit and a process start
constexpr char kDocument[] = "Procedure A()\r\n  if<|>\r\nEndProcedure\r\n";
constexpr char kUnchanged[] = "Procedure A()\r\n  if\r\nEndProcedure\r\n";
constexpr char kExpanded[] = "Procedure A()\r\n  If \r\n  EndIf\r\nEndProcedure\r\n";
constexpr char kGone[] = "(editor gone)";
constexpr char kNoReport[] = "(the IDE ended)";
constexpr char kPreferences[] = "\xEF\xBB\xBF\r\n[Shortcuts]\r\nif = If ¤EndIf\r\n"
                                "[Popup]\r\nOpacity = 200\r\n";

// How the tool finds the IDE's windows: the IDE's own handles, or these texts instead.
enum class Handles { Ide, Missing, Text };

struct HostileCase {
    const char* name;
    const wchar_t* hostileCase;
    const char* expectedText; // the editor afterwards, kGone or kNoReport
    Handles handles = Handles::Ide;
    std::wstring editorValue = {}; // for Handles::Text
    std::wstring mainValue = {};
    bool pick = false; // started with --pick; the picker is closed as soon as it shows
};

void PrintTo(const HostileCase& c, std::ostream* out) {
    *out << c.name;
}

struct IdeReport {
    bool present = false;
    std::string text;
};

IdeReport parseReport(const std::optional<std::string>& bytes) {
    IdeReport report;
    if (!bytes)
        return report;
    report.present = true;
    if (bytes->find("editor gone\n") != std::string::npos) {
        report.text = kGone;
        return report;
    }
    const size_t text = bytes->find("text ");
    if (text == std::string::npos)
        return report;
    const size_t newline = bytes->find('\n', text);
    const size_t length = std::stoul(bytes->substr(text + 5, newline - text - 5));
    report.text = bytes->substr(newline + 1, length);
    return report;
}

struct ToolOutcome {
    bool started = false;
    bool ended = false;
    DWORD exitCode = 0;
    ULONGLONG milliseconds = 0;
};

void closeWindowsOf(DWORD processId) {
    EnumWindows(
        [](HWND window, LPARAM id) -> BOOL {
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner == DWORD(id) && IsWindowVisible(window))
                PostMessageW(window, WM_CLOSE, 0, 0);
            return TRUE;
        },
        LPARAM(processId));
}

ToolOutcome runTool(const std::wstring& tool, const std::wstring& folder, bool pick) {
    ToolOutcome outcome;
    std::wstring commandLine = L"\"" + tool + L"\"" + (pick ? L" --pick" : L"");
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    const ULONGLONG start = GetTickCount64();
    if (!CreateProcessW(tool.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.c_str(), &startup, &process))
        return outcome;
    outcome.started = true;
    CloseHandle(process.hThread);
    // A line that cannot be read is no word, and no word opens the manager: it is closed as a
    // user would close it, once it shows.
    const ULONGLONG deadline = start + kToolLimitMs * 3;
    while (!outcome.ended && GetTickCount64() < deadline) {
        // Messages are handled meanwhile, as by any process whose window owns the manager.
        outcome.ended = MsgWaitForMultipleObjects(1, &process.hProcess, FALSE, 100, QS_ALLINPUT) ==
                        WAIT_OBJECT_0;
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&message);
        if (!outcome.ended)
            closeWindowsOf(process.dwProcessId);
    }
    outcome.milliseconds = GetTickCount64() - start;
    if (outcome.ended)
        GetExitCodeProcess(process.hProcess, &outcome.exitCode);
    else
        TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hProcess);
    return outcome;
}

void setToolVariable(const wchar_t* name, std::optional<std::wstring> value) {
    SetEnvironmentVariableW(name, value ? value->c_str() : nullptr);
}

class HostileIde : public ::testing::TestWithParam<HostileCase> {};

TEST_P(HostileIde, ProgramEndsInTimeAndLeavesTheEditorAsStated) {
    const HostileCase& c = GetParam();
    const std::wstring program = programFolder() + L"Zendrik.exe";
    ASSERT_TRUE(fileExists(program));
    ASSERT_TRUE(fileExists(programFolder() + L"HostileIde.exe"));

    ScratchFolder scratch;
    const std::wstring tool = scratch.path + L"\\Zendrik.exe";
    ASSERT_TRUE(CopyFileW(program.c_str(), tool.c_str(), FALSE));
    const std::wstring preferences = scratch.path + L"\\Zendrik.pref";
    ASSERT_TRUE(writeBytes(preferences, kPreferences));
    ASSERT_TRUE(writeBytes(scratch.path + L"\\document.pb", kDocument));

    const std::wstring release = L"ZendrikHostileRelease" + std::to_wstring(GetCurrentProcessId());
    HANDLE releaseEvent = CreateEventW(nullptr, TRUE, FALSE, release.c_str());
    ASSERT_NE(releaseEvent, nullptr);
    const std::wstring ready = scratch.path + L"\\ready.txt";
    const std::wstring result = scratch.path + L"\\result.txt";
    std::wstring command = L"\"" + programFolder() + L"HostileIde.exe\" --case \"" + c.hostileCase +
                           L"\" --document \"" + scratch.path + L"\\document.pb\" --ready \"" +
                           ready + L"\" --result \"" + result + L"\" --release " + release;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION ide{};
    ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               scratch.path.c_str(), &startup, &ide));
    CloseHandle(ide.hThread);

    std::optional<std::string> handles;
    for (int wait = 0; wait < 300 && !handles; ++wait) {
        Sleep(50);
        handles = readBytes(ready);
        if (handles && handles->find('\n') == std::string::npos)
            handles.reset();
    }
    ASSERT_TRUE(handles.has_value()) << "the hostile IDE did not announce its windows";
    long long editor = 0, main = 0;
    ASSERT_EQ(sscanf(handles->c_str(), "editor %lld main %lld", &editor, &main), 2);

    // A window of this process stands for "a window of another process" than the IDE's.
    HWND stranger = CreateWindowExW(0, L"Static", L"stranger", WS_OVERLAPPED, 0, 0, 50, 50, nullptr,
                                    nullptr, GetModuleHandleW(nullptr), nullptr);
    auto value = [&](const std::wstring& text) -> std::wstring {
        if (text == L"<editor>")
            return std::to_wstring(editor);
        if (text == L"<main>")
            return std::to_wstring(main);
        if (text == L"<stranger>")
            return std::to_wstring(reinterpret_cast<std::intptr_t>(stranger));
        if (text == L"<desktop>")
            return std::to_wstring(reinterpret_cast<std::intptr_t>(GetDesktopWindow()));
        if (text == L"<hex editor>") {
            wchar_t hex[32];
            swprintf(hex, 32, L"$%llX", static_cast<unsigned long long>(editor));
            return hex;
        }
        return text;
    };
    switch (c.handles) {
    case Handles::Ide:
        setToolVariable(L"PB_Tool_Scintilla", std::to_wstring(editor));
        setToolVariable(L"PB_Tool_MainWindow", std::to_wstring(main));
        break;
    case Handles::Missing:
        setToolVariable(L"PB_Tool_Scintilla", std::nullopt);
        setToolVariable(L"PB_Tool_MainWindow", std::nullopt);
        break;
    case Handles::Text:
        setToolVariable(L"PB_Tool_Scintilla", value(c.editorValue));
        setToolVariable(L"PB_Tool_MainWindow", value(c.mainValue));
        break;
    }
    const ToolOutcome outcome = runTool(tool, scratch.path, c.pick);
    setToolVariable(L"PB_Tool_Scintilla", std::nullopt);
    setToolVariable(L"PB_Tool_MainWindow", std::nullopt);

    // The IDE wakes, reports its editor and ends.
    SetEvent(releaseEvent);
    PostMessageW(reinterpret_cast<HWND>(main), kReportMessage, 0, 0);
    if (WaitForSingleObject(ide.hProcess, 20000) != WAIT_OBJECT_0)
        TerminateProcess(ide.hProcess, 1);
    CloseHandle(ide.hProcess);
    CloseHandle(releaseEvent);
    DestroyWindow(stranger);

    ASSERT_TRUE(outcome.started);
    EXPECT_TRUE(outcome.ended) << "Zendrik.exe still ran after " << kToolLimitMs * 3 << " ms";
    EXPECT_EQ(outcome.exitCode, 0u);
    EXPECT_LT(outcome.milliseconds, kToolLimitMs) << "Zendrik.exe took too long";
    const IdeReport report = parseReport(readBytes(result));
    EXPECT_EQ(report.present ? report.text : std::string(kNoReport), c.expectedText);
    EXPECT_EQ(readBytes(preferences).value_or(""), kPreferences) << "the preference file changed";
}

const HostileCase kCases[] = {
    {"AnswersRightly", L"none", kExpanded},
    // Sizes of the caret's line that no real line has.
    {"LineSizeZero", L"size=0", kUnchanged},
    {"LineSizeNegative", L"size=-1", kUnchanged},
    {"LineSize2To31Minus1", L"size=2147483647", kUnchanged},
    {"LineSize2To40", L"size=1099511627776", kUnchanged},
    {"LineSize100MB", L"size=104857600", kUnchanged},
    // What the editor writes into the buffer: the line without its zero byte, or more than
    // the size it was given. The bytes before the caret are still the line.
    {"NoZeroByte", L"no-zero", kExpanded},
    {"FiveBytesTooMany", L"overrun", kExpanded},
    {"CaretOffsetBeyondTheLine", L"offset=4000", kUnchanged},
    {"CaretOffsetNegative", L"offset=-3", kUnchanged},
    // Caret positions that cannot hold the word, or lie beyond any text.
    {"CaretPositionNegative", L"position=-7", kUnchanged},
    {"CaretPositionAtThe64BitLimit", L"position=max", kUnchanged},
    // Scintilla clamps a selection beyond its end to the end: the word stays and the text is
    // added after the last line; nothing of the user's text is lost.
    {"CaretPositionBeyondTheDocument", L"position=end+1000",
     "Procedure A()\r\n  if\r\nEndProcedure\r\nIf \r\n  EndIf"},
    // The editor goes away while it handles the tool's 1st, 2nd or 3rd message.
    {"EditorDestroyedAtFirstMessage", L"destroy-at=1", kGone},
    {"EditorDestroyedAtSecondMessage", L"destroy-at=2", kGone},
    {"EditorDestroyedAtThirdMessage", L"destroy-at=3", kGone},
    {"IdeEndsAtFirstMessage", L"exit-at=1", kNoReport},
    {"IdeEndsAtSecondMessage", L"exit-at=2", kNoReport},
    {"IdeEndsAtThirdMessage", L"exit-at=3", kNoReport},
    // An editor that stops answering: the program gives up within its limit, changes nothing,
    // and the buffer of the 2nd message stays for the editor to write into when it wakes.
    {"EditorSilentAtFirstMessage", L"silent-at=1", kUnchanged},
    {"EditorSilentAtSecondMessage", L"silent-at=2", kUnchanged},
    {"EditorSilentAtThirdMessage", L"silent-at=3", kUnchanged},
    // Hostile PB_Tool_* values.
    {"ToolVariablesMissing", L"none", kUnchanged, Handles::Missing},
    {"ToolVariablesText", L"none", kUnchanged, Handles::Text, L"editor", L"main"},
    {"ToolVariablesNegative", L"none", kUnchanged, Handles::Text, L"-5", L"-1"},
    {"ToolVariables30000Digits", L"none", kUnchanged, Handles::Text, std::wstring(30000, L'7'),
     std::wstring(30000, L'9')},
    {"ToolVariablesHex", L"none", kExpanded, Handles::Text, L"<hex editor>", L"<main>"},
    {"EditorOfAnotherProcess", L"none", kUnchanged, Handles::Text, L"<stranger>", L"<main>"},
    {"MainWindowOfAnotherProcess", L"none", kUnchanged, Handles::Text, L"<editor>", L"<stranger>"},
    {"EditorIsTheDesktop", L"none", kUnchanged, Handles::Text, L"<desktop>", L"<main>"},
    {"MainWindowIsTheDesktop", L"none", kUnchanged, Handles::Text, L"<editor>", L"<desktop>"},
    // The picker meets the same IDE: closed as it shows, it changes nothing.
    {"PickAnswersRightly", L"none", kUnchanged, Handles::Ide, {}, {}, true},
    {"PickLineSize100MB", L"size=104857600", kUnchanged, Handles::Ide, {}, {}, true},
    {"PickCaretPositionAtThe64BitLimit", L"position=max", kUnchanged, Handles::Ide, {}, {}, true},
    {"PickEditorDestroyedAtThirdMessage", L"destroy-at=3", kGone, Handles::Ide, {}, {}, true},
    {"PickIdeEndsAtThirdMessage", L"exit-at=3", kNoReport, Handles::Ide, {}, {}, true},
    {"PickEditorSilentAtThirdMessage", L"silent-at=3", kUnchanged, Handles::Ide, {}, {}, true},
    {"PickToolVariablesMissing", L"none", kUnchanged, Handles::Missing, {}, {}, true},
};

INSTANTIATE_TEST_SUITE_P(All, HostileIde, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace

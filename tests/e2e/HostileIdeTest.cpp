// The real Zendrik.exe against an IDE that answers wrongly, slowly, not at all, or goes away
// (HostileIde.exe beside this test program), and against hostile values of the tool's window
// variables. Whatever the IDE does, the program ends in time with exit code 0, leaves the
// editor's text as stated and never touches its preference file. The test starts the program
// itself, with the handles the hostile IDE announces, so it sees the exit code even when the IDE
// ends in the middle.
#include <windows.h>

#include <gtest/gtest.h>

#include "e2e/support/HostileIdeRun.h"
#include "e2e/support/Processes.h"

#include <cstdint>
#include <optional>
#include <string>

namespace {

using namespace endtoend;
using endtoend::runToolClosingWindows;
using endtoend::setToolVariables;
using endtoend::ToolOutcome;

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

class HostileIde : public ::testing::TestWithParam<HostileCase> {};

TEST_P(HostileIde, ProgramEndsInTimeAndLeavesTheEditorAsStated) {
    const HostileCase& c = GetParam();
    const std::wstring program = programFolder() + L"Zendrik.exe";
    ASSERT_TRUE(fileExists(program));
    ASSERT_TRUE(fileExists(programFolder() + L"HostileIde.exe"));

    ScratchFolder scratch;
    const std::wstring tool = scratch.path + L"\\Zendrik.exe";
    ASSERT_TRUE(CopyFileW(program.c_str(), tool.c_str(), FALSE));
    const std::wstring preferences = preferenceFileIn(scratch.path);
    ASSERT_TRUE(writeBytes(preferences, kPreferences));

    HostileIdeRun ide(scratch.path, c.hostileCase, kDocument);
    ASSERT_NE(ide.main, 0) << "the hostile IDE did not announce its windows";

    // A window of this process stands for "a window of another process" than the IDE's.
    HWND stranger = CreateWindowExW(0, L"Static", L"stranger", WS_OVERLAPPED, 0, 0, 50, 50, nullptr,
                                    nullptr, GetModuleHandleW(nullptr), nullptr);
    auto value = [&](const std::wstring& text) -> std::wstring {
        if (text == L"<editor>")
            return std::to_wstring(ide.editor);
        if (text == L"<main>")
            return std::to_wstring(ide.main);
        if (text == L"<stranger>")
            return std::to_wstring(reinterpret_cast<std::intptr_t>(stranger));
        if (text == L"<desktop>")
            return std::to_wstring(reinterpret_cast<std::intptr_t>(GetDesktopWindow()));
        if (text == L"<hex editor>") {
            wchar_t hex[32];
            swprintf(hex, 32, L"$%llX", static_cast<unsigned long long>(ide.editor));
            return hex;
        }
        return text;
    };
    switch (c.handles) {
    case Handles::Ide:
        setToolVariables(std::to_wstring(ide.editor).c_str(), std::to_wstring(ide.main).c_str());
        break;
    case Handles::Missing:
        setToolVariables(nullptr, nullptr);
        break;
    case Handles::Text:
        setToolVariables(value(c.editorValue).c_str(), value(c.mainValue).c_str());
        break;
    }
    // A line that cannot be read is no word, and no word opens the manager: it is closed as a
    // user would close it, once it shows.
    const ToolOutcome outcome =
        runToolClosingWindows(tool, c.pick ? L"--pick" : L"", scratch.path, kToolLimitMs * 3);
    setToolVariables(nullptr, nullptr);

    // The IDE wakes, reports its editor and ends.
    const HostileReport report = ide.finish();
    DestroyWindow(stranger);

    ASSERT_TRUE(outcome.started);
    EXPECT_TRUE(outcome.ended) << "Zendrik.exe still ran after " << kToolLimitMs * 3 << " ms";
    EXPECT_EQ(outcome.exitCode, 0u);
    EXPECT_LT(outcome.milliseconds, kToolLimitMs) << "Zendrik.exe took too long";
    EXPECT_EQ(!report.present     ? std::string(kNoReport)
              : report.editorGone ? kGone
                                  : report.text,
              c.expectedText);
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
    // The editor goes away while it handles the tool's 1st to 4th message: the code page, the
    // caret, the line's size, the line written into the buffer.
    {"EditorDestroyedAtFirstMessage", L"destroy-at=1", kGone},
    {"EditorDestroyedAtSecondMessage", L"destroy-at=2", kGone},
    {"EditorDestroyedAtThirdMessage", L"destroy-at=3", kGone},
    {"EditorDestroyedAtFourthMessage", L"destroy-at=4", kGone},
    {"IdeEndsAtFirstMessage", L"exit-at=1", kNoReport},
    {"IdeEndsAtSecondMessage", L"exit-at=2", kNoReport},
    {"IdeEndsAtThirdMessage", L"exit-at=3", kNoReport},
    // An editor that stops answering: the program gives up within its limit, changes nothing,
    // and the buffer of the 4th message stays for the editor to write into when it wakes.
    {"EditorSilentAtFirstMessage", L"silent-at=1", kUnchanged},
    {"EditorSilentAtSecondMessage", L"silent-at=2", kUnchanged},
    {"EditorSilentAtThirdMessage", L"silent-at=3", kUnchanged},
    {"EditorSilentAtFourthMessage", L"silent-at=4", kUnchanged},
    // Hostile values of the window variables.
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

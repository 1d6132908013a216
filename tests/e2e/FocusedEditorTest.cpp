// How a start with --focused picks its editor, against real windows: a real Scintilla and a
// find box in a window of this process, the stand-in IDE (IdeHost.exe, beside the test program)
// as another process in front, and no foreground window at all. A process this one may not
// open (an elevated program's) is beyond what Wine can make.
#include "idelink/FocusedEditor.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "e2e/support/Files.h"
#include "e2e/support/Processes.h"
#include "e2e/support/RemoteMemory.h"

namespace {

using endtoend::programFolder;
using idelink::FocusedPick;

std::intptr_t handle(HWND window) {
    return reinterpret_cast<std::intptr_t>(window);
}

// Answers messages until the condition holds or the time is up.
bool waitFor(const std::function<bool()>& condition) {
    return endtoend::waitUntil([&] { return endtoend::pumpMessages() && condition(); }, 15000);
}

enum class Front { OwnScintilla, OwnFindBox, NoWindow, VanishedWindow, OtherProcess };

struct PickCase {
    const char* name;
    Front front;
    FocusedPick pick; // Editor: the focused Scintilla and its top-level window
};

void PrintTo(const PickCase& c, std::ostream* out) {
    *out << c.name;
}

class FocusedEditorPick : public ::testing::TestWithParam<PickCase> {
  protected:
    static void SetUpTestSuite() { LoadLibraryW((programFolder() + L"Scintilla.dll").c_str()); }
};

TEST_P(FocusedEditorPick, TakesOnlyTheFocusedScintilla) {
    const PickCase& c = GetParam();
    // An editor's window in this process: a real Scintilla and a find box beside it.
    HWND main = CreateWindowExW(0, L"Static", L"editor", WS_OVERLAPPEDWINDOW, 60, 60, 500, 300,
                                nullptr, nullptr, nullptr, nullptr);
    HWND editor = CreateWindowExW(0, L"Scintilla", L"", WS_CHILD | WS_VISIBLE, 0, 0, 480, 200, main,
                                  nullptr, nullptr, nullptr);
    HWND findBox = CreateWindowExW(0, L"Edit", L"", WS_CHILD | WS_VISIBLE, 0, 210, 200, 24, main,
                                   nullptr, nullptr, nullptr);
    ASSERT_NE(editor, nullptr) << "Scintilla.dll must stand beside the test program";
    HWND focus = c.front == Front::OwnFindBox ? findBox : editor;
    ShowWindow(main, SW_SHOW);
    SetForegroundWindow(main);
    SetFocus(focus);
    ASSERT_TRUE(waitFor([&] { return GetForegroundWindow() == main && GetFocus() == focus; }));

    idelink::FocusedEditor found;
    HWND expectedMain = main, expectedEditor = editor;
    endtoend::ChildProcess other;
    if (c.front == Front::NoWindow) {
        found = idelink::focusedEditorOf(0);
    } else if (c.front == Front::VanishedWindow) {
        DestroyWindow(main);
        found = idelink::focusedEditorOf(handle(main));
    } else if (c.front == Front::OtherProcess) {
        // The stand-in IDE comes to the front with the focus in its editor.
        other = endtoend::ChildProcess(L"\"" + programFolder() + L"IdeHost.exe\"", programFolder());
        ASSERT_TRUE(other.started());
        EXPECT_TRUE(waitFor([&] {
            expectedMain = GetForegroundWindow();
            expectedEditor = FindWindowExW(expectedMain, nullptr, L"Scintilla", nullptr);
            return endtoend::processOf(expectedMain) == other.id() && expectedEditor &&
                   endtoend::focusOf(expectedMain) == expectedEditor;
        })) << "IdeHost.exe did not come to the front";
        found = idelink::findFocusedEditor();
        PostMessageW(expectedMain, WM_CLOSE, 0, 0);
        other.wait(5000); // ended by force when it did not close
    } else {
        found = idelink::findFocusedEditor();
    }
    DestroyWindow(main);

    EXPECT_EQ(found.pick, c.pick);
    const bool picked = c.pick == FocusedPick::Editor;
    EXPECT_EQ(found.windows.editor, picked ? handle(expectedEditor) : 0);
    EXPECT_EQ(found.windows.main, picked ? handle(expectedMain) : 0);
}

const PickCase kCases[] = {
    {"FocusedScintilla", Front::OwnScintilla, FocusedPick::Editor},
    {"FocusedFindBoxOfAnEditorWindow", Front::OwnFindBox, FocusedPick::None},
    {"NoForegroundWindow", Front::NoWindow, FocusedPick::None},
    {"ForegroundWindowGone", Front::VanishedWindow, FocusedPick::None},
    {"ScintillaOfAnotherProcessInFront", Front::OtherProcess, FocusedPick::Editor},
};

INSTANTIATE_TEST_SUITE_P(Cases, FocusedEditorPick, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace

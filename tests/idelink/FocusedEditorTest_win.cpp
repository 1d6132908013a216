// How a start with --focused picks its editor, against real windows: a real Scintilla and an
// edit box in a window of this process, the stand-in IDE (IdeHost.exe, beside the test
// program) as another process in front, and no foreground window at all. What only an
// elevated program shows, a process this one may not open, Wine cannot make.
#include "idelink/FocusedEditor.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {

using idelink::FocusedPick;

std::wstring testFolder() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path);
    return folder.substr(0, folder.find_last_of(L"\\/") + 1);
}

std::intptr_t handle(HWND window) {
    return reinterpret_cast<std::intptr_t>(window);
}

// Answers messages until the condition holds or the time is up.
template <typename Condition> bool waitFor(Condition condition, DWORD limitMs) {
    const ULONGLONG end = GetTickCount64() + limitMs;
    while (!condition()) {
        if (GetTickCount64() > end)
            return false;
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&message);
        Sleep(20);
    }
    return true;
}

// An editor's window in this process: a real Scintilla and a find box beside it.
struct OwnEditorWindow {
    OwnEditorWindow() {
        main = CreateWindowExW(0, L"Static", L"editor", WS_OVERLAPPEDWINDOW, 60, 60, 500, 300,
                               nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        editor = CreateWindowExW(0, L"Scintilla", L"", WS_CHILD | WS_VISIBLE, 0, 0, 480, 200, main,
                                 nullptr, GetModuleHandleW(nullptr), nullptr);
        findBox = CreateWindowExW(0, L"Edit", L"", WS_CHILD | WS_VISIBLE | WS_BORDER, 0, 210, 200,
                                  24, main, nullptr, GetModuleHandleW(nullptr), nullptr);
    }
    ~OwnEditorWindow() { DestroyWindow(main); }
    OwnEditorWindow(const OwnEditorWindow&) = delete;
    OwnEditorWindow& operator=(const OwnEditorWindow&) = delete;

    bool bringToFrontWithFocusIn(HWND child) {
        ShowWindow(main, SW_SHOW);
        SetForegroundWindow(main);
        SetFocus(child);
        return waitFor([&] { return GetForegroundWindow() == main && GetFocus() == child; }, 5000);
    }

    HWND main = nullptr;
    HWND editor = nullptr;
    HWND findBox = nullptr;
};

// The stand-in IDE, started interactively, in front with the focus in its editor.
struct OtherProcessEditor {
    OtherProcessEditor() {
        std::wstring command = L"\"" + testFolder() + L"IdeHost.exe\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                            testFolder().c_str(), &startup, &process))
            return;
        waitFor(
            [&] {
                HWND front = GetForegroundWindow();
                DWORD owner = 0;
                GetWindowThreadProcessId(front, &owner);
                if (owner != process.dwProcessId)
                    return false;
                main = front;
                editor = FindWindowExW(main, nullptr, L"Scintilla", nullptr);
                return editor != nullptr;
            },
            15000);
    }
    ~OtherProcessEditor() {
        if (!process.hProcess)
            return;
        if (main)
            PostMessageW(main, WM_CLOSE, 0, 0);
        if (WaitForSingleObject(process.hProcess, 5000) != WAIT_OBJECT_0)
            TerminateProcess(process.hProcess, 1);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    OtherProcessEditor(const OtherProcessEditor&) = delete;
    OtherProcessEditor& operator=(const OtherProcessEditor&) = delete;

    PROCESS_INFORMATION process{};
    HWND main = nullptr;
    HWND editor = nullptr;
};

enum class Front { OwnScintillaFocused, OwnFindBoxFocused, NoWindow, VanishedWindow, OtherProcess };

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
    static void SetUpTestSuite() { LoadLibraryW((testFolder() + L"Scintilla.dll").c_str()); }
};

TEST_P(FocusedEditorPick, TakesOnlyTheFocusedScintilla) {
    const PickCase& c = GetParam();
    idelink::FocusedEditor found;
    idelink::IdeWindows expected;
    switch (c.front) {
    case Front::OwnScintillaFocused:
    case Front::OwnFindBoxFocused: {
        OwnEditorWindow own;
        ASSERT_NE(own.editor, nullptr) << "Scintilla.dll must stand beside the test program";
        HWND focus = c.front == Front::OwnScintillaFocused ? own.editor : own.findBox;
        ASSERT_TRUE(own.bringToFrontWithFocusIn(focus));
        found = idelink::findFocusedEditor();
        expected = {handle(own.editor), handle(own.main)};
        break;
    }
    case Front::NoWindow:
        found = idelink::focusedEditorOf(0);
        break;
    case Front::VanishedWindow: {
        OwnEditorWindow own;
        ASSERT_TRUE(own.bringToFrontWithFocusIn(own.editor));
        const std::intptr_t gone = handle(own.main);
        DestroyWindow(own.main);
        found = idelink::focusedEditorOf(gone);
        own.main = nullptr;
        break;
    }
    case Front::OtherProcess: {
        OtherProcessEditor other;
        ASSERT_NE(other.editor, nullptr) << "IdeHost.exe did not come to the front";
        found = idelink::findFocusedEditor();
        expected = {handle(other.editor), handle(other.main)};
        break;
    }
    }
    EXPECT_EQ(found.pick, c.pick);
    if (c.pick == FocusedPick::Editor) {
        EXPECT_EQ(found.windows.editor, expected.editor);
        EXPECT_EQ(found.windows.main, expected.main);
    } else {
        EXPECT_EQ(found.windows.editor, 0);
        EXPECT_EQ(found.windows.main, 0);
    }
}

const PickCase kCases[] = {
    {"FocusedScintilla", Front::OwnScintillaFocused, FocusedPick::Editor},
    {"FocusedFindBoxOfAnEditorWindow", Front::OwnFindBoxFocused, FocusedPick::None},
    {"NoForegroundWindow", Front::NoWindow, FocusedPick::None},
    {"ForegroundWindowGone", Front::VanishedWindow, FocusedPick::None},
    {"ScintillaOfAnotherProcessInFront", Front::OtherProcess, FocusedPick::Editor},
};

INSTANTIATE_TEST_SUITE_P(Cases, FocusedEditorPick, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace

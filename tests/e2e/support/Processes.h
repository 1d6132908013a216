#pragma once
// Starting the programs of an end-to-end run (a stand-in IDE, SciTE, the tool itself) and
// collecting how they ended.
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

#include "app/AppState.h"
#include "base/OwnedHandles_win.h"
#include "e2e/support/Wait.h"

namespace endtoend {

// A started process, ended by force if it still runs when its owner goes: a test that failed
// half-way must not leave a window behind for the next one.
class ChildProcess {
  public:
    ChildProcess() = default;
    // The command line starts with the program's quoted path unless the application is given;
    // an empty folder is this process's working directory.
    ChildProcess(std::wstring commandLine, const std::wstring& folder,
                 const wchar_t* application = nullptr) {
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION process{};
        if (!CreateProcessW(application, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                            folder.empty() ? nullptr : folder.c_str(), &startup, &process))
            return;
        CloseHandle(process.hThread);
        handle_.reset(process.hProcess);
        id_ = process.dwProcessId;
    }
    ~ChildProcess() {
        if (handle_ && !wait(0)) {
            TerminateProcess(handle_.get(), 1);
            wait(5000);
        }
    }
    ChildProcess(ChildProcess&&) = default;
    ChildProcess& operator=(ChildProcess&&) = default;

    bool started() const { return bool(handle_); }
    HANDLE handle() const { return handle_.get(); }
    DWORD id() const { return id_; }
    bool wait(int milliseconds) const {
        return handle_ && WaitForSingleObject(handle_.get(), DWORD(milliseconds)) == WAIT_OBJECT_0;
    }
    // The exit code once the process has ended.
    std::optional<DWORD> exitCode() const {
        DWORD code = 0;
        if (!handle_ || !GetExitCodeProcess(handle_.get(), &code) || code == STILL_ACTIVE)
            return std::nullopt;
        return code;
    }

  private:
    base::OwnedKernelHandle handle_;
    DWORD id_ = 0;
};

// The IDE announces its editor and main window to a tool it starts in these two variables,
// which the child inherits from this process's environment.
inline void setToolVariables(const wchar_t* editor, const wchar_t* main) {
    SetEnvironmentVariableW(app::kEditorVariable, editor);
    SetEnvironmentVariableW(app::kMainWindowVariable, main);
}

inline BOOL CALLBACK closeIfOwnedBy(HWND window, LPARAM processId) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == DWORD(processId) && IsWindowVisible(window))
        PostMessageW(window, WM_CLOSE, 0, 0);
    return TRUE;
}

// Posts WM_CLOSE to every visible top-level window of the process, as a user closes them.
inline void closeWindowsOf(DWORD processId) {
    EnumWindows(closeIfOwnedBy, LPARAM(processId));
}

// The visible active window when it belongs to the process, else nullptr.
inline HWND activeWindowOf(DWORD processId) {
    HWND active = GetForegroundWindow();
    DWORD owner = 0;
    if (!active || !IsWindowVisible(active) || !GetWindowThreadProcessId(active, &owner))
        return nullptr;
    return owner == processId ? active : nullptr;
}

// The window with the keyboard focus in the thread of the given window.
inline HWND focusOf(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) ? info.hwndFocus
                                                                              : nullptr;
}

// The first window with the control number among the window's children and theirs.
inline HWND findChild(HWND parent, int id) {
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (GetDlgCtrlID(child) == id)
            return child;
        if (HWND inner = findChild(child, id))
            return inner;
    }
    return nullptr;
}

struct ToolOutcome {
    bool started = false;
    bool ended = false;
    DWORD exitCode = 0;
    ULONGLONG milliseconds = 0; // from the start to the end, or to giving up
};

// Runs the tool to its end, answering messages meanwhile (a window of this process may be the
// IDE's), and closes every window it shows, as a user would close the manager or the picker.
// A tool still running after the limit is ended by force.
inline ToolOutcome runToolClosingWindows(const std::wstring& tool, const std::wstring& arguments,
                                         const std::wstring& folder, int limitMs) {
    ToolOutcome outcome;
    const ULONGLONG start = GetTickCount64();
    ChildProcess process(L"\"" + tool + L"\"" + (arguments.empty() ? L"" : L" " + arguments),
                         folder, tool.c_str());
    if (!process.started())
        return outcome;
    outcome.started = true;
    waitUntil(
        [&] {
            outcome.ended = waitForProcess(process.handle(), 100);
            if (!outcome.ended)
                closeWindowsOf(process.id());
            return outcome.ended;
        },
        limitMs, 0);
    outcome.milliseconds = GetTickCount64() - start;
    if (outcome.ended)
        outcome.exitCode = process.exitCode().value_or(0);
    return outcome;
}

} // namespace endtoend

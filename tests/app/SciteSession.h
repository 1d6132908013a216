#pragma once
// A real SciTE (Sc1.exe, beside the running program) with Zendrik on its Tools menu as
// "Zendrik.exe --focused" on Ctrl+F12 and its picker ("--focused --pick") on Ctrl+F11, set up
// through SciTE's own properties as its users do, and the keys and reads that drive it from
// outside: for the end-to-end runs and the SciTE benchmark.
#include <windows.h>

#include "app/HostRun.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace scitetest {

using endtoend::programFolder;

inline constexpr int kEditorId = 350; // SciTE's editing pane
inline constexpr int kOutputId = 351; // its output pane, where a command's exit code shows
inline constexpr UINT kSciGetLength = 2006, kSciGetText = 2182, kSciGetCurrentPos = 2008,
                      kSciGetAnchor = 2009, kSciGotoPos = 2025, kSciEmptyUndoBuffer = 2175;

// SciTE looks a key up among its language keys (F12 is HTML's) before a command's shortcut,
// and among the commands' shortcuts before its menus' keys: Ctrl+F12 is in neither. The
// program runs as a Windows program, and SciTE never saves the file first.
inline constexpr char kUserProperties[] = "command.name.0.*=Zendrik\r\n"
                                          "command.0.*=\"%s\" --focused\r\n"
                                          "command.subsystem.0.*=1\r\n"
                                          "command.save.before.0.*=2\r\n"
                                          "command.shortcut.0.*=Ctrl+F12\r\n"
                                          "command.name.1.*=Zendrik picker\r\n"
                                          "command.1.*=\"%s\" --focused --pick\r\n"
                                          "command.subsystem.1.*=1\r\n"
                                          "command.save.before.1.*=2\r\n"
                                          "command.shortcut.1.*=Ctrl+F11\r\n"
                                          "code.page=65001\r\n";

inline constexpr char kShortcuts[] = "\xEF\xBB\xBF\r\n"
                                     "[Shortcuts]\r\n"
                                     "if = If ¤EndIf\r\n"
                                     "mb = MessageRequester(%Title=Grüße, %Text=Hello)\r\n";

// The whole text of a Scintilla in another process, read through a buffer there.
inline std::string remoteText(HWND editor) {
    DWORD processId = 0;
    GetWindowThreadProcessId(editor, &processId);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ, FALSE, processId);
    if (!process)
        return "<unreadable>";
    const auto length = size_t(SendMessageW(editor, kSciGetLength, 0, 0));
    std::string text(length, '\0');
    void* remote = VirtualAllocEx(process, nullptr, length + 1, MEM_COMMIT, PAGE_READWRITE);
    SIZE_T read = 0;
    if (!remote || (SendMessageW(editor, kSciGetText, length + 1, reinterpret_cast<LPARAM>(remote)),
                    length > 0 && !ReadProcessMemory(process, remote, text.data(), length, &read)))
        text = "<unreadable>";
    if (remote)
        VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
    return text;
}

inline void press(std::vector<WORD> keys) { // held down in order, let go in reverse
    std::vector<INPUT> inputs;
    for (int up = 0; up < 2; ++up) {
        for (size_t i = 0; i < keys.size(); ++i) {
            INPUT input{};
            input.type = INPUT_KEYBOARD;
            input.ki.wVk = keys[up ? keys.size() - 1 - i : i];
            input.ki.wScan = WORD(MapVirtualKeyW(input.ki.wVk, MAPVK_VK_TO_VSC));
            input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
            inputs.push_back(input);
        }
    }
    SendInput(UINT(inputs.size()), inputs.data(), sizeof(INPUT));
}

inline void typeText(const std::wstring& text) {
    for (const wchar_t unit : text) {
        INPUT input[2] = {};
        for (int up = 0; up < 2; ++up) {
            input[up].type = INPUT_KEYBOARD;
            input[up].ki.wScan = unit;
            input[up].ki.dwFlags = KEYEVENTF_UNICODE | (up ? KEYEVENTF_KEYUP : 0);
        }
        SendInput(2, input, sizeof(INPUT));
    }
}

template <typename Condition>
inline bool waitFor(Condition condition, int limitMs, int stepMs = 20) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        Sleep(DWORD(stepMs));
    }
    return true;
}

inline DWORD processOf(HWND window) {
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    return processId;
}

inline HWND focusOf(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) ? info.hwndFocus
                                                                              : nullptr;
}

// The program in a folder of its own with the test's Shortcuts, and SciTE started on a
// document in the folder above, which holds its user properties (SciTE_HOME). SciTE is ended,
// not closed, at the end: its document is changed and would ask to be saved.
class Session {
  public:
    Session(const std::string& document) {
        const std::wstring toolFolder = scratch_.path + L"\\tool";
        tool_ = toolFolder + L"\\Zendrik.exe";
        char properties[1024];
        const std::string toolPath(tool_.begin(), tool_.end()); // ASCII folders
        std::snprintf(properties, sizeof properties, kUserProperties, toolPath.c_str(),
                      toolPath.c_str());
        const std::wstring documentPath = scratch_.path + L"\\document.txt";
        if (!CreateDirectoryW(toolFolder.c_str(), nullptr) ||
            !CopyFileW((programFolder() + L"Zendrik.exe").c_str(), tool_.c_str(), FALSE) ||
            !endtoend::writeBytes(preferences(), kShortcuts) ||
            !endtoend::writeBytes(scratch_.path + L"\\SciTEUser.properties", properties) ||
            !endtoend::writeBytes(documentPath, document))
            return;
        SetEnvironmentVariableW(L"SciTE_HOME", scratch_.path.c_str());
        // GDI drawing: the default Direct2D shows a black editor on a bare X server.
        std::wstring command =
            L"\"" + programFolder() + L"Sc1.exe\" -technology=0 \"" + documentPath + L"\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                            scratch_.path.c_str(), &startup, &process_))
            process_ = {};
        SetEnvironmentVariableW(L"SciTE_HOME", nullptr);
        waitFor([&] { return findWindows(); }, 15000);
    }
    ~Session() {
        if (!process_.hProcess)
            return;
        TerminateProcess(process_.hProcess, 0);
        WaitForSingleObject(process_.hProcess, 5000);
        CloseHandle(process_.hThread);
        CloseHandle(process_.hProcess);
    }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // SciTE in front with the keyboard focus in its editor, the caret at the offset and
    // nothing to undo, as after opening the file.
    bool prepare(int64_t caret) {
        if (!editor || !output)
            return false;
        SendMessageW(editor, kSciGotoPos, WPARAM(caret), 0);
        SendMessageW(editor, kSciEmptyUndoBuffer, 0, 0);
        SetForegroundWindow(main);
        return waitFor([&] { return GetForegroundWindow() == main && focusOf(main) == editor; },
                       5000);
    }

    std::string text() const { return remoteText(editor); }
    int64_t caret() const { return SendMessageW(editor, kSciGetCurrentPos, 0, 0); }
    int64_t anchor() const { return SendMessageW(editor, kSciGetAnchor, 0, 0); }
    int64_t length() const { return SendMessageW(editor, kSciGetLength, 0, 0); }
    std::wstring preferences() const { return scratch_.path + L"\\tool\\Zendrik.pref"; }

    // The exit codes SciTE shows in its output pane for the commands it started.
    std::vector<int> exitCodes() const {
        const std::string shown = remoteText(output);
        std::vector<int> codes;
        for (size_t at = shown.find(">Exit code: "); at != std::string::npos;
             at = shown.find(">Exit code: ", at + 1))
            codes.push_back(std::atoi(shown.c_str() + at + 12));
        return codes;
    }

    // A visible window in front that is neither SciTE's nor this process's: the program's.
    bool programWindowInFront() const {
        HWND front = GetForegroundWindow();
        const DWORD owner = front ? processOf(front) : 0;
        return owner != 0 && owner != process_.dwProcessId && owner != GetCurrentProcessId() &&
               IsWindowVisible(front);
    }

    HWND main = nullptr, editor = nullptr, output = nullptr;

  private:
    bool findWindows() {
        main = nullptr;
        while ((main = FindWindowExW(nullptr, main, L"SciTEWindow", nullptr)))
            if (processOf(main) == process_.dwProcessId && IsWindowVisible(main))
                break;
        if (!main)
            return false;
        EnumChildWindows(
            main,
            [](HWND child, LPARAM data) {
                auto* session = reinterpret_cast<Session*>(data);
                wchar_t name[16] = {};
                GetClassNameW(child, name, 16);
                if (std::wstring(name) == L"Scintilla" && GetDlgCtrlID(child) == kEditorId)
                    session->editor = child;
                if (std::wstring(name) == L"Scintilla" && GetDlgCtrlID(child) == kOutputId)
                    session->output = child;
                return TRUE;
            },
            reinterpret_cast<LPARAM>(this));
        return editor && output;
    }

    endtoend::ScratchFolder scratch_;
    std::wstring tool_;
    PROCESS_INFORMATION process_{};
};

} // namespace scitetest

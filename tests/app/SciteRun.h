#pragma once
// SciTE (Sc1.exe, beside the test program) with the program on its Tools menu, set up through
// SciTE's own properties as its users do: a run starts SciTE on a document, types into its
// editor and presses the command's shortcut, so that SciTE starts the program itself. Keys go
// in through SendInput, the path by which Wine delivers X key presses too, so they reach the
// foreground window whichever X window has the pointer.
#include "app/EndToEndFiles.h"

#include <windows.h>

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace scite {

inline constexpr int kEditorId = 350; // SciTE's editing pane
inline constexpr int kOutputId = 351; // its output pane, where a command's exit code shows
// SciTE looks a key up among its language keys (F12 is HTML's) before a command's shortcut,
// and among a command's shortcuts before its menus' keys: Ctrl+F12 is in neither.
inline constexpr wchar_t kShortcutName[] = L"Ctrl+F12";
inline constexpr WORD kShortcutKey = VK_F12; // with Ctrl

constexpr UINT kSciGetLength = 2006;
constexpr UINT kSciGetText = 2182;
constexpr UINT kSciGetCurrentPos = 2008;
constexpr UINT kSciGetAnchor = 2009;
constexpr UINT kSciGotoPos = 2025;
constexpr UINT kSciEmptyUndoBuffer = 2175;

// SciTE's user properties: the program as command 0, started with --focused as a Windows
// program, the file never saved first, on the shortcut; the editor in UTF-8.
inline std::string userProperties(const std::wstring& tool) {
    const std::string path(tool.begin(), tool.end()); // the tests' folders are ASCII
    std::string shortcut;
    for (const wchar_t* c = kShortcutName; *c; ++c)
        shortcut += char(*c);
    return "command.name.0.*=Zendrik\r\n"
           "command.0.*=\"" +
           path +
           "\" --focused\r\n"
           "command.subsystem.0.*=1\r\n"
           "command.save.before.0.*=2\r\n"
           "command.shortcut.0.*=" +
           shortcut +
           "\r\n"
           "code.page=65001\r\n";
}

// The whole text of a Scintilla in another process, read through a buffer there.
inline std::optional<std::string> remoteText(HWND editor) {
    DWORD processId = 0;
    GetWindowThreadProcessId(editor, &processId);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ, FALSE, processId);
    if (!process)
        return std::nullopt;
    std::optional<std::string> text;
    const auto length = SendMessageW(editor, kSciGetLength, 0, 0);
    void* remote = VirtualAllocEx(process, nullptr, size_t(length) + 1, MEM_COMMIT, PAGE_READWRITE);
    if (remote) {
        SendMessageW(editor, kSciGetText, WPARAM(length + 1), reinterpret_cast<LPARAM>(remote));
        std::string bytes(size_t(length), '\0');
        SIZE_T read = 0;
        if (length == 0 || (ReadProcessMemory(process, remote, bytes.data(), bytes.size(), &read) &&
                            read == bytes.size()))
            text = std::move(bytes);
        VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    }
    CloseHandle(process);
    return text;
}

inline INPUT key(WORD virtualKey, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    input.ki.wScan = WORD(MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return input;
}

inline void press(std::vector<INPUT> keys) {
    SendInput(UINT(keys.size()), keys.data(), sizeof(INPUT));
}

inline void pressKey(WORD virtualKey) {
    press({key(virtualKey, false), key(virtualKey, true)});
}

inline void pressWithControl(WORD virtualKey) {
    press({key(VK_CONTROL, false), key(virtualKey, false), key(virtualKey, true),
           key(VK_CONTROL, true)});
}

inline void typeText(const std::wstring& text) {
    for (const wchar_t unit : text) {
        INPUT down{};
        down.type = INPUT_KEYBOARD;
        down.ki.wScan = unit;
        down.ki.dwFlags = KEYEVENTF_UNICODE;
        INPUT up = down;
        up.ki.dwFlags |= KEYEVENTF_KEYUP;
        press({down, up});
    }
}

template <typename Condition> bool waitFor(Condition condition, int limitMs, int stepMs = 20) {
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

// One SciTE, started on a document in a folder that holds its user properties; ended (not
// closed: the document is changed and would ask to be saved) when the run is over.
class Session {
  public:
    Session(const std::wstring& folder, const std::wstring& tool, const std::string& document) {
        const std::wstring properties = folder + L"\\SciTEUser.properties";
        const std::wstring documentPath = folder + L"\\document.txt";
        if (!endtoend::writeBytes(properties, userProperties(tool)) ||
            !endtoend::writeBytes(documentPath, document))
            return;
        // SciTE_HOME names the folder of both its property files; the program inherits the
        // variable, which means nothing to it.
        SetEnvironmentVariableW(L"SciTE_HOME", folder.c_str());
        // GDI drawing: the default Direct2D shows a black editor on a bare X server.
        std::wstring command = L"\"" + endtoend::programFolder() + L"Sc1.exe\" -technology=0 \"" +
                               documentPath + L"\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        const bool started = CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0,
                                            nullptr, folder.c_str(), &startup, &process_);
        SetEnvironmentVariableW(L"SciTE_HOME", nullptr);
        if (!started) {
            process_ = {};
            return;
        }
        WaitForInputIdle(process_.hProcess, 10000);
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

    bool ready() const { return main && editor && output; }

    // SciTE in front with the keyboard focus in its editor, the caret at the offset and
    // nothing to undo, as after opening the file.
    bool prepare(int64_t caret) {
        SendMessageW(editor, kSciGotoPos, WPARAM(caret), 0);
        SendMessageW(editor, kSciEmptyUndoBuffer, 0, 0);
        SetForegroundWindow(main);
        return waitFor([&] { return GetForegroundWindow() == main && focusOf(main) == editor; },
                       5000);
    }

    std::string text() const { return remoteText(editor).value_or("<unreadable>"); }
    int64_t caret() const { return int64_t(SendMessageW(editor, kSciGetCurrentPos, 0, 0)); }
    int64_t anchor() const { return int64_t(SendMessageW(editor, kSciGetAnchor, 0, 0)); }
    int64_t length() const { return int64_t(SendMessageW(editor, kSciGetLength, 0, 0)); }

    // The exit code SciTE shows in its output pane once the command it started has ended.
    std::optional<int> commandExitCode() const {
        const std::string shown = remoteText(output).value_or("");
        const size_t at = shown.rfind(">Exit code: ");
        if (at == std::string::npos)
            return std::nullopt;
        return std::atoi(shown.c_str() + at + 12);
    }

    // A visible window in front that is neither SciTE's nor this process's: the program's.
    bool programWindowInFront() const {
        HWND front = GetForegroundWindow();
        const DWORD owner = front ? processOf(front) : 0;
        return owner != 0 && owner != process_.dwProcessId && owner != GetCurrentProcessId() &&
               IsWindowVisible(front);
    }

    HWND main = nullptr;
    HWND editor = nullptr;
    HWND output = nullptr;

  private:
    bool findWindows() {
        struct Search {
            DWORD processId;
            HWND main = nullptr;
        } search{process_.dwProcessId};
        EnumWindows(
            [](HWND window, LPARAM data) {
                auto* s = reinterpret_cast<Search*>(data);
                wchar_t name[32] = {};
                GetClassNameW(window, name, 32);
                if (processOf(window) == s->processId && std::wstring(name) == L"SciTEWindow" &&
                    IsWindowVisible(window)) {
                    s->main = window;
                    return FALSE;
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&search));
        if (!search.main)
            return false;
        main = search.main;
        editor = childScintilla(kEditorId);
        output = childScintilla(kOutputId);
        return editor && output;
    }

    HWND childScintilla(int id) const {
        struct Search {
            int id;
            HWND found = nullptr;
        } search{id};
        EnumChildWindows(
            main,
            [](HWND window, LPARAM data) {
                auto* s = reinterpret_cast<Search*>(data);
                wchar_t name[32] = {};
                GetClassNameW(window, name, 32);
                if (GetDlgCtrlID(window) == s->id && std::wstring(name) == L"Scintilla") {
                    s->found = window;
                    return FALSE;
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&search));
        return search.found;
    }

    PROCESS_INFORMATION process_{};
};

} // namespace scite

#pragma once
// A real SciTE (Sc1.exe, beside the running program) with Zendrik on its Tools menu as
// "Zendrik.exe --focused --file "$(FilePath)"" on Ctrl+F12 and its picker ("--focused --pick",
// with the same file) on Ctrl+F11, set up
// through SciTE's own properties as its users do, and the keys and reads that drive it from
// outside: for the end-to-end runs and the SciTE benchmark.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/TextConvert.h"
#include "e2e/support/Files.h"
#include "e2e/support/Input.h"
#include "e2e/support/Processes.h"
#include "e2e/support/RemoteMemory.h"
#include "e2e/support/StandInIde.h"
#include "e2e/support/Wait.h"
#include "idelink/ScintillaMessages.h"

namespace endtoend {

using endtoend::focusOf;
using endtoend::press;
using endtoend::processOf;
using endtoend::programFolder;
using endtoend::typeText;
using endtoend::waitUntil;

inline constexpr int kEditorId = 350; // SciTE's editing pane
inline constexpr int kOutputId = 351; // its output pane, where a command's exit code shows

// SciTE looks a key up among its language keys (F12 is HTML's) before a command's shortcut,
// and among the commands' shortcuts before its menus' keys: Ctrl+F12 is in neither. The
// program runs as a Windows program, and SciTE never saves the file first. A document keeps the
// line breaks it was opened with (eol.auto). kUtf8Property makes every document UTF-8; without it
// SciTE keeps its shipped setting, code page 0 in the system's ANSI code page.
inline constexpr char kUtf8Property[] = "code.page=65001\r\n";
inline constexpr char kUserProperties[] =
    "command.name.0.*=Zendrik\r\n"
    "command.0.*=\"%s\" --focused --file \"$(FilePath)\"\r\n"
    "command.subsystem.0.*=1\r\n"
    "command.save.before.0.*=2\r\n"
    "command.shortcut.0.*=Ctrl+F12\r\n"
    "command.name.1.*=Zendrik picker\r\n"
    "command.1.*=\"%s\" --focused --pick --file \"$(FilePath)\"\r\n"
    "command.subsystem.1.*=1\r\n"
    "command.save.before.1.*=2\r\n"
    "command.shortcut.1.*=Ctrl+F11\r\n"
    "eol.auto=1\r\n";

inline constexpr char kShortcuts[] = "\xEF\xBB\xBF\r\n"
                                     "[Shortcuts]\r\n"
                                     "if = If ¤EndIf\r\n"
                                     "mb = MessageRequester(%Title=Grüße, %Text=Hello)\r\n"
                                     "wrap = If ok¤  %(sel)¤EndIf\r\n"
                                     "hdr = XIncludeFile \"%(filebase).pbi\" ; %(filename)\r\n";

inline std::string remoteText(HWND editor) {
    return endtoend::remoteEditorText(editor).value_or("<unreadable>");
}

// The caret window's first edit control that is (label) or is not (a field) read only.
inline HWND caretWindowEdit(HWND window, bool label) {
    for (HWND child = FindWindowExW(window, nullptr, L"Edit", nullptr); child;
         child = FindWindowExW(window, child, L"Edit", nullptr))
        if (bool(GetWindowLongW(child, GWL_STYLE) & ES_READONLY) == label)
            return child;
    return nullptr;
}

// The colour the screen shows a few pixels inside the rectangle's left or right end, halfway
// down: a control's background beside its text.
inline COLORREF colourOnScreen(RECT bounds, bool leftEnd) {
    HDC screen = GetDC(nullptr);
    const COLORREF pixel = GetPixel(screen, leftEnd ? bounds.left + 3 : bounds.right - 6,
                                    (bounds.top + bounds.bottom) / 2);
    ReleaseDC(nullptr, screen);
    return pixel;
}
inline COLORREF colourOnScreen(HWND control, bool leftEnd) {
    RECT bounds{};
    GetWindowRect(control, &bounds);
    return colourOnScreen(bounds, leftEnd);
}

// The program in a folder of its own with the test's Shortcuts, and SciTE started on a
// document in the folder above, which holds its user properties (SciTE_HOME). SciTE is ended,
// not closed, at the end: its document is changed and would ask to be saved.
class Session {
  public:
    // moreProperties go after the session's own, as a user's own lines would.
    Session(const std::string& document, bool utf8 = true, const std::string& moreProperties = {}) {
        const std::wstring toolFolder = scratch_.path + L"\\tool";
        tool_ = toolFolder + L"\\Zendrik.exe";
        char properties[1024];
        const std::string toolPath = text::utf16ToUtf8(text::fromWide(tool_));
        std::snprintf(properties, sizeof properties, kUserProperties, toolPath.c_str(),
                      toolPath.c_str());
        const std::string allProperties =
            properties + std::string(utf8 ? kUtf8Property : "") + moreProperties;
        const std::wstring documentPath = scratch_.path + L"\\document.txt";
        if (!CreateDirectoryW(toolFolder.c_str(), nullptr) ||
            !CopyFileW((programFolder() + L"Zendrik.exe").c_str(), tool_.c_str(), FALSE) ||
            !endtoend::writeBytes(preferences(), kShortcuts) ||
            !endtoend::writeBytes(scratch_.path + L"\\SciTEUser.properties", allProperties) ||
            !endtoend::writeBytes(documentPath, document))
            return;
        SetEnvironmentVariableW(L"SciTE_HOME", scratch_.path.c_str());
        // GDI drawing: the default Direct2D shows a black editor on a bare X server.
        std::wstring command =
            L"\"" + programFolder() + L"Sc1.exe\" -technology=0 \"" + documentPath + L"\"";
        process_ = endtoend::ChildProcess(command, scratch_.path);
        SetEnvironmentVariableW(L"SciTE_HOME", nullptr);
        waitUntil([&] { return findWindows(); }, 15000);
    }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // SciTE in front with the keyboard focus in its editor, the selection from the anchor to
    // the caret and nothing to undo, as after opening the file.
    bool prepare(int64_t anchor, int64_t caret) {
        if (!editor || !output)
            return false;
        SendMessageW(editor, idelink::SCI_SETSEL, WPARAM(anchor), LPARAM(caret));
        SendMessageW(editor, idelink::SCI_EMPTYUNDOBUFFER, 0, 0);
        SetForegroundWindow(main);
        return waitUntil([&] { return GetForegroundWindow() == main && focusOf(main) == editor; },
                         5000);
    }

    std::string text() const { return remoteText(editor); }
    int64_t caret() const { return SendMessageW(editor, idelink::SCI_GETCURRENTPOS, 0, 0); }
    int64_t anchor() const { return SendMessageW(editor, idelink::SCI_GETANCHOR, 0, 0); }
    int64_t length() const { return SendMessageW(editor, idelink::SCI_GETLENGTH, 0, 0); }
    std::wstring preferences() const {
        return endtoend::preferenceFileIn(scratch_.path + L"\\tool");
    }

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
        return owner != 0 && owner != process_.id() && owner != GetCurrentProcessId() &&
               IsWindowVisible(front);
    }

    HWND main = nullptr, editor = nullptr, output = nullptr;

  private:
    bool findWindows() {
        main = nullptr;
        while ((main = FindWindowExW(nullptr, main, L"SciTEWindow", nullptr)))
            if (processOf(main) == process_.id() && IsWindowVisible(main))
                break;
        if (!main)
            return false;
        editor = endtoend::findChild(main, kEditorId);
        output = endtoend::findChild(main, kOutputId);
        return editor && output;
    }

    endtoend::ScratchFolder scratch_;
    std::wstring tool_;
    endtoend::ChildProcess process_;
};

} // namespace endtoend

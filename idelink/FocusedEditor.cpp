#include "idelink/FocusedEditor.h"

#include <windows.h>

#include <cwchar>

namespace idelink {

namespace {

constexpr wchar_t kScintillaClass[] = L"Scintilla";

// The class name is the one test: a window of any other class, however it answers, is never
// sent an editor message. A longer name is cut by the buffer and so never equal.
bool isScintilla(HWND window) {
    wchar_t name[16] = {};
    return GetClassNameW(window, name, int(std::size(name))) > 0 &&
           std::wcscmp(name, kScintillaClass) == 0;
}

} // namespace

FocusedEditor focusedEditorOf(std::intptr_t foreground) {
    HWND front = reinterpret_cast<HWND>(foreground);
    if (!front || !IsWindow(front))
        return {};
    // GetFocus answers only for this program's own thread; the foreground thread's record
    // names its focus whatever process it belongs to.
    const DWORD thread = GetWindowThreadProcessId(front, nullptr);
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    if (thread == 0 || !GetGUIThreadInfo(thread, &info) || !info.hwndFocus ||
        !isScintilla(info.hwndFocus))
        return {};
    HWND main = GetAncestor(info.hwndFocus, GA_ROOT);
    if (!main)
        return {};
    const IdeWindows windows{reinterpret_cast<std::intptr_t>(info.hwndFocus),
                             reinterpret_cast<std::intptr_t>(main)};
    // An editor of a program that runs with more rights than this one gets nothing at all,
    // not even a question: its process would refuse the line's read anyway.
    if (!editorProcessOpens(windows))
        return {FocusedPick::Unreachable, {}};
    return {FocusedPick::Editor, windows};
}

FocusedEditor findFocusedEditor() {
    return focusedEditorOf(reinterpret_cast<std::intptr_t>(GetForegroundWindow()));
}

} // namespace idelink

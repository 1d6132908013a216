#pragma once
// What the stand-in IDEs and the start-up benchmark share: the folder they run from, a main
// window that holds a real Scintilla editor loaded from Scintilla.dll in that folder, the
// document in it, and a tool started as the IDE starts one.
#include <windows.h>
#include <shellapi.h>

#include <Scintilla.h>

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <map>
#include <string>
#include <string_view>

#include "HostProtocol.h"
#include "e2e/support/Files.h"
#include "e2e/support/Processes.h"

namespace idehost {

struct HostWindows {
    HWND main = nullptr;
    HWND editor = nullptr; // UTF-8, in a monospaced font
};

// Registers the main window's class with the procedure and makes both windows, hidden; null
// handles when Scintilla.dll or either window could not be made.
inline HostWindows createHostWindows(HINSTANCE instance, const wchar_t* className,
                                     const wchar_t* title, WNDPROC procedure, RECT placement) {
    if (!LoadLibraryW((endtoend::programFolder() + L"Scintilla.dll").c_str()))
        return {};
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = className;
    if (!RegisterClassW(&windowClass))
        return {};
    HostWindows windows;
    windows.main =
        CreateWindowExW(0, className, title, WS_OVERLAPPEDWINDOW, placement.left, placement.top,
                        placement.right - placement.left, placement.bottom - placement.top, nullptr,
                        nullptr, instance, nullptr);
    if (!windows.main)
        return {};
    windows.editor = CreateWindowExW(0, L"Scintilla", L"", WS_CHILD | WS_VISIBLE, 0, 0, 100, 100,
                                     windows.main, nullptr, instance, nullptr);
    if (!windows.editor)
        return {};
    SendMessageW(windows.editor, SCI_SETCODEPAGE, SC_CP_UTF8, 0);
    SendMessageW(windows.editor, SCI_STYLESETFONT, STYLE_DEFAULT,
                 reinterpret_cast<LPARAM>("Courier New"));
    SendMessageW(windows.editor, SCI_STYLESETSIZE, STYLE_DEFAULT, 11);
    SendMessageW(windows.editor, SCI_STYLECLEARALL, 0, 0);
    return windows;
}

// The program's command line: "--name value" pairs and lone flags. A name not given among the
// known ones, or a value missing, makes it invalid.
struct Arguments {
    std::map<std::wstring, std::wstring, std::less<>> values; // a flag's value is empty
    bool valid = true;

    bool has(std::wstring_view name) const { return values.find(name) != values.end(); }
    std::wstring text(std::wstring_view name, std::wstring otherwise = {}) const {
        const auto found = values.find(name);
        return found == values.end() ? otherwise : found->second;
    }
    int number(std::wstring_view name, int otherwise) const {
        return has(name) ? _wtoi(text(name).c_str()) : otherwise;
    }
};

inline Arguments readArguments(std::initializer_list<std::wstring_view> valueNames,
                               std::initializer_list<std::wstring_view> flagNames = {}) {
    Arguments arguments;
    int count = 0;
    wchar_t** args = CommandLineToArgvW(GetCommandLineW(), &count);
    for (int i = 1; args && i < count; ++i) {
        const std::wstring name = args[i];
        const auto known = [&](std::initializer_list<std::wstring_view> names) {
            return std::find(names.begin(), names.end(), name) != names.end();
        };
        if (known(flagNames))
            arguments.values[name];
        else if (known(valueNames) && i + 1 < count)
            arguments.values[name] = args[++i];
        else
            arguments.valid = false;
    }
    LocalFree(args);
    return arguments;
}

// The folder above the tool's: the IDE starts a tool elsewhere than in the tool's folder.
inline std::wstring defaultWorkDir(const std::wstring& tool) {
    std::wstring folder = tool;
    for (int level = 0; level < 2; ++level) {
        const size_t slash = folder.find_last_of(L"\\/");
        if (slash == std::wstring::npos)
            return L"..";
        folder.resize(slash);
    }
    return folder.empty() || folder.back() == L':' ? folder + L"\\" : folder;
}

// Replaces the editor's content without leaving anything to undo, so that an undo after the
// tool ran can only take back what the tool did.
inline void loadDocument(HWND editor, const Document& document) {
    SendMessageW(editor, SCI_CLEARALL, 0, 0);
    SendMessageW(editor, SCI_APPENDTEXT, document.text.size(),
                 reinterpret_cast<LPARAM>(document.text.data()));
    SendMessageW(editor, SCI_EMPTYUNDOBUFFER, 0, 0);
    SendMessageW(editor, SCI_SETSAVEPOINT, 0, 0);
    SendMessageW(editor, SCI_SETSEL, WPARAM(document.anchor), document.caret);
}

inline std::string editorText(HWND editor) {
    const auto length = SendMessageW(editor, SCI_GETLENGTH, 0, 0);
    const auto* characters =
        reinterpret_cast<const char*>(SendMessageW(editor, SCI_GETCHARACTERPOINTER, 0, 0));
    return characters && length > 0 ? std::string(characters, size_t(length)) : std::string();
}

// Starts the tool as the IDE does: the handles go through this process's environment, which
// the child inherits.
inline endtoend::ChildProcess startTool(const HostWindows& windows, const std::wstring& tool,
                                        const std::wstring& workDir,
                                        const std::wstring& arguments) {
    endtoend::setToolVariables(
        std::to_wstring(reinterpret_cast<std::intptr_t>(windows.editor)).c_str(),
        std::to_wstring(reinterpret_cast<std::intptr_t>(windows.main)).c_str());
    return endtoend::ChildProcess(
        L"\"" + tool + L"\"" + (arguments.empty() ? L"" : L" " + arguments), workDir, tool.c_str());
}

// What a host's main window does with the messages its own procedure leaves: the editor, its
// only child, fills it and takes the focus, and the program ends with it.
inline LRESULT hostMainDefault(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    HWND editor = GetWindow(window, GW_CHILD);
    switch (message) {
    case WM_SIZE:
        if (editor)
            MoveWindow(editor, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
        return 0;
    case WM_SETFOCUS:
        if (editor)
            SetFocus(editor);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

} // namespace idehost

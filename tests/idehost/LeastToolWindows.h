#pragma once
// What the least programs of the benchmarks share: the IDE's window handles as they take them
// (plain decimal numbers in the two variables the IDE sets, nothing of Zendrik's own parsing),
// and one window that the program lives as long as.
#include <windows.h>

#include <iterator>

#include "app/AppState.h"
#include "idelink/RemoteEditor.h"

inline std::intptr_t handleFromEnvironment(const wchar_t* name) {
    wchar_t value[64] = {};
    const DWORD length = GetEnvironmentVariableW(name, value, DWORD(std::size(value)));
    if (length == 0 || length >= std::size(value))
        return 0;
    return std::intptr_t(_wtoi64(value));
}

inline idelink::IdeWindows leastToolWindows() {
    return {handleFromEnvironment(app::kEditorVariable),
            handleFromEnvironment(app::kMainWindowVariable)};
}

inline LRESULT CALLBACK quitWithWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// The window class of the program's one window, named after the program.
inline bool registerLeastClass(HINSTANCE instance, const wchar_t* name, int backgroundColour) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = quitWithWindow;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(INT_PTR(backgroundColour + 1));
    windowClass.lpszClassName = name;
    return RegisterClassW(&windowClass) != 0;
}

// Handles messages until the window is gone; Escape closes it when asked to.
inline int runUntilClosed(HWND window, bool escapeCloses) {
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (escapeCloses && message.message == WM_KEYDOWN && message.wParam == VK_ESCAPE) {
            DestroyWindow(window);
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}

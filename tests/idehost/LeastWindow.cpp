// LeastWindow: the least a tool can do to show a window, the yardstick of the manager's start
// in the start-up benchmark. One plain top-level window of the manager's size, centred, shown
// and active, until it is closed. Nothing else: no preference file, no controls, no DPI
// set-up, no locks.
#include <windows.h>

#include "LeastToolWindows.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    if (!registerLeastClass(instance, L"LeastWindow", COLOR_BTNFACE))
        return 0;
    RECT outer{0, 0, 640, 400};
    AdjustWindowRect(&outer, WS_OVERLAPPEDWINDOW, FALSE);
    const int width = outer.right - outer.left;
    const int height = outer.bottom - outer.top;
    HWND window = CreateWindowExW(0, L"LeastWindow", L"LeastWindow", WS_OVERLAPPEDWINDOW,
                                  (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                                  (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height,
                                  nullptr, nullptr, instance, nullptr);
    if (!window)
        return 0;
    ShowWindow(window, SW_SHOWNORMAL);
    return runUntilClosed(window, false);
}

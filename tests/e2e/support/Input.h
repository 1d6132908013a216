#pragma once
// Keys and mouse clicks as a user gives them, through SendInput: the path by which Wine
// delivers X key presses too, so they reach the foreground window whichever X window has the
// pointer. For the end-to-end tests and the stand-in IDE alike.
#include <windows.h>

#include <algorithm>
#include <string_view>
#include <vector>

#include "e2e/support/Wait.h"

namespace endtoend {

using Inputs = std::vector<INPUT>;

inline INPUT keyInput(WORD virtualKey, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    input.ki.wScan = WORD(MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return input;
}

inline INPUT unicodeInput(wchar_t unit, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wScan = unit;
    input.ki.dwFlags = KEYEVENTF_UNICODE | (up ? KEYEVENTF_KEYUP : 0);
    return input;
}

// The pointer moved to the screen point, in the 0..65535 units of an absolute move.
inline INPUT mouseInput(DWORD flags, POINT screen) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = MulDiv(screen.x, 65535, std::max(GetSystemMetrics(SM_CXSCREEN) - 1, 1));
    input.mi.dy = MulDiv(screen.y, 65535, std::max(GetSystemMetrics(SM_CYSCREEN) - 1, 1));
    input.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
    return input;
}

// Keys held down in order and let go in reverse: {VK_CONTROL, 'Z'} is Ctrl+Z.
inline Inputs chord(const std::vector<WORD>& keys) {
    Inputs inputs;
    for (const WORD key : keys)
        inputs.push_back(keyInput(key, false));
    for (auto key = keys.rbegin(); key != keys.rend(); ++key)
        inputs.push_back(keyInput(*key, true));
    return inputs;
}

inline Inputs typedUnit(wchar_t unit) {
    return {unicodeInput(unit, false), unicodeInput(unit, true)};
}

inline Inputs leftClick(POINT screen) {
    return {mouseInput(0, screen), mouseInput(MOUSEEVENTF_LEFTDOWN, screen),
            mouseInput(MOUSEEVENTF_LEFTUP, screen)};
}

inline void send(const Inputs& inputs) {
    if (!inputs.empty())
        SendInput(UINT(inputs.size()), const_cast<INPUT*>(inputs.data()), sizeof(INPUT));
}

inline void press(const std::vector<WORD>& keys) {
    send(chord(keys));
}

// Each UTF-16 unit as a key of its own, with a pause after each for the window to take it.
inline void typeText(std::wstring_view text, int pauseMs = 30) {
    for (const wchar_t unit : text) {
        send(typedUnit(unit));
        pause(pauseMs);
    }
}

inline void clickAt(POINT screen) {
    SetCursorPos(screen.x, screen.y);
    pause(30);
    send(leftClick(screen));
    pause(80);
}

inline void clickWindow(HWND window) {
    RECT bounds{};
    GetWindowRect(window, &bounds);
    clickAt(POINT{(bounds.left + bounds.right) / 2, (bounds.top + bounds.bottom) / 2});
}

} // namespace endtoend

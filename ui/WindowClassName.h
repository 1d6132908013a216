#pragma once
// The class name of a service window, which is how another program finds the window. Plain
// C++, no Win32.
#include <string>

namespace ui {

// "WindowClass_<number>": every window has a class of its own.
inline std::wstring windowClassName(int number) {
    return L"WindowClass_" + std::to_wstring(number);
}

} // namespace ui

#pragma once
// A control's geometry in pixels within its parent's client area, for comparing layouts.
#include <windows.h>

#include <ostream>

namespace dpitest {

struct ControlBox {
    int x, y, width, height;
    bool operator==(const ControlBox&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const ControlBox& box) {
    return out << "{" << box.x << ", " << box.y << ", " << box.width << ", " << box.height << "}";
}

inline ControlBox pixelBox(HWND control) {
    RECT bounds{};
    GetWindowRect(control, &bounds);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&bounds), 2);
    return {int(bounds.left), int(bounds.top), int(bounds.right - bounds.left),
            int(bounds.bottom - bounds.top)};
}

} // namespace dpitest

// Top-level windows: a class of their own each, the shared window procedure, size and bounds.
#include "ui/ServiceState.h"
#include "ui/CommonControls.h"
#include "ui/WindowClassName.h"

#include <algorithm>

namespace ui::detail {
namespace {

constexpr std::uint32_t kServiceFlags =
    kWindowCentreOnScreen | kWindowCentreOnOwner | kWindowHidden | kWindowLayered;

// The outer size of a window whose client area has the given size, with its style as it is now.
SIZE outerSizeFor(HWND handle, int clientWidth, int clientHeight) {
    RECT frame{0, 0, clientWidth, clientHeight};
    const DWORD style = static_cast<DWORD>(GetWindowLongW(handle, GWL_STYLE));
    const DWORD exStyle = static_cast<DWORD>(GetWindowLongW(handle, GWL_EXSTYLE));
    AdjustWindowRectEx(&frame, style, GetMenu(handle) != nullptr, exStyle);
    return SIZE{frame.right - frame.left, frame.bottom - frame.top};
}

// Destroyed by Windows (closed, its owner destroyed, the common end): its handle is forgotten.
// The object stays open to the service, its number and class taken, until its owner drops it.
// Its controls were destroyed before it and forgot their handles themselves.
void forgetWindowHandle(Window& window) {
    service().windowByHandle.erase(window.handle);
    window.handle = nullptr;
}

int lowestFreeNumber() {
    const auto& windows = service().windows;
    int number = 0;
    while (std::any_of(windows.begin(), windows.end(),
                       [number](const Window* window) { return window->number == number; })) {
        ++number;
    }
    return number;
}

LRESULT onSize(Window& window, WPARAM kind, LPARAM size) {
    // Some systems report the iconic size without SIZE_MINIMIZED on the way down.
    if (kind == SIZE_MINIMIZED || IsIconic(window.handle) || !window.opened) {
        return 0;
    }
    const int width = LOWORD(size);
    const int height = HIWORD(size);
    if (width == window.lastClientWidth && height == window.lastClientHeight) {
        return 0; // restoring from minimised, or a move
    }
    window.lastClientWidth = width;
    window.lastClientHeight = height;
    raiseEvent(Event{EventKind::SizeChange, &window, nullptr, -1, 0});
    return 0;
}

// Only a return from another program is an activation event: closing one of this program's
// own message boxes activates the window too. (Wine does not send WM_ACTIVATEAPP when another
// process gives the window back the foreground, so the window that lost it tells.)
bool comesFromAnotherProgram(HWND deactivated) {
    DWORD process = 0;
    return !deactivated || !GetWindowThreadProcessId(deactivated, &process) ||
           process != GetCurrentProcessId();
}

LRESULT onGetMinMaxInfo(Window& window, MINMAXINFO* info) {
    if (window.minWidth >= 0 || window.minHeight >= 0) {
        const SIZE outer = outerSizeFor(window.handle, std::max(window.minWidth, 0),
                                        std::max(window.minHeight, 0));
        if (window.minWidth >= 0) {
            info->ptMinTrackSize.x = outer.cx;
        }
        if (window.minHeight >= 0) {
            info->ptMinTrackSize.y = outer.cy;
        }
    }
    if (window.maxWidth >= 0 || window.maxHeight >= 0) {
        const SIZE outer = outerSizeFor(window.handle, std::max(window.maxWidth, 0),
                                        std::max(window.maxHeight, 0));
        if (window.maxWidth >= 0) {
            info->ptMaxTrackSize.x = std::max(outer.cx, info->ptMinTrackSize.x);
        }
        if (window.maxHeight >= 0) {
            info->ptMaxTrackSize.y = std::max(outer.cy, info->ptMinTrackSize.y);
        }
    }
    return 0;
}

LRESULT onCommand(Window& window, WPARAM wParam, LPARAM lParam, bool& handled) {
    handled = false;
    // An accelerator: lParam 0 and the notification code 1.
    if (lParam == 0 && HIWORD(wParam) == 1) {
        const std::size_t index = LOWORD(wParam);
        if (index >= 1 && index <= window.shortcuts.size()) {
            raiseEvent(Event{EventKind::Shortcut, &window, nullptr, -1,
                             window.shortcuts[index - 1].command});
        }
        handled = true;
    }
    return 0;
}

LRESULT onEraseBackground(Window& window, HDC dc, bool& handled) {
    handled = static_cast<bool>(window.backBrush);
    if (handled) {
        RECT client;
        GetClientRect(window.handle, &client);
        FillRect(dc, &client, window.backBrush.get());
    }
    return 1;
}

LRESULT dispatchWindowMessage(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        if (auto* window = static_cast<Window*>(create->lpCreateParams)) {
            window->handle = handle;
            service().windowByHandle[handle] = window;
        }
        return DefWindowProcW(handle, message, wParam, lParam);
    }
    Window* window = findWindowByHandle(handle);
    if (!window) {
        return DefWindowProcW(handle, message, wParam, lParam);
    }
    LRESULT result = 0;
    if (handleControlMessage(message, wParam, lParam, result)) {
        return result;
    }
    bool handled = true;
    switch (message) {
    case WM_CLOSE:
        raiseEvent(Event{EventKind::CloseRequest, window, nullptr, -1, 0});
        return 0;
    case WM_SIZE:
        onSize(*window, wParam, lParam);
        break;
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE &&
            comesFromAnotherProgram(reinterpret_cast<HWND>(lParam))) {
            raiseEvent(Event{EventKind::Activation, window, nullptr, -1, 0});
        }
        break;
    case WM_GETMINMAXINFO:
        return onGetMinMaxInfo(*window, reinterpret_cast<MINMAXINFO*>(lParam));
    case WM_COMMAND:
        result = onCommand(*window, wParam, lParam, handled);
        if (handled) {
            return result;
        }
        break;
    case WM_ERASEBKGND:
        result = onEraseBackground(*window, reinterpret_cast<HDC>(wParam), handled);
        if (handled) {
            return result;
        }
        break;
    case WM_NCDESTROY:
        forgetWindowHandle(*window);
        break;
    default:
        break;
    }
    return DefWindowProcW(handle, message, wParam, lParam);
}

LRESULT CALLBACK serviceWindowProc(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    try {
        return dispatchWindowMessage(handle, message, wParam, lParam);
    } catch (...) {
        return DefWindowProcW(handle, message, wParam, lParam);
    }
}

bool registerWindowClass(const std::wstring& name) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    // A class left behind by a window whose owner kept it past the common end.
    UnregisterClassW(name.c_str(), instance);
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = serviceWindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = name.c_str();
    if (!RegisterClassExW(&windowClass)) {
        return false;
    }
    auto& registered = service().registeredClasses;
    if (std::find(registered.begin(), registered.end(), name) == registered.end()) {
        registered.push_back(name);
    }
    return true;
}

void forgetClass(const std::wstring& name) {
    auto& registered = service().registeredClasses;
    registered.erase(std::remove(registered.begin(), registered.end(), name), registered.end());
    UnregisterClassW(name.c_str(), GetModuleHandleW(nullptr));
}

// Centres a rectangle of the given outer size over another, keeping it on that monitor's work
// area where it fits.
POINT centredOver(const RECT& area, SIZE outer, bool keepOnMonitor) {
    POINT origin{area.left + (area.right - area.left - outer.cx) / 2,
                 area.top + (area.bottom - area.top - outer.cy) / 2};
    if (keepOnMonitor) {
        MONITORINFO monitor{};
        monitor.cbSize = sizeof(monitor);
        if (GetMonitorInfoW(MonitorFromRect(&area, MONITOR_DEFAULTTONEAREST), &monitor)) {
            const RECT& work = monitor.rcWork;
            origin.x = std::max<LONG>(work.left, std::min<LONG>(origin.x, work.right - outer.cx));
            origin.y = std::max<LONG>(work.top, std::min<LONG>(origin.y, work.bottom - outer.cy));
        }
    }
    return origin;
}

} // namespace
} // namespace ui::detail

namespace ui {

using namespace detail;

OwnedWindow openWindow(int x, int y, int clientWidth, int clientHeight, std::u16string_view title,
                       std::uint32_t flags, HWND owner) {
    ServiceState& state = service();
    if (!state.started) {
        startService();
    }
    prepareControlClasses();
    OwnedWindow window(new Window);
    window->number = lowestFreeNumber();
    window->className = windowClassName(window->number);
    if (!registerWindowClass(window->className)) {
        return {};
    }

    const DWORD style = (flags & ~kServiceFlags) | WS_CLIPCHILDREN;
    const DWORD exStyle = (flags & kWindowLayered) ? WS_EX_LAYERED : 0;
    RECT frame{0, 0, std::max(clientWidth, 0), std::max(clientHeight, 0)};
    AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    const SIZE outer{frame.right - frame.left, frame.bottom - frame.top};

    POINT origin{x, y};
    if ((flags & kWindowCentreOnOwner) && owner && IsWindow(owner)) {
        RECT ownerRect;
        GetWindowRect(owner, &ownerRect);
        origin = centredOver(ownerRect, outer, true);
    } else if (flags & (kWindowCentreOnScreen | kWindowCentreOnOwner)) {
        const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
        const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
        origin.x = outer.cx > screenWidth ? 0 : (screenWidth - outer.cx) / 2;
        origin.y = outer.cy > screenHeight ? 0 : (screenHeight - outer.cy) / 2;
    }

    state.windows.push_back(window.get());
    const std::wstring caption = text::toWide(title);
    HWND handle =
        CreateWindowExW(exStyle, window->className.c_str(), caption.c_str(), style, origin.x,
                        origin.y, outer.cx, outer.cy, owner && IsWindow(owner) ? owner : nullptr,
                        nullptr, GetModuleHandleW(nullptr), window.get());
    if (!handle || window->handle != handle) {
        return {}; // the closer forgets the window and its class
    }
    RECT client;
    GetClientRect(handle, &client);
    window->lastClientWidth = client.right;
    window->lastClientHeight = client.bottom;
    window->opened = true;
    if (!(flags & kWindowHidden)) {
        ShowWindow(handle, SW_SHOWNORMAL);
        UpdateWindow(handle);
    }
    return window;
}

void WindowCloser::operator()(Window* window) const {
    if (!window) {
        return;
    }
    window->handlers.clear();
    for (const auto& control : window->controls) {
        control->handlers.clear();
    }
    if (window->handle && IsWindow(window->handle)) {
        DestroyWindow(window->handle); // its WM_NCDESTROY forgets the handle
    }
    ServiceState& state = service();
    if (window->handle) { // when its WM_NCDESTROY did not come
        state.windowByHandle.erase(window->handle);
    }
    for (const auto& control : window->controls) {
        if (control->handle) {
            state.controlByHandle.erase(control->handle);
        }
    }
    // A window that outlived the common end has nothing left in the service.
    const auto open = std::find(state.windows.begin(), state.windows.end(), window);
    if (open != state.windows.end()) {
        state.windows.erase(open);
        forgetClass(window->className);
        dropQueuedEvents(window, nullptr);
    }
    delete window; // the controls and what they own go with it
}

HWND windowHandle(const Window& window) {
    return window.handle;
}

void showWindow(Window& window, bool visible) {
    if (HWND handle = window.handle) {
        ShowWindow(handle, visible ? SW_SHOWNORMAL : SW_HIDE);
    }
}

void setWindowColor(Window& window, COLORREF color) {
    window.background = color;
    window.backBrush.reset(color != kDefaultColor ? CreateSolidBrush(color) : nullptr);
    InvalidateRect(window.handle, nullptr, TRUE);
}

void resizeWindow(Window& window, int x, int y, int clientWidth, int clientHeight) {
    HWND handle = window.handle;
    if (!handle) {
        return;
    }
    RECT outerRect;
    GetWindowRect(handle, &outerRect);
    RECT client;
    GetClientRect(handle, &client);
    const int width = clientWidth == base::keepValue ? client.right : std::max(clientWidth, 0);
    const int height = clientHeight == base::keepValue ? client.bottom : std::max(clientHeight, 0);
    const SIZE outer = outerSizeFor(handle, width, height);
    // An owned or top-level window's position is in screen coordinates.
    const int left = x == base::keepValue ? outerRect.left : x;
    const int top = y == base::keepValue ? outerRect.top : y;
    SetWindowPos(handle, nullptr, left, top, outer.cx, outer.cy, SWP_NOZORDER | SWP_NOACTIVATE);
}

void setWindowBounds(Window& record, int minWidth, int minHeight, int maxWidth, int maxHeight) {
    Window* window = &record;
    const auto limit = [](int value, int current, bool isMaximum) {
        if (value == base::keepValue) {
            return current;
        }
        if (value < 0) {
            return base::kNoLimit;
        }
        return isMaximum ? std::min(value, 32000) : value;
    };
    window->minWidth = limit(minWidth, window->minWidth, false);
    window->minHeight = limit(minHeight, window->minHeight, false);
    window->maxWidth = limit(maxWidth, window->maxWidth, true);
    window->maxHeight = limit(maxHeight, window->maxHeight, true);

    HWND handle = window->handle;
    if (IsIconic(handle) || IsZoomed(handle)) {
        return;
    }
    RECT client;
    GetClientRect(handle, &client);
    const auto fit = [](int size, int minimum, int maximum) {
        if (maximum >= 0) {
            size = std::min(size, maximum);
        }
        if (minimum >= 0) {
            size = std::max(size, minimum); // the smallest size wins over the largest
        }
        return size;
    };
    const int width = fit(client.right, window->minWidth, window->maxWidth);
    const int height = fit(client.bottom, window->minHeight, window->maxHeight);
    if (width != client.right || height != client.bottom) {
        resizeWindow(record, base::keepValue, base::keepValue, width, height);
    }
}

int windowClientWidth(const Window& window) {
    RECT client{};
    if (HWND handle = window.handle) {
        GetClientRect(handle, &client);
    }
    return client.right - client.left;
}

int windowClientHeight(const Window& window) {
    RECT client{};
    if (HWND handle = window.handle) {
        GetClientRect(handle, &client);
    }
    return client.bottom - client.top;
}

int windowOuterWidth(const Window& window) {
    RECT outer{};
    if (HWND handle = window.handle) {
        GetWindowRect(handle, &outer);
    }
    return outer.right - outer.left;
}

int windowOuterHeight(const Window& window) {
    RECT outer{};
    if (HWND handle = window.handle) {
        GetWindowRect(handle, &outer);
    }
    return outer.bottom - outer.top;
}

void setWindowFont(Window& window, HFONT font) {
    window.font = font;
}

const WindowScale& windowScale(const Window& window) {
    return window.scale;
}

void setWindowScale(Window& window, const WindowScale& scale) {
    window.scale = scale;
}

} // namespace ui

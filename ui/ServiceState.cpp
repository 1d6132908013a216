// Start and common end of the service, and the look-ups of its tables.
#include "ui/ServiceState.h"
#include "ui/CommonControls.h"

#include <commctrl.h>

namespace ui::detail {

ServiceState& service() {
    static ServiceState state;
    return state;
}

Window* findWindowByHandle(HWND handle) {
    const auto& byHandle = service().windowByHandle;
    const auto found = byHandle.find(handle);
    return found == byHandle.end() ? nullptr : found->second;
}

Control* findControlByHandle(HWND handle) {
    const auto& byHandle = service().controlByHandle;
    const auto found = byHandle.find(handle);
    return found == byHandle.end() ? nullptr : found->second;
}

HWND topLevelOf(HWND control) {
    return GetAncestor(control, GA_ROOT);
}

} // namespace ui::detail

namespace ui {

using namespace detail;

int screenLogPixels(int index) {
    // A screen that cannot be asked counts as 96 DPI: a factor of 0 would collapse every window
    // and make every size read back divide by zero.
    const ScreenDc screen;
    const int dpi = screen.get() ? GetDeviceCaps(screen.get(), index) : 0;
    return dpi > 0 ? dpi : 96;
}

void startService() {
    ServiceState& state = service();
    if (state.started) {
        return;
    }
    // The screen's DPI is read on first need (screenLogPixelsY), not here: a start that only
    // inserts a template never asks, and the first screen device context is a large part of
    // what such a start costs under Wine.
    state.logPixelsYRead = false;
    state.started = true;
}

void endService() {
    ServiceState& state = service();
    // Handlers belong to the program; none may run while its windows are torn down. Each
    // destroyed window forgets its own handles; the objects stay with their owners, empty.
    const std::vector<Window*> windows = state.windows;
    for (Window* window : windows) {
        window->handlers.clear();
        for (const auto& control : window->controls) {
            control->handlers.clear();
        }
    }
    for (Window* window : windows) {
        if (window->handle && IsWindow(window->handle)) {
            DestroyWindow(window->handle);
        }
    }
    state.windows.clear();
    state.controlByHandle.clear();
    state.windowByHandle.clear();

    if (state.tooltip && IsWindow(state.tooltip)) {
        DestroyWindow(state.tooltip);
    }
    state.tooltip = nullptr;

    const HINSTANCE instance = GetModuleHandleW(nullptr);
    for (const std::wstring& name : state.registeredClasses) {
        UnregisterClassW(name.c_str(), instance);
    }
    state.registeredClasses.clear();
    releaseControlClasses();

    state.fonts.clear();
    state.images.clear();
    state.richEdit.reset();
    state.queue.clear();
    state.quiet = 0;
    state.started = false;
}

int screenLogPixelsY() {
    ServiceState& state = service();
    if (!state.logPixelsYRead) {
        state.logPixelsY = screenLogPixels(LOGPIXELSY);
        state.logPixelsYRead = true;
    }
    return state.logPixelsY;
}

} // namespace ui

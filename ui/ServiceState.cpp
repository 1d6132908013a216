// Start and common end of the service, and the look-ups of its tables.
#include "ui/ServiceState.h"
#include "ui/CommonControls.h"

#include <commctrl.h>

namespace ui::detail {

ServiceState& service() {
    static ServiceState state;
    return state;
}

WindowRecord* findWindow(int number) {
    auto& windows = service().windows;
    const auto found = windows.find(number);
    return found == windows.end() ? nullptr : &found->second;
}

WindowRecord* findWindowByHandle(HWND handle) {
    const auto& byHandle = service().windowByHandle;
    const auto found = byHandle.find(handle);
    return found == byHandle.end() ? nullptr : findWindow(found->second);
}

ControlRecord* findControl(int number) {
    auto& controls = service().controls;
    const auto found = controls.find(number);
    return found == controls.end() ? nullptr : &found->second;
}

ControlRecord* findControlByHandle(HWND handle) {
    const auto& byHandle = service().controlByHandle;
    const auto found = byHandle.find(handle);
    return found == byHandle.end() ? nullptr : findControl(found->second);
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
    // Handlers belong to the program; none may run while its windows are torn down.
    state.bindings.clear();

    // Each destroyed window drops its own record; what remains are records of windows that
    // were destroyed by other means. Clearing the tables frees what the records own, after
    // the windows that drew with it are gone.
    std::vector<HWND> handles;
    for (const auto& [number, window] : state.windows) {
        handles.push_back(window.handle);
    }
    for (const auto& [number, control] : state.controls) {
        handles.push_back(control.handle);
    }
    for (HWND handle : handles) {
        if (IsWindow(handle)) {
            DestroyWindow(handle);
        }
    }
    state.controls.clear();
    state.controlByHandle.clear();
    state.windows.clear();
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

    state.defaultFont = nullptr;
    state.fonts.clear();
    state.images.clear();
    state.richEdit.reset();
    state.queue.clear();
    state.current = Event{};
    state.lastOpenedWindow = -1;
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

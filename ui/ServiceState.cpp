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

void startService() {
    ServiceState& state = service();
    if (state.started) {
        return;
    }
    // Read before any DPI set-up changes what the system reports to this process.
    state.logPixelsY = 96;
    if (HDC screen = GetDC(nullptr)) {
        const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
        if (dpi > 0) {
            state.logPixelsY = dpi;
        }
        ReleaseDC(nullptr, screen);
    }
    state.started = true;
}

void endService() {
    ServiceState& state = service();
    // Handlers belong to the program; none may run while its windows are torn down.
    state.bindings.clear();

    std::vector<HWND> windows;
    for (const auto& [number, window] : state.windows) {
        windows.push_back(window.handle);
    }
    for (HWND handle : windows) {
        if (IsWindow(handle)) {
            DestroyWindow(handle);
        }
    }
    // Controls whose window was destroyed by other means, and the records of both.
    std::vector<HWND> controls;
    for (const auto& [number, control] : state.controls) {
        controls.push_back(control.handle);
    }
    for (HWND handle : controls) {
        if (IsWindow(handle)) {
            DestroyWindow(handle);
        }
    }
    for (auto& [number, control] : state.controls) {
        if (control.backBrush) {
            DeleteObject(control.backBrush);
        }
        if (control.greyImage) {
            DeleteObject(control.greyImage);
        }
    }
    for (auto& [number, window] : state.windows) {
        if (window.backBrush) {
            DeleteObject(window.backBrush);
        }
        if (window.accelerators) {
            DestroyAcceleratorTable(window.accelerators);
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

    for (auto& [number, font] : state.fonts) {
        DeleteObject(font);
    }
    state.fonts.clear();
    state.defaultFont = nullptr;
    for (HBITMAP image : state.images) {
        DeleteObject(image);
    }
    state.images.clear();
    if (state.richEdit) {
        FreeLibrary(state.richEdit);
        state.richEdit = nullptr;
    }
    state.queue.clear();
    state.current = Event{};
    state.lastOpenedWindow = -1;
    state.quiet = 0;
    state.started = false;
}

int screenLogPixelsY() {
    return service().logPixelsY;
}

} // namespace ui

// Keyboard shortcuts of a window as its accelerator table, and the built-in Tab order.
#include "ui/ServiceState.h"

#include <algorithm>

namespace ui::detail {
namespace {

bool isKeyDown(int virtualKey) {
    return (GetKeyState(virtualKey) & 0x8000) != 0;
}

} // namespace

// Shortcuts come before every other handling of a key, so that they work whatever control has
// the focus and whatever that control would do with the key.
bool translateKeyboard(MSG& message) {
    if (message.message != WM_KEYDOWN && message.message != WM_SYSKEYDOWN) {
        return false;
    }
    HWND active = GetActiveWindow();
    Window* window = active ? findWindowByHandle(active) : nullptr;
    if (!window) {
        return false;
    }
    if (window->accelerators &&
        TranslateAcceleratorW(active, window->accelerators.get(), &message)) {
        return true;
    }
    if (message.message == WM_KEYDOWN && message.wParam == VK_TAB && !isKeyDown(VK_CONTROL) &&
        !isKeyDown(VK_MENU)) {
        moveFocus(*window, !isKeyDown(VK_SHIFT));
        return true;
    }
    return false;
}

void moveFocus(Window& window, bool forward) {
    const auto& controls = window.controls;
    const auto canTakeFocus = [](const std::unique_ptr<Control>& control) {
        HWND handle = control->handle;
        return handle && IsWindowEnabled(handle) && IsWindowVisible(handle) &&
               (GetWindowLongW(handle, GWL_STYLE) & WS_TABSTOP) != 0;
    };
    const int count = static_cast<int>(controls.size());
    if (count == 0) {
        return;
    }
    const Control* focused = focusedControl();
    int start = -1;
    for (int i = 0; i < count; ++i) {
        if (controls[i].get() == focused) {
            start = i;
        }
    }
    if (start < 0) {
        start = forward ? count - 1 : 0; // so that the first step lands on the first or last
    }
    for (int step = 1; step <= count; ++step) {
        const int index = forward ? (start + step) % count : (start - step + count) % count;
        if (canTakeFocus(controls[index])) {
            SetFocus(controls[index]->handle);
            return;
        }
    }
}

void rebuildAccelerators(Window& window) {
    window.accelerators.reset();
    std::vector<ACCEL> table;
    for (std::size_t i = 0; i < window.shortcuts.size() && i < 0xFFFE; ++i) {
        const int shortcut = window.shortcuts[i].shortcut;
        ACCEL entry{};
        entry.fVirt = FVIRTKEY;
        if (shortcut & kShortcutShift) {
            entry.fVirt |= FSHIFT;
        }
        if (shortcut & kShortcutCtrl) {
            entry.fVirt |= FCONTROL;
        }
        if (shortcut & kShortcutAlt) {
            entry.fVirt |= FALT;
        }
        entry.key = static_cast<WORD>(shortcut & 0xFF);
        // The entry's index, not the command: WM_COMMAND carries only 16 bits.
        entry.cmd = static_cast<WORD>(i + 1);
        table.push_back(entry);
    }
    if (!table.empty()) {
        window.accelerators.reset(
            CreateAcceleratorTableW(table.data(), static_cast<int>(table.size())));
    }
}

} // namespace ui::detail

namespace ui {

using namespace detail;

void addKeyboardShortcut(Window& window, int shortcut, int command) {
    Window* record = &window;
    if ((shortcut & 0xFF) == 0) {
        return;
    }
    auto& shortcuts = record->shortcuts;
    const auto same = std::find_if(
        shortcuts.begin(), shortcuts.end(),
        [shortcut](const KeyboardShortcut& existing) { return existing.shortcut == shortcut; });
    if (same != shortcuts.end()) {
        same->command = command;
    } else {
        shortcuts.push_back(KeyboardShortcut{shortcut, command});
    }
    rebuildAccelerators(*record);
}

} // namespace ui

// The one event queue, the event wait with its keyboard handling, and bound handlers.
#include "ui/ServiceState.h"

#include <algorithm>

namespace ui::detail {
namespace {

bool bindingMatches(const Binding& binding, const Event& event) {
    return binding.kind == event.kind &&
           (binding.window == kAny || binding.window == event.window) &&
           (binding.control == kAny || binding.control == event.control) &&
           (binding.type == kAny || binding.type == event.type);
}

bool isKeyDown(int virtualKey) {
    return (GetKeyState(virtualKey) & 0x8000) != 0;
}

// Keyboard shortcuts of the active window come first, whatever control has the focus; then
// the built-in Tab and Shift+Tab. Returns true when the message was consumed.
bool translateKeyboard(MSG& message) {
    if (message.message != WM_KEYDOWN && message.message != WM_SYSKEYDOWN) {
        return false;
    }
    HWND active = GetActiveWindow();
    WindowRecord* window = active ? findWindowByHandle(active) : nullptr;
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

void processMessage(MSG& message) {
    if (translateKeyboard(message)) {
        return;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
}

bool takeQueuedEvent() {
    auto& state = service();
    if (state.queue.empty()) {
        return false;
    }
    const QueuedEvent next = state.queue.front();
    state.queue.pop_front();
    state.current = next.event;
    if (next.posted) {
        callBoundHandlers(next.event);
    }
    return true;
}

// The window whose loop is waiting: the active one of the service's windows, else the one
// opened last, else any; -1 when the service has none.
int loopWindow() {
    const ServiceState& state = service();
    if (const WindowRecord* active = findWindowByHandle(GetActiveWindow())) {
        return active->number;
    }
    if (state.windows.count(state.lastOpenedWindow) != 0) {
        return state.lastOpenedWindow;
    }
    return state.windows.empty() ? -1 : state.windows.begin()->first;
}

// A WM_QUIT may come from anyone (another program's PostThreadMessage, say) and asks the
// program to end. Passed on or ignored it would either come back at every wait and make a loop
// that waits for a close request spin, or be lost; as the close request of the waiting loop's
// window, it ends that loop the way the window's close box does. The quit itself is used up.
EventKind quitAsCloseRequest() {
    const int window = loopWindow();
    if (window < 0) {
        service().current = Event{};
        return EventKind::None;
    }
    raiseEvent(Event{EventKind::CloseRequest, window, -1, -1, 0});
    takeQueuedEvent();
    return service().current.kind;
}

} // namespace

void raiseEvent(const Event& event) {
    service().queue.push_back(QueuedEvent{event, false});
    callBoundHandlers(event);
}

void callBoundHandlers(const Event& event) {
    ServiceState& state = service();
    // Handlers may bind, unbind or close windows; run the ones that matched at this moment.
    std::vector<EventHandler> handlers;
    for (const Binding& binding : state.bindings) {
        if (bindingMatches(binding, event)) {
            handlers.push_back(binding.handler);
        }
    }
    for (const EventHandler& handler : handlers) {
        try {
            handler(event);
        } catch (...) {
            // A handler's failure must not unwind through a window procedure.
        }
    }
}

void raiseControlEvent(const ControlRecord& control, int type) {
    raiseEvent(Event{EventKind::Control, control.window, control.number, type, 0});
}

std::vector<ControlRecord*> controlsInCreationOrder(int window) {
    std::vector<ControlRecord*> controls;
    for (auto& [number, control] : service().controls) {
        if (control.window == window) {
            controls.push_back(&control);
        }
    }
    std::sort(controls.begin(), controls.end(),
              [](const ControlRecord* a, const ControlRecord* b) { return a->order < b->order; });
    return controls;
}

void moveFocus(WindowRecord& window, bool forward) {
    std::vector<ControlRecord*> controls = controlsInCreationOrder(window.number);
    const auto canTakeFocus = [](const ControlRecord* control) {
        HWND handle = control->handle;
        return IsWindowEnabled(handle) && IsWindowVisible(handle) &&
               (GetWindowLongW(handle, GWL_STYLE) & WS_TABSTOP) != 0;
    };
    const int count = static_cast<int>(controls.size());
    if (count == 0) {
        return;
    }
    const int focused = focusedControl();
    int start = -1;
    for (int i = 0; i < count; ++i) {
        if (controls[i]->number == focused) {
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

void rebuildAccelerators(WindowRecord& window) {
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

void addKeyboardShortcut(int window, int shortcut, int command) {
    WindowRecord* record = findWindow(window);
    if (!record || (shortcut & 0xFF) == 0) {
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

void removeKeyboardShortcut(int window, int shortcut) {
    WindowRecord* record = findWindow(window);
    if (!record) {
        return;
    }
    auto& shortcuts = record->shortcuts;
    if (shortcut == kAllShortcuts) {
        shortcuts.clear();
    } else {
        shortcuts.erase(std::remove_if(shortcuts.begin(), shortcuts.end(),
                                       [shortcut](const KeyboardShortcut& existing) {
                                           return existing.shortcut == shortcut;
                                       }),
                        shortcuts.end());
    }
    rebuildAccelerators(*record);
}

EventKind waitEvent() {
    for (;;) {
        if (takeQueuedEvent()) {
            return service().current.kind;
        }
        MSG message;
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == -1) {
            service().current = Event{};
            return EventKind::None;
        }
        if (got == 0) {
            return quitAsCloseRequest();
        }
        processMessage(message);
    }
}

EventKind waitEventFor(int milliseconds) {
    const DWORD start = GetTickCount();
    const DWORD limit = static_cast<DWORD>(std::max(milliseconds, 0));
    for (;;) {
        if (takeQueuedEvent()) {
            return service().current.kind;
        }
        MSG message;
        if (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                return quitAsCloseRequest();
            }
            processMessage(message);
            continue;
        }
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= limit) {
            service().current = Event{};
            return EventKind::None;
        }
        MsgWaitForMultipleObjectsEx(0, nullptr, limit - elapsed, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
}

EventKind eventKind() {
    return service().current.kind;
}
int eventWindow() {
    return service().current.window;
}
int eventControl() {
    return service().current.control;
}
int eventType() {
    return service().current.type;
}
int eventCommand() {
    return service().current.command;
}

void postControlEvent(int control, int type) {
    const ControlRecord* record = findControl(control);
    if (!record) {
        return;
    }
    service().queue.push_back(
        QueuedEvent{Event{EventKind::Control, record->window, control, type, 0}, true});
}

void postCloseRequest(int window) {
    if (!findWindow(window)) {
        return;
    }
    service().queue.push_back(QueuedEvent{Event{EventKind::CloseRequest, window, -1, -1, 0}, true});
}

void bindEvent(EventKind kind, int window, int control, int type, EventHandler handler) {
    if (!handler) {
        return;
    }
    unbindEvent(kind, window, control, type);
    service().bindings.push_back(Binding{kind, window, control, type, std::move(handler)});
}

void unbindEvent(EventKind kind, int window, int control, int type) {
    auto& bindings = service().bindings;
    bindings.erase(std::remove_if(bindings.begin(), bindings.end(),
                                  [&](const Binding& binding) {
                                      return binding.kind == kind && binding.window == window &&
                                             binding.control == control && binding.type == type;
                                  }),
                   bindings.end());
}

} // namespace ui

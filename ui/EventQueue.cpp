// The one event queue, the event wait, and bound handlers.
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

} // namespace ui::detail

namespace ui {

using namespace detail;

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

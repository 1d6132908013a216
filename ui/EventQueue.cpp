// The one event queue, the event wait, and the handlers of windows and controls.
#include "ui/ServiceState.h"

#include <algorithm>

namespace ui::detail {
namespace {

void processMessage(MSG& message) {
    if (translateKeyboard(message)) {
        return;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
}

bool takeQueuedEvent(Event& taken) {
    auto& state = service();
    if (state.queue.empty()) {
        return false;
    }
    const QueuedEvent next = state.queue.front();
    state.queue.pop_front();
    taken = next.event;
    if (next.posted) {
        callHandlers(next.event);
    }
    return true;
}

// The window whose loop is waiting: the active one of the service's windows, else the one
// opened last; nullptr when the service has none.
Window* loopWindow() {
    if (Window* active = findWindowByHandle(GetActiveWindow())) {
        return active;
    }
    const auto& windows = service().windows;
    for (auto window = windows.rbegin(); window != windows.rend(); ++window) {
        if ((*window)->handle) {
            return *window;
        }
    }
    return nullptr;
}

// A WM_QUIT may come from anyone (another program's PostThreadMessage, say) and asks the
// program to end. Passed on or ignored it would either come back at every wait and make a loop
// that waits for a close request spin, or be lost; as the close request of the waiting loop's
// window, it ends that loop the way the window's close box does. The quit itself is used up.
Event quitAsCloseRequest() {
    Window* window = loopWindow();
    if (!window) {
        return Event{};
    }
    raiseEvent(Event{EventKind::CloseRequest, window, nullptr, -1, 0});
    Event taken;
    takeQueuedEvent(taken);
    return taken;
}

bool handlerMatches(const ControlHandler& handler, const Event& event) {
    return handler.type == kAny || handler.type == event.type;
}

} // namespace

void raiseEvent(const Event& event) {
    service().queue.push_back(QueuedEvent{event, false});
    callHandlers(event);
}

void callHandlers(const Event& event) {
    // Handlers may add handlers or free controls; run the ones that matched at this moment.
    std::vector<EventHandler> handlers;
    if (event.control) {
        for (const ControlHandler& handler : event.control->handlers) {
            if (handlerMatches(handler, event)) {
                handlers.push_back(handler.handler);
            }
        }
    } else if (event.window) {
        for (const WindowHandler& handler : event.window->handlers) {
            if (handler.kind == event.kind) {
                handlers.push_back(handler.handler);
            }
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

void raiseControlEvent(Control& control, int type) {
    raiseEvent(Event{EventKind::Control, control.window, &control, type, 0});
}

void dropQueuedEvents(const Window* window, const Control* control) {
    auto& queue = service().queue;
    queue.erase(std::remove_if(queue.begin(), queue.end(),
                               [window, control](const QueuedEvent& queued) {
                                   return control ? queued.event.control == control
                                                  : queued.event.window == window;
                               }),
                queue.end());
}

} // namespace ui::detail

namespace ui {

using namespace detail;

Event waitEvent() {
    for (;;) {
        Event taken;
        if (takeQueuedEvent(taken)) {
            return taken;
        }
        MSG message;
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == -1) {
            return Event{};
        }
        if (got == 0) {
            return quitAsCloseRequest();
        }
        processMessage(message);
    }
}

Event waitEventFor(int milliseconds) {
    const DWORD start = GetTickCount();
    const DWORD limit = static_cast<DWORD>(std::max(milliseconds, 0));
    for (;;) {
        Event taken;
        if (takeQueuedEvent(taken)) {
            return taken;
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
            return Event{};
        }
        MsgWaitForMultipleObjectsEx(0, nullptr, limit - elapsed, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
}

void postControlEvent(Control& control, int type) {
    service().queue.push_back(
        QueuedEvent{Event{EventKind::Control, control.window, &control, type, 0}, true});
}

void postCloseRequest(Window& window) {
    service().queue.push_back(
        QueuedEvent{Event{EventKind::CloseRequest, &window, nullptr, -1, 0}, true});
}

void onControlEvent(Control& control, int type, EventHandler handler) {
    if (handler) {
        control.handlers.push_back(ControlHandler{type, std::move(handler)});
    }
}

void onWindowEvent(Window& window, EventKind kind, EventHandler handler) {
    if (handler) {
        window.handlers.push_back(WindowHandler{kind, std::move(handler)});
    }
}

} // namespace ui

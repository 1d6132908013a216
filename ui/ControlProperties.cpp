// What can be read and set on a control after its creation: handle, place and size, enabled
// state, text, state and attributes, and the keyboard focus.
#include "ui/ControlMessages.h"
#include "ui/ServiceState.h"

#include <algorithm>

namespace ui {

using namespace detail;

Window& controlWindow(const Control& control) {
    return *control.window;
}

HWND controlHandle(const Control& control) {
    return control.handle;
}

Control* controlOfHandle(HWND handle) {
    return handle ? findControlByHandle(handle) : nullptr;
}

void resizeControl(Control& control, int x, int y, int width, int height) {
    HWND handle = control.handle;
    if (!handle) {
        return;
    }
    RECT bounds;
    GetWindowRect(handle, &bounds);
    MapWindowPoints(nullptr, GetParent(handle), reinterpret_cast<POINT*>(&bounds), 2);
    const int left = x == base::keepValue ? bounds.left : x;
    const int top = y == base::keepValue ? bounds.top : y;
    const int newWidth = width == base::keepValue ? bounds.right - bounds.left : std::max(width, 0);
    const int newHeight =
        height == base::keepValue ? bounds.bottom - bounds.top : std::max(height, 0);
    SetWindowPos(handle, nullptr, left, top, newWidth, newHeight, SWP_NOZORDER | SWP_NOACTIVATE);
    // A splitter's pane keeps the place its splitter gives it.
    for (const auto& splitter : control.window->controls) {
        if (splitter->kind == ControlKind::Splitter &&
            (splitter->splitter.first == &control || splitter->splitter.second == &control)) {
            layoutSplitter(*splitter);
            break;
        }
    }
}

int controlWidth(const Control& control) {
    RECT bounds{};
    if (HWND handle = control.handle) {
        GetWindowRect(handle, &bounds);
    }
    return bounds.right - bounds.left;
}

int controlHeight(const Control& control) {
    RECT bounds{};
    if (HWND handle = control.handle) {
        GetWindowRect(handle, &bounds);
    }
    return bounds.bottom - bounds.top;
}

void enableControl(Control& control, bool enabled) {
    if (HWND handle = control.handle) {
        EnableWindow(handle, enabled ? TRUE : FALSE);
    }
}

std::u16string controlText(const Control& control) {
    if (!control.handle) {
        return {};
    }
    return control.kind == ControlKind::Editor ? richEditText(control.handle)
                                               : windowText(control.handle);
}

void setControlText(Control& control, std::u16string_view text) {
    if (!control.handle) {
        return;
    }
    QuietChanges quiet;
    if (control.kind == ControlKind::Editor) {
        richEditSetText(control.handle, text);
    } else {
        setWindowText(control.handle, text);
    }
}

int controlState(const Control& record) {
    const Control* control = &record;
    switch (control->kind) {
    case ControlKind::RowList:
        return listBoxCurrent(control->handle);
    case ControlKind::ImageButton:
        return buttonChecked(control->handle) ? 1 : 0;
    case ControlKind::Splitter:
        return control->splitter.position;
    default:
        return 0;
    }
}

void setControlState(Control& record, int state) {
    Control* control = &record;
    switch (control->kind) {
    case ControlKind::RowList:
        listBoxSetCurrent(control->handle, state);
        break;
    case ControlKind::ImageButton: {
        QuietChanges quiet;
        buttonSetChecked(control->handle, state != 0);
        break;
    }
    case ControlKind::Splitter:
        setSplitterPosition(*control, state);
        break;
    default:
        break;
    }
}

void setControlAttribute(Control& record, int attribute, int value) {
    Control* control = &record;
    if (control->kind != ControlKind::Splitter) {
        return;
    }
    if (attribute == kSplitterFirstMinimum) {
        control->splitter.firstMinimum = std::max(value, 0);
    } else if (attribute == kSplitterSecondMinimum) {
        control->splitter.secondMinimum = std::max(value, 0);
    } else {
        return;
    }
    layoutSplitter(*control);
}

Control* focusedControl() {
    for (HWND handle = GetFocus(); handle; handle = GetParent(handle)) {
        if (Control* control = findControlByHandle(handle)) {
            return control;
        }
        if (findWindowByHandle(handle)) {
            break;
        }
    }
    return nullptr;
}

void focusControl(Control& control) {
    if (control.handle) {
        SetFocus(control.handle);
    }
}

} // namespace ui

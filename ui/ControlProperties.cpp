// What can be read and set on a control after its creation: handle, place and size, enabled
// state, text, state and attributes, and the keyboard focus.
#include "ui/ControlMessages.h"
#include "ui/ServiceState.h"

#include <algorithm>

namespace ui {

using namespace detail;

HWND controlHandle(int number) {
    const ControlRecord* control = findControl(number);
    return control ? control->handle : nullptr;
}

bool isControl(int number) {
    return findControl(number) != nullptr;
}

void resizeControl(int number, int x, int y, int width, int height) {
    HWND handle = controlHandle(number);
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
    for (auto& [splitterNumber, splitter] : service().controls) {
        if (splitter.kind == ControlKind::Splitter &&
            (splitter.splitter.first == number || splitter.splitter.second == number)) {
            layoutSplitter(splitter);
            break;
        }
    }
}

int controlWidth(int number) {
    RECT bounds{};
    if (HWND handle = controlHandle(number)) {
        GetWindowRect(handle, &bounds);
    }
    return bounds.right - bounds.left;
}

int controlHeight(int number) {
    RECT bounds{};
    if (HWND handle = controlHandle(number)) {
        GetWindowRect(handle, &bounds);
    }
    return bounds.bottom - bounds.top;
}

void enableControl(int number, bool enabled) {
    if (HWND handle = controlHandle(number)) {
        EnableWindow(handle, enabled ? TRUE : FALSE);
    }
}

std::u16string controlText(int number) {
    const ControlRecord* control = findControl(number);
    if (!control) {
        return {};
    }
    switch (control->kind) {
    case ControlKind::Editor:
        return richEditText(control->handle);
    default:
        return windowText(control->handle);
    }
}

void setControlText(int number, std::u16string_view text) {
    const ControlRecord* control = findControl(number);
    if (!control) {
        return;
    }
    QuietChanges quiet;
    if (control->kind == ControlKind::Editor) {
        richEditSetText(control->handle, text);
    } else {
        setWindowText(control->handle, text);
    }
}

int controlState(int number) {
    const ControlRecord* control = findControl(number);
    if (!control) {
        return 0;
    }
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

void setControlState(int number, int state) {
    ControlRecord* control = findControl(number);
    if (!control) {
        return;
    }
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

void setControlAttribute(int number, int attribute, int value) {
    ControlRecord* control = findControl(number);
    if (!control || control->kind != ControlKind::Splitter) {
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

int focusedControl() {
    for (HWND handle = GetFocus(); handle; handle = GetParent(handle)) {
        if (const ControlRecord* control = findControlByHandle(handle)) {
            return control->number;
        }
        if (findWindowByHandle(handle)) {
            break;
        }
    }
    return -1;
}

void focusControl(int number) {
    if (HWND handle = controlHandle(number)) {
        SetFocus(handle);
    }
}

} // namespace ui

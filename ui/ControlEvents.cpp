// The notifications that controls send to their parent, turned into control events. Both a
// top-level window and a splitter pass them here.
#include "ui/ServiceState.h"

namespace ui::detail {
namespace {

bool onCommandFromControl(WPARAM wParam, HWND handle) {
    ControlRecord* control = findControlByHandle(handle);
    if (!control) {
        return false;
    }
    const bool quiet = service().quiet > 0;
    const int code = HIWORD(wParam);
    switch (control->kind) {
    case ControlKind::TextField:
    case ControlKind::Editor:
        if (code == EN_CHANGE && !quiet) {
            raiseControlEvent(*control, kEventChange);
        } else if (code == EN_SETFOCUS) {
            raiseControlEvent(*control, kEventFocus);
        } else if (code == EN_KILLFOCUS) {
            raiseControlEvent(*control, kEventLostFocus);
        }
        return true;
    case ControlKind::RowList:
        if (code == LBN_SELCHANGE && !quiet) {
            raiseControlEvent(*control, kEventRowSelected);
        } else if (code == LBN_DBLCLK && !quiet) {
            raiseControlEvent(*control, kEventLeftDoubleClick);
        }
        return true;
    case ControlKind::ImageButton:
        if (code == BN_CLICKED && !quiet) {
            raiseControlEvent(*control, kEventLeftClick);
        } else if (code == BN_DOUBLECLICKED && !quiet) {
            raiseControlEvent(*control, kEventLeftDoubleClick);
        } else if (code == BN_SETFOCUS) {
            raiseControlEvent(*control, kEventFocus);
        } else if (code == BN_KILLFOCUS) {
            raiseControlEvent(*control, kEventLostFocus);
        }
        return true;
    default:
        return true;
    }
}

} // namespace

bool handleControlMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
    case WM_COMMAND:
        if (lParam != 0 && onCommandFromControl(wParam, reinterpret_cast<HWND>(lParam))) {
            result = 0;
            return true;
        }
        return false;
    case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        const ControlRecord* list = item ? findControlByHandle(item->hwndItem) : nullptr;
        if (!list || list->kind != ControlKind::RowList)
            return false;
        drawListRow(*list, *item);
        result = TRUE;
        return true;
    }
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX:
        return colourControl(message, reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam),
                             result);
    default:
        return false;
    }
}

} // namespace ui::detail

// How controls look beyond their class: text and background colours, and tooltips.
#include "ui/ControlMessages.h"
#include "ui/ServiceState.h"

namespace ui::detail {
namespace {

// One tooltip window serves every control of the program.
HWND ensureTooltip(HWND owner) {
    ServiceState& state = service();
    if (state.tooltip && IsWindow(state.tooltip)) {
        return state.tooltip;
    }
    state.tooltip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                    WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                                    CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr,
                                    GetModuleHandleW(nullptr), nullptr);
    if (state.tooltip) {
        SetWindowPos(state.tooltip, HWND_TOPMOST, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    return state.tooltip;
}

} // namespace

bool colourControl(UINT message, HDC dc, HWND handle, LRESULT& result) {
    ControlRecord* control = findControlByHandle(handle);
    if (!control || (control->textColor == kDefaultColor && control->backColor == kDefaultColor)) {
        return false;
    }
    if (control->textColor != kDefaultColor) {
        SetTextColor(dc, control->textColor);
    } else {
        SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    }
    if (control->backColor != kDefaultColor && control->backBrush) {
        SetBkColor(dc, control->backColor);
        result = reinterpret_cast<LRESULT>(control->backBrush.get());
    } else {
        const int index = message == WM_CTLCOLOREDIT ? COLOR_WINDOW : COLOR_3DFACE;
        SetBkColor(dc, GetSysColor(index));
        result = reinterpret_cast<LRESULT>(GetSysColorBrush(index));
    }
    return true;
}

} // namespace ui::detail

namespace ui {

using namespace detail;

void setControlTooltip(int number, std::u16string_view text) {
    const ControlRecord* control = findControl(number);
    if (!control) {
        return;
    }
    HWND tooltip = ensureTooltip(topLevelOf(control->handle));
    if (!tooltip) {
        return;
    }
    tooltipRemoveTool(tooltip, control->handle);
    if (!text.empty()) {
        tooltipAddTool(tooltip, control->handle, text);
    }
}

void setControlTextColor(int number, COLORREF color) {
    ControlRecord* control = findControl(number);
    if (!control) {
        return;
    }
    control->textColor = color;
    if (control->kind == ControlKind::Editor) {
        QuietChanges quiet;
        richEditSetTextColor(control->handle, color);
    }
    InvalidateRect(control->handle, nullptr, TRUE);
}

void setControlBackColor(int number, COLORREF color) {
    ControlRecord* control = findControl(number);
    if (!control) {
        return;
    }
    control->backColor = color;
    control->backBrush.reset(color != kDefaultColor ? CreateSolidBrush(color) : nullptr);
    if (control->kind == ControlKind::Editor) {
        richEditSetBackColor(control->handle, color);
    }
    InvalidateRect(control->handle, nullptr, TRUE);
}

} // namespace ui

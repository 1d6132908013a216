#include "popup/Popup.h"

#include "base/OwnedHandles.h"
#include "dpi/ScaledWrappers_win.h"
#include "popup/PopupEffects.h"
#include "ui/CommonControls.h"
#include "ui/ControlMessages.h"
#include "ui/WindowService.h"

namespace popup {

namespace {

// Layout in 96-DPI units: only the number of fields changes the geometry.
constexpr int kWidth = 630;
constexpr int kOpeningHeight = 184;
constexpr int kPreviewHeight = 62;
constexpr int kRowPitch = 17;
constexpr int kRowHeight = 16;
constexpr int kLabelWidth = 119;
constexpr int kFieldX = 120;
constexpr int kFieldWidth = 511;

struct PopupState {
    bool cancelled = false;
    bool lostActivation = false;
    store::PopupSettings settings;
    AlphaSetter setAlpha = setLayeredAlpha;
};

// One popup per run; the deactivation handler has no other way to reach it.
PopupState& popupState() {
    static PopupState state;
    return state;
}

int rowY(int field) {
    return kPreviewHeight + 1 + kRowPitch * (field - 1);
}

void dropClientEdge(HWND control) {
    if (!control)
        return;
    const LONG exStyle = GetWindowLongW(control, GWL_EXSTYLE);
    SetWindowLongW(control, GWL_EXSTYLE, exStyle & ~WS_EX_CLIENTEDGE);
    SetWindowPos(control, nullptr, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_FRAMECHANGED);
}

void colourControl(int number, std::int32_t text, std::int32_t back) {
    ui::setControlTextColor(number, static_cast<COLORREF>(text));
    ui::setControlBackColor(number, static_cast<COLORREF>(back));
}

// Typing into the popup must keep pace with the user on a busy machine too; the priority
// stays raised for the rest of the run.
void raiseOwnPriority(HWND window) {
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    const base::OwnedKernelHandle process(OpenProcess(PROCESS_SET_INFORMATION, FALSE, processId));
    if (process)
        SetPriorityClass(process.get(), ABOVE_NORMAL_PRIORITY_CLASS);
}

LRESULT onNcActivate(HWND window, WPARAM active) {
    PopupState& state = popupState();
    // A popup not yet shown has nothing to lose: while it is built, focusing its first field
    // makes it the active window of its thread but not the foreground window, and it is told
    // so with this same message.
    if (!active && !state.lostActivation && IsWindowVisible(window)) {
        state.cancelled = true;
        state.lostActivation = true;
        if (state.settings.fadeOut != 0)
            fadeOutPopup(window, state.settings, state.setAlpha);
        // Invisible from now on, whatever the fade did.
        state.setAlpha(window, 0);
        ui::postCloseRequest(kPopupWindow);
        // This message arrived inside the event wait, which keeps waiting for a posted one;
        // the close request alone sits in the program's queue and would not end that wait.
        PostMessageW(window, WM_NULL, 0, 0);
    }
    // Activation moves on, and the frame is never repainted for it.
    return TRUE;
}

LRESULT CALLBACK popupDeactivationHandler(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                          UINT_PTR id, DWORD_PTR) {
    switch (message) {
    case WM_NCACTIVATE:
        return onNcActivate(window, wParam);
    case WM_NCDESTROY:
        ui::removeWindowSubclass(window, popupDeactivationHandler, id);
        return ui::defSubclassProc(window, message, wParam, lParam);
    default:
        return ui::defSubclassProc(window, message, wParam, lParam);
    }
}

void createRows(const idelink::PopupRequest& request, const store::IdeAppearance& look) {
    const int count = static_cast<int>(request.fields.size());
    // Labels before fields: Tab follows creation order, so it visits the fields only.
    for (int i = 1; i <= count; ++i) {
        const int label = labelControl(i, count);
        dpi::createScaledTextField(label, 0, rowY(i), kLabelWidth, kRowHeight,
                                   request.fields[i - 1].label, ES_READONLY | ES_RIGHT);
        colourControl(label, look.selectionFrontColor, look.selectionColor);
        dropClientEdge(ui::controlHandle(label));
        dpi::removeTabStop(ui::controlHandle(label));
    }
    for (int i = 1; i <= count; ++i) {
        dpi::createScaledTextField(i, kFieldX, rowY(i), kFieldWidth, kRowHeight,
                                   request.fields[i - 1].initialText, 0);
        colourControl(i, look.normalTextColor, look.backgroundColor);
        dropClientEdge(ui::controlHandle(i));
    }
}

void onCommand(int command, int fieldCount) {
    PopupState& state = popupState();
    switch (command) {
    case kCommandNext: {
        const int focused = ui::focusedControl();
        if (focused >= 1 && focused < fieldCount)
            ui::focusControl(focused + 1);
        else if (focused == fieldCount)
            ui::postCloseRequest(kPopupWindow);
        break;
    }
    case kCommandCancel:
    case kCommandCancelShift:
        state.cancelled = true;
        ui::postCloseRequest(kPopupWindow);
        break;
    default:
        break;
    }
}

} // namespace

void buildPlaceholderPopup(const idelink::PopupRequest& request, const PopupLook& look) {
    PopupState& state = popupState();
    state = PopupState{};
    state.settings = look.settings;
    state.setAlpha = look.setAlpha ? look.setAlpha : AlphaSetter(setLayeredAlpha);
    const int count = static_cast<int>(request.fields.size());
    const store::IdeAppearance& ide = look.appearance;

    const std::intptr_t font =
        dpi::loadScaledFont(ui::kChooseNumber, ide.editorFontName, ide.editorFontSize, 0);
    if (font)
        dpi::setControlFont(ui::kDefaultFontControl, ui::fontHandle(static_cast<int>(font)));

    const int x = request.anchor.x + (request.afterParen ? 1 : 4);
    const int y = request.anchor.y - 1;
    dpi::openScaledWindow(kPopupWindow, x, y, kWidth, kOpeningHeight, u"",
                          WS_POPUP | ui::kWindowHidden, look.owner);
    HWND window = ui::windowHandle(kPopupWindow);
    if (!window)
        return;
    ui::setWindowTheme(window, L"", L"");
    raiseOwnPriority(window);
    ui::setWindowSubclass(window, popupDeactivationHandler, 0, 0);
    ui::setWindowColor(kPopupWindow, GetSysColor(COLOR_WINDOWFRAME));
    // No SWP_FRAMECHANGED here: the resize below measures the frame with this style, so the
    // client area keeps the layout's size.
    SetWindowLongW(window, GWL_STYLE, GetWindowLongW(window, GWL_STYLE) | WS_BORDER);
    applyPopupLook(window, look.settings);

    ui::addKeyboardShortcut(kPopupWindow, VK_RETURN, kCommandNext);
    ui::addKeyboardShortcut(kPopupWindow, VK_ESCAPE, kCommandCancel);
    ui::addKeyboardShortcut(kPopupWindow, VK_RETURN | ui::kShortcutShift, kCommandCancelShift);

    dpi::createScaledStaticText(kPreviewControl, 0, 0, kWidth, kPreviewHeight, u"", 0);
    colourControl(kPreviewControl, ide.normalTextColor, ide.backgroundColor);
    createRows(request, ide);
    ui::setControlText(kPreviewControl, request.previewText);

    dpi::resizeScaledWindow(kPopupWindow, ui::kKeepValue, ui::kKeepValue, ui::kKeepValue,
                            kPreviewHeight + kRowPitch * count);
    ui::focusControl(1);
    RedrawWindow(window, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_INTERNALPAINT | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    slideInPopup(window, look.settings);
}

idelink::PopupResult runPlaceholderPopup(int fieldCount) {
    PopupState& state = popupState();
    idelink::PopupResult result;
    for (;;) {
        const ui::EventKind kind = ui::waitEvent();
        if (kind == ui::EventKind::None) {
            // The wait failed or the thread is asked to quit: nothing the user confirmed.
            state.cancelled = true;
            break;
        }
        if (ui::eventWindow() != kPopupWindow)
            continue;
        if (kind == ui::EventKind::Shortcut) {
            onCommand(ui::eventCommand(), fieldCount);
        } else if (kind == ui::EventKind::Control && ui::eventType() == ui::kEventFocus) {
            const int field = ui::eventControl();
            if (field >= 1 && field <= fieldCount)
                ui::editSetSelection(ui::controlHandle(field), 0, ui::kFieldTextEnd);
        } else if (kind == ui::EventKind::CloseRequest) {
            if (!state.cancelled) {
                for (int i = 1; i <= fieldCount; ++i)
                    result.values.push_back(ui::controlText(i));
            }
            break;
        }
    }
    result.accepted = !state.cancelled;
    result.lostActivation = state.lostActivation;
    return result;
}

idelink::PopupResult showPlaceholderPopup(const idelink::PopupRequest& request,
                                          const PopupLook& look) {
    buildPlaceholderPopup(request, look);
    if (!ui::windowHandle(kPopupWindow))
        return {}; // no window, nothing the user could have confirmed
    return runPlaceholderPopup(static_cast<int>(request.fields.size()));
}

} // namespace popup

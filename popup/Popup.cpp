#include "popup/Popup.h"

#include "base/OwnedHandles.h"
#include "dpi/ScaledWrappers.h"
#include "popup/PopupEffects.h"
#include "popup/PopupPlacement.h"
#include "resources/Version.h"
#include "store/TextConvert.h"
#include "ui/CommonControls.h"
#include "ui/ControlMessages.h"
#include "ui/WindowService.h"

#include <string>

namespace popup {

namespace {

// Layout in 96-DPI units: only the number of fields changes the geometry.
constexpr int kWidth = 630;
constexpr int kOpeningHeight = 184;
constexpr int kRowHeight = 16;
constexpr int kLabelWidth = 119;
constexpr int kFieldX = 120;
constexpr int kFieldWidth = 511;
// Rows out of view wait here, below the client area whatever the scale.
constexpr int kParkedY = 20000;

constexpr UINT_PTR kActivationTimer = 1;

struct PopupState {
    bool cancelled = false;
    bool acceptRequested = false; // Return in the last field; no other ending accepts
    bool lostActivation = false;
    bool wasActive = false; // has been the visible active window
    int fieldCount = 0;
    int rowsShown = 0; // fewer than fieldCount when the rows scroll
    int firstRow = 1;  // the field in the first row in view
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

// Where a field's row stands while `first` is the first row in view.
int rowYInView(int field, int first, int shown) {
    return field >= first && field < first + shown ? rowY(field - first + 1) : kParkedY;
}

void moveRow(int field, int y) {
    const int count = popupState().fieldCount;
    dpi::resizeScaledControl(labelControl(field, count), ui::kKeepValue, y, ui::kKeepValue,
                             ui::kKeepValue);
    dpi::resizeScaledControl(field, ui::kKeepValue, y, ui::kKeepValue, ui::kKeepValue);
}

// Brings the focused field's row into view; only the rows that enter or leave the view move.
void scrollToField(int field) {
    PopupState& state = popupState();
    const int first = firstRowInView(field, state.firstRow, state.rowsShown, state.fieldCount);
    if (first == state.firstRow)
        return;
    const int before = state.firstRow;
    state.firstRow = first;
    for (int i = before; i < before + state.rowsShown; ++i)
        if (i < first || i >= first + state.rowsShown)
            moveRow(i, kParkedY);
    for (int i = first; i < first + state.rowsShown; ++i)
        moveRow(i, rowY(i - first + 1));
    if (HWND window = ui::windowHandle(kPopupWindow))
        RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

// Ends the loop as Escape does. From inside a sent message the event wait keeps waiting for a
// posted one, which the close request alone, sitting in the program's queue, is not.
void cancelPopup(HWND window) {
    popupState().cancelled = true;
    ui::postCloseRequest(kPopupWindow);
    PostMessageW(window, WM_NULL, 0, 0);
}

ScreenRect workAreaAt(int x, int y) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    HMONITOR monitor = MonitorFromPoint(POINT{x, y}, MONITOR_DEFAULTTONEAREST);
    if (monitor && GetMonitorInfoW(monitor, &info))
        return {int(info.rcWork.left), int(info.rcWork.top), int(info.rcWork.right),
                int(info.rcWork.bottom)};
    RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    return {int(area.left), int(area.top), int(area.right), int(area.bottom)};
}

int frameHeightOf(HWND window) {
    RECT frame{0, 0, 0, 0};
    AdjustWindowRectEx(&frame, DWORD(GetWindowLongW(window, GWL_STYLE)), FALSE,
                       DWORD(GetWindowLongW(window, GWL_EXSTYLE)));
    return frame.bottom - frame.top;
}

// Moves the sized popup inside the work area of the caret's monitor.
void placeAtCaret(HWND window, const idelink::PopupRequest& request, const PopupLook& look,
                  const ScreenRect& workArea) {
    RECT outer{};
    if (!GetWindowRect(window, &outer))
        return;
    PlacementInput input;
    input.workArea = workArea;
    input.caretX = request.anchor.x;
    input.caretY = request.anchor.y;
    input.afterParen = request.afterParen;
    input.width = outer.right - outer.left;
    input.height = outer.bottom - outer.top;
    // The line's height costs the IDE two more answers, and only a popup that does not fit
    // at the caret needs it.
    ScreenPoint at = placePopup(input);
    if (at.x != input.caretX + (input.afterParen ? 1 : 4) || at.y != input.caretY - 1) {
        input.lineHeight = look.caretLineHeight ? look.caretLineHeight() : 0;
        if (input.lineHeight <= 0)
            input.lineHeight = dpi::toPixelsY(kRowHeight);
        at = placePopup(input);
    }
    if (at.x != outer.left || at.y != outer.top)
        SetWindowPos(window, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
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
    if (active && IsWindowVisible(window))
        state.wasActive = true;
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
        cancelPopup(window);
    }
    // Activation moves on, and the frame is never repainted for it.
    return TRUE;
}

// A popup that never became the visible active window (the user went to another program
// during the start, or Windows refused the foreground) would otherwise hold the expansion lock
// with nothing on screen to answer.
void onActivationWaitOver(HWND window) {
    KillTimer(window, kActivationTimer);
    const PopupState& state = popupState();
    const bool activeNow = IsWindowVisible(window) && GetForegroundWindow() == window;
    if (!state.wasActive && !activeNow && !state.cancelled)
        cancelPopup(window);
}

LRESULT CALLBACK popupDeactivationHandler(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                          UINT_PTR id, DWORD_PTR) {
    try {
        switch (message) {
        case WM_NCACTIVATE:
            return onNcActivate(window, wParam);
        case WM_TIMER:
            if (wParam != kActivationTimer)
                break;
            onActivationWaitOver(window);
            return 0;
        case WM_QUERYENDSESSION:
            // The session ends: nothing the user confirmed, and the session may end.
            cancelPopup(window);
            return TRUE;
        case WM_ENDSESSION:
            if (wParam)
                cancelPopup(window);
            return 0;
        case WM_NCDESTROY:
            ui::removeWindowSubclass(window, popupDeactivationHandler, id);
            break;
        default:
            break;
        }
    } catch (...) {
        // No exception may unwind through the window procedure.
    }
    return ui::defSubclassProc(window, message, wParam, lParam);
}

void createRows(const idelink::PopupRequest& request, const store::IdeAppearance& look, int shown) {
    const int count = static_cast<int>(request.fields.size());
    // Labels before fields: Tab follows creation order, so it visits the fields only. Both are
    // made without a client edge rather than losing it afterwards: one frame change less per
    // control on the way to a visible popup.
    for (int i = 1; i <= count; ++i) {
        const int label = labelControl(i, count);
        dpi::createScaledTextField(label, 0, rowYInView(i, 1, shown), kLabelWidth, kRowHeight,
                                   request.fields[i - 1].label,
                                   ES_READONLY | ES_RIGHT | ui::kTextFieldNoBorder);
        colourControl(label, look.selectionFrontColor, look.selectionColor);
        dpi::removeTabStop(ui::controlHandle(label));
    }
    for (int i = 1; i <= count; ++i) {
        dpi::createScaledTextField(i, kFieldX, rowYInView(i, 1, shown), kFieldWidth, kRowHeight,
                                   request.fields[i - 1].initialText, ui::kTextFieldNoBorder);
        colourControl(i, look.normalTextColor, look.backgroundColor);
    }
}

void onCommand(int command, int fieldCount) {
    PopupState& state = popupState();
    switch (command) {
    case kCommandNext: {
        const int focused = ui::focusedControl();
        if (focused >= 1 && focused < fieldCount)
            ui::focusControl(focused + 1);
        else if (focused == fieldCount) {
            state.acceptRequested = true;
            ui::postCloseRequest(kPopupWindow);
        }
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
    state.fieldCount = count;
    const store::IdeAppearance& ide = look.appearance;

    // Sizes and font follow the DPI of the caret's monitor, not the primary monitor's.
    dpi::scaleForMonitorAt(request.anchor.x, request.anchor.y);

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

    // More rows than the caret's monitor can show scroll under the preview.
    const ScreenRect workArea = workAreaAt(request.anchor.x, request.anchor.y);
    state.rowsShown = rowsShown(count, workArea.bottom - workArea.top, frameHeightOf(window),
                                dpi::scaleState().scaleY);

    dpi::createScaledStaticText(kPreviewControl, 0, 0, kWidth, kPreviewHeight, u"", 0);
    colourControl(kPreviewControl, ide.normalTextColor, ide.backgroundColor);
    createRows(request, ide, state.rowsShown);
    ui::setControlText(kPreviewControl, request.previewText);

    dpi::resizeScaledWindow(kPopupWindow, ui::kKeepValue, ui::kKeepValue, ui::kKeepValue,
                            kPreviewHeight + kRowPitch * state.rowsShown);
    placeAtCaret(window, request, look, workArea);
    ui::focusControl(1);
    RedrawWindow(window, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_INTERNALPAINT | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    if (look.show)
        look.show(window, look.settings);
    SetTimer(window, kActivationTimer, kActivationWaitMs, nullptr);
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
            if (field >= 1 && field <= fieldCount) {
                scrollToField(field);
                ui::editSetSelection(ui::controlHandle(field), 0, ui::kFieldTextEnd);
            }
        } else if (kind == ui::EventKind::CloseRequest) {
            // The window's own close (Alt+F4, another program's WM_CLOSE) and a WM_QUIT come
            // here too: only Return in the last field asked for the text.
            if (!state.acceptRequested)
                state.cancelled = true;
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
    const int count = static_cast<int>(request.fields.size());
    if (count > kMaxFields) {
        // A popup of thousands of rows would run out of window handles and leave fields
        // that do not exist; the user is told, and the editor stays as it was.
        const std::u16string message =
            u"This template has " + text::utf8ToUtf16(std::to_string(count)) +
            u" placeholders; the popup takes at most " +
            text::utf8ToUtf16(std::to_string(kMaxFields)) + u". Nothing was inserted.";
        ui::messageBox(u"" ZENDRIK_TITLE, message, MB_OK | MB_ICONINFORMATION | MB_SETFOREGROUND);
        return {};
    }
    buildPlaceholderPopup(request, look);
    if (!ui::windowHandle(kPopupWindow))
        return {}; // no window, nothing the user could have confirmed
    return runPlaceholderPopup(static_cast<int>(request.fields.size()));
}

} // namespace popup

#include "popup/CaretWindow.h"

#include "base/OwnedHandles_win.h"
#include "dpi/DpiSetup.h"
#include "dpi/ScaledWrappers.h"
#include "ui/CommonControls.h"
#include "ui/WindowService.h"

namespace popup {

namespace {

constexpr UINT_PTR kActivationTimer = 1;

// Typing into the window must keep pace with the user on a busy machine too; the priority
// stays raised for the rest of the run.
void raiseOwnPriority(HWND window) {
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    const base::OwnedKernelHandle process(OpenProcess(PROCESS_SET_INFORMATION, FALSE, processId));
    if (process)
        SetPriorityClass(process.get(), ABOVE_NORMAL_PRIORITY_CLASS);
}

LRESULT onNcActivate(HWND window, WPARAM active, CaretWindowEnding& ending) {
    if (active && IsWindowVisible(window))
        ending.wasActive = true;
    // A window not yet shown has nothing to lose: while it is built, focusing its first field
    // makes it the active window of its thread but not the foreground window, and it is told
    // so with this same message.
    if (!active && !ending.lostActivation && IsWindowVisible(window)) {
        ending.lostActivation = true;
        if (ending.settings.fadeOut != 0)
            fadeOutPopup(window, ending.settings, ending.setAlpha);
        // Invisible from now on, whatever the fade did.
        ending.setAlpha(window, 0);
        cancelCaretWindow(ending);
    }
    // Activation moves on, and the frame is never repainted for it.
    return TRUE;
}

// A window that never became the visible active one (the user went to another program during
// the start, or Windows refused the foreground) would otherwise hold the expansion lock with
// nothing on screen to answer.
void onActivationWaitOver(HWND window, CaretWindowEnding& ending) {
    KillTimer(window, kActivationTimer);
    const bool activeNow = IsWindowVisible(window) && GetForegroundWindow() == window;
    if (!ending.wasActive && !activeNow && !ending.cancelled)
        cancelCaretWindow(ending);
}

LRESULT CALLBACK deactivationHandler(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                     UINT_PTR id, DWORD_PTR data) {
    try {
        auto& ending = *reinterpret_cast<CaretWindowEnding*>(data);
        switch (message) {
        case WM_NCACTIVATE:
            return onNcActivate(window, wParam, ending);
        case WM_TIMER:
            if (wParam != kActivationTimer)
                break;
            onActivationWaitOver(window, ending);
            return 0;
        case WM_QUERYENDSESSION:
            // The session ends: nothing the user confirmed, and the session may end.
            cancelCaretWindow(ending);
            return TRUE;
        case WM_ENDSESSION:
            if (wParam)
                cancelCaretWindow(ending);
            return 0;
        case WM_NCDESTROY:
            ui::removeWindowSubclass(window, deactivationHandler, id);
            break;
        default:
            break;
        }
    } catch (...) {
        // No exception may unwind through the window procedure.
    }
    return ui::defSubclassProc(window, message, wParam, lParam);
}

} // namespace

// From inside a sent message the event wait keeps waiting for a posted one, which the close
// request alone, sitting in the program's queue, is not.
void cancelCaretWindow(CaretWindowEnding& ending) {
    ending.cancelled = true;
    ui::postCloseRequest(ending.window);
    if (HWND window = ui::windowHandle(ending.window))
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

void placeAtCaret(HWND window, idelink::ScreenPoint anchor, bool afterParen, const PopupLook& look,
                  const ScreenRect& workArea) {
    RECT outer{};
    if (!GetWindowRect(window, &outer))
        return;
    PlacementInput input;
    input.workArea = workArea;
    input.caretX = anchor.x;
    input.caretY = anchor.y;
    input.afterParen = afterParen;
    input.width = outer.right - outer.left;
    input.height = outer.bottom - outer.top;
    // The line's height costs the IDE two more answers, and only a window that does not fit
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

HWND openCaretWindow(int number, idelink::ScreenPoint anchor, bool afterParen, int width,
                     int height, const PopupLook& look, CaretWindowEnding& ending) {
    ending = CaretWindowEnding{};
    ending.window = number;
    ending.settings = look.settings;
    ending.setAlpha = look.setAlpha ? look.setAlpha : AlphaSetter(setLayeredAlpha);
    const store::IdeAppearance& ide = look.appearance;

    // Sizes and font follow the DPI of the caret's monitor, not the primary monitor's.
    dpi::scaleForMonitorAt(anchor.x, anchor.y);

    const std::intptr_t font =
        dpi::loadScaledFont(ui::kChooseNumber, ide.editorFontName, ide.editorFontSize, 0);
    if (font)
        dpi::setControlFont(ui::kDefaultFontControl, ui::fontHandle(static_cast<int>(font)));

    const int x = anchor.x + (afterParen ? 1 : 4);
    const int y = anchor.y - 1;
    dpi::openScaledWindow(number, x, y, width, height, u"", WS_POPUP | ui::kWindowHidden,
                          look.owner);
    HWND window = ui::windowHandle(number);
    if (!window)
        return nullptr;
    ui::setWindowTheme(window, L"", L"");
    raiseOwnPriority(window);
    ui::setWindowSubclass(window, deactivationHandler, 0, reinterpret_cast<DWORD_PTR>(&ending));
    ui::setWindowColor(number, GetSysColor(COLOR_WINDOWFRAME));
    // No SWP_FRAMECHANGED here: a later resize measures the frame with this style, so the
    // client area keeps the layout's size.
    SetWindowLongW(window, GWL_STYLE, GetWindowLongW(window, GWL_STYLE) | WS_BORDER);
    applyPopupLook(window, look.settings);
    return window;
}

void showCaretWindow(HWND window, const PopupLook& look) {
    RedrawWindow(window, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_INTERNALPAINT | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    if (look.show)
        look.show(window, look.settings);
    SetTimer(window, kActivationTimer, kActivationWaitMs, nullptr);
}

} // namespace popup

#include "popup/CaretWindow.h"

#include "base/OwnedHandles_win.h"
#include "dpi/DpiSetup.h"
#include "dpi/ScaledWrappers.h"
#include "ui/CommonControls.h"
#include "ui/WindowService.h"

namespace popup {

namespace {

// Typing into the window must keep pace with the user on a busy machine too; the priority
// stays raised for the rest of the run.
void raiseOwnPriority(HWND window) {
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    const base::OwnedKernelHandle process(OpenProcess(PROCESS_SET_INFORMATION, FALSE, processId));
    if (process)
        SetPriorityClass(process.get(), ABOVE_NORMAL_PRIORITY_CLASS);
}

// The Win32 key of each CaretKey, in the enumeration's order.
constexpr int kShortcuts[] = {VK_RETURN,
                              VK_RETURN | ui::kShortcutShift,
                              VK_ESCAPE,
                              VK_TAB,
                              VK_TAB | ui::kShortcutShift,
                              VK_UP,
                              VK_DOWN,
                              VK_PRIOR,
                              VK_NEXT};

int shortcutOf(CaretKey key) {
    return kShortcuts[static_cast<int>(key)];
}

// A shortcut's command is its key's place in CaretKey, one up: command 0 is none.
int commandOf(CaretKey key) {
    return static_cast<int>(key) + 1;
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

} // namespace

CaretWindow::~CaretWindow() {
    close();
}

HWND CaretWindow::handle() const {
    return window_ ? ui::windowHandle(*window_) : nullptr;
}

LRESULT CaretWindow::onNcActivate(HWND window, WPARAM active) {
    if (active && IsWindowVisible(window))
        ending_.wasActive = true;
    // A window not yet shown has nothing to lose: while it is built, focusing its first field
    // makes it the active window of its thread but not the foreground window, and it is told
    // so with this same message.
    if (!active && !ending_.lostActivation && IsWindowVisible(window)) {
        ending_.lostActivation = true;
        if (look_.settings.fadeOut != 0)
            fadeOutPopup(window, look_.settings, look_.setAlpha);
        // Invisible from now on, whatever the fade did.
        look_.setAlpha(window, 0);
        if (caretWindowEnd(ending_) == CaretWindowEnd::Cancelled)
            cancel();
    }
    // Activation moves on, and the frame is never repainted for it.
    return TRUE;
}

void CaretWindow::onActivationWaitOver(HWND window) {
    KillTimer(window, kActivationTimer);
    ending_.activationWaitOver = true;
    // In front now, whether or not it was told so.
    if (IsWindowVisible(window) && GetForegroundWindow() == window)
        ending_.wasActive = true;
    if (!ending_.cancelled && caretWindowEnd(ending_) == CaretWindowEnd::Cancelled)
        cancel();
}

LRESULT CALLBACK CaretWindow::endingHandler(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                            UINT_PTR id, DWORD_PTR data) {
    try {
        auto& self = *reinterpret_cast<CaretWindow*>(data);
        switch (message) {
        case WM_NCACTIVATE:
            return self.onNcActivate(window, wParam);
        case WM_TIMER:
            if (wParam != kActivationTimer)
                break;
            self.onActivationWaitOver(window);
            return 0;
        case WM_QUERYENDSESSION:
            // The session ends: nothing the user confirmed, and the session may end.
            self.cancel();
            return TRUE;
        case WM_ENDSESSION:
            if (wParam)
                self.cancel();
            return 0;
        case WM_NCDESTROY:
            ui::removeWindowSubclass(window, endingHandler, id);
            break;
        default:
            break;
        }
    } catch (...) {
        // No exception may unwind through the window procedure.
    }
    return ui::defSubclassProc(window, message, wParam, lParam);
}

void CaretWindow::accept() {
    ending_.acceptRequested = true;
    if (window_)
        ui::postCloseRequest(*window_);
}

// From inside a sent message the event wait keeps waiting for a posted one, which the close
// request alone, sitting in the program's queue, is not.
void CaretWindow::cancel() {
    ending_.cancelled = true;
    if (window_)
        ui::postCloseRequest(*window_);
    if (HWND window = handle())
        PostMessageW(window, WM_NULL, 0, 0);
}

void CaretWindow::close() {
    window_.reset();
}

int frameHeight(DWORD style, DWORD exStyle) {
    RECT frame{0, 0, 0, 0};
    AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    return frame.bottom - frame.top;
}

int frameHeightOf(HWND window) {
    return frameHeight(DWORD(GetWindowLongW(window, GWL_STYLE)),
                       DWORD(GetWindowLongW(window, GWL_EXSTYLE)));
}

void CaretWindow::placeAtCaret(HWND window) {
    RECT outer{};
    if (!GetWindowRect(window, &outer))
        return;
    PlacementInput input;
    input.workArea = workArea_;
    input.caretX = opening_.anchor.x;
    input.caretY = opening_.anchor.y;
    input.afterParen = opening_.afterParen;
    input.width = outer.right - outer.left;
    input.height = outer.bottom - outer.top;
    // The line's height costs the IDE two more answers, and only a window that does not stand
    // at the caret needs it.
    Placement placed = placePopup(input);
    if (placed.spot != PopupSpot::AtTheCaret) {
        input.lineHeight = look_.caretLineHeight ? look_.caretLineHeight() : 0;
        if (input.lineHeight <= 0)
            input.lineHeight = dpi::toPixelsY(*window_, kRowHeight);
        placed = placePopup(input);
    }
    if (placed.at.x != outer.left || placed.at.y != outer.top)
        SetWindowPos(window, nullptr, placed.at.x, placed.at.y, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void colourControl(ui::Control* control, std::int32_t text, std::int32_t back) {
    if (!control)
        return;
    ui::setControlTextColor(*control, static_cast<COLORREF>(text));
    ui::setControlBackColor(*control, static_cast<COLORREF>(back));
}

bool CaretWindow::build(const CaretWindowOpening& opening, const PopupLook& look,
                        const CaretContent& content) {
    close();
    opening_ = opening;
    look_ = look;
    if (!look_.setAlpha)
        look_.setAlpha = setLayeredAlpha;
    ending_ = CaretWindowEnding{};
    const store::IdeAppearance& ide = look.appearance;

    // Sizes and font follow the DPI of the caret's monitor, not the primary monitor's.
    const idelink::ScreenPoint anchor = opening.anchor;
    const ui::WindowScale scale = dpi::scaleForMonitorAt(anchor.x, anchor.y);
    workArea_ = workAreaAt(anchor.x, anchor.y);

    // Made with its final style (a one-pixel frame, layered) and, where the content can tell
    // beforehand, its final height: a style change or a resize afterwards is a round of
    // messages through the window and its controls, under Wine as dear as making a control.
    constexpr DWORD kStyle = WS_POPUP | WS_BORDER;
    const int height =
        content.openingHeight
            ? content.openingHeight(workArea_, frameHeight(kStyle, WS_EX_LAYERED), scale.y)
            : opening.height;
    const idelink::ScreenPoint origin = caretWindowOrigin(anchor.x, anchor.y, opening.afterParen);
    window_ =
        dpi::openScaledWindow(origin.x, origin.y, opening.width, height, u"",
                              kStyle | ui::kWindowHidden | ui::kWindowLayered, look.owner, scale);
    HWND window = handle();
    if (!window)
        return false;
    if (HFONT font = dpi::loadScaledFont(ide.editorFontName, ide.editorFontSize, 0, scale))
        ui::setWindowFont(*window_, font);
    ui::setWindowTheme(window, L"", L"");
    raiseOwnPriority(window);
    ui::setWindowSubclass(window, endingHandler, 0, reinterpret_cast<DWORD_PTR>(this));
    ui::setWindowColor(*window_, GetSysColor(COLOR_WINDOWFRAME));
    applyPopupLook(window, look.settings);
    for (const CaretKey key : content.keys)
        ui::addKeyboardShortcut(*window_, shortcutOf(key), commandOf(key));

    // The client area keeps the content's size inside the frame.
    const int builtHeight = content.buildControls(*window_);
    if (builtHeight < 0) { // a control could not be made: no window rather than part of one
        close();
        return false;
    }
    if (builtHeight != height)
        dpi::resizeScaledWindow(*window_, base::keepValue, base::keepValue, base::keepValue,
                                builtHeight);
    placeAtCaret(window);
    content.focus();

    RedrawWindow(window, nullptr, nullptr, ui::kRedrawEverything);
    if (look.show)
        look.show(window, look.settings);
    SetTimer(window, kActivationTimer, kActivationWaitMs, nullptr);
    if (content.shown)
        content.shown();
    return true;
}

void CaretWindow::carryOut(const CaretPlan& plan, const CaretContent& content) {
    switch (plan.action) {
    case CaretAction::Nothing:
        break;
    case CaretAction::Accept:
        accept();
        break;
    case CaretAction::Cancel:
        cancel();
        break;
    default:
        content.carryOut(plan);
        break;
    }
}

bool CaretWindow::run(const CaretContent& content) {
    for (;;) {
        const ui::Event event = ui::waitEvent();
        const ui::EventKind kind = event.kind;
        if (kind == ui::EventKind::None) {
            // The wait failed or the thread is asked to quit: nothing the user confirmed.
            ending_.cancelled = true;
            break;
        }
        if (event.window != window_.get())
            continue;
        if (kind == ui::EventKind::Shortcut) {
            for (const CaretKey key : content.keys)
                if (commandOf(key) == event.command)
                    carryOut(content.planKey(key), content);
        } else if (kind == ui::EventKind::Control) {
            carryOut(content.planEvent(*event.control, event.type), content);
        } else if (kind == ui::EventKind::CloseRequest) {
            // The window's own close (Alt+F4, another program's WM_CLOSE) and a WM_QUIT come
            // here too: only the content's acceptance asked for what the user entered.
            break;
        }
    }
    return caretWindowEnd(ending_) == CaretWindowEnd::Accepted;
}

} // namespace popup

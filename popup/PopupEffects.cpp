#include "popup/PopupEffects.h"

#include "base/OwnedHandles_win.h"

namespace popup {

namespace {

constexpr int kFadeStep = 6;

// winmm is loaded only when the first fade runs: a start that only inserts a template must
// not pay for a library it never uses.
void raiseTimerResolutionOnce() {
    static bool raised = false;
    if (raised)
        return;
    raised = true;
    using TimeBeginPeriodFunction = UINT(WINAPI*)(UINT);
    // Kept loaded to the process's end: the raised resolution lasts as long.
    static const base::OwnedLibrary winmm(LoadLibraryW(L"winmm.dll"));
    if (auto begin = base::moduleFunction<TimeBeginPeriodFunction>(winmm.get(), "timeBeginPeriod"))
        begin(1);
}

// Without the raised resolution Sleep(1) lasts a whole scheduler tick, and the 41 steps of
// the default fade would take most of a second.
void waitOneMillisecond() {
    raiseTimerResolutionOnce();
    Sleep(1);
}

BYTE alphaOf(int value) {
    return static_cast<BYTE>(value < 0 ? 0 : value > 255 ? 255 : value);
}

} // namespace

void applyPopupLook(HWND window, const store::PopupSettings& settings) {
    const LONG exStyle = GetWindowLongW(window, GWL_EXSTYLE);
    if (!(exStyle & WS_EX_LAYERED)) // a window made layered needs no style change
        SetWindowLongW(window, GWL_EXSTYLE, exStyle | WS_EX_LAYERED);
    setLayeredAlpha(window, alphaOf(settings.opacity));
    if (settings.shadow != 0) {
        // Every window of the program has a class of its own, so only the popup gets it.
        const DWORD classStyle = GetClassLongW(window, GCL_STYLE);
        SetClassLongW(window, GCL_STYLE, static_cast<LONG>(classStyle | CS_DROPSHADOW));
    }
}

void slideInPopup(HWND window, const store::PopupSettings& settings) {
    AnimateWindow(window, static_cast<DWORD>(settings.slideIn > 0 ? settings.slideIn : 1),
                  AW_SLIDE | AW_ACTIVATE | AW_VER_POSITIVE);
}

void setLayeredAlpha(HWND window, BYTE alpha) {
    SetLayeredWindowAttributes(window, 0, alpha, LWA_ALPHA);
}

void fadeOutPopup(HWND window, const store::PopupSettings& settings, const AlphaSetter& setAlpha) {
    // Loading keeps Opacity within 1..255; a larger value would only repeat full alphas.
    for (int alpha = settings.opacity > 255 ? 255 : settings.opacity; alpha >= 0;
         alpha -= kFadeStep) {
        waitOneMillisecond();
        setAlpha(window, alphaOf(alpha));
    }
}

} // namespace popup

#pragma once
// What the windows that open at the IDE's caret share: a caption-less window in the IDE's font
// and colours with the [Popup] look, placed by the popup's rules, and one set of endings.
// Every ending but the window's own acceptance cancels: activating another window, the end of
// the session, or a window that never became the active window (Win32 only).
#include "idelink/PopupContract.h"
#include "popup/PopupEffects.h"
#include "popup/PopupPlacement.h"
#include "store/IdeAppearance.h"
#include "store/ShortcutStore.h"

#include <windows.h>

#include <cstdint>
#include <functional>

namespace popup {

// What a window at the caret takes besides its content: the IDE's look, the effects, the owner.
struct PopupLook {
    store::IdeAppearance appearance;
    store::PopupSettings settings;
    HWND owner = nullptr;                   // the IDE's main window; nullptr for none
    AlphaSetter setAlpha = setLayeredAlpha; // the fade's and the vanishing's alphas
    // The caret line's height in pixels, asked only when the window must stand below the line;
    // empty or 0: the height of one row.
    std::function<int()> caretLineHeight;
    // Shows and activates the built window; tests put one in its place that Windows refuses.
    std::function<void(HWND window, const store::PopupSettings& settings)> show = slideInPopup;
};

// A window that has not become the active window this long after it was shown cancels.
inline constexpr UINT kActivationWaitMs = 3000;

// How a window at the caret ended, as its deactivation handler saw it.
struct CaretWindowEnding {
    int window = -1; // the service's window number
    bool cancelled = false;
    bool lostActivation = false;
    bool wasActive = false; // has been the visible active window
    store::PopupSettings settings;
    AlphaSetter setAlpha = setLayeredAlpha;
};

// Opens the hidden window of the given size in 96-DPI units at the anchor, scaled for the
// caret's monitor, with the IDE's editor font as the default of its controls. The ending
// record must outlive the window. nullptr when no window could be made.
HWND openCaretWindow(int number, idelink::ScreenPoint anchor, bool afterParen, int width,
                     int height, const PopupLook& look, CaretWindowEnding& ending);

// The work area of the monitor that holds the point.
ScreenRect workAreaAt(int x, int y);
int frameHeightOf(HWND window);

// Moves the sized window inside the work area of the caret's monitor.
void placeAtCaret(HWND window, idelink::ScreenPoint anchor, bool afterParen, const PopupLook& look,
                  const ScreenRect& workArea);

// Shows the placed window active and starts the wait for its activation.
void showCaretWindow(HWND window, const PopupLook& look);

// Ends the window's event loop as a cancel.
void cancelCaretWindow(CaretWindowEnding& ending);

void colourControl(int number, std::int32_t text, std::int32_t back);

} // namespace popup

#pragma once
// The placeholder popup: a caption-less window at the IDE's caret with a preview of the text
// and one field per placeholder. Return moves to the next field and accepts in the last;
// every other ending cancels: Escape, Shift+Return, activating another window, closing the
// window, the end of the session, or a popup that never became the active window (Win32 only).
#include "idelink/PopupContract.h"
#include "popup/PopupEffects.h"
#include "store/IdeAppearance.h"
#include "store/ShortcutStore.h"

#include <windows.h>

#include <functional>

namespace popup {

// What the popup takes besides the request: the IDE's look, the effects, the owner window.
struct PopupLook {
    store::IdeAppearance appearance;
    store::PopupSettings settings;
    HWND owner = nullptr;                   // the IDE's main window; nullptr for none
    AlphaSetter setAlpha = setLayeredAlpha; // the fade's and the vanishing's alphas
    // The caret line's height in pixels, asked only when the popup must stand below the line;
    // empty or 0: the height of one row.
    std::function<int()> caretLineHeight;
    // Shows and activates the built popup; tests put one in its place that Windows refuses.
    std::function<void(HWND window, const store::PopupSettings& settings)> show = slideInPopup;
};

inline constexpr int kPopupWindow = 0;
inline constexpr int kPreviewControl = 0;
// Fields are controls 1 to n; their labels take the numbers above n.
inline constexpr int labelControl(int field, int fieldCount) {
    return fieldCount + field;
}

// A popup that has not become the active window this long after it was shown cancels.
inline constexpr UINT kActivationWaitMs = 3000;

// Keyboard shortcut commands of the popup.
inline constexpr int kCommandNext = 1;
inline constexpr int kCommandCancel = 2;
inline constexpr int kCommandCancelShift = 3;

// Builds the popup and shows it active at the request's anchor.
void buildPlaceholderPopup(const idelink::PopupRequest& request, const PopupLook& look);

// The event loop of the built popup, until it is accepted or cancelled. The window stays.
idelink::PopupResult runPlaceholderPopup(int fieldCount);

// Both of the above: called once per run with at least one field. A request of more than
// kMaxFields fields shows a message instead and is cancelled.
idelink::PopupResult showPlaceholderPopup(const idelink::PopupRequest& request,
                                          const PopupLook& look);

} // namespace popup

#pragma once
// The placeholder popup: a caption-less window at the IDE's caret with a preview of the text
// and one field per placeholder; Up and Down step through the choices of a field that offers
// some, marked at its end. Return moves to the next field and accepts in the last; every other
// ending cancels: Escape, Shift+Return, activating another window, closing the window, the end
// of the session, or a popup that never became the active window (Win32 only).
#include "idelink/PopupContract.h"
#include "popup/CaretWindow.h"

#include <windows.h>

namespace popup {

inline constexpr int kPopupWindow = 0;
inline constexpr int kPreviewControl = 0;
// Fields are controls 1 to n; their labels take the numbers above n, the marks of the fields
// with choices those above 2n.
inline constexpr int labelControl(int field, int fieldCount) {
    return fieldCount + field;
}
inline constexpr int choiceMarkControl(int field, int fieldCount) {
    return 2 * fieldCount + field;
}

// Keyboard shortcut commands of the popup.
inline constexpr int kCommandNext = 1;
inline constexpr int kCommandCancel = 2;
inline constexpr int kCommandCancelShift = 3;
inline constexpr int kCommandPreviousChoice = 4;
inline constexpr int kCommandNextChoice = 5;

// Builds the popup and shows it active at the request's anchor.
void buildPlaceholderPopup(const idelink::PopupRequest& request, const PopupLook& look);

// The event loop of the built popup, until it is accepted or cancelled. The window stays.
idelink::PopupResult runPlaceholderPopup(int fieldCount);

// Both of the above: called once per run with at least one field. A request of more than
// kMaxFields fields shows a message instead and is cancelled.
idelink::PopupResult showPlaceholderPopup(const idelink::PopupRequest& request,
                                          const PopupLook& look);

} // namespace popup

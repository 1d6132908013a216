#pragma once
// The placeholder popup: a caption-less window at the IDE's caret with a preview of the text
// and one field per placeholder; Up and Down step through the choices of a field that offers
// some, marked at its end. Return moves to the next field and accepts in the last; every other
// ending cancels: Escape, Shift+Return, activating another window, closing the window, the end
// of the session, or a popup that never became the active window (Win32 only).
#include "idelink/PopupContract.h"
#include "popup/CaretWindow.h"
#include "ui/WindowService.h"

#include <vector>

namespace popup {

// One field's row: its label, its field, and the mark of a field with choices.
struct FieldRow {
    ui::Control* label = nullptr;
    ui::Control* field = nullptr;
    ui::Control* mark = nullptr; // none for a field without choices
};

// What the popup's window drives: the preview and one row per field. The request must outlive
// the popup's run.
struct PlaceholderFields {
    explicit PlaceholderFields(const idelink::PopupRequest& request) : request(request) {}
    const idelink::PopupRequest& request;
    ui::Control* preview = nullptr;
    std::vector<FieldRow> rows; // field n is rows[n - 1]
    int rowsShown = 0;          // fewer than the fields when the rows scroll
    int firstRow = 1;           // the field in the first row in view
};

// Builds the popup in the window and shows it active at the request's anchor; false when no
// window could be made.
bool buildPlaceholderPopup(CaretWindow& window, PlaceholderFields& fields, const PopupLook& look);

// The event loop of the built popup, until it is accepted or cancelled. The window stays.
idelink::PopupResult runPlaceholderPopup(CaretWindow& window, PlaceholderFields& fields);

// Both of the above: called once per run with at least one field. A request of more than
// kMaxFields fields shows a message instead and is cancelled. The popup stays in the window
// until the window is closed: it fades out when the IDE takes the foreground back.
idelink::PopupResult showPlaceholderPopup(CaretWindow& window, const idelink::PopupRequest& request,
                                          const PopupLook& look);

} // namespace popup

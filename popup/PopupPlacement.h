#pragma once
// Where the placeholder popup stands on the screen, how many of its rows it shows, and which
// rows are scrolled into view. No Win32 here, so the rules are checked natively.
#include "idelink/PopupContract.h"

namespace popup {

// Layout in 96-DPI units. The caret window, popup or picker, is this wide; the popup has the
// preview on top, then one row per field.
inline constexpr int kCaretWindowWidth = 630;
inline constexpr int kPreviewHeight = 62;
inline constexpr int kRowPitch = 17;
inline constexpr int kRowHeight = 16; // a row's field; the rest of the pitch is the rule below it

// A screen rectangle in pixels; right and bottom are exclusive.
struct ScreenRect {
    int left = 0, top = 0, right = 0, bottom = 0;
};

struct PlacementInput {
    ScreenRect workArea;     // of the monitor that holds the caret
    int caretX = 0;          // the caret's top-left point in screen pixels
    int caretY = 0;          //   (the top of its line)
    int lineHeight = 0;      // the caret line's height in pixels
    bool afterParen = false; // the word before the caret ends with "("
    int width = 0;           // the popup's outer size in pixels
    int height = 0;
};

// Where the popup ended up: right of the word on the caret's line, or moved off it.
enum class PopupSpot { AtTheCaret, BelowTheLine, AboveTheLine, AtTheBottom };

struct Placement {
    idelink::ScreenPoint at; // the popup's outer top-left corner
    PopupSpot spot = PopupSpot::AtTheCaret;
};

// Where the window opens before it is placed: right of the word on the caret's line, closer to
// a word that ends with "(". placePopup starts from there.
idelink::ScreenPoint caretWindowOrigin(int caretX, int caretY, bool afterParen);

Placement placePopup(const PlacementInput& input);

// The most fields one popup takes. At three windows per field (its label, its field and the
// mark of its choices), 1,501 windows in all stay far below the 10,000 window handles that
// Windows allows a process.
inline constexpr int kMaxFields = 500;

// How many rows the popup shows at once: all of them when the popup fits the work area's
// height, otherwise as many as do (at least one).
int rowsShown(int fieldCount, int workAreaHeight, int frameHeight, float scaleY);

// The first row in view after the focus moved to `focused`, given the first row in view
// before: the view moves the least that brings the focused row into it.
int firstRowInView(int focused, int firstBefore, int shown, int fieldCount);

} // namespace popup

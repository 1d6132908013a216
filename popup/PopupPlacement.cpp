#include "popup/PopupPlacement.h"

#include "dpi/ScaleRules.h"

#include <algorithm>

namespace popup {

idelink::ScreenPoint caretWindowOrigin(int caretX, int caretY, bool afterParen) {
    return {caretX + (afterParen ? 1 : 4), caretY - 1};
}

Placement placePopup(const PlacementInput& input) {
    const ScreenRect& area = input.workArea;
    Placement placed{caretWindowOrigin(input.caretX, input.caretY, input.afterParen),
                     PopupSpot::AtTheCaret};
    idelink::ScreenPoint& at = placed.at;
    const bool fitsRight = at.x + input.width <= area.right;
    if (!fitsRight) {
        // Moved left over the word, it would hide the word and the text before it: it stands
        // below the caret's line instead, with one pixel between.
        at.x = std::max(area.left, area.right - input.width);
        at.y = input.caretY + input.lineHeight + 1;
        placed.spot = PopupSpot::BelowTheLine;
    }
    at.x = std::max(at.x, area.left);
    if (at.y + input.height > area.bottom) {
        // Above the caret's line, its bottom one pixel above the line's top.
        at.y = input.caretY - 1 - input.height;
        placed.spot = PopupSpot::AboveTheLine;
        // Neither below nor above: it ends at the work area's bottom and covers the line,
        // which still beats rows the user cannot see.
        if (at.y < area.top) {
            at.y = area.bottom - input.height;
            placed.spot = PopupSpot::AtTheBottom;
        }
    }
    at.y = std::max(at.y, area.top);
    return placed;
}

int rowsShown(int fieldCount, int workAreaHeight, int frameHeight, float scaleY) {
    int shown = std::max(fieldCount, 1);
    while (shown > 1 &&
           dpi::toPixels(kPreviewHeight + kRowPitch * shown, scaleY) + frameHeight > workAreaHeight)
        --shown;
    return shown;
}

int firstRowInView(int focused, int firstBefore, int shown, int fieldCount) {
    if (fieldCount < 1 || shown < 1)
        return 1;
    const int lastFirst = std::max(1, fieldCount - shown + 1);
    int first = std::clamp(firstBefore, 1, lastFirst);
    if (focused < 1 || focused > fieldCount)
        return first;
    if (focused < first)
        first = focused;
    else if (focused >= first + shown)
        first = focused - shown + 1;
    return first;
}

} // namespace popup

// Row lists: list boxes without data of their own, drawn by the service from the list's row
// function, so that refilling a list of ten thousand rows is one count and one redraw.
#include "ui/ControlMessages.h"
#include "ui/ServiceState.h"

#include <algorithm>

namespace ui::detail {

void drawListRow(const Control& list, const DRAWITEMSTRUCT& item) {
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    auto colourOr = [](COLORREF colour, int system) {
        return colour != kDefaultColor ? colour : GetSysColor(system);
    };
    const COLORREF text = selected ? colourOr(list.selectionTextColor, COLOR_HIGHLIGHTTEXT)
                                   : colourOr(list.textColor, COLOR_WINDOWTEXT);
    const COLORREF back = selected ? colourOr(list.selectionBackColor, COLOR_HIGHLIGHT)
                                   : colourOr(list.backColor, COLOR_WINDOW);
    // An empty list still draws its focus rectangle as row -1.
    const bool isRow = item.itemID != static_cast<UINT>(-1) && list.rowText;
    const std::wstring row =
        isRow ? text::toWide(list.rowText(static_cast<int>(item.itemID))) : L"";
    RECT area = item.rcItem;
    SetBkColor(item.hDC, back);
    SetTextColor(item.hDC, text);
    ExtTextOutW(item.hDC, 0, 0, ETO_OPAQUE, &area, nullptr, 0, nullptr);
    area.left += 2;
    DrawTextW(item.hDC, row.c_str(), static_cast<int>(row.size()), &area,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    // An IDE's selection colour may lie close to its background: the frame shows the row anyway.
    if (selected)
        DrawFocusRect(item.hDC, &item.rcItem);
}

} // namespace ui::detail

namespace ui {

using namespace detail;

void setRowListRows(Control& control, int count, std::function<std::u16string(int row)> rowText) {
    Control* list = &control;
    if (!list->handle || list->kind != ControlKind::RowList)
        return;
    list->rowText = std::move(rowText);
    // Setting a count costs time in proportion to it on some systems (Wine): a list that keeps
    // its length is only drawn again.
    if (listBoxCount(list->handle) != std::max(count, 0)) {
        QuietChanges quiet;
        listBoxSetCount(list->handle, std::max(count, 0));
    }
    InvalidateRect(list->handle, nullptr, TRUE);
}

void setRowListSelectionColors(Control& control, COLORREF text, COLORREF back) {
    Control* list = &control;
    if (!list->handle || list->kind != ControlKind::RowList)
        return;
    list->selectionTextColor = text;
    list->selectionBackColor = back;
    InvalidateRect(list->handle, nullptr, TRUE);
}

} // namespace ui

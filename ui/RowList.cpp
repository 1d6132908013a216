// Row lists: list boxes without data of their own, drawn by the service from the list's row
// function, so that refilling a list of ten thousand rows is one count and one redraw.
#include "ui/ControlMessages.h"
#include "ui/ServiceState.h"

#include <algorithm>

namespace ui::detail {

void drawListRow(const Control& list, const DRAWITEMSTRUCT& item) {
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    // The IDE's colours where the list has them (the picker), the system's as a list box draws
    // its rows otherwise, grey text while disabled included.
    const bool ideSelection = list.selectionBackColor != kDefaultColor;
    auto colourOr = [](COLORREF colour, int system) {
        return colour != kDefaultColor ? colour : GetSysColor(system);
    };
    const int plainText = (item.itemState & ODS_DISABLED) ? COLOR_GRAYTEXT : COLOR_WINDOWTEXT;
    const COLORREF text = selected ? colourOr(list.selectionTextColor, COLOR_HIGHLIGHTTEXT)
                                   : colourOr(list.textColor, plainText);
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
    // An IDE's selection colour may lie close to its background: a frame shows the row anyway.
    // In system colours the frame is the focus rectangle, on the caret's row while the list has
    // the focus and the system shows focus rectangles.
    const bool focusFrame =
        (item.itemState & ODS_FOCUS) != 0 && (item.itemState & ODS_NOFOCUSRECT) == 0;
    if (ideSelection ? selected : focusFrame)
        DrawFocusRect(item.hDC, &item.rcItem);
}

namespace {

UINT rowTextMessage() {
    static const UINT message = RegisterWindowMessageW(kRowTextMessageName);
    return message;
}

// Any program may send the message: the room it names must be committed, writable memory of
// this process, whole.
bool writableRoom(void* start, std::size_t size) {
    auto* at = static_cast<char*>(start);
    char* const end = at + size;
    while (at < end) {
        MEMORY_BASIC_INFORMATION region{};
        if (!VirtualQuery(at, &region, sizeof region) || region.State != MEM_COMMIT ||
            (region.Protect & (PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READWRITE |
                               PAGE_EXECUTE_WRITECOPY)) == 0 ||
            (region.Protect & PAGE_GUARD) != 0)
            return false;
        at = static_cast<char*>(region.BaseAddress) + region.RegionSize;
    }
    return true;
}

} // namespace

bool rowListMessage(Control& list, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (message == WM_CHAR) {
        // The list box finds nothing in rows that hold no text: the letters are searched here.
        const int current = listBoxCurrent(list.handle);
        const int row = rowForTypedCharacter(list.typedSearch, static_cast<char16_t>(wParam),
                                             static_cast<std::uint32_t>(GetMessageTime()), current,
                                             listBoxCount(list.handle), list.rowText);
        if (row >= 0 && row != current) {
            listBoxSetCurrent(list.handle, row);
            raiseControlEvent(list, kEventRowSelected);
        }
        result = 0;
        return wParam >= u' ';
    }
    if (message != rowTextMessage() || message == 0)
        return false;
    const int row = static_cast<int>(wParam);
    if (!list.rowText || row < 0 || row >= listBoxCount(list.handle)) {
        result = -1;
        return true;
    }
    const std::wstring text = text::toWide(list.rowText(row));
    auto* room = reinterpret_cast<wchar_t*>(lParam);
    if (room && !writableRoom(room, (text.size() + 1) * sizeof(wchar_t))) {
        result = -1; // the asker's address is no room of this process: nothing is written
        return true;
    }
    if (room)
        std::copy(text.c_str(), text.c_str() + text.size() + 1, room);
    result = static_cast<LRESULT>(text.size());
    return true;
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

// Rows of tree-view lists, every row at top level. The service keeps the rows' items in row
// order, so a row number needs no walk through the tree.
#include "ui/ControlMessages.h"
#include "ui/ServiceState.h"

#include <algorithm>

namespace ui::detail {

HTREEITEM rowItem(const ControlRecord& list, int row) {
    if (row < 0 || row >= static_cast<int>(list.rows.size())) {
        return nullptr;
    }
    return static_cast<HTREEITEM>(list.rows[static_cast<std::size_t>(row)]);
}

int currentRow(const ControlRecord& list) {
    const HTREEITEM item = treeCurrentRow(list.handle);
    if (!item) {
        return -1;
    }
    const auto found = std::find(list.rows.begin(), list.rows.end(), static_cast<void*>(item));
    return found == list.rows.end() ? -1 : static_cast<int>(found - list.rows.begin());
}

void selectRow(const ControlRecord& list, int row) {
    QuietChanges quiet;
    treeSelectRow(list.handle, rowItem(list, row));
}

} // namespace ui::detail

namespace ui {

using namespace detail;

namespace {

ControlRecord* findList(int number) {
    ControlRecord* list = findControl(number);
    return list && list->kind == ControlKind::TreeList ? list : nullptr;
}

} // namespace

int addListRow(int number, std::u16string_view text) {
    ControlRecord* list = findList(number);
    if (!list) {
        return -1;
    }
    QuietChanges quiet;
    const HTREEITEM item = treeInsertRow(list->handle, text);
    if (!item) {
        return -1;
    }
    list->rows.push_back(item);
    return static_cast<int>(list->rows.size()) - 1;
}

// Thousands of rows are thousands of messages, and every message sent to a subclassed
// control looks its subclass chain up in a window property, which is a server round trip
// under Wine: seconds on a busy machine. So the rows go straight to the tree's own procedure,
// which is where the chain ends anyway, and the tree draws once at the end.
int addListRows(int number, const std::vector<std::u16string>& texts) {
    ControlRecord* list = findList(number);
    if (!list) {
        return 0;
    }
    QuietChanges quiet;
    const auto treeProcedure =
        reinterpret_cast<WNDPROC>(GetClassLongPtrW(list->handle, GCLP_WNDPROC));
    list->rows.reserve(list->rows.size() + texts.size());
    controlSetRedraw(list->handle, false);
    int added = 0;
    for (const std::u16string& text : texts) {
        const HTREEITEM item = treeInsertRow(list->handle, text, treeProcedure);
        if (!item) {
            break;
        }
        list->rows.push_back(item);
        ++added;
    }
    controlSetRedraw(list->handle, true);
    InvalidateRect(list->handle, nullptr, TRUE);
    return added;
}

void removeListRow(int number, int row) {
    ControlRecord* list = findList(number);
    if (!list) {
        return;
    }
    HTREEITEM item = rowItem(*list, row);
    if (!item) {
        return;
    }
    // The next row becomes current, or the previous one when the last row goes; chosen here
    // rather than left to the tree, whose choice differs between versions.
    if (currentRow(*list) == row) {
        const int count = static_cast<int>(list->rows.size());
        selectRow(*list, row + 1 < count ? row + 1 : row - 1);
    }
    QuietChanges quiet;
    list->rows.erase(list->rows.begin() + row);
    treeDeleteRow(list->handle, item);
}

// One message for all rows: thousands of single removals would each be a round trip.
void removeAllListRows(int number) {
    ControlRecord* list = findList(number);
    if (!list) {
        return;
    }
    QuietChanges quiet;
    list->rows.clear();
    treeDeleteRow(list->handle, TVI_ROOT);
}

int listRowCount(int number) {
    const ControlRecord* list = findList(number);
    return list ? static_cast<int>(list->rows.size()) : 0;
}

std::u16string listRowText(int number, int row) {
    const ControlRecord* list = findList(number);
    return list ? treeRowText(list->handle, rowItem(*list, row)) : std::u16string{};
}

} // namespace ui

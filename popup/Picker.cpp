#include "popup/Picker.h"

#include "dpi/ScaledWrappers.h"
#include "popup/PickerMatch.h"
#include "popup/PopupText.h"
#include "ui/ControlMessages.h"
#include "ui/WindowService.h"

#include <algorithm>
#include <utility>

namespace popup {

namespace {

// Layout in 96-DPI units: the filter on top, the names below it on the left, the preview
// beside them; the gaps show the window's frame colour as rules.
constexpr int kWidth = 630;
constexpr int kListWidth = 200;
constexpr int kBodyY = kRowHeight + 1;
constexpr int kBodyHeight = 160;
constexpr int kHeight = kBodyY + kBodyHeight;

// The names are put in order once the picker is on screen and its queue is empty: a timer's
// message comes after every other one. The timer's id is the list that waits for it, which no
// other timer of the window has (the caret window's own is 1).
UINT_PTR orderTimerOf(PickerList& list) {
    return reinterpret_cast<UINT_PTR>(&list);
}

void orderNames(PickerList& list) {
    list.ordered = true;
    list.request.lowerNames = sortPickerNames(list.request.names);
    list.previewed = -2; // its name has moved: the next selection shows it again
}

// Puts the names in order and lists the filter's matches again: the same rows, now all of them.
void completeOrder(PickerList& list) {
    if (list.ordered)
        return;
    orderNames(list);
    list.matches = matchPickerNames(list.request.lowerNames, list.filter);
    list.matchCount = list.matches.size();
}

void CALLBACK onOrderTimer(HWND window, UINT, UINT_PTR id, DWORD) {
    KillTimer(window, id);
    try {
        completeOrder(*reinterpret_cast<PickerList*>(id));
    } catch (...) {
        // Out of memory: no picker rather than a part of the names, and nothing unwinds
        // through the message dispatch.
        if (PickerList& list = *reinterpret_cast<PickerList*>(id); list.window)
            ui::postCloseRequest(*list.window);
    }
}

void orderLater(PickerList& list) {
    if (!list.ordered && list.window) {
        list.timerWindow = ui::windowHandle(*list.window);
        SetTimer(list.timerWindow, orderTimerOf(list), USER_TIMER_MINIMUM, onOrderTimer);
    }
}

void showSelection(PickerList& list) {
    ui::setControlState(*list.nameList, list.selected);
    const int name = list.selected >= 0 ? list.matches[size_t(list.selected)] : -1;
    if (name == list.previewed)
        return;
    list.previewed = name;
    ui::setControlText(*list.preview, name >= 0 ? list.request.previewOf(name) : u"");
}

std::u16string rowText(PickerList& list, int row) {
    if (list.matchCount == 0)
        return noMatchingNameText(list.filter);
    if (row < 0 || size_t(row) >= list.matchCount)
        return std::u16string();
    if (size_t(row) >= list.matches.size())
        completeOrder(list);
    return std::u16string(list.request.names[size_t(list.matches[size_t(row)])]);
}

// The rows the list shows at once, for Page Up and Page Down.
int pageRows(const PickerList& list) {
    HWND handle = ui::controlHandle(*list.nameList);
    const int rowHeight = handle ? ui::listBoxRowHeight(handle) : 0;
    return rowHeight > 0 ? std::max(ui::controlHeight(*list.nameList) / rowHeight - 1, 1) : 1;
}

// Until the names are in order, matches holds only the rows the list shows first, a row shown
// in part included.
void applyFilter(PickerList& list) {
    list.filter = ui::controlText(*list.filterField);
    if (list.ordered) {
        list.matches = matchPickerNames(list.request.lowerNames, list.filter);
        list.matchCount = list.matches.size();
    } else {
        PickerPage page =
            firstPickerPage(list.request.names, list.filter, size_t(pageRows(list) + 2));
        list.matches = std::move(page.rows);
        list.matchCount = page.count;
    }
    // With nothing to pick, one row says so.
    ui::setRowListRows(*list.nameList, std::max<int>(int(list.matchCount), 1),
                       [&list](int row) { return rowText(list, row); });
    list.selected = list.matchCount == 0 ? -1 : 0;
    showSelection(list);
}

PickerKeyState keyState(const PickerList& list) {
    return {list.matchCount > 0, list.selected >= 0, pageRows(list)};
}

int buildControls(PickerList& list, ui::Window& window, const PopupLook& look) {
    const store::IdeAppearance& ide = look.appearance;
    list.window = &window;
    list.filterField = dpi::createScaledTextField(window, 0, 0, kWidth, kRowHeight,
                                                  list.request.filter, ui::kTextFieldNoBorder);
    list.nameList = dpi::createScaledRowList(window, 0, kBodyY, kListWidth, kBodyHeight, 0);
    list.preview = dpi::createScaledStaticText(window, kListWidth + 1, kBodyY,
                                               kWidth - kListWidth - 1, kBodyHeight, u"", 0);
    if (!list.filterField || !list.nameList || !list.preview)
        return -1;
    colourControl(list.filterField, ide.normalTextColor, ide.backgroundColor);
    colourControl(list.nameList, ide.normalTextColor, ide.backgroundColor);
    ui::setRowListSelectionColors(*list.nameList, static_cast<COLORREF>(ide.selectionFrontColor),
                                  static_cast<COLORREF>(ide.selectionColor));
    dpi::removeTabStop(ui::controlHandle(*list.nameList));
    colourControl(list.preview, ide.normalTextColor, ide.backgroundColor);
    // The window is made and not yet shown: now the names are needed.
    if (list.request.namesReady && !list.request.namesReady())
        ui::postCloseRequest(window);
    list.ordered = list.request.lowerNames.size() == list.request.names.size();
    // The list follows the filter within the keystroke's own message, before anything is drawn.
    ui::onControlEvent(*list.filterField, ui::kEventChange, [&list](const ui::Event&) {
        if (!list.ordered)
            orderNames(list);
        applyFilter(list);
    });
    applyFilter(list);
    return kHeight;
}

void focusFilter(const PickerList& list) {
    ui::focusControl(*list.filterField);
    const int end = int(list.request.filter.size());
    ui::editSetSelection(ui::controlHandle(*list.filterField), end, end);
}

// Keys typed before the picker took the keyboard went to the editor.
void readFilterAgain(PickerList& list) {
    if (!list.request.filterNow)
        return;
    if (const std::optional<std::u16string> now = list.request.filterNow();
        now && *now != list.filter) {
        completeOrder(list);
        ui::setControlText(*list.filterField, *now);
        applyFilter(list);
        const int nowEnd = int(now->size());
        ui::editSetSelection(ui::controlHandle(*list.filterField), nowEnd, nowEnd);
    }
}

CaretPlan planEvent(PickerList& list, const ui::Control& control, int type) {
    if (&control == list.nameList && type == ui::kEventRowSelected) {
        const int row = ui::controlState(*list.nameList);
        list.selected = row >= 0 && size_t(row) < list.matchCount ? row : -1;
        if (list.selected >= int(list.matches.size()))
            completeOrder(list);
        showSelection(list);
        // Typing goes on into the filter after a click on a name.
        ui::focusControl(*list.filterField);
    } else if (&control == list.nameList && type == ui::kEventLeftDoubleClick) {
        return pickerKeyPlan(CaretKey::Return, keyState(list));
    }
    return {};
}

void carryOut(PickerList& list, const CaretPlan& plan) {
    if (plan.action == CaretAction::MoveSelection && list.matchCount > 0) {
        list.selected = movedSelection(list.selected, plan.value, int(list.matchCount));
        if (list.selected >= int(list.matches.size()))
            completeOrder(list);
        showSelection(list);
    }
}

// What the window drives once the controls are built.
CaretContent contentOf(PickerList& list) {
    CaretContent content;
    content.keys = kPickerKeys;
    content.focus = [&list] { focusFilter(list); };
    content.shown = [&list] {
        readFilterAgain(list);
        orderLater(list);
    };
    content.planKey = [&list](CaretKey key) { return pickerKeyPlan(key, keyState(list)); };
    content.planEvent = [&list](const ui::Control& control, int type) {
        return planEvent(list, control, type);
    };
    content.carryOut = [&list](const CaretPlan& plan) { carryOut(list, plan); };
    return content;
}

} // namespace

// The window may be gone already: its handle, kept as a value, is only asked to drop a timer.
PickerList::~PickerList() {
    if (timerWindow)
        KillTimer(timerWindow, orderTimerOf(*this));
}

bool buildPicker(CaretWindow& window, PickerList& list, const PopupLook& look) {
    const CaretWindowOpening opening{list.request.anchor, list.request.afterParen, kWidth, kHeight};
    CaretContent content = contentOf(list);
    content.buildControls = [&list, &look](ui::Window& window) {
        return buildControls(list, window, look);
    };
    return window.build(opening, look, content);
}

PickerResult runPicker(CaretWindow& window, PickerList& list) {
    PickerResult result;
    if (window.run(contentOf(list)) && list.selected >= 0 &&
        size_t(list.selected) < list.matches.size())
        result.chosen = list.matches[size_t(list.selected)];
    result.lostActivation = window.lostActivation();
    return result;
}

PickerResult showPicker(PickerRequest& request, const PopupLook& look) {
    PickerList list(request);
    CaretWindow window;
    PickerResult result;
    if (buildPicker(window, list, look))
        result = runPicker(window, list);
    // Gone before anything else opens where it stood.
    window.close();
    return result;
}

} // namespace popup

#include "popup/Picker.h"

#include "dpi/ScaledWrappers.h"
#include "popup/PickerMatch.h"
#include "ui/ControlMessages.h"
#include "ui/WindowService.h"

#include <algorithm>

namespace popup {

namespace {

// Layout in 96-DPI units: the filter on top, the names below it on the left, the preview
// beside them; the gaps show the window's frame colour as rules.
constexpr int kListWidth = 200;
constexpr int kBodyY = kRowHeight + 1;
constexpr int kBodyHeight = 160;
constexpr int kHeight = kBodyY + kBodyHeight;

// The names are put in order once the picker is on screen and its queue is empty: a timer's
// message comes after every other one. The timer's id is the list that waits for it, which no
// other timer of the window has (the caret window's own is kActivationTimer).
UINT_PTR orderTimerOf(PickerList& list) {
    return reinterpret_cast<UINT_PTR>(&list);
}

void CALLBACK onOrderTimer(HWND window, UINT, UINT_PTR id, DWORD) {
    KillTimer(window, id);
    try {
        reinterpret_cast<PickerList*>(id)->state.finishOrder();
    } catch (...) {
        // Out of memory: no picker rather than a part of the names, and nothing unwinds
        // through the message dispatch.
        if (PickerList& list = *reinterpret_cast<PickerList*>(id); list.window)
            ui::postCloseRequest(*list.window);
    }
}

void orderLater(PickerList& list) {
    if (!list.state.ordered() && list.window) {
        list.timerWindow = ui::windowHandle(*list.window);
        SetTimer(list.timerWindow, orderTimerOf(list), USER_TIMER_MINIMUM, onOrderTimer);
    }
}

void show(PickerList& list, const PickerView& view) {
    if (view.rows)
        ui::setRowListRows(*list.nameList, *view.rows,
                           [&list](int row) { return list.state.rowText(row); });
    if (view.selected)
        ui::setControlState(*list.nameList, *view.selected);
    if (view.preview)
        ui::setControlText(*list.preview, *view.preview);
}

// The rows the list shows at once, for Page Up and Page Down.
int pageRows(const PickerList& list) {
    HWND handle = ui::controlHandle(*list.nameList);
    const int rowHeight = handle ? ui::listBoxRowHeight(handle) : 0;
    return rowHeight > 0 ? std::max(ui::controlHeight(*list.nameList) / rowHeight - 1, 1) : 1;
}

void filterTyped(PickerList& list) {
    show(list, list.state.filterTyped(ui::controlText(*list.filterField)));
}

PickerKeyState keyState(const PickerList& list) {
    return {list.state.anyMatch(), list.state.nameSelected(), pageRows(list)};
}

int buildControls(PickerList& list, ui::Window& window, const PopupLook& look) {
    const store::IdeAppearance& ide = look.appearance;
    list.window = &window;
    list.filterField = dpi::createScaledTextField(window, 0, 0, kCaretWindowWidth, kRowHeight,
                                                  list.request.filter, ui::kTextFieldNoBorder);
    list.nameList = dpi::createScaledRowList(window, 0, kBodyY, kListWidth, kBodyHeight, 0);
    list.preview = dpi::createScaledStaticText(
        window, kListWidth + 1, kBodyY, kCaretWindowWidth - kListWidth - 1, kBodyHeight, u"", 0);
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
    // The list follows the filter within the keystroke's own message, before anything is drawn.
    ui::onControlEvent(*list.filterField, ui::kEventChange,
                       [&list](const ui::Event&) { filterTyped(list); });
    // The rows the list shows first, a row shown in part included.
    show(list, list.state.start(ui::controlText(*list.filterField), size_t(pageRows(list) + 2)));
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
        now && *now != list.state.filter()) {
        ui::setControlText(*list.filterField, *now);
        filterTyped(list);
        const int nowEnd = int(now->size());
        ui::editSetSelection(ui::controlHandle(*list.filterField), nowEnd, nowEnd);
    }
}

CaretPlan planEvent(PickerList& list, const ui::Control& control, int type) {
    if (&control == list.nameList && type == ui::kEventRowSelected) {
        show(list, list.state.rowClicked(ui::controlState(*list.nameList)));
        // Typing goes on into the filter after a click on a name.
        ui::focusControl(*list.filterField);
    } else if (&control == list.nameList && type == ui::kEventLeftDoubleClick) {
        return pickerKeyPlan(CaretKey::Return, keyState(list));
    }
    return {};
}

void carryOut(PickerList& list, const CaretPlan& plan) {
    if (plan.action == CaretAction::MoveSelection)
        show(list, list.state.selectionMoved(plan.value));
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
    const CaretWindowOpening opening{list.request.anchor, list.request.afterParen,
                                     kCaretWindowWidth, kHeight};
    CaretContent content = contentOf(list);
    content.buildControls = [&list, &look](ui::Window& window) {
        return buildControls(list, window, look);
    };
    return window.build(opening, look, content);
}

PickerResult runPicker(CaretWindow& window, PickerList& list) {
    PickerResult result;
    if (window.run(contentOf(list)))
        result.chosen = list.state.chosen();
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

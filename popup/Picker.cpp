#include "popup/Picker.h"

#include "dpi/ScaledWrappers.h"
#include "popup/PickerMatch.h"
#include "popup/PopupText.h"
#include "ui/ControlMessages.h"
#include "ui/WindowService.h"

#include <algorithm>

namespace popup {

namespace {

// Layout in 96-DPI units: the filter on top, the names below it on the left, the preview
// beside them; the gaps show the window's frame colour as rules.
constexpr int kWidth = 630;
constexpr int kListWidth = 200;
constexpr int kBodyY = kRowHeight + 1;
constexpr int kBodyHeight = 160;
constexpr int kHeight = kBodyY + kBodyHeight;

enum PickerCommand { Accept = 1, Cancel, CancelShift, Up, Down, PageUp, PageDown };

struct PickerState {
    CaretWindowEnding ending;
    bool acceptRequested = false;
    const PickerRequest* request = nullptr;
    std::u16string filter;
    std::vector<int> matches; // indexes into the request's names
    int selected = -1;        // index into matches
    int previewed = -2;       // the name whose template the preview shows; -1: none
};

// One picker per run, which its window's deactivation handler points into.
PickerState& pickerState() {
    static PickerState state;
    return state;
}

void showSelection() {
    PickerState& state = pickerState();
    ui::setControlState(kNameListControl, state.selected);
    const int name = state.selected >= 0 ? state.matches[size_t(state.selected)] : -1;
    if (name == state.previewed)
        return;
    state.previewed = name;
    ui::setControlText(kPickerPreviewControl, name >= 0 ? state.request->previewOf(name) : u"");
}

std::u16string rowText(int row) {
    const PickerState& state = pickerState();
    if (state.matches.empty())
        return noMatchingNameText(state.filter);
    return row >= 0 && size_t(row) < state.matches.size()
               ? state.request->names[size_t(state.matches[size_t(row)])]
               : std::u16string();
}

void applyFilter() {
    PickerState& state = pickerState();
    state.filter = ui::controlText(kFilterControl);
    state.matches = matchPickerNames(state.request->lowerNames, state.filter);
    // With nothing to pick, one row says so.
    ui::setRowListRows(kNameListControl, std::max<int>(int(state.matches.size()), 1), rowText);
    state.selected = state.matches.empty() ? -1 : 0;
    showSelection();
}

// The rows the list shows at once, for Page Up and Page Down.
int pageRows() {
    HWND list = ui::controlHandle(kNameListControl);
    const int rowHeight = list ? ui::listBoxRowHeight(list) : 0;
    return rowHeight > 0 ? std::max(ui::controlHeight(kNameListControl) / rowHeight - 1, 1) : 1;
}

void moveSelection(int step) {
    PickerState& state = pickerState();
    if (state.matches.empty())
        return;
    state.selected = movedSelection(state.selected, step, int(state.matches.size()));
    showSelection();
}

void accept() {
    PickerState& state = pickerState();
    if (state.selected < 0)
        return; // nothing matches: Return does nothing
    state.acceptRequested = true;
    ui::postCloseRequest(kPickerWindow);
}

void onCommand(int command) {
    PickerState& state = pickerState();
    switch (command) {
    case Accept:
        accept();
        break;
    case Cancel:
    case CancelShift:
        state.ending.cancelled = true;
        ui::postCloseRequest(kPickerWindow);
        break;
    case Up:
    case Down:
        moveSelection(command == Up ? -1 : 1);
        break;
    case PageUp:
    case PageDown:
        moveSelection(command == PageUp ? -pageRows() : pageRows());
        break;
    default:
        break;
    }
}

void onControlEvent(int control, int type) {
    PickerState& state = pickerState();
    if (control == kNameListControl && type == ui::kEventRowSelected) {
        const int row = ui::controlState(kNameListControl);
        state.selected = row >= 0 && size_t(row) < state.matches.size() ? row : -1;
        showSelection();
        // Typing goes on into the filter after a click on a name.
        ui::focusControl(kFilterControl);
    } else if (control == kNameListControl && type == ui::kEventLeftDoubleClick) {
        accept();
    }
}

} // namespace

bool buildPicker(const PickerRequest& request, const PopupLook& look) {
    PickerState& state = pickerState();
    state = PickerState{};
    state.request = &request;
    HWND window = openCaretWindow(kPickerWindow, request.anchor, request.afterParen, kWidth,
                                  kHeight, look, state.ending);
    if (!window)
        return false;
    const store::IdeAppearance& ide = look.appearance;
    const int shortcuts[][2] = {
        {VK_RETURN, Accept}, {VK_ESCAPE, Cancel}, {VK_RETURN | ui::kShortcutShift, CancelShift},
        {VK_UP, Up},         {VK_DOWN, Down},     {VK_PRIOR, PageUp},
        {VK_NEXT, PageDown}};
    for (const auto& shortcut : shortcuts)
        ui::addKeyboardShortcut(kPickerWindow, shortcut[0], shortcut[1]);

    dpi::createScaledTextField(kFilterControl, 0, 0, kWidth, kRowHeight, request.filter,
                               ui::kTextFieldNoBorder);
    colourControl(kFilterControl, ide.normalTextColor, ide.backgroundColor);
    dpi::createScaledRowList(kNameListControl, 0, kBodyY, kListWidth, kBodyHeight, 0);
    colourControl(kNameListControl, ide.normalTextColor, ide.backgroundColor);
    ui::setRowListSelectionColors(kNameListControl, static_cast<COLORREF>(ide.selectionFrontColor),
                                  static_cast<COLORREF>(ide.selectionColor));
    dpi::removeTabStop(ui::controlHandle(kNameListControl));
    dpi::createScaledStaticText(kPickerPreviewControl, kListWidth + 1, kBodyY,
                                kWidth - kListWidth - 1, kBodyHeight, u"", 0);
    colourControl(kPickerPreviewControl, ide.normalTextColor, ide.backgroundColor);
    // The list follows the filter within the keystroke's own message, before anything is drawn.
    ui::bindEvent(ui::EventKind::Control, kPickerWindow, kFilterControl, ui::kEventChange,
                  [](const ui::Event&) { applyFilter(); });
    applyFilter();

    // The client area keeps the layout's size inside the border added at the opening.
    dpi::resizeScaledWindow(kPickerWindow, base::keepValue, base::keepValue, base::keepValue,
                            kHeight);
    placeAtCaret(window, request.anchor, request.afterParen, look,
                 workAreaAt(request.anchor.x, request.anchor.y));
    ui::focusControl(kFilterControl);
    const int end = int(request.filter.size());
    ui::editSetSelection(ui::controlHandle(kFilterControl), end, end);
    showCaretWindow(window, look);
    if (request.filterNow) {
        if (const std::optional<std::u16string> now = request.filterNow();
            now && *now != state.filter) {
            ui::setControlText(kFilterControl, *now);
            applyFilter();
            const int nowEnd = int(now->size());
            ui::editSetSelection(ui::controlHandle(kFilterControl), nowEnd, nowEnd);
        }
    }
    return true;
}

PickerResult runPicker() {
    PickerState& state = pickerState();
    for (;;) {
        const ui::EventKind kind = ui::waitEvent();
        if (kind == ui::EventKind::None) {
            // The wait failed or the thread is asked to quit: nothing the user picked.
            state.ending.cancelled = true;
            break;
        }
        if (ui::eventWindow() != kPickerWindow)
            continue;
        if (kind == ui::EventKind::Shortcut)
            onCommand(ui::eventCommand());
        else if (kind == ui::EventKind::Control)
            onControlEvent(ui::eventControl(), ui::eventType());
        else if (kind == ui::EventKind::CloseRequest)
            break; // Alt+F4 and another program's WM_CLOSE come here too
    }
    PickerResult result;
    if (state.acceptRequested && !state.ending.cancelled)
        result.chosen = state.matches[size_t(state.selected)];
    result.lostActivation = state.ending.lostActivation;
    return result;
}

PickerResult showPicker(const PickerRequest& request, const PopupLook& look) {
    PickerResult result;
    if (buildPicker(request, look))
        result = runPicker();
    // Gone before anything else opens where it stood.
    ui::unbindEvent(ui::EventKind::Control, kPickerWindow, kFilterControl, ui::kEventChange);
    ui::closeWindow(kPickerWindow);
    return result;
}

} // namespace popup

#include "popup/Popup.h"

#include "base/OwnedHandles_win.h"
#include "dpi/ScaledWrappers.h"
#include "popup/CaretWindow.h"
#include "popup/PopupChoices.h"
#include "popup/PopupPlacement.h"
#include "popup/PopupText.h"
#include "resources/Version.h"
#include "ui/CommonControls.h"
#include "ui/ControlMessages.h"
#include "ui/OwnedGdiObjects.h"
#include "ui/WindowService.h"

#include <algorithm>
#include <string>
#include <vector>

namespace popup {

namespace {

// Layout in 96-DPI units: only the number of fields changes the geometry.
constexpr int kWidth = 630;
constexpr int kOpeningHeight = 184;
constexpr int kLabelWidth = 119;
constexpr int kFieldX = 120;
constexpr int kFieldWidth = 511;
// A field with choices gives the right end of its box to the mark.
constexpr int kChoiceMarkWidth = 12;
// Rows out of view wait here, below the client area whatever the scale.
constexpr int kParkedY = 20000;

struct PopupState {
    CaretWindowEnding ending;
    bool acceptRequested = false; // Return in the last field; no other ending accepts
    int fieldCount = 0;
    int rowsShown = 0; // fewer than fieldCount when the rows scroll
    int firstRow = 1;  // the field in the first row in view
    // One list per field, in field order; empty for a field without choices.
    std::vector<std::vector<std::u16string>> choices;
};

// One popup per run, which its window's deactivation handler points into.
PopupState& popupState() {
    static PopupState state;
    return state;
}

int rowY(int field) {
    return kPreviewHeight + 1 + kRowPitch * (field - 1);
}

// Where a field's row stands while `first` is the first row in view.
int rowYInView(int field, int first, int shown) {
    return field >= first && field < first + shown ? rowY(field - first + 1) : kParkedY;
}

void moveRow(int field, int y) {
    const int count = popupState().fieldCount;
    dpi::resizeScaledControl(labelControl(field, count), base::keepValue, y, base::keepValue,
                             base::keepValue);
    dpi::resizeScaledControl(field, base::keepValue, y, base::keepValue, base::keepValue);
    if (ui::isControl(choiceMarkControl(field, count)))
        dpi::resizeScaledControl(choiceMarkControl(field, count), base::keepValue, y,
                                 base::keepValue, base::keepValue);
}

// Brings the focused field's row into view; only the rows that enter or leave the view move.
void scrollToField(int field) {
    PopupState& state = popupState();
    const int first = firstRowInView(field, state.firstRow, state.rowsShown, state.fieldCount);
    if (first == state.firstRow)
        return;
    const int before = state.firstRow;
    state.firstRow = first;
    for (int i = before; i < before + state.rowsShown; ++i)
        if (i < first || i >= first + state.rowsShown)
            moveRow(i, kParkedY);
    for (int i = first; i < first + state.rowsShown; ++i)
        moveRow(i, rowY(i - first + 1));
    if (HWND window = ui::windowHandle(kPopupWindow))
        RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

// Asks the window for a static control's colours, as the control itself would before painting:
// the text colour is set on the DC, the background brush returned.
inline HBRUSH askStaticColours(HWND control, HDC dc) {
    return reinterpret_cast<HBRUSH>(SendMessageW(GetParent(control), WM_CTLCOLORSTATIC,
                                                 reinterpret_cast<WPARAM>(dc),
                                                 reinterpret_cast<LPARAM>(control)));
}

// A downward triangle in the colours the window gives the mark, drawn rather than taken from the
// IDE's font, which may have no such glyph. Rows of whole pixels, each two narrower than the one
// above, keep it sharp and symmetric at every scale.
void drawChoiceMark(HWND mark, HDC dc) {
    RECT client{};
    GetClientRect(mark, &client);
    if (HBRUSH back = askStaticColours(mark, dc))
        FillRect(dc, &client, back);
    const ui::OwnedBrush ink(CreateSolidBrush(GetTextColor(dc)));
    if (!ink)
        return;
    const int half = std::max<int>(1, std::min(client.right, client.bottom) * 3 / 10);
    const int left = (client.right - (2 * half + 1)) / 2;
    const int top = (client.bottom - (half + 1)) / 2;
    for (int row = 0; row <= half; ++row) {
        const RECT line{left + row, top + row, left + 2 * half + 1 - row, top + row + 1};
        FillRect(dc, &line, ink.get());
    }
}

LRESULT CALLBACK choiceMarkPainter(HWND mark, UINT message, WPARAM wParam, LPARAM lParam,
                                   UINT_PTR id, DWORD_PTR) {
    try {
        switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT paint;
            if (HDC dc = BeginPaint(mark, &paint)) {
                drawChoiceMark(mark, dc);
                EndPaint(mark, &paint);
            }
            return 0;
        }
        case WM_PRINTCLIENT:
            // The slide-in prints the window into a bitmap: the mark must be in it.
            drawChoiceMark(mark, reinterpret_cast<HDC>(wParam));
            return 0;
        case WM_ERASEBKGND:
            return 1; // the painting covers it all
        case WM_NCDESTROY:
            ui::removeWindowSubclass(mark, choiceMarkPainter, id);
            break;
        default:
            break;
        }
    } catch (...) {
        // No exception may unwind through the window procedure.
    }
    return ui::defSubclassProc(mark, message, wParam, lParam);
}

void createChoiceMark(int field, int count, int y, const store::IdeAppearance& look) {
    const int mark = choiceMarkControl(field, count);
    dpi::createScaledStaticText(mark, kFieldX + kFieldWidth - kChoiceMarkWidth, y, kChoiceMarkWidth,
                                kRowHeight, u"", 0);
    // The field's own colours: the mark reads as part of the field's box.
    colourControl(mark, look.normalTextColor, look.backgroundColor);
    if (HWND handle = ui::controlHandle(mark))
        ui::setWindowSubclass(handle, choiceMarkPainter, 0, 0);
}

// In a field without choices Up and Down do nothing: a one-line field would take them for Left
// and Right and lose the whole-text selection that lets typing replace the default.
void stepChoice(int field, int step) {
    const PopupState& state = popupState();
    if (field < 1 || field > state.fieldCount)
        return;
    const std::optional<std::u16string> shown =
        steppedChoice(state.choices[size_t(field - 1)], ui::controlText(field), step);
    if (!shown)
        return;
    ui::setControlText(field, *shown);
    // Selected as on entering the field, so that typing replaces the choice.
    ui::editSetSelection(ui::controlHandle(field), 0, ui::kFieldTextEnd);
}

void createRows(const idelink::PopupRequest& request, const store::IdeAppearance& look, int shown) {
    const int count = static_cast<int>(request.fields.size());
    // Labels before fields: Tab follows creation order, so it visits the fields only. Both are
    // made without a client edge rather than losing it afterwards: one frame change less per
    // control on the way to a visible popup.
    for (int i = 1; i <= count; ++i) {
        const int label = labelControl(i, count);
        dpi::createScaledTextField(label, 0, rowYInView(i, 1, shown), kLabelWidth, kRowHeight,
                                   request.fields[i - 1].label,
                                   ES_READONLY | ES_RIGHT | ui::kTextFieldNoBorder);
        colourControl(label, look.selectionFrontColor, look.selectionColor);
        dpi::removeTabStop(ui::controlHandle(label));
    }
    for (int i = 1; i <= count; ++i) {
        const bool hasChoices = !request.fields[i - 1].choices.empty();
        dpi::createScaledTextField(i, kFieldX, rowYInView(i, 1, shown),
                                   hasChoices ? kFieldWidth - kChoiceMarkWidth : kFieldWidth,
                                   kRowHeight, request.fields[i - 1].initialText,
                                   ui::kTextFieldNoBorder);
        colourControl(i, look.normalTextColor, look.backgroundColor);
    }
    for (int i = 1; i <= count; ++i)
        if (!request.fields[i - 1].choices.empty())
            createChoiceMark(i, count, rowYInView(i, 1, shown), look);
}

void onCommand(int command, int fieldCount) {
    PopupState& state = popupState();
    switch (command) {
    case kCommandNext: {
        const int focused = ui::focusedControl();
        if (focused >= 1 && focused < fieldCount)
            ui::focusControl(focused + 1);
        else if (focused == fieldCount) {
            state.acceptRequested = true;
            ui::postCloseRequest(kPopupWindow);
        }
        break;
    }
    case kCommandCancel:
    case kCommandCancelShift:
        state.ending.cancelled = true;
        ui::postCloseRequest(kPopupWindow);
        break;
    case kCommandPreviousChoice:
    case kCommandNextChoice:
        stepChoice(ui::focusedControl(), command == kCommandNextChoice ? 1 : -1);
        break;
    default:
        break;
    }
}

} // namespace

void buildPlaceholderPopup(const idelink::PopupRequest& request, const PopupLook& look) {
    PopupState& state = popupState();
    state = PopupState{};
    const int count = static_cast<int>(request.fields.size());
    state.fieldCount = count;
    for (const idelink::PopupField& field : request.fields)
        state.choices.push_back(field.choices);
    const store::IdeAppearance& ide = look.appearance;
    HWND window = openCaretWindow(kPopupWindow, request.anchor, request.afterParen, kWidth,
                                  kOpeningHeight, look, state.ending);
    if (!window)
        return;

    ui::addKeyboardShortcut(kPopupWindow, VK_RETURN, kCommandNext);
    ui::addKeyboardShortcut(kPopupWindow, VK_ESCAPE, kCommandCancel);
    ui::addKeyboardShortcut(kPopupWindow, VK_RETURN | ui::kShortcutShift, kCommandCancelShift);
    ui::addKeyboardShortcut(kPopupWindow, VK_UP, kCommandPreviousChoice);
    ui::addKeyboardShortcut(kPopupWindow, VK_DOWN, kCommandNextChoice);

    // More rows than the caret's monitor can show scroll under the preview.
    const ScreenRect workArea = workAreaAt(request.anchor.x, request.anchor.y);
    state.rowsShown = rowsShown(count, workArea.bottom - workArea.top, frameHeightOf(window),
                                dpi::scaleState().scaleY);

    dpi::createScaledStaticText(kPreviewControl, 0, 0, kWidth, kPreviewHeight, u"", 0);
    colourControl(kPreviewControl, ide.normalTextColor, ide.backgroundColor);
    createRows(request, ide, state.rowsShown);
    ui::setControlText(kPreviewControl, request.previewText);

    dpi::resizeScaledWindow(kPopupWindow, base::keepValue, base::keepValue, base::keepValue,
                            kPreviewHeight + kRowPitch * state.rowsShown);
    placeAtCaret(window, request.anchor, request.afterParen, look, workArea);
    ui::focusControl(1);
    showCaretWindow(window, look);
}

idelink::PopupResult runPlaceholderPopup(int fieldCount) {
    PopupState& state = popupState();
    idelink::PopupResult result;
    for (;;) {
        const ui::EventKind kind = ui::waitEvent();
        if (kind == ui::EventKind::None) {
            // The wait failed or the thread is asked to quit: nothing the user confirmed.
            state.ending.cancelled = true;
            break;
        }
        if (ui::eventWindow() != kPopupWindow)
            continue;
        if (kind == ui::EventKind::Shortcut) {
            onCommand(ui::eventCommand(), fieldCount);
        } else if (kind == ui::EventKind::Control && ui::eventType() == ui::kEventFocus) {
            const int field = ui::eventControl();
            if (field >= 1 && field <= fieldCount) {
                scrollToField(field);
                ui::editSetSelection(ui::controlHandle(field), 0, ui::kFieldTextEnd);
            }
        } else if (kind == ui::EventKind::CloseRequest) {
            // The window's own close (Alt+F4, another program's WM_CLOSE) and a WM_QUIT come
            // here too: only Return in the last field asked for the text.
            if (!state.acceptRequested)
                state.ending.cancelled = true;
            if (!state.ending.cancelled) {
                for (int i = 1; i <= fieldCount; ++i)
                    result.values.push_back(ui::controlText(i));
            }
            break;
        }
    }
    result.accepted = !state.ending.cancelled;
    result.lostActivation = state.ending.lostActivation;
    return result;
}

idelink::PopupResult showPlaceholderPopup(const idelink::PopupRequest& request,
                                          const PopupLook& look) {
    const int count = static_cast<int>(request.fields.size());
    if (count > kMaxFields) {
        // A popup of thousands of rows would run out of window handles and leave fields
        // that do not exist; the user is told, and the editor stays as it was.
        ui::messageBox(u"" ZENDRIK_TITLE, tooManyPlaceholdersMessage(count),
                       MB_OK | MB_ICONINFORMATION | MB_SETFOREGROUND);
        return {};
    }
    buildPlaceholderPopup(request, look);
    if (!ui::windowHandle(kPopupWindow))
        return {}; // no window, nothing the user could have confirmed
    return runPlaceholderPopup(static_cast<int>(request.fields.size()));
}

} // namespace popup

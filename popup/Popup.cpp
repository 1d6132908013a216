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

int rowY(int field) {
    return kPreviewHeight + 1 + kRowPitch * (field - 1);
}

// Where a field's row stands while `first` is the first row in view.
int rowYInView(int field, int first, int shown) {
    return field >= first && field < first + shown ? rowY(field - first + 1) : kParkedY;
}

int fieldCount(const PlaceholderFields& fields) {
    return static_cast<int>(fields.request.fields.size());
}

void moveRow(int field, int y, int count) {
    dpi::resizeScaledControl(labelControl(field, count), base::keepValue, y, base::keepValue,
                             base::keepValue);
    dpi::resizeScaledControl(field, base::keepValue, y, base::keepValue, base::keepValue);
    if (ui::isControl(choiceMarkControl(field, count)))
        dpi::resizeScaledControl(choiceMarkControl(field, count), base::keepValue, y,
                                 base::keepValue, base::keepValue);
}

// Brings the focused field's row into view; only the rows that enter or leave the view move.
void scrollToField(PlaceholderFields& fields, int field) {
    const int count = fieldCount(fields);
    const int shown = fields.rowsShown;
    const int first = firstRowInView(field, fields.firstRow, shown, count);
    if (first == fields.firstRow)
        return;
    const int before = fields.firstRow;
    fields.firstRow = first;
    for (int i = before; i < before + shown; ++i)
        if (i < first || i >= first + shown)
            moveRow(i, kParkedY, count);
    for (int i = first; i < first + shown; ++i)
        moveRow(i, rowY(i - first + 1), count);
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

// Selected as on entering the field, so that typing replaces the choice.
void stepChoice(const PlaceholderFields& fields, int field, int step) {
    if (field < 1 || field > fieldCount(fields))
        return;
    const std::optional<std::u16string> shown = steppedChoice(
        fields.request.fields[size_t(field - 1)].choices, ui::controlText(field), step);
    if (!shown)
        return;
    ui::setControlText(field, *shown);
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

// The preview and the rows; the client height in 96-DPI units.
int buildControls(const CaretWindow& window, PlaceholderFields& fields, const PopupLook& look) {
    const idelink::PopupRequest& request = fields.request;
    const store::IdeAppearance& ide = look.appearance;
    // More rows than the caret's monitor can show scroll under the preview.
    const ScreenRect workArea = window.workArea();
    fields.rowsShown = rowsShown(fieldCount(fields), workArea.bottom - workArea.top,
                                 frameHeightOf(window.handle()), dpi::scaleState().scaleY);
    dpi::createScaledStaticText(kPreviewControl, 0, 0, kWidth, kPreviewHeight, u"", 0);
    colourControl(kPreviewControl, ide.normalTextColor, ide.backgroundColor);
    createRows(request, ide, fields.rowsShown);
    ui::setControlText(kPreviewControl, request.previewText);
    return kPreviewHeight + kRowPitch * fields.rowsShown;
}

std::vector<std::u16string> fieldTexts(const PlaceholderFields& fields) {
    std::vector<std::u16string> texts;
    for (int i = 1; i <= fieldCount(fields); ++i)
        texts.push_back(ui::controlText(i));
    return texts;
}

// A template that writes a field again in another case shows the copies as the field changes.
void refreshPreview(const PlaceholderFields& fields) {
    if (fields.request.previewWith)
        ui::setControlText(kPreviewControl, fields.request.previewWith(fieldTexts(fields)));
}

CaretPlan planKey(const PlaceholderFields& fields, CaretKey key) {
    PopupKeyState state;
    state.fieldCount = fieldCount(fields);
    state.focused = ui::focusedControl();
    state.focusedHasChoices = state.focused >= 1 && state.focused <= state.fieldCount &&
                              !fields.request.fields[size_t(state.focused - 1)].choices.empty();
    return popupKeyPlan(key, state);
}

// A field that takes the focus, by key or by click, comes into view with its text selected.
CaretPlan planEvent(PlaceholderFields& fields, int control, int type) {
    if (type == ui::kEventFocus && control >= 1 && control <= fieldCount(fields)) {
        scrollToField(fields, control);
        ui::editSetSelection(ui::controlHandle(control), 0, ui::kFieldTextEnd);
    } else if (type == ui::kEventChange && control >= 1 && control <= fieldCount(fields)) {
        refreshPreview(fields);
    }
    return {};
}

void carryOut(const PlaceholderFields& fields, const CaretPlan& plan) {
    if (plan.action == CaretAction::FocusField)
        ui::focusControl(plan.value);
    else if (plan.action == CaretAction::StepChoice) {
        stepChoice(fields, ui::focusedControl(), plan.value);
        refreshPreview(fields);
    }
}

// What the window drives once the controls are built.
CaretContent contentOf(PlaceholderFields& fields) {
    CaretContent content;
    content.keys = kPopupKeys;
    content.focus = [] { ui::focusControl(1); };
    content.planKey = [&fields](CaretKey key) { return planKey(fields, key); };
    content.planEvent = [&fields](int control, int type) {
        return planEvent(fields, control, type);
    };
    content.carryOut = [&fields](const CaretPlan& plan) { carryOut(fields, plan); };
    return content;
}

} // namespace

bool buildPlaceholderPopup(CaretWindow& window, PlaceholderFields& fields, const PopupLook& look) {
    fields.rowsShown = 0;
    fields.firstRow = 1;
    const CaretWindowOpening opening{kPopupWindow, fields.request.anchor, fields.request.afterParen,
                                     kWidth, kOpeningHeight};
    CaretContent content = contentOf(fields);
    content.buildControls = [&window, &fields, &look] {
        return buildControls(window, fields, look);
    };
    return window.build(opening, look, content);
}

idelink::PopupResult runPlaceholderPopup(CaretWindow& window, PlaceholderFields& fields) {
    idelink::PopupResult result;
    result.accepted = window.run(contentOf(fields));
    if (result.accepted)
        result.values = fieldTexts(fields);
    result.lostActivation = window.lostActivation();
    return result;
}

idelink::PopupResult showPlaceholderPopup(CaretWindow& window, const idelink::PopupRequest& request,
                                          const PopupLook& look) {
    const int count = static_cast<int>(request.fields.size());
    if (count > kMaxFields) {
        // A popup of thousands of rows would run out of window handles and leave fields
        // that do not exist; the user is told, and the editor stays as it was.
        ui::messageBox(u"" ZENDRIK_TITLE, tooManyPlaceholdersMessage(count),
                       MB_OK | MB_ICONINFORMATION | MB_SETFOREGROUND);
        return {};
    }
    PlaceholderFields fields(request);
    if (!buildPlaceholderPopup(window, fields, look))
        return {}; // no window, nothing the user could have confirmed
    return runPlaceholderPopup(window, fields);
}

} // namespace popup

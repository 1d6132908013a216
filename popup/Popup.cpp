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

void moveRow(const FieldRow& row, int y) {
    for (ui::Control* control : {row.label, row.field, row.mark})
        if (control)
            dpi::resizeScaledControl(*control, base::keepValue, y, base::keepValue,
                                     base::keepValue);
}

// The field number (1 to n) of a control; 0 for any other control.
int fieldOf(const PlaceholderFields& fields, const ui::Control* control) {
    for (size_t i = 0; i < fields.rows.size(); ++i)
        if (control && fields.rows[i].field == control)
            return static_cast<int>(i) + 1;
    return 0;
}

// Brings the focused field's row into view; only the rows that enter or leave the view move.
void scrollToField(PlaceholderFields& fields, int field) {
    const int count = fieldCount(fields);
    const int shown = fields.rowsShown;
    if (static_cast<int>(fields.rows.size()) != count || !fields.preview)
        return;
    const int first = firstRowInView(field, fields.firstRow, shown, count);
    if (first == fields.firstRow)
        return;
    const int before = fields.firstRow;
    fields.firstRow = first;
    for (int i = before; i < before + shown; ++i)
        if (i < first || i >= first + shown)
            moveRow(fields.rows[size_t(i - 1)], kParkedY);
    for (int i = first; i < first + shown; ++i)
        moveRow(fields.rows[size_t(i - 1)], rowY(i - first + 1));
    if (HWND window = ui::windowHandle(ui::controlWindow(*fields.preview)))
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

ui::Control* createChoiceMark(ui::Window& window, int y, const store::IdeAppearance& look) {
    ui::Control* mark = dpi::createScaledStaticText(
        window, kFieldX + kFieldWidth - kChoiceMarkWidth, y, kChoiceMarkWidth, kRowHeight, u"", 0);
    // The field's own colours: the mark reads as part of the field's box.
    colourControl(mark, look.normalTextColor, look.backgroundColor);
    if (mark)
        ui::setWindowSubclass(ui::controlHandle(*mark), choiceMarkPainter, 0, 0);
    return mark;
}

// Selected as on entering the field, so that typing replaces the choice.
void stepChoice(const PlaceholderFields& fields, int field, int step) {
    if (field < 1 || field > static_cast<int>(fields.rows.size()))
        return;
    ui::Control& box = *fields.rows[size_t(field - 1)].field;
    const std::optional<std::u16string> shown =
        steppedChoice(fields.request.fields[size_t(field - 1)].choices, ui::controlText(box), step);
    if (!shown)
        return;
    ui::setControlText(box, *shown);
    ui::editSetSelection(ui::controlHandle(box), 0, ui::kFieldTextEnd);
}

// False when a control could not be made.
bool createRows(ui::Window& window, PlaceholderFields& fields, const store::IdeAppearance& look,
                int shown) {
    const idelink::PopupRequest& request = fields.request;
    const int count = static_cast<int>(request.fields.size());
    fields.rows.assign(size_t(count), FieldRow{});
    // Labels before fields: Tab follows creation order, so it visits the fields only. Both are
    // made without a client edge rather than losing it afterwards: one frame change less per
    // control on the way to a visible popup.
    for (int i = 1; i <= count; ++i) {
        ui::Control* label = dpi::createScaledTextField(
            window, 0, rowYInView(i, 1, shown), kLabelWidth, kRowHeight,
            request.fields[i - 1].label, ES_READONLY | ES_RIGHT | ui::kTextFieldNoBorder);
        if (!label)
            return false;
        colourControl(label, look.selectionFrontColor, look.selectionColor);
        dpi::removeTabStop(ui::controlHandle(*label));
        fields.rows[size_t(i - 1)].label = label;
    }
    for (int i = 1; i <= count; ++i) {
        const bool hasChoices = !request.fields[i - 1].choices.empty();
        ui::Control* field = dpi::createScaledTextField(
            window, kFieldX, rowYInView(i, 1, shown),
            hasChoices ? kFieldWidth - kChoiceMarkWidth : kFieldWidth, kRowHeight,
            request.fields[i - 1].initialText, ui::kTextFieldNoBorder);
        if (!field)
            return false;
        colourControl(field, look.normalTextColor, look.backgroundColor);
        fields.rows[size_t(i - 1)].field = field;
    }
    for (int i = 1; i <= count; ++i)
        if (!request.fields[i - 1].choices.empty())
            fields.rows[size_t(i - 1)].mark =
                createChoiceMark(window, rowYInView(i, 1, shown), look);
    return true;
}

// More rows than the caret's monitor can show scroll under the preview; the client height in
// 96-DPI units.
int layOutRows(PlaceholderFields& fields, const ScreenRect& workArea, int frameHeight,
               float scaleY) {
    fields.rowsShown =
        rowsShown(fieldCount(fields), workArea.bottom - workArea.top, frameHeight, scaleY);
    return kPreviewHeight + kRowPitch * fields.rowsShown;
}

// The preview and the rows; the client height in 96-DPI units.
int buildControls(const CaretWindow& window, ui::Window& controls, PlaceholderFields& fields,
                  const PopupLook& look) {
    const idelink::PopupRequest& request = fields.request;
    const store::IdeAppearance& ide = look.appearance;
    const int height = layOutRows(fields, window.workArea(), frameHeightOf(window.handle()),
                                  ui::windowScale(controls).y);
    fields.preview =
        dpi::createScaledStaticText(controls, 0, 0, kCaretWindowWidth, kPreviewHeight, u"", 0);
    if (!fields.preview || !createRows(controls, fields, ide, fields.rowsShown))
        return -1;
    colourControl(fields.preview, ide.normalTextColor, ide.backgroundColor);
    ui::setControlText(*fields.preview, request.previewText);
    return height;
}

std::vector<std::u16string> fieldTexts(const PlaceholderFields& fields) {
    std::vector<std::u16string> texts;
    for (const FieldRow& row : fields.rows)
        texts.push_back(ui::controlText(*row.field));
    return texts;
}

// A template that writes a field again in another case shows the copies as the field changes.
void refreshPreview(const PlaceholderFields& fields) {
    if (fields.request.previewWith && fields.preview)
        ui::setControlText(*fields.preview, fields.request.previewWith(fieldTexts(fields)));
}

CaretPlan planKey(const PlaceholderFields& fields, CaretKey key) {
    PopupKeyState state;
    state.fieldCount = fieldCount(fields);
    state.focused = fieldOf(fields, ui::focusedControl());
    state.focusedHasChoices = state.focused >= 1 && state.focused <= state.fieldCount &&
                              !fields.request.fields[size_t(state.focused - 1)].choices.empty();
    return popupKeyPlan(key, state);
}

// A field that takes the focus, by key or by click, comes into view with its text selected.
CaretPlan planEvent(PlaceholderFields& fields, const ui::Control& control, int type) {
    const int field = fieldOf(fields, &control);
    if (type == ui::kEventFocus && field >= 1) {
        scrollToField(fields, field);
        ui::editSetSelection(ui::controlHandle(control), 0, ui::kFieldTextEnd);
    } else if (type == ui::kEventChange && field >= 1) {
        refreshPreview(fields);
    }
    return {};
}

void carryOut(const PlaceholderFields& fields, const CaretPlan& plan) {
    if (plan.action == CaretAction::FocusField) {
        if (plan.value >= 1 && plan.value <= static_cast<int>(fields.rows.size()))
            ui::focusControl(*fields.rows[size_t(plan.value - 1)].field);
    } else if (plan.action == CaretAction::StepChoice) {
        stepChoice(fields, fieldOf(fields, ui::focusedControl()), plan.value);
        refreshPreview(fields);
    }
}

// What the window drives once the controls are built.
CaretContent contentOf(PlaceholderFields& fields) {
    CaretContent content;
    content.keys = kPopupKeys;
    content.focus = [&fields] {
        if (!fields.rows.empty())
            ui::focusControl(*fields.rows.front().field);
    };
    content.planKey = [&fields](CaretKey key) { return planKey(fields, key); };
    content.planEvent = [&fields](const ui::Control& control, int type) {
        return planEvent(fields, control, type);
    };
    content.carryOut = [&fields](const CaretPlan& plan) { carryOut(fields, plan); };
    return content;
}

} // namespace

bool buildPlaceholderPopup(CaretWindow& window, PlaceholderFields& fields, const PopupLook& look) {
    fields.rowsShown = 0;
    fields.firstRow = 1;
    fields.preview = nullptr;
    fields.rows.clear();
    const CaretWindowOpening opening{fields.request.anchor, fields.request.afterParen,
                                     kCaretWindowWidth, 0}; // its height comes from the rows
    CaretContent content = contentOf(fields);
    content.openingHeight = [&fields](const ScreenRect& workArea, int frameHeight, float scaleY) {
        return layOutRows(fields, workArea, frameHeight, scaleY);
    };
    content.buildControls = [&window, &fields, &look](ui::Window& controls) {
        return buildControls(window, controls, fields, look);
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

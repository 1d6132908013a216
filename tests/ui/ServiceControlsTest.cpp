// Controls of the service: texts, states, row lists, fonts, colours, tooltips, focus and sizes.
#include "ServiceFixture.h"
#include "ui/ControlMessages.h"
#include "ui/OwnedGdiObjects.h"

#include <commctrl.h>
#include <richedit.h>

#include <algorithm>
#include <string>
#include <vector>

namespace uitest {
namespace {

class ServiceControlsTest : public ServiceTest {
  protected:
    void SetUp() override {
        ServiceTest::SetUp();
        window_ = openTestWindow(500, 400);
        ASSERT_TRUE(window_);
    }
    void TearDown() override {
        window_.reset();
        ServiceTest::TearDown();
    }
    ui::Window& window() { return *window_; }
    HWND windowHandle() const { return ui::windowHandle(*window_); }

    // The brush the window answers when a control asks for its colours before painting.
    HGDIOBJ askColours(UINT message, const ui::Control& control, HDC dc) const {
        return reinterpret_cast<HGDIOBJ>(
            SendMessageW(windowHandle(), message, reinterpret_cast<WPARAM>(dc),
                         reinterpret_cast<LPARAM>(ui::controlHandle(control))));
    }

    ui::OwnedWindow window_;
};

HFONT fontOf(const ui::Control& control) {
    return reinterpret_cast<HFONT>(SendMessageW(ui::controlHandle(control), WM_GETFONT, 0, 0));
}

TEST_F(ServiceControlsTest, TextsReadAndWrittenExactly) {
    ui::Control* field = ui::createTextField(window(), 0, 0, 100, 20, u"initial", 0);
    ui::Control* label = ui::createStaticText(window(), 0, 25, 100, 20, u"", 0);
    ui::Control* editor = ui::createEditor(window(), 0, 50, 200, 100, 0);
    ASSERT_TRUE(field && label && editor);
    EXPECT_EQ(ui::controlText(*field), u"initial");
    const std::pair<ui::Control*, std::u16string> cases[] = {
        {field, u"Größe – ünïcödé 𝄞"},
        {label, u"a & b"},
        // The editor keeps its line breaks as CR LF.
        {editor, u"Procedure a()\r\n  x = 1 ¤ \"q\"\r\n\r\nEndProcedure"},
        {editor, u""},
        {editor, std::u16string(100000, u'x')}, // beyond an edit control's default limit
    };
    for (const auto& [control, text] : cases) {
        ui::setControlText(*control, text);
        EXPECT_EQ(ui::controlText(*control), text) << text.size() << " units";
    }
}

// A row list holds no rows of its own: it shows as many as it is told and asks for their texts
// as it draws them, so a refill of any length is one call.
TEST_F(ServiceControlsTest, RowListShowsTheRowsItIsGivenAndItsCurrentRow) {
    ui::Control* list = ui::createRowList(window(), 0, 0, 150, 200, 0);
    ASSERT_TRUE(list);
    HWND handle = ui::controlHandle(*list);
    EXPECT_EQ(ui::controlState(*list), -1);
    std::vector<int> asked;
    ui::setRowListRows(*list, 10000, [&](int row) {
        asked.push_back(row);
        return u"row " + std::u16string(1, char16_t(u'0' + row % 10));
    });
    EXPECT_EQ(SendMessageW(handle, LB_GETCOUNT, 0, 0), 10000);
    EXPECT_EQ(ui::controlState(*list), -1) << "filling selects nothing";
    ui::setControlState(*list, 9999);
    EXPECT_EQ(ui::controlState(*list), 9999);

    // Printed rather than painted: the test window is hidden.
    const ui::ScreenDc screen;
    const ui::MemoryDc dc(screen.get());
    const ui::OwnedBitmap canvas(CreateCompatibleBitmap(screen.get(), 150, 200));
    const HGDIOBJ before = SelectObject(dc.get(), canvas.get());
    SendMessageW(handle, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc.get()), PRF_CLIENT);
    SelectObject(dc.get(), before);
    ASSERT_FALSE(asked.empty()) << "the rows in view are asked for";
    EXPECT_LT(asked.size(), 100u) << "only the rows in view";
    EXPECT_EQ(std::count(asked.begin(), asked.end(), 9999), 1) << "the current row is in view";

    ui::setRowListRows(*list, 2, [](int row) { return row ? u"b" : u"a"; });
    EXPECT_EQ(SendMessageW(handle, LB_GETCOUNT, 0, 0), 2);
    ui::setControlState(*list, 1);
    EXPECT_EQ(ui::controlState(*list), 1);
    ui::setControlState(*list, -1);
    EXPECT_EQ(ui::controlState(*list), -1);
}

TEST_F(ServiceControlsTest, ToggleButtonKeepsItsStateUntilClicked) {
    ui::Control* toggle = ui::createImageButton(window(), 0, 0, 35, 26, nullptr, ui::kButtonToggle);
    ASSERT_TRUE(toggle);
    EXPECT_EQ(ui::controlState(*toggle), 0);
    ui::setControlState(*toggle, 1);
    EXPECT_EQ(ui::controlState(*toggle), 1);
    // A user's click flips it.
    SendMessageW(ui::controlHandle(*toggle), BM_CLICK, 0, 0);
    EXPECT_EQ(ui::controlState(*toggle), 0);
}

TEST_F(ServiceControlsTest, FontHeightFromPointsAndTheScreensDpiReadAtStart) {
    struct Case {
        const char* name;
        int points;
        std::uint32_t flags;
        LONG weight;
        BYTE italic;
        BYTE underline;
        BYTE strikeOut;
        BYTE quality;
    };
    const Case cases[] = {
        {"Plain10", 10, 0, FW_NORMAL, 0, 0, 0, DEFAULT_QUALITY},
        {"Bold8", 8, ui::kFontBold, 700, 0, 0, 0, DEFAULT_QUALITY},
        {"Italic9", 9, ui::kFontItalic, FW_NORMAL, 1, 0, 0, DEFAULT_QUALITY},
        {"Underline11", 11, ui::kFontUnderline, FW_NORMAL, 0, 1, 0, DEFAULT_QUALITY},
        {"StrikeOut12", 12, ui::kFontStrikeOut, FW_NORMAL, 0, 0, 1, DEFAULT_QUALITY},
        {"ProofQuality13", 13, ui::kFontProofQuality, FW_NORMAL, 0, 0, 0, PROOF_QUALITY},
        {"All7", 7, 0x31C, 700, 1, 1, 1, PROOF_QUALITY},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HFONT font = ui::loadFont(u"Courier New", c.points, c.flags);
        ASSERT_NE(font, nullptr);
        LOGFONTW description{};
        ASSERT_EQ(GetObjectW(font, sizeof(description), &description),
                  static_cast<int>(sizeof(description)));
        EXPECT_EQ(description.lfHeight, -MulDiv(c.points, ui::screenLogPixelsY(), 72));
        EXPECT_EQ(description.lfWeight, c.weight);
        EXPECT_EQ(description.lfItalic, c.italic);
        EXPECT_EQ(description.lfUnderline, c.underline);
        EXPECT_EQ(description.lfStrikeOut, c.strikeOut);
        EXPECT_EQ(description.lfQuality, c.quality);
        EXPECT_EQ(std::wstring(description.lfFaceName), L"Courier New");
    }
}

// The window's font is that of the controls made in it from then on, and of no other window's.
TEST_F(ServiceControlsTest, WindowFontGoesToItsControlsCreatedAfterwards) {
    ui::OwnedWindow other = openTestWindow(200, 100);
    ASSERT_TRUE(other);
    ui::Control* before = ui::createTextField(window(), 0, 0, 100, 20, u"before", 0);
    HFONT font = ui::loadFont(u"Tahoma", 14, ui::kFontBold);
    ASSERT_NE(font, nullptr);
    ui::setWindowFont(window(), font);
    ui::Control* after = ui::createTextField(window(), 0, 25, 100, 20, u"after", 0);
    ui::Control* list = ui::createRowList(window(), 0, 50, 100, 100, 0);
    ui::Control* elsewhere = ui::createTextField(*other, 0, 0, 100, 20, u"other window", 0);
    ASSERT_TRUE(before && after && list && elsewhere);
    EXPECT_NE(fontOf(*before), font);
    EXPECT_EQ(fontOf(*after), font);
    EXPECT_EQ(fontOf(*list), font);
    EXPECT_NE(fontOf(*elsewhere), font);
    ui::setControlFont(*before, font);
    EXPECT_EQ(fontOf(*before), font);

    ui::setWindowFont(window(), nullptr); // the system's again
    ui::Control* last = ui::createTextField(window(), 0, 160, 100, 20, u"", 0);
    ASSERT_TRUE(last);
    EXPECT_NE(fontOf(*last), font);
}

TEST_F(ServiceControlsTest, FieldColoursAnswerTheColourMessages) {
    ui::Control* first = ui::createTextField(window(), 0, 0, 100, 20, u"", 0);
    ui::Control* readOnly = ui::createTextField(window(), 0, 25, 100, 20, u"", ES_READONLY);
    ASSERT_TRUE(first && readOnly);
    ui::setControlTextColor(*first, RGB(200, 10, 20));
    ui::setControlBackColor(*first, RGB(1, 2, 3));
    ui::setControlTextColor(*readOnly, RGB(9, 8, 7));
    ui::setControlBackColor(*readOnly, RGB(40, 50, 60));

    HDC dc = GetDC(windowHandle());
    const HGDIOBJ brush1 = askColours(WM_CTLCOLOREDIT, *first, dc);
    EXPECT_EQ(GetTextColor(dc), RGB(200, 10, 20));
    EXPECT_EQ(GetBkColor(dc), RGB(1, 2, 3));
    LOGBRUSH brushColour{};
    GetObjectW(brush1, sizeof(brushColour), &brushColour);
    EXPECT_EQ(brushColour.lbColor, RGB(1, 2, 3));

    // A read-only field asks with the static message.
    const HGDIOBJ brush2 = askColours(WM_CTLCOLORSTATIC, *readOnly, dc);
    EXPECT_EQ(GetTextColor(dc), RGB(9, 8, 7));
    GetObjectW(brush2, sizeof(brushColour), &brushColour);
    EXPECT_EQ(brushColour.lbColor, RGB(40, 50, 60));
    ReleaseDC(windowHandle(), dc);
}

// A colour's brush belongs to its control: replaced or freed with it, never left behind; fonts
// are kept until the common end. A freed GDI handle names no object any more.
TEST_F(ServiceControlsTest, BrushesAndFontsAreFreedWithWhatOwnsThem) {
    HDC dc = GetDC(windowHandle());
    ui::Control* field = ui::createTextField(window(), 0, 0, 100, 20, u"", 0);
    ASSERT_TRUE(field);
    ui::setControlBackColor(*field, RGB(1, 2, 3));
    const HGDIOBJ first = askColours(WM_CTLCOLOREDIT, *field, dc);
    ASSERT_EQ(GetObjectType(first), static_cast<DWORD>(OBJ_BRUSH));
    ui::setControlBackColor(*field, RGB(4, 5, 6));
    const HGDIOBJ second = askColours(WM_CTLCOLOREDIT, *field, dc);
    EXPECT_EQ(GetObjectType(first), 0u) << "the replaced colour's brush";
    EXPECT_EQ(GetObjectType(second), static_cast<DWORD>(OBJ_BRUSH));
    ui::freeControl(*field);
    EXPECT_EQ(GetObjectType(second), 0u) << "the freed control's brush";
    ReleaseDC(windowHandle(), dc);

    const HFONT font = ui::loadFont(u"Arial", 10, 0);
    const HFONT another = ui::loadFont(u"Arial", 12, 0);
    EXPECT_EQ(GetObjectType(font), static_cast<DWORD>(OBJ_FONT)) << "kept beside a later one";
    EXPECT_EQ(GetObjectType(another), static_cast<DWORD>(OBJ_FONT));
    ui::endService();
    EXPECT_EQ(GetObjectType(font), 0u) << "the fonts at the common end";
    EXPECT_EQ(GetObjectType(another), 0u);
}

// What the manager relies on: a position past the end puts the caret at the end.
TEST_F(ServiceControlsTest, SelectionsOfFieldAndEditor) {
    ui::Control* fieldControl = ui::createTextField(window(), 0, 0, 100, 20, u"openwindow(", 0);
    ui::Control* editorControl = ui::createEditor(window(), 0, 30, 200, 80, 0);
    ASSERT_TRUE(fieldControl && editorControl);
    ui::setControlText(*editorControl, u"line one\r\nline two");
    HWND field = ui::controlHandle(*fieldControl);
    HWND editor = ui::controlHandle(*editorControl);
    struct {
        HWND control;
        int start, end;
        ui::TextSelection expected;
    } cases[] = {
        {field, 999, 999, {11, 11}}, {field, 0, -1, {0, 11}},      {field, 4, 2, {2, 4}},
        {editor, 5, 8, {5, 8}},      {editor, 999, 999, {17, 17}}, // the rich edit control holds a
                                                                   // line end as one CR
    };
    for (const auto& c : cases) {
        ui::editSetSelection(c.control, c.start, c.end);
        const ui::TextSelection selection = ui::editSelection(c.control);
        EXPECT_EQ(selection.start, c.expected.start) << c.start << ' ' << c.end;
        EXPECT_EQ(selection.end, c.expected.end) << c.start << ' ' << c.end;
    }
    ui::editSetSelection(field, 4, 10);
    ui::editReplaceSelection(field, u"Window", false);
    EXPECT_EQ(ui::controlText(*fieldControl), u"openWindow(");
}

// The colours a row list draws a row in: the list's own, or the selection's for the current row.
COLORREF drawnRowBackground(HWND window, HWND list, int row, bool selected) {
    const ui::ScreenDc screen;
    const ui::MemoryDc dc(screen.get());
    const ui::OwnedBitmap canvas(CreateCompatibleBitmap(screen.get(), 60, 16));
    const HGDIOBJ before = SelectObject(dc.get(), canvas.get());
    DRAWITEMSTRUCT item{};
    item.CtlType = ODT_LISTBOX;
    item.itemID = static_cast<UINT>(row);
    item.itemAction = ODA_DRAWENTIRE;
    item.itemState = selected ? ODS_SELECTED : 0;
    item.hwndItem = list;
    item.hDC = dc.get();
    item.rcItem = RECT{0, 0, 60, 16};
    SendMessageW(window, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&item));
    const COLORREF colour = GetPixel(dc.get(), 55, 8);
    SelectObject(dc.get(), before);
    return colour;
}

TEST_F(ServiceControlsTest, ListAndEditorColours) {
    ui::Control* list = ui::createRowList(window(), 0, 0, 100, 100, 0);
    ui::Control* editor = ui::createEditor(window(), 110, 0, 100, 100, 0);
    ASSERT_TRUE(list && editor);
    ui::setRowListRows(*list, 2, [](int) { return std::u16string(u"x"); });
    ui::setControlTextColor(*list, RGB(1, 2, 3));
    ui::setControlBackColor(*list, RGB(4, 5, 6));
    ui::setRowListSelectionColors(*list, RGB(7, 8, 9), RGB(10, 11, 12));
    HWND listHandle = ui::controlHandle(*list);
    EXPECT_EQ(drawnRowBackground(windowHandle(), listHandle, 0, false), RGB(4, 5, 6));
    EXPECT_EQ(drawnRowBackground(windowHandle(), listHandle, 1, true), RGB(10, 11, 12));

    ui::setControlText(*editor, u"coloured");
    ui::setControlTextColor(*editor, RGB(7, 8, 9));
    CHARFORMAT2W format{};
    format.cbSize = sizeof(format);
    SendMessageW(ui::controlHandle(*editor), EM_GETCHARFORMAT, SCF_SELECTION,
                 reinterpret_cast<LPARAM>(&format));
    EXPECT_EQ(format.crTextColor, RGB(7, 8, 9));
}

TEST_F(ServiceControlsTest, OneSharedTooltipForAllControls) {
    ui::Control* first = ui::createImageButton(window(), 0, 0, 35, 26, nullptr, 0);
    ui::Control* second = ui::createImageButton(window(), 40, 0, 35, 26, nullptr, 0);
    ASSERT_TRUE(first && second);
    ui::setControlTooltip(*first, u" New Shortcut (Ctrl+N) ");
    ui::setControlTooltip(*second, u" Save & close ");
    ui::setControlTooltip(*first, u" New Shortcut (Ctrl+N) "); // again: replaced, not added

    HWND tooltip = FindWindowExW(nullptr, nullptr, TOOLTIPS_CLASSW, nullptr);
    DWORD process = 0;
    while (tooltip) {
        GetWindowThreadProcessId(tooltip, &process);
        if (process == GetCurrentProcessId()) {
            break;
        }
        tooltip = FindWindowExW(nullptr, tooltip, TOOLTIPS_CLASSW, nullptr);
    }
    ASSERT_NE(tooltip, nullptr);
    EXPECT_EQ(SendMessageW(tooltip, TTM_GETTOOLCOUNT, 0, 0), 2);
    EXPECT_TRUE(GetWindowLongW(tooltip, GWL_STYLE) & TTS_NOPREFIX);
    EXPECT_TRUE(GetWindowLongW(tooltip, GWL_STYLE) & TTS_ALWAYSTIP);
    EXPECT_TRUE(GetWindowLongW(tooltip, GWL_EXSTYLE) & WS_EX_TOPMOST);

    wchar_t text[80] = {};
    TTTOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.hwnd = windowHandle();
    tool.uId = reinterpret_cast<UINT_PTR>(ui::controlHandle(*second));
    tool.lpszText = text;
    SendMessageW(tooltip, TTM_GETTEXTW, 80, reinterpret_cast<LPARAM>(&tool));
    EXPECT_EQ(std::wstring(text), L" Save & close ");
}

TEST_F(ServiceControlsTest, FocusIsReadAndGiven) {
    ui::Control* field = ui::createTextField(window(), 0, 0, 100, 20, u"", 0);
    ui::Control* editor = ui::createEditor(window(), 0, 25, 100, 100, 0);
    ASSERT_TRUE(field && editor);
    ui::focusControl(*editor);
    EXPECT_EQ(ui::focusedControl(), editor);
    ui::focusControl(*field);
    EXPECT_EQ(ui::focusedControl(), field);
    SetFocus(windowHandle());
    EXPECT_EQ(ui::focusedControl(), nullptr);
}

TEST_F(ServiceControlsTest, ResizeAndMeasureKeepingValues) {
    ui::Control* field = ui::createTextField(window(), 10, 20, 100, 21, u"", 0);
    ASSERT_TRUE(field);
    ui::resizeControl(*field, base::keepValue, 40, base::keepValue, 30);
    EXPECT_EQ(ui::controlWidth(*field), 100);
    EXPECT_EQ(ui::controlHeight(*field), 30);
    RECT bounds;
    GetWindowRect(ui::controlHandle(*field), &bounds);
    MapWindowPoints(nullptr, windowHandle(), reinterpret_cast<POINT*>(&bounds), 2);
    EXPECT_EQ(bounds.left, 10);
    EXPECT_EQ(bounds.top, 40);
}

} // namespace
} // namespace uitest

// Controls of the service: texts, states, row lists, fonts, colours, tooltips, focus, sizes
// and numbering.
#include "ServiceFixture.h"
#include "base/TextConvert.h"
#include "ui/ControlMessages.h"

#include <commctrl.h>
#include <richedit.h>

#include <string>
#include <vector>

namespace uitest {
namespace {

class ServiceControlsTest : public ServiceTest {
  protected:
    void SetUp() override {
        ServiceTest::SetUp();
        openTestWindow(0, 500, 400);
    }
    // The brush the window answers when a control asks for its colours before painting.
    static HGDIOBJ askColours(UINT message, int control, HDC dc) {
        return reinterpret_cast<HGDIOBJ>(
            SendMessageW(ui::windowHandle(0), message, reinterpret_cast<WPARAM>(dc),
                         reinterpret_cast<LPARAM>(ui::controlHandle(control))));
    }
};

TEST_F(ServiceControlsTest, TextsReadAndWrittenExactly) {
    ui::createTextField(1, 0, 0, 100, 20, u"initial", 0);
    ui::createStaticText(2, 0, 25, 100, 20, u"", 0);
    ui::createEditor(5, 0, 50, 200, 100, 0);
    EXPECT_EQ(ui::controlText(1), u"initial");
    const std::pair<int, std::u16string> cases[] = {
        {1, u"Größe – ünïcödé 𝄞"},
        {2, u"a & b"},
        // The editor keeps its line breaks as CR LF.
        {5, u"Procedure a()\r\n  x = 1 ¤ \"q\"\r\n\r\nEndProcedure"},
        {5, u""},
        {5, std::u16string(100000, u'x')}, // beyond an edit control's default limit
    };
    for (const auto& [control, text] : cases) {
        ui::setControlText(control, text);
        EXPECT_EQ(ui::controlText(control), text) << control << ": " << text.size() << " units";
    }
}

// Another process reads the rows through the registered message, with a buffer it placed in
// this process: here an ordinary one.
TEST_F(ServiceControlsTest, RowListAnswersTheRowTextQuery) {
    ui::createRowList(4, 0, 0, 150, 200, 0);
    const std::u16string longName(1500, u'n');
    const std::vector<std::u16string> rows = {u"alpha", u"Größe 𝄞", longName};
    ui::setRowListRows(4, 3, [&rows](int row) { return rows[size_t(row)]; });
    const UINT query = RegisterWindowMessageW(ui::kRowTextMessageName);
    HWND list = ui::controlHandle(4);
    for (int row = 0; row < 3; ++row) {
        const LRESULT length = SendMessageW(list, query, WPARAM(row), 0);
        ASSERT_EQ(length, LRESULT(rows[size_t(row)].size())) << row;
        std::wstring text(size_t(length) + 2, L'#');
        EXPECT_EQ(SendMessageW(list, query, WPARAM(row), reinterpret_cast<LPARAM>(text.data())),
                  length);
        EXPECT_EQ(text[size_t(length)], L'\0') << "zero-terminated";
        EXPECT_EQ(text[size_t(length) + 1], L'#') << "nothing written beyond";
        text.resize(size_t(length));
        EXPECT_EQ(text::fromWide(text), rows[size_t(row)]);
    }
    EXPECT_EQ(SendMessageW(list, query, 3, 0), -1);
    EXPECT_EQ(SendMessageW(list, query, WPARAM(-1), 0), -1);
}

// Letters typed into the list make a row current as a user's click does; the program's own
// choice of row raises nothing.
TEST_F(ServiceControlsTest, RowListTypedLettersChooseARow) {
    ui::createRowList(4, 0, 0, 150, 200, 0);
    const std::vector<std::u16string> rows = {u"for", u"if", u"proc", u"loop"};
    ui::setRowListRows(4, 4, [&rows](int row) { return rows[size_t(row)]; });
    ui::setControlState(4, 3);
    drainEvents(30);
    HWND list = ui::controlHandle(4);
    SendMessageW(list, WM_CHAR, 'p', 1);
    SendMessageW(list, WM_CHAR, 'r', 1);
    EXPECT_EQ(ui::controlState(4), 2);
    const std::vector<ui::Event> events = drainEvents();
    ASSERT_EQ(events.size(), 1u) << "one row change, one event";
    EXPECT_EQ(events[0].control, 4);
    EXPECT_EQ(events[0].type, ui::kEventRowSelected);
    SendMessageW(list, WM_CHAR, 'x', 1);
    EXPECT_EQ(ui::controlState(4), 2) << "no row begins so";
    EXPECT_TRUE(drainEvents(30).empty());
}

TEST_F(ServiceControlsTest, ToggleButtonKeepsItsStateUntilClicked) {
    ui::createImageButton(7, 0, 0, 35, 26, nullptr, ui::kButtonToggle);
    EXPECT_EQ(ui::controlState(7), 0);
    ui::setControlState(7, 1);
    EXPECT_EQ(ui::controlState(7), 1);
    // A user's click flips it.
    SendMessageW(ui::controlHandle(7), BM_CLICK, 0, 0);
    EXPECT_EQ(ui::controlState(7), 0);
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
        const std::intptr_t handle = ui::loadFont(2, u"Courier New", c.points, c.flags);
        ASSERT_NE(handle, 0);
        HFONT font = reinterpret_cast<HFONT>(handle);
        EXPECT_EQ(font, ui::fontHandle(2));
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

TEST_F(ServiceControlsTest, DefaultFontGoesToControlsCreatedAfterwards) {
    ui::createTextField(1, 0, 0, 100, 20, u"before", 0);
    HFONT font = reinterpret_cast<HFONT>(ui::loadFont(3, u"Tahoma", 14, ui::kFontBold));
    ui::setControlFont(-1, font);
    ui::createTextField(2, 0, 25, 100, 20, u"after", 0);
    ui::createRowList(4, 0, 50, 100, 100, 0);
    EXPECT_NE(reinterpret_cast<HFONT>(SendMessageW(ui::controlHandle(1), WM_GETFONT, 0, 0)), font);
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(ui::controlHandle(2), WM_GETFONT, 0, 0)), font);
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(ui::controlHandle(4), WM_GETFONT, 0, 0)), font);
    ui::setControlFont(1, font);
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(ui::controlHandle(1), WM_GETFONT, 0, 0)), font);
}

// The interface font and the popup's font are both loaded with chosen numbers: neither may
// take the place of the other, which would free a font that controls still draw with.
TEST_F(ServiceControlsTest, ChosenFontNumbersLeaveEachOtherAlive) {
    const auto first = static_cast<int>(ui::loadFont(ui::kChooseNumber, u"Arial", 9, 0));
    const auto second = static_cast<int>(ui::loadFont(ui::kChooseNumber, u"Arial", 12, 0));
    EXPECT_NE(first, second);
    EXPECT_EQ(GetObjectType(ui::fontHandle(first)), static_cast<DWORD>(OBJ_FONT));
    EXPECT_EQ(GetObjectType(ui::fontHandle(second)), static_cast<DWORD>(OBJ_FONT));
}

TEST_F(ServiceControlsTest, FieldColoursAnswerTheColourMessages) {
    ui::createTextField(1, 0, 0, 100, 20, u"", 0);
    ui::createTextField(2, 0, 25, 100, 20, u"", ES_READONLY);
    ui::setControlTextColor(1, RGB(200, 10, 20));
    ui::setControlBackColor(1, RGB(1, 2, 3));
    ui::setControlTextColor(2, RGB(9, 8, 7));
    ui::setControlBackColor(2, RGB(40, 50, 60));

    HWND window = ui::windowHandle(0);
    HDC dc = GetDC(window);
    const HGDIOBJ brush1 = askColours(WM_CTLCOLOREDIT, 1, dc);
    EXPECT_EQ(GetTextColor(dc), RGB(200, 10, 20));
    EXPECT_EQ(GetBkColor(dc), RGB(1, 2, 3));
    LOGBRUSH brushColour{};
    GetObjectW(brush1, sizeof(brushColour), &brushColour);
    EXPECT_EQ(brushColour.lbColor, RGB(1, 2, 3));

    // A read-only field asks with the static message.
    const HGDIOBJ brush2 = askColours(WM_CTLCOLORSTATIC, 2, dc);
    EXPECT_EQ(GetTextColor(dc), RGB(9, 8, 7));
    GetObjectW(brush2, sizeof(brushColour), &brushColour);
    EXPECT_EQ(brushColour.lbColor, RGB(40, 50, 60));
    ReleaseDC(window, dc);
}

// A colour's brush and a font belong to their record: replaced or freed with it, never left
// behind. A freed GDI handle names no object any more.
TEST_F(ServiceControlsTest, BrushesAndFontsAreFreedWithWhatOwnsThem) {
    HWND window = ui::windowHandle(0);
    HDC dc = GetDC(window);
    ui::createTextField(1, 0, 0, 100, 20, u"", 0);
    ui::setControlBackColor(1, RGB(1, 2, 3));
    const HGDIOBJ first = askColours(WM_CTLCOLOREDIT, 1, dc);
    ASSERT_EQ(GetObjectType(first), static_cast<DWORD>(OBJ_BRUSH));
    ui::setControlBackColor(1, RGB(4, 5, 6));
    const HGDIOBJ second = askColours(WM_CTLCOLOREDIT, 1, dc);
    EXPECT_EQ(GetObjectType(first), 0u) << "the replaced colour's brush";
    EXPECT_EQ(GetObjectType(second), static_cast<DWORD>(OBJ_BRUSH));
    ui::freeControl(1);
    EXPECT_EQ(GetObjectType(second), 0u) << "the freed control's brush";
    ReleaseDC(window, dc);

    ui::loadFont(3, u"Arial", 10, 0);
    const HFONT replaced = ui::fontHandle(3);
    ui::loadFont(3, u"Arial", 12, 0);
    const HFONT kept = ui::fontHandle(3);
    EXPECT_EQ(GetObjectType(replaced), 0u) << "the font the number held before";
    EXPECT_EQ(GetObjectType(kept), static_cast<DWORD>(OBJ_FONT));
    ui::endService();
    EXPECT_EQ(GetObjectType(kept), 0u) << "the fonts at the common end";
}

// What the manager relies on: a position past the end puts the caret at the end.
TEST_F(ServiceControlsTest, SelectionsOfFieldAndEditor) {
    ui::createTextField(1, 0, 0, 100, 20, u"openwindow(", 0);
    ui::createEditor(2, 0, 30, 200, 80, 0);
    ui::setControlText(2, u"line one\r\nline two");
    HWND field = ui::controlHandle(1);
    HWND editor = ui::controlHandle(2);
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
    EXPECT_EQ(ui::controlText(1), u"openWindow(");
}

TEST_F(ServiceControlsTest, EditorColours) {
    ui::createEditor(5, 110, 0, 100, 100, 0);
    ui::setControlText(5, u"coloured");
    ui::setControlTextColor(5, RGB(7, 8, 9));
    CHARFORMAT2W format{};
    format.cbSize = sizeof(format);
    SendMessageW(ui::controlHandle(5), EM_GETCHARFORMAT, SCF_SELECTION,
                 reinterpret_cast<LPARAM>(&format));
    EXPECT_EQ(format.crTextColor, RGB(7, 8, 9));
}

TEST_F(ServiceControlsTest, OneSharedTooltipForAllControls) {
    ui::createImageButton(1, 0, 0, 35, 26, nullptr, 0);
    ui::createImageButton(2, 40, 0, 35, 26, nullptr, 0);
    ui::setControlTooltip(1, u" New Shortcut (Ctrl+N) ");
    ui::setControlTooltip(2, u" Save & close ");
    ui::setControlTooltip(1, u" New Shortcut (Ctrl+N) "); // again: replaced, not added

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
    tool.hwnd = ui::windowHandle(0);
    tool.uId = reinterpret_cast<UINT_PTR>(ui::controlHandle(2));
    tool.lpszText = text;
    SendMessageW(tooltip, TTM_GETTEXTW, 80, reinterpret_cast<LPARAM>(&tool));
    EXPECT_EQ(std::wstring(text), L" Save & close ");
}

TEST_F(ServiceControlsTest, FocusIsReadAndGiven) {
    ui::createTextField(1, 0, 0, 100, 20, u"", 0);
    ui::createEditor(2, 0, 25, 100, 100, 0);
    ui::focusControl(2);
    EXPECT_EQ(ui::focusedControl(), 2);
    ui::focusControl(1);
    EXPECT_EQ(ui::focusedControl(), 1);
    SetFocus(ui::windowHandle(0));
    EXPECT_EQ(ui::focusedControl(), -1);
}

TEST_F(ServiceControlsTest, ResizeAndMeasureKeepingValues) {
    ui::createTextField(1, 10, 20, 100, 21, u"", 0);
    ui::resizeControl(1, base::keepValue, 40, base::keepValue, 30);
    EXPECT_EQ(ui::controlWidth(1), 100);
    EXPECT_EQ(ui::controlHeight(1), 30);
    RECT bounds;
    GetWindowRect(ui::controlHandle(1), &bounds);
    MapWindowPoints(nullptr, ui::windowHandle(0), reinterpret_cast<POINT*>(&bounds), 2);
    EXPECT_EQ(bounds.left, 10);
    EXPECT_EQ(bounds.top, 40);
}

TEST_F(ServiceControlsTest, NumbersChosenReusedAndUnknown) {
    const auto chosen =
        static_cast<int>(ui::createTextField(ui::kChooseNumber, 0, 0, 50, 20, u"label", 0));
    // A number given later replaces the control that had it, never a chosen one.
    for (int number = 0; number <= 2; ++number)
        EXPECT_NE(ui::createTextField(number, 0, 0, 50, 20, u"first", 0), 0);
    HWND old = ui::controlHandle(1);
    EXPECT_NE(ui::createTextField(1, 0, 0, 50, 20, u"second", 0), 0);
    EXPECT_FALSE(IsWindow(old));
    EXPECT_EQ(ui::controlText(1), u"second");
    EXPECT_EQ(ui::controlText(chosen), u"label");

    ui::freeControl(1);
    EXPECT_FALSE(ui::isControl(1));
    EXPECT_EQ(ui::controlHandle(99), nullptr);
    ui::setControlText(99, u"x");
    ui::setControlState(99, 1);
    ui::resizeControl(99, 1, 1, 1, 1);
    ui::setControlTooltip(99, u"x");
    ui::focusControl(99);
    EXPECT_EQ(ui::controlText(99), u"");
    EXPECT_EQ(ui::createSplitter(5, 0, 0, 10, 10, chosen, 99, 0), 0);
}

} // namespace
} // namespace uitest

// The placeholder popup built in this process: its look from the IDE's appearance, its
// geometry at several scale factors, its effects by the calls they make, and the loss of
// activation. What each key does is CaretKeysTest's table; the expansion around the popup is
// tested end to end through the stand-in IDE (tests/e2e/ExpansionEndToEndTest.cpp).
//
// Under Wine, AnimateWindow only shows the window (no slide), and a layered window's alpha
// becomes an X property that a bare Xvfb display does not draw: the effects are checked by
// the state and the calls they leave, which is what Windows then animates and blends.
#include "popup/Popup.h"

#include "../ui/ServiceFixture.h"
#include "dpi/ControlBox.h"
#include "dpi/DpiSetup.h"
#include "dpi/ScaledWrappers.h"
#include "ui/OwnedGdiObjects.h"
#include "ui/WindowService.h"

#include <optional>
#include <string>
#include <vector>

namespace {

// What the screen shows, in pixels, written out for the case's scale.
struct Pixels {
    int left, top; // the window's outer corner, for the anchor (200, 150)
    int clientWidth, clientHeight;
    int previewHeight, labelWidth, fieldX, fieldWidth, rowHeight;
    int firstRowY, lastRowY; // as built
    int lastRowYAfterWalk;   // once Return has walked to the last field
    int fontHeight;          // LOGFONT lfHeight of every control
};

struct LookCase {
    const char* name;
    store::IdeAppearance appearance;
    store::PopupSettings settings;
    int fields;
    float scale;    // the start-up's factors, the primary monitor's
    int monitorDpi; // what Windows says of the caret's monitor; 0: it cannot tell
    Pixels pixels;
};

struct Colours {
    COLORREF text;
    COLORREF back;
};

using dpitest::ControlBox;
using dpitest::pixelBox;

// What the popup answers when the control asks for its colours before painting.
Colours coloursOf(HWND window, HWND control, UINT message) {
    const ui::MemoryDc dc(nullptr);
    SendMessageW(window, message, reinterpret_cast<WPARAM>(dc.get()),
                 reinterpret_cast<LPARAM>(control));
    return {GetTextColor(dc.get()), GetBkColor(dc.get())};
}

idelink::PopupRequest requestWith(int fields) {
    idelink::PopupRequest request;
    for (int i = 1; i <= fields; ++i)
        request.fields.push_back({u"Name" + std::u16string(1, char16_t(u'A' + (i - 1) % 26)) + u" ",
                                  u"value" + std::u16string(1, char16_t(u'0' + i % 10)),
                                  {}});
    request.previewText = u"For a = b To c \r\nNext & more";
    request.anchor = {200, 150};
    return request;
}

class PopupInProcess : public uitest::ServiceTest {
  protected:
    void SetUp() override {
        saved_ = dpi::scaleState();
        ServiceTest::SetUp();
        monitorDpi(0);
    }
    void TearDown() override {
        window_.close();
        ServiceTest::TearDown();
        dpi::setMonitorDpiSource(nullptr);
        dpi::scaleState() = saved_;
    }
    // Wine gives every monitor the screen's DPI: the caret's monitor says what the case says.
    static void monitorDpi(int dpi) {
        dpi::setMonitorDpiSource([dpi](int, int) { return dpi; });
    }
    // Builds the popup for the request, which must outlive the run.
    void build(const idelink::PopupRequest& request, const popup::PopupLook& look = {}) {
        fields_.emplace(request);
        popup::buildPlaceholderPopup(window_, *fields_, look);
    }
    idelink::PopupResult run() { return popup::runPlaceholderPopup(window_, *fields_); }
    // Field n's row (1 to n) of the built popup.
    const popup::FieldRow& row(int field) const { return fields_->rows.at(size_t(field - 1)); }
    HWND fieldHandle(int field) const { return ui::controlHandle(*row(field).field); }
    HWND labelHandle(int field) const { return ui::controlHandle(*row(field).label); }

    dpi::ScaleState saved_;
    popup::CaretWindow window_;
    std::optional<popup::PlaceholderFields> fields_;
};

class PopupLookAndGeometry : public PopupInProcess, public testing::WithParamInterface<LookCase> {};

TEST_P(PopupLookAndGeometry, FollowsTheIdeLookAndTheLayout) {
    const LookCase& c = GetParam();
    const Pixels& px = c.pixels;
    dpi::scaleState().scaleX = dpi::scaleState().scaleY = c.scale;
    monitorDpi(c.monitorDpi);
    const idelink::PopupRequest request = requestWith(c.fields);
    popup::PopupLook look;
    look.appearance = c.appearance;
    look.settings = c.settings;
    build(request, look);
    HWND window = window_.handle();
    ASSERT_NE(window, nullptr);
    ASSERT_EQ(fields_->rows.size(), size_t(c.fields));
    ASSERT_NE(fields_->preview, nullptr);

    // Window: caption-less with a one-pixel border (the outer size one pixel beyond the client
    // on each side), 4 pixels right of and 1 above the anchor where it fits the 1280 x 800
    // screen; the client area 630 x (62 + 17 n) units, or as many rows as the screen's height
    // takes.
    EXPECT_TRUE(IsWindowVisible(window));
    RECT outer{}, client{};
    GetWindowRect(window, &outer);
    GetClientRect(window, &client);
    EXPECT_EQ(outer.left, px.left);
    EXPECT_EQ(outer.top, px.top);
    EXPECT_EQ(client.right, px.clientWidth);
    EXPECT_EQ(client.bottom, px.clientHeight);
    EXPECT_EQ(outer.right - outer.left, client.right + 2);
    EXPECT_EQ(outer.bottom - outer.top, client.bottom + 2);

    // Effects: layered at Opacity; the drop shadow on the popup's own class only.
    EXPECT_TRUE(GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_LAYERED);
    BYTE alpha = 0;
    DWORD layeredFlags = 0;
    ASSERT_TRUE(GetLayeredWindowAttributes(window, nullptr, &alpha, &layeredFlags));
    EXPECT_EQ(alpha, c.settings.opacity);
    EXPECT_EQ(layeredFlags, DWORD(LWA_ALPHA));
    EXPECT_EQ((GetClassLongW(window, GCL_STYLE) & CS_DROPSHADOW) != 0, c.settings.shadow != 0);
    // A window opened beside the popup: a class of its own, and the start-up's scale, whatever
    // the caret's monitor gave the popup.
    ui::OwnedWindow other =
        dpi::openScaledWindow(0, 0, 100, 10, u"Other", WS_POPUP | ui::kWindowHidden, nullptr);
    ASSERT_TRUE(other);
    EXPECT_EQ(GetClassLongW(ui::windowHandle(*other), GCL_STYLE) & CS_DROPSHADOW, 0u);
    EXPECT_EQ(ui::windowClientWidth(*other), dpi::toPixels(100, c.scale));
    EXPECT_EQ(dpi::scaleState().scaleX, c.scale);

    // Every control in the IDE's font at its point size by the font size rule.
    const std::u16string face = c.appearance.editorFontName.substr(0, LF_FACESIZE - 1);
    const std::pair<const char*, HWND> controls[] = {
        {"preview", ui::controlHandle(*fields_->preview)},
        {"first field", fieldHandle(1)},
        {"last field", fieldHandle(c.fields)},
        {"first label", labelHandle(1)},
    };
    for (const auto& [name, control] : controls) {
        LOGFONTW font{};
        const auto handle = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
        ASSERT_TRUE(GetObjectW(handle, sizeof font, &font)) << name;
        EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(font.lfFaceName)), face);
        EXPECT_EQ(font.lfHeight, px.fontHeight);
    }

    const auto colour = [](std::int32_t value) { return static_cast<COLORREF>(value); };
    const store::IdeAppearance& ide = c.appearance;
    HWND preview = ui::controlHandle(*fields_->preview);
    const Colours previewColours = coloursOf(window, preview, WM_CTLCOLORSTATIC);
    EXPECT_EQ(previewColours.text, colour(ide.normalTextColor));
    EXPECT_EQ(previewColours.back, colour(ide.backgroundColor));
    EXPECT_EQ(ui::controlText(*fields_->preview), request.previewText);
    EXPECT_EQ(pixelBox(preview), (ControlBox{0, 0, px.clientWidth, px.previewHeight}));
    EXPECT_EQ(pixelBox(labelHandle(1)), (ControlBox{0, px.firstRowY, px.labelWidth, px.rowHeight}));
    EXPECT_EQ(pixelBox(fieldHandle(1)),
              (ControlBox{px.fieldX, px.firstRowY, px.fieldWidth, px.rowHeight}));
    EXPECT_EQ(pixelBox(labelHandle(c.fields)).y, px.lastRowY);
    EXPECT_EQ(pixelBox(fieldHandle(c.fields)).y, px.lastRowY);

    for (int i = 1; i <= c.fields; ++i) {
        SCOPED_TRACE("field " + std::to_string(i));
        HWND field = fieldHandle(i);
        HWND label = labelHandle(i);
        ASSERT_TRUE(field && label);
        EXPECT_EQ(ui::controlText(*row(i).label), request.fields[i - 1].label);
        EXPECT_EQ(ui::controlText(*row(i).field), request.fields[i - 1].initialText);
        EXPECT_EQ(row(i).mark, nullptr) << "a field without choices has no mark";
        // A label takes no typing.
        SendMessageW(label, WM_CHAR, 'x', 1);
        EXPECT_EQ(ui::controlText(*row(i).label), request.fields[i - 1].label);

        const Colours labelColours = coloursOf(window, label, WM_CTLCOLORSTATIC);
        EXPECT_EQ(labelColours.text, colour(ide.selectionFrontColor));
        EXPECT_EQ(labelColours.back, colour(ide.selectionColor));
        const Colours fieldColours = coloursOf(window, field, WM_CTLCOLOREDIT);
        EXPECT_EQ(fieldColours.text, colour(ide.normalTextColor));
        EXPECT_EQ(fieldColours.back, colour(ide.backgroundColor));
    }

    // A value wider than its field can still be typed to its end.
    const std::u16string wide(120, u'w');
    ui::Control& first = *row(1).field;
    ui::setControlText(first, u"");
    for (const char16_t unit : wide)
        SendMessageW(fieldHandle(1), WM_CHAR, unit, 1);
    EXPECT_EQ(ui::controlText(first), wide);
    ui::setControlText(first, request.fields[0].initialText);

    // Usable whatever the font: Return walks the fields and accepts in the last one, and the
    // values come back as the fields hold them.
    EXPECT_EQ(ui::focusedControl(), &first);
    for (int i = 0; i < c.fields; ++i)
        pressKey(fieldHandle(1), VK_RETURN);
    const idelink::PopupResult result = run();
    EXPECT_TRUE(result.accepted);
    EXPECT_FALSE(result.lostActivation);
    ASSERT_EQ(result.values.size(), size_t(c.fields));
    EXPECT_EQ(result.values.back(), request.fields.back().initialText);
    // The field with the focus was scrolled into view, its label beside it.
    EXPECT_EQ(pixelBox(fieldHandle(c.fields)).y, px.lastRowYAfterWalk);
    EXPECT_EQ(pixelBox(labelHandle(c.fields)).y, px.lastRowYAfterWalk);
}

using Appearance = store::IdeAppearance;
using Settings = store::PopupSettings;

store::IdeAppearance dark() {
    return {u"Courier New", 11, 0x202020, 0xE0E0E0, 0x696969, 0xFFFFFF};
}

store::IdeAppearance withFont(std::u16string face, int points) {
    store::IdeAppearance look;
    look.editorFontName = std::move(face);
    look.editorFontSize = points;
    return look;
}

// Font heights: the service turns points into -points * 96 / 72 (the screen's DPI as the test
// process saw it first), after the size rule multiplied the points by the scale.
const LookCase kLookCases[] = {
    // MS Shell Dlg 8: 8 points, 11 pixels.
    {"DefaultsAt96Dpi", Appearance(), Settings(), 3, 1.0f, 0,
     Pixels(204, 149, 630, 113, 62, 119, 120, 511, 16, 63, 97, 97, -11)},
    // Courier New 11 at 1.25: 13 points, 17 pixels.
    {"DarkOpaqueWithoutShadowAt120Dpi", dark(), Settings(255, 0, 10, 1), 1, 1.0f, 120,
     Pixels(204, 149, 787, 98, 77, 148, 150, 638, 20, 78, 78, 78, -17)},
    // Courier New 11 at 1.5: 16 points, 21 pixels.
    {"DarkAt144DpiShadowMinusOne", dark(), Settings(1, -1, 500, 0), 4, 1.0f, 144,
     Pixels(204, 149, 945, 195, 93, 178, 180, 766, 24, 94, 171, 171, -21)},
    // The caret's monitor at 144 DPI beside a 96-DPI primary: the popup takes its factors
    // and its font from the caret's monitor (8 points at 1.5: 12 points, 16 pixels).
    {"CaretOnA144DpiMonitor", Appearance(), Settings(), 3, 1.0f, 144,
     Pixels(204, 149, 945, 169, 93, 178, 180, 766, 24, 94, 145, 145, -16)},
    // ... and a 96-DPI caret's monitor beside a 144-DPI primary: the popup at 96 DPI.
    {"CaretOnA96DpiMonitorBesideA144DpiPrimary", Appearance(), Settings(), 3, 1.5f, 96,
     Pixels(204, 149, 630, 113, 62, 119, 120, 511, 16, 63, 97, 97, -11)},
    // When Windows cannot tell the caret monitor's DPI, the popup takes the start-up's factors.
    {"MonitorUnknownTakesTheStartUpScale", dark(), Settings(255, 0, 10, 1), 1, 1.25f, 0,
     Pixels(204, 149, 787, 98, 77, 148, 150, 638, 20, 78, 78, 78, -17)},
    {"FontSizeZero", withFont(u"Courier New", 0), Settings(), 2, 1.0f, 0,
     Pixels(204, 149, 630, 96, 62, 119, 120, 511, 16, 63, 80, 80, 0)},
    {"FontSizeNegative", withFont(u"Courier New", -3), Settings(), 2, 1.0f, 0,
     Pixels(204, 149, 630, 96, 62, 119, 120, 511, 16, 63, 80, 80, 4)},
    {"HugeFontWithALongName", withFont(std::u16string(200, u'x'), 100000), Settings(), 2, 1.0f, 0,
     Pixels(204, 149, 630, 96, 62, 119, 120, 511, 16, 63, 80, 80, -133333)},
    // 744 pixels high: below the caret it would leave the 800-pixel screen, above the line it
    // would too, so it ends at the screen's bottom.
    {"FortyPlaceholders", Appearance(), Settings(), 40, 1.0f, 0,
     Pixels(204, 56, 630, 742, 62, 119, 120, 511, 16, 63, 726, 726, -11)},
    // 60 rows do not fit: 43 show, the rest wait below the client area until the focus
    // reaches them; the last one ends in the bottom row.
    {"SixtyPlaceholdersScroll", Appearance(), Settings(), 60, 1.0f, 0,
     Pixels(204, 5, 630, 793, 62, 119, 120, 511, 16, 63, 20000, 777, -11)},
};

INSTANTIATE_TEST_SUITE_P(All, PopupLookAndGeometry, testing::ValuesIn(kLookCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct DeactivationCase {
    const char* name;
    store::PopupSettings settings;
    std::vector<int> alphas; // every alpha the popup set after it lost activation
};

class PopupDeactivation : public PopupInProcess,
                          public testing::WithParamInterface<DeactivationCase> {};

// Activating another window cancels the popup and makes it invisible: after the fade
// (Opacity, Opacity - 6, ... Opacity mod 6) when FadeOut is on, at once when it is 0.
TEST_P(PopupDeactivation, CancelsAndVanishes) {
    const DeactivationCase& c = GetParam();
    std::vector<int> alphas;
    popup::PopupLook look;
    look.settings = c.settings;
    look.setAlpha = [&alphas](HWND, BYTE alpha) { alphas.push_back(alpha); };
    const idelink::PopupRequest request = requestWith(2);
    build(request, look);
    HWND window = window_.handle();
    ASSERT_NE(window, nullptr);
    ASSERT_EQ(GetActiveWindow(), window);

    ui::OwnedWindow other = openTestWindow(100, 100, true);
    ASSERT_TRUE(other);
    ASSERT_EQ(GetActiveWindow(), ui::windowHandle(*other));
    EXPECT_EQ(alphas, c.alphas);
    // A second deactivation changes nothing; activation itself is never refused.
    EXPECT_EQ(SendMessageW(window, WM_NCACTIVATE, FALSE, 0), TRUE);
    EXPECT_EQ(SendMessageW(window, WM_NCACTIVATE, TRUE, 0), TRUE);
    EXPECT_EQ(alphas, c.alphas);

    const idelink::PopupResult result = run();
    EXPECT_FALSE(result.accepted);
    EXPECT_TRUE(result.lostActivation);
    EXPECT_TRUE(result.values.empty());
    EXPECT_TRUE(IsWindow(window)) << "the popup stays until the program ends";
}

// Opacities that are multiples of 6 make the fade's own last step 0, so a fade that stopped
// one step early shows.
const DeactivationCase kDeactivationCases[] = {
    {"FadeOf43StepsFrom252",
     {252, 1, 10, -1},
     {252, 246, 240, 234, 228, 222, 216, 210, 204, 198, 192, 186, 180, 174, 168,
      162, 156, 150, 144, 138, 132, 126, 120, 114, 108, 102, 96,  90,  84,  78,
      72,  66,  60,  54,  48,  42,  36,  30,  24,  18,  12,  6,   0,   0}},
    {"OpacitySixTwoSteps", {6, 1, 10, 1}, {6, 0, 0}},
    {"NoFade", {245, 1, 10, 0}, {0}},
};

INSTANTIATE_TEST_SUITE_P(All, PopupDeactivation, testing::ValuesIn(kDeactivationCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct EndingCase {
    const char* name;
    void (*end)(HWND popup);
};

const EndingCase kEndingCases[] = {
    {"CloseMessageFromAnotherProgram", [](HWND popup) { PostMessageW(popup, WM_CLOSE, 0, 0); }},
    {"AltF4", [](HWND popup) { PostMessageW(popup, WM_SYSCOMMAND, SC_CLOSE, 0); }},
    {"QuitMessage", [](HWND) { PostQuitMessage(0); }},
    {"EndOfTheSession",
     [](HWND popup) {
         if (SendMessageW(popup, WM_QUERYENDSESSION, 0, 0))
             SendMessageW(popup, WM_ENDSESSION, TRUE, 0);
     }},
};

class PopupEnding : public PopupInProcess, public testing::WithParamInterface<EndingCase> {};

// Only Return in the last field accepts: every way of closing the window cancels as Escape
// does, so the editor keeps its text.
TEST_P(PopupEnding, CancelsLikeEscape) {
    const idelink::PopupRequest request = requestWith(2);
    build(request);
    HWND window = window_.handle();
    ASSERT_NE(window, nullptr);
    GetParam().end(window);
    const idelink::PopupResult result = run();
    EXPECT_FALSE(result.accepted);
    EXPECT_FALSE(result.lostActivation);
    EXPECT_TRUE(result.values.empty());
}

INSTANTIATE_TEST_SUITE_P(All, PopupEnding, testing::ValuesIn(kEndingCases),
                         [](const auto& info) { return std::string(info.param.name); });

bool guardFired = false;
void CALLBACK endTheWait(HWND, UINT, UINT_PTR, DWORD) {
    guardFired = true;
    PostQuitMessage(0);
}

// Windows may refuse the popup the foreground (the user went on in another program during
// the start): a popup that has not become the visible active window within 3 s cancels, and
// the program ends and frees the expansion lock. The guard ends a wait that would last for ever.
TEST_F(PopupInProcess, NeverActivatedCancelsByItself) {
    popup::PopupLook look;
    look.show = [](HWND, const store::PopupSettings&) {}; // stays hidden, never activated
    const idelink::PopupRequest request = requestWith(2);
    build(request, look);
    HWND window = window_.handle();
    ASSERT_NE(window, nullptr);
    ASSERT_FALSE(IsWindowVisible(window));
    guardFired = false;
    const UINT_PTR guard = SetTimer(nullptr, 0, 4 * popup::kActivationWaitMs, endTheWait);
    const idelink::PopupResult result = run();
    KillTimer(nullptr, guard);
    EXPECT_FALSE(guardFired) << "the popup kept waiting";
    EXPECT_FALSE(result.accepted);
    EXPECT_TRUE(result.values.empty());
}

struct ChoiceCase {
    const char* name;
    int monitorDpi; // the caret's monitor
    // Keys for a field that offers s, i and l and shows s, then for one without choices that
    // shows value2: D is Down, U is Up, a small letter is typed.
    const char* choiceKeys;
    const char* plainKeys;
    const char16_t* choiceValue;
    const char16_t* plainValue;
};

const ChoiceCase kChoiceCases[] = {
    {"DownDownUpAt96Dpi", 96, "DDU", "DU", u"i", u"value2"},
    {"EndsStayAt120Dpi", 120, "UDDDD", "U", u"l", u"value2"},
    {"TypingReplacesTheChoiceAt144Dpi", 144, "Dx", "Dy", u"x", u"y"},
};

class PopupChoiceFields : public PopupInProcess, public testing::WithParamInterface<ChoiceCase> {
  protected:
    void pressKeysThenReturn(int field, const char* keys) {
        HWND target = fieldHandle(field);
        for (; *keys; ++keys) {
            if (*keys == 'D' || *keys == 'U')
                pressKey(target, *keys == 'D' ? VK_DOWN : VK_UP);
            else
                PostMessageW(target, WM_CHAR, WPARAM(*keys), 1);
        }
        pressKey(target, VK_RETURN);
    }
};

// Up and Down step through a field's choices and stop at the ends, and leave a field without
// choices, its whole-text selection included, as it is. Only the field with choices gives the
// end of its box to the mark.
TEST_P(PopupChoiceFields, UpAndDownStepThroughTheChoices) {
    const ChoiceCase& c = GetParam();
    monitorDpi(c.monitorDpi);
    idelink::PopupRequest request = requestWith(2);
    request.fields[0] = {u"type ", u"s", {u"s", u"i", u"l"}};
    build(request);
    ASSERT_EQ(fields_->rows.size(), 2u);
    const ControlBox field = pixelBox(fieldHandle(1));
    const ControlBox plain = pixelBox(fieldHandle(2));
    ASSERT_NE(row(1).mark, nullptr);
    EXPECT_EQ(
        pixelBox(ui::controlHandle(*row(1).mark)),
        (ControlBox{field.x + field.width, field.y, plain.width - field.width, field.height}));
    EXPECT_EQ(row(2).mark, nullptr);
    // The layout is the caret monitor's: 16 units of height.
    EXPECT_EQ(field.height, dpi::toPixels(popup::kRowHeight, c.monitorDpi / 96.0f));

    pressKeysThenReturn(1, c.choiceKeys);
    pressKeysThenReturn(2, c.plainKeys);
    const idelink::PopupResult result = run();
    ASSERT_EQ(result.values.size(), 2u);
    EXPECT_EQ(result.values[0], c.choiceValue);
    EXPECT_EQ(result.values[1], c.plainValue);
}

INSTANTIATE_TEST_SUITE_P(All, PopupChoiceFields, testing::ValuesIn(kChoiceCases),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace

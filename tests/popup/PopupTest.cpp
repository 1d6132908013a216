// The placeholder popup built in this process: its look from the IDE's appearance, its
// geometry at several scale factors, its effects by the calls they make, and the loss of
// activation. The keys and the expansion around it are tested end to end through the
// stand-in IDE (tests/app/ExpansionEndToEndTest.cpp).
//
// Under Wine, AnimateWindow only shows the window (no slide), and a layered window's alpha
// becomes an X property that a bare Xvfb display does not draw: the effects are checked by
// the state and the calls they leave, which is what Windows then animates and blends.
#include "popup/Popup.h"

#include "../ui/ServiceFixture.h"
#include "dpi/ControlBox.h"
#include "dpi/DpiSetup_win.h"
#include "dpi/ScaledWrappers_win.h"
#include "ui/OwnedHandles.h"
#include "ui/WindowService.h"

#include <ostream>
#include <string>
#include <vector>

namespace {

struct LookCase {
    const char* name;
    store::IdeAppearance appearance;
    store::PopupSettings settings;
    int fields;
    float scale;
};

void PrintTo(const LookCase& c, std::ostream* out) {
    *out << c.name;
}

struct Colours {
    COLORREF text;
    COLORREF back;
};

using dpitest::ControlBox;
using dpitest::pixelBox;

ControlBox unitsToPixels(int x, int y, int width, int height) {
    return {dpi::toPixelsX(x), dpi::toPixelsY(y), dpi::toPixelsX(width), dpi::toPixelsY(height)};
}

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
                                  u"value" + std::u16string(1, char16_t(u'0' + i % 10))});
    request.previewText = u"For a = b To c \r\nNext & more";
    request.anchor = {200, 150};
    return request;
}

class PopupInProcess : public uitest::ServiceTest {
  protected:
    void SetUp() override {
        saved_ = dpi::scaleState();
        ServiceTest::SetUp();
        dpi::createWindowDpiTable();
    }
    void TearDown() override {
        ServiceTest::TearDown();
        dpi::scaleState() = saved_;
    }
    dpi::ScaleState saved_;
};

class PopupLookAndGeometry : public PopupInProcess, public testing::WithParamInterface<LookCase> {};

TEST_P(PopupLookAndGeometry, FollowsTheIdeLookAndTheLayout) {
    const LookCase& c = GetParam();
    dpi::scaleState().scaleX = dpi::scaleState().scaleY = c.scale;
    const idelink::PopupRequest request = requestWith(c.fields);
    popup::PopupLook look{c.appearance, c.settings, nullptr};
    popup::buildPlaceholderPopup(request, look);
    HWND window = ui::windowHandle(popup::kPopupWindow);
    ASSERT_NE(window, nullptr);

    // Window: caption-less with a one-pixel border, 4 pixels right of and 1 above the anchor
    // (pixels, never scaled); the client area 630 x (62 + 17 n) units.
    const LONG style = GetWindowLongW(window, GWL_STYLE);
    EXPECT_TRUE(style & WS_POPUP);
    EXPECT_TRUE(style & WS_BORDER);
    EXPECT_NE(style & WS_CAPTION, WS_CAPTION);
    EXPECT_TRUE(IsWindowVisible(window));
    RECT outer{}, client{};
    GetWindowRect(window, &outer);
    GetClientRect(window, &client);
    EXPECT_EQ(outer.left, 204);
    EXPECT_EQ(outer.top, 149);
    EXPECT_EQ(client.right, dpi::toPixelsX(630));
    EXPECT_EQ(client.bottom, dpi::toPixelsY(62 + 17 * c.fields));
    EXPECT_EQ(outer.right - outer.left, client.right + 2);

    // Effects: layered at Opacity; the drop shadow on the popup's own class only.
    EXPECT_TRUE(GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_LAYERED);
    BYTE alpha = 0;
    DWORD layeredFlags = 0;
    ASSERT_TRUE(GetLayeredWindowAttributes(window, nullptr, &alpha, &layeredFlags));
    EXPECT_EQ(alpha, c.settings.opacity);
    EXPECT_EQ(layeredFlags, DWORD(LWA_ALPHA));
    EXPECT_EQ((GetClassLongW(window, GCL_STYLE) & CS_DROPSHADOW) != 0, c.settings.shadow != 0);
    ui::openWindow(7, 0, 0, 10, 10, u"Other", WS_POPUP | ui::kWindowHidden, nullptr);
    EXPECT_EQ(GetClassLongW(ui::windowHandle(7), GCL_STYLE) & CS_DROPSHADOW, 0u);

    // Every control in the IDE's font at its point size by the font size rule.
    const std::u16string face = c.appearance.editorFontName.substr(0, LF_FACESIZE - 1);
    const int height =
        -MulDiv(dpi::fontSizeRule(c.appearance.editorFontSize), ui::screenLogPixelsY(), 72);
    const std::vector<int> controls{popup::kPreviewControl, 1, c.fields,
                                    popup::labelControl(1, c.fields)};
    for (const int number : controls) {
        LOGFONTW font{};
        const auto handle =
            reinterpret_cast<HFONT>(SendMessageW(ui::controlHandle(number), WM_GETFONT, 0, 0));
        ASSERT_TRUE(GetObjectW(handle, sizeof font, &font)) << "control " << number;
        EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(font.lfFaceName)), face);
        EXPECT_EQ(font.lfHeight, height);
    }

    const auto colour = [](std::int32_t value) { return static_cast<COLORREF>(value); };
    const store::IdeAppearance& ide = c.appearance;
    HWND preview = ui::controlHandle(popup::kPreviewControl);
    const Colours previewColours = coloursOf(window, preview, WM_CTLCOLORSTATIC);
    EXPECT_EQ(previewColours.text, colour(ide.normalTextColor));
    EXPECT_EQ(previewColours.back, colour(ide.backgroundColor));
    EXPECT_EQ(ui::controlText(popup::kPreviewControl), request.previewText);
    EXPECT_EQ(pixelBox(preview), unitsToPixels(0, 0, 630, 62));

    for (int i = 1; i <= c.fields; ++i) {
        SCOPED_TRACE("field " + std::to_string(i));
        HWND field = ui::controlHandle(i);
        HWND label = ui::controlHandle(popup::labelControl(i, c.fields));
        ASSERT_TRUE(field && label);
        const int y = 63 + 17 * (i - 1);
        EXPECT_EQ(pixelBox(label), unitsToPixels(0, y, 119, 16));
        EXPECT_EQ(pixelBox(field), unitsToPixels(120, y, 511, 16));
        EXPECT_EQ(ui::controlText(popup::labelControl(i, c.fields)), request.fields[i - 1].label);
        EXPECT_EQ(ui::controlText(i), request.fields[i - 1].initialText);

        const LONG labelStyle = GetWindowLongW(label, GWL_STYLE);
        EXPECT_EQ(labelStyle & (ES_READONLY | ES_RIGHT | WS_TABSTOP), ES_READONLY | ES_RIGHT);
        EXPECT_EQ(GetWindowLongW(label, GWL_EXSTYLE) & WS_EX_CLIENTEDGE, 0);
        EXPECT_TRUE(GetWindowLongW(field, GWL_STYLE) & WS_TABSTOP);
        EXPECT_TRUE(GetWindowLongW(field, GWL_STYLE) & ES_AUTOHSCROLL);
        EXPECT_EQ(GetWindowLongW(field, GWL_EXSTYLE) & WS_EX_CLIENTEDGE, 0);

        const Colours labelColours = coloursOf(window, label, WM_CTLCOLORSTATIC);
        EXPECT_EQ(labelColours.text, colour(ide.selectionFrontColor));
        EXPECT_EQ(labelColours.back, colour(ide.selectionColor));
        const Colours fieldColours = coloursOf(window, field, WM_CTLCOLOREDIT);
        EXPECT_EQ(fieldColours.text, colour(ide.normalTextColor));
        EXPECT_EQ(fieldColours.back, colour(ide.backgroundColor));
    }

    // Usable whatever the font: Return walks the fields and accepts in the last one, and the
    // values come back as the fields hold them.
    EXPECT_EQ(ui::focusedControl(), 1);
    for (int i = 0; i < c.fields; ++i)
        pressKey(ui::controlHandle(1), VK_RETURN);
    const idelink::PopupResult result = popup::runPlaceholderPopup(c.fields);
    EXPECT_TRUE(result.accepted);
    EXPECT_FALSE(result.lostActivation);
    ASSERT_EQ(result.values.size(), size_t(c.fields));
    EXPECT_EQ(result.values.back(), request.fields.back().initialText);
}

store::IdeAppearance dark() {
    return {u"Courier New", 11, 0x202020, 0xE0E0E0, 0x696969, 0xFFFFFF};
}

store::IdeAppearance withFont(std::u16string face, int points) {
    store::IdeAppearance look;
    look.editorFontName = std::move(face);
    look.editorFontSize = points;
    return look;
}

const LookCase kLookCases[] = {
    {"DefaultsAt96Dpi", {}, {}, 3, 1.0f},
    {"DarkOpaqueWithoutShadowAt120Dpi", dark(), {255, 0, 10, 1}, 1, 1.25f},
    {"DarkAt144DpiShadowMinusOne", dark(), {1, -1, 500, 0}, 4, 1.5f},
    {"FontSizeZero", withFont(u"Courier New", 0), {}, 2, 1.0f},
    {"FontSizeNegative", withFont(u"Courier New", -3), {}, 2, 1.0f},
    {"HugeFontWithALongName", withFont(std::u16string(200, u'x'), 100000), {}, 2, 1.0f},
    // Beyond the screen's bottom edge at 96 DPI on an 800-pixel screen; nothing limits it.
    {"FortyPlaceholders", {}, {}, 40, 1.0f},
};

INSTANTIATE_TEST_SUITE_P(All, PopupLookAndGeometry, testing::ValuesIn(kLookCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct DeactivationCase {
    const char* name;
    store::PopupSettings settings;
    std::vector<int> alphas; // every alpha the popup set after it lost activation
};

void PrintTo(const DeactivationCase& c, std::ostream* out) {
    *out << c.name;
}

std::vector<int> fadeFrom(int opacity) {
    std::vector<int> alphas;
    for (int alpha = opacity; alpha >= 0; alpha -= 6)
        alphas.push_back(alpha);
    alphas.push_back(0);
    return alphas;
}

class PopupDeactivation : public PopupInProcess,
                          public testing::WithParamInterface<DeactivationCase> {};

// Activating another window cancels the popup and makes it invisible: after the fade
// (Opacity, Opacity - 6, ... Opacity mod 6) when FadeOut is on, at once when it is 0.
TEST_P(PopupDeactivation, CancelsAndVanishes) {
    const DeactivationCase& c = GetParam();
    std::vector<int> alphas;
    popup::PopupLook look{
        {}, c.settings, nullptr, [&alphas](HWND, BYTE alpha) { alphas.push_back(alpha); }};
    popup::buildPlaceholderPopup(requestWith(2), look);
    HWND window = ui::windowHandle(popup::kPopupWindow);
    ASSERT_NE(window, nullptr);
    ASSERT_EQ(GetActiveWindow(), window);

    HWND other = openTestWindow(8, 100, 100, true);
    ASSERT_EQ(GetActiveWindow(), other);
    EXPECT_EQ(alphas, c.alphas);
    // A second deactivation changes nothing; activation itself is never refused.
    EXPECT_EQ(SendMessageW(window, WM_NCACTIVATE, FALSE, 0), TRUE);
    EXPECT_EQ(SendMessageW(window, WM_NCACTIVATE, TRUE, 0), TRUE);
    EXPECT_EQ(alphas, c.alphas);

    const idelink::PopupResult result = popup::runPlaceholderPopup(2);
    EXPECT_FALSE(result.accepted);
    EXPECT_TRUE(result.lostActivation);
    EXPECT_TRUE(result.values.empty());
    EXPECT_TRUE(IsWindow(window)) << "the popup stays until the program ends";
}

const DeactivationCase kDeactivationCases[] = {
    {"DefaultFadeOf41Steps", {}, fadeFrom(245)},
    {"OpaqueFadeStartsAt255", {255, 1, 10, -1}, fadeFrom(255)},
    {"LowOpacityOneStep", {5, 1, 10, 1}, {5, 0}},
    {"NoFade", {245, 1, 10, 0}, {0}},
};

INSTANTIATE_TEST_SUITE_P(All, PopupDeactivation, testing::ValuesIn(kDeactivationCases),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace

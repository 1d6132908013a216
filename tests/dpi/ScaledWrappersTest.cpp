#include "dpi/ScaledWrappers.h"
#include "ui/WindowService.h"
#include "dpi/ControlBox.h"

#include <gtest/gtest.h>

#include <ostream>

#include <string>
#include <vector>

namespace {

using dpitest::ControlBox;
using dpitest::pixelBox;

ui::WindowScale scaleOf(float x, float y, int dpi) {
    return ui::WindowScale{x, y, dpi};
}

ControlBox boxOf(const ui::Control* control) {
    return pixelBox(ui::controlHandle(*control));
}

// The process's scale state and the monitors' DPI source are process-wide: every test leaves
// them as it found them.
class ScaledWrappers : public testing::Test {
  protected:
    void SetUp() override {
        saved_ = dpi::scaleState();
        ui::startService();
    }
    void TearDown() override {
        window_.reset();
        ui::endService();
        dpi::scaleState() = saved_;
        dpi::setMonitorDpiSource(nullptr);
    }
    ui::Window& openWindow(int clientWidth, int clientHeight, const ui::WindowScale& scale) {
        window_ = dpi::openScaledWindow(10, 10, clientWidth, clientHeight, u"Scaled",
                                        ui::kWindowHidden | WS_OVERLAPPEDWINDOW, nullptr, scale);
        EXPECT_TRUE(window_);
        return *window_;
    }

    dpi::ScaleState saved_;
    ui::OwnedWindow window_;
};

struct ScaleCase {
    const char* name;
    float scale;
    int dpi;
    ControlBox pixels;      // a control made at x 5, y 4, width 35, height 20 units
    ControlBox units;       // the same read back
    int clientWidthPixels;  // a window of 200 x 100 units
    int clientHeightPixels; // after resizeScaledWindow(keep, keep, keep, 130)
};

void PrintTo(const ScaleCase& c, std::ostream* out) {
    *out << c.name;
}

class ScaledWrappersAtScale : public ScaledWrappers,
                              public testing::WithParamInterface<ScaleCase> {};

TEST_P(ScaledWrappersAtScale, ConvertOnTheWayInAndOut) {
    const ScaleCase& c = GetParam();
    ui::Window& window = openWindow(200, 100, scaleOf(c.scale, c.scale, c.dpi));
    EXPECT_EQ(ui::windowClientWidth(window), c.clientWidthPixels);
    EXPECT_EQ(ui::windowScale(window).dpi, c.dpi);
    ui::Control* label = dpi::createScaledStaticText(window, 5, 4, 35, 20, u"Label", 0);
    ASSERT_TRUE(label);

    EXPECT_EQ(boxOf(label), c.pixels);
    ControlBox readBack{dpi::scaledControlX(*label, dpi::kPositionInParentUnits),
                        dpi::scaledControlY(*label, dpi::kPositionInParentUnits),
                        dpi::scaledControlWidth(*label, dpi::kControlSizeUnits),
                        dpi::scaledControlHeight(*label, dpi::kControlSizeUnits)};
    EXPECT_EQ(readBack, c.units);
    ControlBox readPixels{dpi::scaledControlX(*label, dpi::kPositionInParentPixels),
                          dpi::scaledControlY(*label, dpi::kPositionInParentPixels),
                          dpi::scaledControlWidth(*label, dpi::kControlSizePixels),
                          dpi::scaledControlHeight(*label, dpi::kControlSizePixels)};
    EXPECT_EQ(readPixels, c.pixels);

    int width = ui::windowClientWidth(window);
    dpi::resizeScaledWindow(window, base::keepValue, base::keepValue, base::keepValue, 130);
    EXPECT_EQ(ui::windowClientWidth(window), width);
    EXPECT_EQ(ui::windowClientHeight(window), c.clientHeightPixels);

    // keepValue leaves the control's place alone and sizes it.
    dpi::resizeScaledControl(*label, base::keepValue, base::keepValue, 100, base::keepValue);
    ControlBox resized = c.pixels;
    resized.width = dpi::toPixels(100, c.scale);
    EXPECT_EQ(boxOf(label), resized);
}

INSTANTIATE_TEST_SUITE_P(
    Scales, ScaledWrappersAtScale,
    testing::Values(ScaleCase{"dpi96", 1.0f, 96, {5, 4, 35, 20}, {5, 4, 35, 20}, 200, 130},
                    ScaleCase{"dpi120", 1.25f, 120, {6, 5, 43, 25}, {5, 4, 35, 20}, 250, 162},
                    ScaleCase{"dpi144", 1.5f, 144, {7, 6, 52, 30}, {5, 4, 35, 20}, 300, 195}),
    [](const testing::TestParamInfo<ScaleCase>& info) { return info.param.name; });

TEST_F(ScaledWrappers, WindowMeasuresByMode) {
    ui::Window& window = openWindow(200, 100, scaleOf(1.25f, 1.5f, 120));
    int clientWidth = ui::windowClientWidth(window);
    int outerWidth = ui::windowOuterWidth(window);
    int clientHeight = ui::windowClientHeight(window);
    int outerHeight = ui::windowOuterHeight(window);
    ASSERT_EQ(clientWidth, 250);
    ASSERT_EQ(clientHeight, 150);
    EXPECT_EQ(dpi::scaledWindowWidth(window, dpi::kWindowClientUnits), 200);
    EXPECT_EQ(dpi::scaledWindowWidth(window, dpi::kWindowClientUnitsWithFrame),
              200 + outerWidth - clientWidth);
    EXPECT_EQ(dpi::scaledWindowWidth(window, dpi::kWindowOuterPixels), outerWidth);
    EXPECT_EQ(dpi::scaledWindowWidth(window, dpi::kWindowClientPixels), clientWidth);
    EXPECT_EQ(dpi::scaledWindowHeight(window, dpi::kWindowClientUnits), 100);
    EXPECT_EQ(dpi::scaledWindowHeight(window, dpi::kWindowClientUnitsWithFrame),
              100 + outerHeight - clientHeight);
    EXPECT_EQ(dpi::scaledWindowHeight(window, dpi::kWindowOuterPixels), outerHeight);
    EXPECT_EQ(dpi::scaledWindowHeight(window, dpi::kWindowClientPixels), clientHeight);
}

TEST_F(ScaledWrappers, ControlPositionByReference) {
    ui::Window& window = openWindow(200, 100, scaleOf(1.25f, 1.25f, 120));
    ui::Control* field = dpi::createScaledTextField(window, 8, 16, 40, 20, u"", 0);
    ASSERT_TRUE(field);
    POINT origin{0, 0};
    ClientToScreen(ui::windowHandle(window), &origin);
    // Parent and top-level window are the same here; the screen mode adds the client origin.
    EXPECT_EQ(dpi::scaledControlX(*field, dpi::kPositionInParentPixels), 10);
    EXPECT_EQ(dpi::scaledControlY(*field, dpi::kPositionInParentPixels), 20);
    EXPECT_EQ(dpi::scaledControlX(*field, dpi::kPositionInTopWindowPixels), 10);
    EXPECT_EQ(dpi::scaledControlX(*field, dpi::kPositionInTopWindowUnits), 8);
    EXPECT_EQ(dpi::scaledControlY(*field, dpi::kPositionInTopWindowUnits), 16);
    EXPECT_EQ(dpi::scaledControlX(*field, dpi::kPositionOnScreenPixels), origin.x + 10);
    EXPECT_EQ(dpi::scaledControlY(*field, dpi::kPositionOnScreenPixels), origin.y + 20);
}

TEST_F(ScaledWrappers, BoundsPassNoLimitThrough) {
    ui::Window& window = openWindow(100, 60, scaleOf(1.5f, 1.5f, 144));
    // A -1 converted like a number (-2 pixels) would become a tiny largest size.
    dpi::setScaledWindowBounds(window, 50, 40, base::kNoLimit, base::kNoLimit);
    dpi::resizeScaledWindow(window, base::keepValue, base::keepValue, 600, 400);
    EXPECT_EQ(ui::windowClientWidth(window), 900);
    EXPECT_EQ(ui::windowClientHeight(window), 600);
    // Limits in units become pixel limits: the window is made to fit at once.
    dpi::setScaledWindowBounds(window, base::keepValue, base::keepValue, 300, 200);
    EXPECT_EQ(ui::windowClientWidth(window), 450);
    EXPECT_EQ(ui::windowClientHeight(window), 300);
    dpi::setScaledWindowBounds(window, 320, 220, base::kNoLimit, base::kNoLimit);
    EXPECT_EQ(ui::windowClientWidth(window), 480);
    EXPECT_EQ(ui::windowClientHeight(window), 330);
}

TEST_F(ScaledWrappers, FontsFollowTheSizeRuleAtTheScaleGiven) {
    dpi::scaleState().alreadyDpiAware = false;
    dpi::setWindowsVersion(10, 0);
    HFONT font = dpi::loadScaledFont(u"Arial", 8, ui::kFontBold, scaleOf(1.25f, 1.25f, 120));
    ASSERT_NE(font, nullptr);
    LOGFONTW logFont{};
    ASSERT_NE(GetObjectW(font, sizeof logFont, &logFont), 0);
    EXPECT_EQ(logFont.lfHeight, -MulDiv(10, ui::screenLogPixelsY(), 72));
    EXPECT_EQ(logFont.lfWeight, FW_BOLD);

    // The vertical factor counts: 8 points at 1.5 are 12.
    font = dpi::loadScaledFont(u"Arial", 8, 0, scaleOf(1.0f, 1.5f, 96));
    ASSERT_NE(GetObjectW(font, sizeof logFont, &logFont), 0);
    EXPECT_EQ(logFont.lfHeight, -MulDiv(12, ui::screenLogPixelsY(), 72));

    // Before Vista the size stays.
    dpi::setWindowsVersion(5, 1);
    font = dpi::loadScaledFont(u"Arial", 8, 0, scaleOf(1.25f, 1.25f, 120));
    ASSERT_NE(GetObjectW(font, sizeof logFont, &logFont), 0);
    EXPECT_EQ(logFont.lfHeight, -MulDiv(8, ui::screenLogPixelsY(), 72));
}

TEST_F(ScaledWrappers, ScaledWindowsControlsTakeTheUiFont) {
    HFONT font = ui::loadFont(u"Arial", 11, 0);
    ASSERT_NE(font, nullptr);
    dpi::scaleState().uiFont = font;
    ui::Window& window = openWindow(200, 100, dpi::processScale());
    ui::Control* field = dpi::createScaledTextField(window, 0, 0, 40, 20, u"", 0);
    ui::Control* label = dpi::createScaledStaticText(window, 0, 30, 40, 20, u"x", 0);
    ASSERT_TRUE(field && label);
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(ui::controlHandle(*field), WM_GETFONT, 0, 0)),
              font);
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(ui::controlHandle(*label), WM_GETFONT, 0, 0)),
              font);
}

// Each window is laid out at its own scale: the popup at the caret's monitor beside the manager
// at the primary monitor's. Opening one at another scale changes neither the other's layout nor
// the scale that windows open at by default.
TEST_F(ScaledWrappers, WindowsAtDifferentScalesAreLaidOutEachAtItsOwn) {
    dpi::scaleState().scaleX = dpi::scaleState().scaleY = 1.25f;
    ui::OwnedWindow primary =
        dpi::openScaledWindow(10, 10, 200, 100, u"Primary", ui::kWindowHidden | WS_POPUP, nullptr);
    ASSERT_TRUE(primary);
    ui::Control* before = dpi::createScaledStaticText(*primary, 10, 10, 100, 20, u"", 0);
    ui::OwnedWindow caret =
        dpi::openScaledWindow(10, 10, 200, 100, u"Caret", ui::kWindowHidden | WS_POPUP, nullptr,
                              scaleOf(2.0f, 2.0f, 192));
    ASSERT_TRUE(caret);
    ui::Control* atCaret = dpi::createScaledStaticText(*caret, 10, 10, 100, 20, u"", 0);
    ui::Control* after = dpi::createScaledStaticText(*primary, 10, 40, 100, 20, u"", 0);
    ui::OwnedWindow later =
        dpi::openScaledWindow(10, 10, 200, 100, u"Later", ui::kWindowHidden | WS_POPUP, nullptr);
    ASSERT_TRUE(later);
    ASSERT_TRUE(before && atCaret && after);

    EXPECT_EQ(ui::windowClientWidth(*primary), 250);
    EXPECT_EQ(ui::windowClientWidth(*caret), 400);
    EXPECT_EQ(ui::windowClientWidth(*later), 250) << "the process's scale, untouched";
    EXPECT_EQ(ui::windowScale(*primary).dpi, 120);
    EXPECT_EQ(ui::windowScale(*caret).dpi, 192);
    EXPECT_EQ(boxOf(before), (ControlBox{12, 12, 125, 25}));
    EXPECT_EQ(boxOf(atCaret), (ControlBox{20, 20, 200, 40}));
    EXPECT_EQ(boxOf(after), (ControlBox{12, 50, 125, 25}));
    EXPECT_EQ(dpi::scaledControlWidth(*atCaret, dpi::kControlSizeUnits), 100);
    EXPECT_EQ(dpi::scaledControlWidth(*after, dpi::kControlSizeUnits), 100);
    EXPECT_EQ(dpi::scaledWindowWidth(*caret, dpi::kWindowClientUnits), 200);

    dpi::resizeScaledControl(*atCaret, base::keepValue, base::keepValue, 50, base::keepValue);
    dpi::resizeScaledControl(*after, base::keepValue, base::keepValue, 50, base::keepValue);
    EXPECT_EQ(boxOf(atCaret).width, 100);
    EXPECT_EQ(boxOf(after).width, 62);
}

// The scale a window opens at for a point on the screen: that monitor's DPI, or the process's
// scale when Windows cannot tell. Asking writes nothing.
TEST_F(ScaledWrappers, ScaleForAMonitorComesFromItsDpi) {
    struct Case {
        const char* name;
        int monitorDpi;
        float scale;
        int dpi;
    };
    const Case cases[] = {
        {"Monitor144", 144, 1.5f, 144},
        {"Monitor96", 96, 1.0f, 96},
        {"MonitorCannotTell", 0, 1.25f, 120},
    };
    dpi::scaleState().scaleX = dpi::scaleState().scaleY = 1.25f;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        dpi::setMonitorDpiSource([&c](int, int) { return c.monitorDpi; });
        const ui::WindowScale scale = dpi::scaleForMonitorAt(500, 300);
        EXPECT_EQ(scale.x, c.scale);
        EXPECT_EQ(scale.y, c.scale);
        EXPECT_EQ(scale.dpi, c.dpi);
        EXPECT_EQ(dpi::scaleState().scaleX, 1.25f);
        EXPECT_EQ(dpi::scaleState().scaleY, 1.25f);
    }
}

// A window opened at 96 DPI and moved between monitors; each step sends WM_DPICHANGED with the
// new DPI and the suggested window rectangle, as Windows does.
struct DpiMove {
    int newDpi;
    int scaleDpi;     // the window's scale afterwards
    ControlBox label; // pixels after the move
    ControlBox field;
};

struct DpiChangeCase {
    const char* name;
    std::vector<DpiMove> moves;
};

void PrintTo(const DpiChangeCase& c, std::ostream* out) {
    *out << c.name;
}

class DpiChange : public ScaledWrappers, public testing::WithParamInterface<DpiChangeCase> {};

TEST_P(DpiChange, RescalesTheControlsAndMovesTheWindow) {
    dpi::setWindowsVersion(10, 0);
    dpi::resolveSubclassFunctions();
    ASSERT_TRUE(dpi::scaleState().subclassResolved);
    ui::Window& moved = openWindow(300, 200, scaleOf(1.0f, 1.0f, 96));
    ui::Control* label = dpi::createScaledStaticText(moved, 10, 10, 100, 20, u"Label", 0);
    ui::Control* field = dpi::createScaledTextField(moved, 10, 40, 60, 24, u"", 0);
    ASSERT_TRUE(label && field);
    // A window that stays on its monitor, open at the same time.
    ui::OwnedWindow staying =
        dpi::openScaledWindow(10, 10, 300, 200, u"Staying", ui::kWindowHidden | WS_POPUP, nullptr,
                              scaleOf(1.0f, 1.0f, 96));
    ASSERT_TRUE(staying);
    ui::Control* stayingLabel = dpi::createScaledStaticText(*staying, 10, 10, 100, 20, u"", 0);
    ASSERT_TRUE(stayingLabel);
    // A child window that is not one of the program's controls, though its ID is a control's.
    HWND window = ui::windowHandle(moved);
    HWND stranger =
        CreateWindowExW(0, L"Static", L"", WS_CHILD, 200, 100, 30, 10, window,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(1)), nullptr, nullptr);
    ASSERT_NE(stranger, nullptr);

    int left = 20;
    for (const DpiMove& move : GetParam().moves) {
        RECT suggested{left, 30, left + 400, 330};
        left += 10;
        EXPECT_EQ(SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(move.newDpi, move.newDpi),
                               reinterpret_cast<LPARAM>(&suggested)),
                  0);
        EXPECT_EQ(boxOf(label), move.label) << "at " << move.newDpi;
        EXPECT_EQ(boxOf(field), move.field) << "at " << move.newDpi;
        EXPECT_EQ(ui::windowScale(moved).dpi, move.scaleDpi);
        EXPECT_EQ(ui::windowScale(moved).x, move.scaleDpi / 96.0f);
        EXPECT_EQ(ui::windowScale(moved).y, move.scaleDpi / 96.0f);
        RECT placed{};
        GetWindowRect(window, &placed);
        EXPECT_EQ(placed.left, suggested.left);
        EXPECT_EQ(placed.right - placed.left, 400);
        EXPECT_EQ(placed.bottom - placed.top, 300);
    }
    EXPECT_EQ(pixelBox(stranger), (ControlBox{200, 100, 30, 10}));
    EXPECT_EQ(ui::windowScale(*staying).dpi, 96);
    EXPECT_EQ(boxOf(stayingLabel), (ControlBox{10, 10, 100, 20}));
}

INSTANTIATE_TEST_SUITE_P(
    Moves, DpiChange,
    testing::Values(DpiChangeCase{"to144_and_back",
                                  {{144, 144, {15, 15, 150, 30}, {15, 60, 90, 36}},
                                   {96, 96, {10, 10, 100, 20}, {10, 40, 60, 24}}}},
                    // 115 %: 11.5 rounds to 12, 20 x 1.15 comes to 23.
                    DpiChangeCase{"to110", {{110, 110, {12, 12, 115, 23}, {12, 46, 69, 28}}}},
                    // 150 % up, then -120 % down: 15 / 1.2 = 12.5 rounds to 12.
                    DpiChangeCase{"to144_then_120",
                                  {{144, 144, {15, 15, 150, 30}, {15, 60, 90, 36}},
                                   {120, 120, {12, 12, 125, 25}, {12, 50, 75, 30}}}},
                    // A DPI of 0 is no DPI: the controls and the window's scale stay.
                    DpiChangeCase{"zero_dpi",
                                  {{144, 144, {15, 15, 150, 30}, {15, 60, 90, 36}},
                                   {0, 144, {15, 15, 150, 30}, {15, 60, 90, 36}}}}),
    [](const testing::TestParamInfo<DpiChangeCase>& info) { return info.param.name; });

TEST_F(ScaledWrappers, BeforeWindows81NoWindowFollowsDpi) {
    dpi::setWindowsVersion(6, 2);
    dpi::resolveSubclassFunctions();
    ui::Window& window = openWindow(300, 200, scaleOf(1.0f, 1.0f, 96));
    ui::Control* label = dpi::createScaledStaticText(window, 10, 10, 100, 20, u"Label", 0);
    ASSERT_TRUE(label);
    RECT suggested{0, 0, 400, 300};
    SendMessageW(ui::windowHandle(window), WM_DPICHANGED, MAKEWPARAM(144, 144),
                 reinterpret_cast<LPARAM>(&suggested));
    EXPECT_EQ(ui::windowScale(window).dpi, 96);
    EXPECT_EQ(boxOf(label), (ControlBox{10, 10, 100, 20}));
}

} // namespace

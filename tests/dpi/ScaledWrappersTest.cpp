#include "dpi/ScaledWrappers.h"
#include "ui/WindowService.h"
#include "dpi/ControlBox.h"

#include <gtest/gtest.h>

#include <ostream>

#include <string>
#include <vector>

namespace {

constexpr int kWindow = 40;
constexpr int kLabel = 41;
constexpr int kField = 42;

using dpitest::ControlBox;
using dpitest::pixelBox;

// The scale factors and the table are process-wide: every test leaves them as it found them.
class ScaledWrappers : public testing::Test {
  protected:
    void SetUp() override {
        saved_ = dpi::scaleState();
        savedTable_ = dpi::windowDpiTable();
        ui::startService();
        dpi::createWindowDpiTable();
    }
    void TearDown() override {
        ui::endService();
        dpi::scaleState() = saved_;
        dpi::windowDpiTable() = savedTable_;
    }
    static void setScale(float scaleX, float scaleY) {
        dpi::scaleState().scaleX = scaleX;
        dpi::scaleState().scaleY = scaleY;
    }
    static void openWindow(int clientWidth, int clientHeight) {
        ASSERT_NE(dpi::openScaledWindow(kWindow, 10, 10, clientWidth, clientHeight, u"Scaled",
                                        ui::kWindowHidden | WS_OVERLAPPEDWINDOW, nullptr),
                  0);
    }

    dpi::ScaleState saved_;
    dpi::WindowDpiTable savedTable_;
};

struct ScaleCase {
    const char* name;
    float scale;
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
    setScale(c.scale, c.scale);
    openWindow(200, 100);
    EXPECT_EQ(ui::windowClientWidth(kWindow), c.clientWidthPixels);
    ASSERT_NE(dpi::createScaledStaticText(kLabel, 5, 4, 35, 20, u"Label", 0), 0);

    EXPECT_EQ(pixelBox(ui::controlHandle(kLabel)), c.pixels);
    ControlBox readBack{dpi::scaledControlX(kLabel, dpi::kPositionInParentUnits),
                        dpi::scaledControlY(kLabel, dpi::kPositionInParentUnits),
                        dpi::scaledControlWidth(kLabel, dpi::kControlSizeUnits),
                        dpi::scaledControlHeight(kLabel, dpi::kControlSizeUnits)};
    EXPECT_EQ(readBack, c.units);
    ControlBox readPixels{dpi::scaledControlX(kLabel, dpi::kPositionInParentPixels),
                          dpi::scaledControlY(kLabel, dpi::kPositionInParentPixels),
                          dpi::scaledControlWidth(kLabel, dpi::kControlSizePixels),
                          dpi::scaledControlHeight(kLabel, dpi::kControlSizePixels)};
    EXPECT_EQ(readPixels, c.pixels);

    int width = ui::windowClientWidth(kWindow);
    dpi::resizeScaledWindow(kWindow, base::keepValue, base::keepValue, base::keepValue, 130);
    EXPECT_EQ(ui::windowClientWidth(kWindow), width);
    EXPECT_EQ(ui::windowClientHeight(kWindow), c.clientHeightPixels);

    // keepValue leaves the control's place alone and sizes it.
    dpi::resizeScaledControl(kLabel, base::keepValue, base::keepValue, 100, base::keepValue);
    ControlBox resized = c.pixels;
    resized.width = dpi::toPixels(100, c.scale);
    EXPECT_EQ(pixelBox(ui::controlHandle(kLabel)), resized);
}

INSTANTIATE_TEST_SUITE_P(
    Scales, ScaledWrappersAtScale,
    testing::Values(ScaleCase{"dpi96", 1.0f, {5, 4, 35, 20}, {5, 4, 35, 20}, 200, 130},
                    ScaleCase{"dpi120", 1.25f, {6, 5, 43, 25}, {5, 4, 35, 20}, 250, 162},
                    ScaleCase{"dpi144", 1.5f, {7, 6, 52, 30}, {5, 4, 35, 20}, 300, 195}),
    [](const testing::TestParamInfo<ScaleCase>& info) { return info.param.name; });

TEST_F(ScaledWrappers, WindowMeasuresByMode) {
    setScale(1.25f, 1.5f);
    openWindow(200, 100);
    int clientWidth = ui::windowClientWidth(kWindow);
    int outerWidth = ui::windowOuterWidth(kWindow);
    int clientHeight = ui::windowClientHeight(kWindow);
    int outerHeight = ui::windowOuterHeight(kWindow);
    ASSERT_EQ(clientWidth, 250);
    ASSERT_EQ(clientHeight, 150);
    EXPECT_EQ(dpi::scaledWindowWidth(kWindow, dpi::kWindowClientUnits), 200);
    EXPECT_EQ(dpi::scaledWindowWidth(kWindow, dpi::kWindowClientUnitsWithFrame),
              200 + outerWidth - clientWidth);
    EXPECT_EQ(dpi::scaledWindowWidth(kWindow, dpi::kWindowOuterPixels), outerWidth);
    EXPECT_EQ(dpi::scaledWindowWidth(kWindow, dpi::kWindowClientPixels), clientWidth);
    EXPECT_EQ(dpi::scaledWindowHeight(kWindow, dpi::kWindowClientUnits), 100);
    EXPECT_EQ(dpi::scaledWindowHeight(kWindow, dpi::kWindowClientUnitsWithFrame),
              100 + outerHeight - clientHeight);
    EXPECT_EQ(dpi::scaledWindowHeight(kWindow, dpi::kWindowOuterPixels), outerHeight);
    EXPECT_EQ(dpi::scaledWindowHeight(kWindow, dpi::kWindowClientPixels), clientHeight);
}

TEST_F(ScaledWrappers, ControlPositionByReference) {
    setScale(1.25f, 1.25f);
    openWindow(200, 100);
    ASSERT_NE(dpi::createScaledTextField(kField, 8, 16, 40, 20, u"", 0), 0);
    HWND window = ui::windowHandle(kWindow);
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    // Parent and top-level window are the same here; the screen mode adds the client origin.
    EXPECT_EQ(dpi::scaledControlX(kField, dpi::kPositionInParentPixels), 10);
    EXPECT_EQ(dpi::scaledControlY(kField, dpi::kPositionInParentPixels), 20);
    EXPECT_EQ(dpi::scaledControlX(kField, dpi::kPositionInTopWindowPixels), 10);
    EXPECT_EQ(dpi::scaledControlX(kField, dpi::kPositionInTopWindowUnits), 8);
    EXPECT_EQ(dpi::scaledControlY(kField, dpi::kPositionInTopWindowUnits), 16);
    EXPECT_EQ(dpi::scaledControlX(kField, dpi::kPositionOnScreenPixels), origin.x + 10);
    EXPECT_EQ(dpi::scaledControlY(kField, dpi::kPositionOnScreenPixels), origin.y + 20);
    EXPECT_EQ(dpi::scaledControlX(kField + 1, dpi::kPositionInParentUnits), 0);
}

TEST_F(ScaledWrappers, BoundsPassNoLimitThrough) {
    setScale(1.5f, 1.5f);
    openWindow(100, 60);
    // A -1 converted like a number (-2 pixels) would become a tiny largest size.
    dpi::setScaledWindowBounds(kWindow, 50, 40, base::kNoLimit, base::kNoLimit);
    dpi::resizeScaledWindow(kWindow, base::keepValue, base::keepValue, 600, 400);
    EXPECT_EQ(ui::windowClientWidth(kWindow), 900);
    EXPECT_EQ(ui::windowClientHeight(kWindow), 600);
    // Limits in units become pixel limits: the window is made to fit at once.
    dpi::setScaledWindowBounds(kWindow, base::keepValue, base::keepValue, 300, 200);
    EXPECT_EQ(ui::windowClientWidth(kWindow), 450);
    EXPECT_EQ(ui::windowClientHeight(kWindow), 300);
    dpi::setScaledWindowBounds(kWindow, 320, 220, base::kNoLimit, base::kNoLimit);
    EXPECT_EQ(ui::windowClientWidth(kWindow), 480);
    EXPECT_EQ(ui::windowClientHeight(kWindow), 330);
}

TEST_F(ScaledWrappers, FontsFollowTheSizeRule) {
    setScale(1.25f, 1.25f);
    dpi::scaleState().alreadyDpiAware = false;
    dpi::setWindowsVersion(10, 0);
    std::intptr_t font = dpi::loadScaledFont(7, u"Arial", 8, ui::kFontBold);
    ASSERT_NE(font, 0);
    LOGFONTW logFont{};
    ASSERT_NE(GetObjectW(reinterpret_cast<HFONT>(font), sizeof logFont, &logFont), 0);
    EXPECT_EQ(logFont.lfHeight, -MulDiv(10, ui::screenLogPixelsY(), 72));
    EXPECT_EQ(logFont.lfWeight, FW_BOLD);

    // Before Vista the size stays.
    dpi::setWindowsVersion(5, 1);
    font = dpi::loadScaledFont(8, u"Arial", 8, 0);
    ASSERT_NE(GetObjectW(reinterpret_cast<HFONT>(font), sizeof logFont, &logFont), 0);
    EXPECT_EQ(logFont.lfHeight, -MulDiv(8, ui::screenLogPixelsY(), 72));
}

TEST_F(ScaledWrappers, ControlFontMinusOneIsTheUiFont) {
    std::intptr_t font = ui::loadFont(9, u"Arial", 11, 0);
    ASSERT_NE(font, 0);
    dpi::scaleState().uiFont = reinterpret_cast<HFONT>(font);
    openWindow(200, 100);
    ASSERT_NE(dpi::createScaledTextField(kField, 0, 0, 40, 20, u"", 0), 0);
    HWND field = ui::controlHandle(kField);
    dpi::setControlFont(kField, dpi::kUiFont);
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(field, WM_GETFONT, 0, 0)),
              reinterpret_cast<HFONT>(font));

    // As the default, the font goes to controls created afterwards.
    dpi::setControlFont(-1, dpi::kUiFont);
    ASSERT_NE(dpi::createScaledStaticText(kLabel, 0, 30, 40, 20, u"x", 0), 0);
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(ui::controlHandle(kLabel), WM_GETFONT, 0, 0)),
              reinterpret_cast<HFONT>(font));
}

// A window opened at 96 DPI and moved between monitors; each step sends WM_DPICHANGED with the
// new DPI and the suggested window rectangle, as Windows does.
struct DpiMove {
    int newDpi;
    int tableDpi;     // the window's entry in windowDpiTable afterwards
    ControlBox label; // pixels after the move (scale factors stay 1.0)
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
    setScale(1.0f, 1.0f);
    dpi::setWindowsVersion(10, 0);
    dpi::resolveSubclassFunctions();
    ASSERT_TRUE(dpi::scaleState().subclassResolved);
    openWindow(300, 200);
    EXPECT_EQ(dpi::windowDpiTable().at("40"), 96);
    ASSERT_NE(dpi::createScaledStaticText(kLabel, 10, 10, 100, 20, u"Label", 0), 0);
    ASSERT_NE(dpi::createScaledTextField(kField, 10, 40, 60, 24, u"", 0), 0);
    // A child window that is not one of the program's controls, though its ID is a control's.
    HWND window = ui::windowHandle(kWindow);
    HWND stranger =
        CreateWindowExW(0, L"Static", L"", WS_CHILD, 200, 100, 30, 10, window,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kLabel)), nullptr, nullptr);
    ASSERT_NE(stranger, nullptr);

    int left = 20;
    for (const DpiMove& move : GetParam().moves) {
        RECT suggested{left, 30, left + 400, 330};
        left += 10;
        EXPECT_EQ(SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(move.newDpi, move.newDpi),
                               reinterpret_cast<LPARAM>(&suggested)),
                  0);
        EXPECT_EQ(pixelBox(ui::controlHandle(kLabel)), move.label) << "at " << move.newDpi;
        EXPECT_EQ(pixelBox(ui::controlHandle(kField)), move.field) << "at " << move.newDpi;
        EXPECT_EQ(dpi::windowDpiTable().at("40"), move.tableDpi);
        RECT placed{};
        GetWindowRect(window, &placed);
        EXPECT_EQ(placed.left, suggested.left);
        EXPECT_EQ(placed.right - placed.left, 400);
        EXPECT_EQ(placed.bottom - placed.top, 300);
    }
    EXPECT_EQ(pixelBox(stranger), (ControlBox{200, 100, 30, 10}));
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
                    // A DPI of 0 is no DPI: the controls stay, the table keeps the last real value.
                    DpiChangeCase{"zero_dpi",
                                  {{144, 144, {15, 15, 150, 30}, {15, 60, 90, 36}},
                                   {0, 144, {15, 15, 150, 30}, {15, 60, 90, 36}}}}),
    [](const testing::TestParamInfo<DpiChangeCase>& info) { return info.param.name; });

TEST_F(ScaledWrappers, BeforeWindows81NoWindowFollowsDpi) {
    setScale(1.0f, 1.0f);
    dpi::setWindowsVersion(6, 2);
    dpi::resolveSubclassFunctions();
    openWindow(300, 200);
    ASSERT_NE(dpi::createScaledStaticText(kLabel, 10, 10, 100, 20, u"Label", 0), 0);
    RECT suggested{0, 0, 400, 300};
    SendMessageW(ui::windowHandle(kWindow), WM_DPICHANGED, MAKEWPARAM(144, 144),
                 reinterpret_cast<LPARAM>(&suggested));
    EXPECT_EQ(dpi::windowDpiTable().count("40"), 0u);
    EXPECT_EQ(pixelBox(ui::controlHandle(kLabel)), (ControlBox{10, 10, 100, 20}));
}

} // namespace

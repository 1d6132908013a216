// Where an image button draws its image: the pixels a real button paints, against the rule of
// ui/ImagePlacement.h.
#include "ServiceFixture.h"
#include "ui/ImagePlacement.h"

#include <uxtheme.h>

#include <vector>

namespace uitest {
namespace {

// A square of one opaque colour, in the service's bitmap format.
HBITMAP solidImage(int size, COLORREF colour) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = size;
    info.bmiHeader.biHeight = -size;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP image = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    auto* pixel = static_cast<unsigned char*>(bits);
    for (int i = 0; i < size * size; ++i, pixel += 4) {
        pixel[0] = GetBValue(colour);
        pixel[1] = GetGValue(colour);
        pixel[2] = GetRValue(colour);
        pixel[3] = 255;
    }
    return image;
}

struct Painted {
    int width = 0;
    int height = 0;
    std::vector<COLORREF> pixels;
    COLORREF at(int x, int y) const { return pixels[static_cast<std::size_t>(y * width + x)]; }
};

Painted paint(HWND button) {
    RECT client;
    GetClientRect(button, &client);
    Painted painted{client.right, client.bottom, {}};
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP canvas = CreateCompatibleBitmap(screen, painted.width, painted.height);
    HGDIOBJ previous = SelectObject(memory, canvas);
    SendMessageW(button, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory), PRF_CLIENT);
    for (int y = 0; y < painted.height; ++y) {
        for (int x = 0; x < painted.width; ++x) {
            painted.pixels.push_back(GetPixel(memory, x, y));
        }
    }
    SelectObject(memory, previous);
    DeleteObject(canvas);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return painted;
}

RECT boundsOf(const Painted& painted, COLORREF colour) {
    RECT bounds{painted.width, painted.height, 0, 0};
    for (int y = 0; y < painted.height; ++y) {
        for (int x = 0; x < painted.width; ++x) {
            if (painted.at(x, y) == colour) {
                bounds.left = std::min<LONG>(bounds.left, x);
                bounds.top = std::min<LONG>(bounds.top, y);
                bounds.right = std::max<LONG>(bounds.right, x + 1);
                bounds.bottom = std::max<LONG>(bounds.bottom, y + 1);
            }
        }
    }
    return bounds;
}

class ImageButtonPaintTest : public ServiceTest {
  protected:
    void SetUp() override {
        ServiceTest::SetUp();
        window_ = openTestWindow(200, 100);
        ASSERT_TRUE(window_);
    }
    void TearDown() override {
        window_.reset();
        ServiceTest::TearDown();
    }
    ui::Control& button(int x, int width, HBITMAP image) {
        ui::Control* made = ui::createImageButton(*window_, x, 5, width, 26, image, 0);
        EXPECT_TRUE(made);
        return *made;
    }

    ui::OwnedWindow window_;
};

TEST_F(ImageButtonPaintTest, ImageDrawnWhereTheRuleSays) {
    const COLORREF red = RGB(255, 0, 0);
    const struct { int x, width, size; } cases[] = {{5, 35, 16}, {45, 36, 31}};
    for (const auto& c : cases) {
        const ui::Control& made = button(c.x, c.width, solidImage(c.size, red));
        HWND handle = ui::controlHandle(made);
        const bool themed = GetWindowTheme(handle) != nullptr;
        const ui::ImagePlacement expected = ui::placeButtonImage(
            ui::controlWidth(made), ui::controlHeight(made), c.size, c.size, false, themed);
        const RECT bounds = boundsOf(paint(handle), red);
        EXPECT_EQ(bounds.left, std::max(expected.x, expected.clipLeft)) << c.size;
        EXPECT_EQ(bounds.top, std::max(expected.y, expected.clipTop)) << c.size;
        EXPECT_EQ(bounds.right, std::min(expected.x + c.size, expected.clipRight)) << c.size;
        EXPECT_EQ(bounds.bottom, std::min(expected.y + c.size, expected.clipBottom)) << c.size;
    }
}

TEST_F(ImageButtonPaintTest, PushedImageMovesOnePixel) {
    const COLORREF red = RGB(255, 0, 0);
    HWND handle = ui::controlHandle(button(5, 35, solidImage(16, red)));
    const RECT released = boundsOf(paint(handle), red);
    SendMessageW(handle, BM_SETSTATE, TRUE, 0);
    const RECT pushed = boundsOf(paint(handle), red);
    EXPECT_EQ(pushed.left, released.left + 1);
    EXPECT_EQ(pushed.top, released.top + 1);
    EXPECT_EQ(released.left, 9);
    EXPECT_EQ(released.top, 5);
}

TEST_F(ImageButtonPaintTest, DisabledButtonShowsItsImageGreyed) {
    const COLORREF red = RGB(255, 0, 0);
    ui::Control& made = button(5, 35, solidImage(16, red));
    ui::enableControl(made, false);
    const Painted painted = paint(ui::controlHandle(made));
    EXPECT_EQ(boundsOf(painted, red).right, 0) << "no red left";
    const COLORREF middle = painted.at(17, 13);
    EXPECT_EQ(GetRValue(middle), GetGValue(middle));
    EXPECT_EQ(GetGValue(middle), GetBValue(middle));
    ui::enableControl(made, true);
    EXPECT_EQ(paint(ui::controlHandle(made)).at(17, 13), red);
}

TEST_F(ImageButtonPaintTest, GreyedImageKeepsItsRowOrder) {
    // Top half red, bottom half blue: red is the brighter grey.
    HBITMAP image = solidImage(16, RGB(255, 0, 0));
    DIBSECTION section{};
    GetObjectW(image, sizeof(section), &section);
    auto* pixel = static_cast<unsigned char*>(section.dsBm.bmBits) + 16 * 8 * 4;
    for (int i = 0; i < 16 * 8; ++i, pixel += 4) {
        pixel[0] = 255;
        pixel[2] = 0;
    }
    ui::Control& made = button(5, 35, image);
    ui::enableControl(made, false);
    const Painted painted = paint(ui::controlHandle(made));
    // The image spans rows 5 to 20; its top half ends at row 12.
    EXPECT_GT(GetRValue(painted.at(17, 7)), GetRValue(painted.at(17, 18)));
}

TEST_F(ImageButtonPaintTest, ButtonWithoutImageStillWorks) {
    ui::Control& made = button(5, 35, nullptr);
    drainEvents(30);
    SendMessageW(ui::controlHandle(made), BM_CLICK, 0, 0);
    const std::vector<ui::Event> events = drainEvents();
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.back().control, &made);
    EXPECT_EQ(events.back().type, ui::kEventLeftClick);
}

} // namespace
} // namespace uitest

// PNG decoding into premultiplied 32-bit bitmaps, from memory and from the program's
// resources; bad data gives no bitmap.
#include "ServiceFixture.h"
#include "resources/ResourceIds.h"

#include <array>
#include <vector>

namespace uitest {
namespace {

// 3 x 2 RGBA: red, half-transparent green, transparent blue; dark, quarter-opaque brown, white.
const unsigned char kRgbaPng[] = {
    0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a, 0x00, 0x00, 0x00, 0x0d, 0x49, 0x48, 0x44,
    0x52, 0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 0x02, 0x08, 0x06, 0x00, 0x00, 0x00, 0x9d,
    0x74, 0x66, 0x1a, 0x00, 0x00, 0x00, 0x1d, 0x49, 0x44, 0x41, 0x54, 0x78, 0xda, 0x63, 0xf8,
    0xcf, 0xc0, 0xf0, 0x1f, 0x08, 0x1b, 0x40, 0x14, 0x03, 0x97, 0x88, 0xdc, 0xff, 0x13, 0x29,
    0x46, 0x0e, 0xff, 0x81, 0x00, 0x00, 0x7b, 0x9d, 0x0b, 0x52, 0xa8, 0x58, 0xf5, 0x28, 0x00,
    0x00, 0x00, 0x00, 0x49, 0x45, 0x4e, 0x44, 0xae, 0x42, 0x60, 0x82};

// 2 x 1 grey without alpha: black, grey 200.
const unsigned char kGreyPng[] = {
    0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a, 0x00, 0x00, 0x00, 0x0d, 0x49, 0x48,
    0x44, 0x52, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x01, 0x08, 0x00, 0x00, 0x00,
    0x00, 0xd1, 0x49, 0x20, 0x56, 0x00, 0x00, 0x00, 0x0b, 0x49, 0x44, 0x41, 0x54, 0x78,
    0xda, 0x63, 0x60, 0x38, 0x01, 0x00, 0x00, 0xcb, 0x00, 0xc9, 0xfa, 0x6c, 0xb4, 0x8b,
    0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4e, 0x44, 0xae, 0x42, 0x60, 0x82};

using Pixel = std::array<unsigned char, 4>; // B, G, R, A as stored

std::vector<Pixel> pixelsOf(HBITMAP bitmap, int& width, int& height) {
    DIBSECTION section{};
    if (GetObjectW(bitmap, sizeof(section), &section) != sizeof(section)) {
        return {};
    }
    width = section.dsBm.bmWidth;
    height = std::abs(section.dsBm.bmHeight);
    EXPECT_EQ(section.dsBm.bmBitsPixel, 32);
    std::vector<Pixel> pixels;
    const auto* bits = static_cast<const unsigned char*>(section.dsBm.bmBits);
    for (int i = 0; i < width * height; ++i, bits += 4) {
        pixels.push_back(Pixel{bits[0], bits[1], bits[2], bits[3]});
    }
    return pixels;
}

class PngImagesTest : public ServiceTest {};

TEST_F(PngImagesTest, RgbaDecodesToExactPremultipliedPixels) {
    HBITMAP bitmap = ui::decodePng(kRgbaPng, sizeof(kRgbaPng));
    ASSERT_NE(bitmap, nullptr);
    int width = 0;
    int height = 0;
    const std::vector<Pixel> pixels = pixelsOf(bitmap, width, height);
    EXPECT_EQ(width, 3);
    EXPECT_EQ(height, 2);
    const std::vector<Pixel> expected = {{0, 0, 255, 255},  {0, 128, 0, 128}, {0, 0, 0, 0},
                                         {30, 20, 10, 255}, {13, 25, 50, 64}, {255, 255, 255, 255}};
    EXPECT_EQ(pixels, expected);
}

TEST_F(PngImagesTest, GreyWithoutAlphaBecomesOpaque) {
    HBITMAP bitmap = ui::decodePng(kGreyPng, sizeof(kGreyPng));
    ASSERT_NE(bitmap, nullptr);
    int width = 0;
    int height = 0;
    const std::vector<Pixel> expected = {{0, 0, 0, 255}, {200, 200, 200, 255}};
    EXPECT_EQ(pixelsOf(bitmap, width, height), expected);
}

TEST_F(PngImagesTest, BadDataGivesNoBitmap) {
    std::vector<unsigned char> truncated(kRgbaPng, kRgbaPng + 50);
    std::vector<unsigned char> corrupt(kRgbaPng, kRgbaPng + sizeof(kRgbaPng));
    corrupt[45] ^= 0xFF; // inside the compressed pixels
    std::vector<unsigned char> huge(kRgbaPng, kRgbaPng + sizeof(kRgbaPng));
    huge[16] = 0x7F; // a width of two thousand million pixels
    const unsigned char text[] = "not an image at all";
    EXPECT_EQ(ui::decodePng(nullptr, 100), nullptr);
    EXPECT_EQ(ui::decodePng(kRgbaPng, 0), nullptr);
    EXPECT_EQ(ui::decodePng(text, sizeof(text)), nullptr);
    EXPECT_EQ(ui::decodePng(truncated.data(), truncated.size()), nullptr);
    EXPECT_EQ(ui::decodePng(corrupt.data(), corrupt.size()), nullptr);
    EXPECT_EQ(ui::decodePng(huge.data(), huge.size()), nullptr);
}

TEST_F(PngImagesTest, ProgramImagesDecodeAtTheirSizes) {
    const struct {
        int id;
        int size;
    } images[] = {{IDR_IMAGE_NEW, 16},  {IDR_IMAGE_DELETE, 16}, {IDR_IMAGE_RENAME, 16},
                  {IDR_IMAGE_SAVE, 16}, {IDR_IMAGE_OPEN, 16},   {IDR_IMAGE_DONATE, 31}};
    for (const auto& image : images) {
        HBITMAP bitmap = ui::loadPngResource(image.id);
        ASSERT_NE(bitmap, nullptr) << image.id;
        int width = 0;
        int height = 0;
        const std::vector<Pixel> pixels = pixelsOf(bitmap, width, height);
        EXPECT_EQ(width, image.size) << image.id;
        EXPECT_EQ(height, image.size) << image.id;
        int opaque = 0;
        for (const Pixel& pixel : pixels) {
            opaque += pixel[3] == 255;
            EXPECT_LE(pixel[0], pixel[3]);
        }
        EXPECT_GT(opaque, 0) << image.id;
    }
    EXPECT_EQ(ui::loadPngResource(9999), nullptr);
}

TEST_F(PngImagesTest, ImageOfAButtonThatCannotBeMadeIsFreedAtOnce) {
    HBITMAP bitmap = ui::decodePng(kRgbaPng, sizeof(kRgbaPng));
    ASSERT_NE(bitmap, nullptr);
    // The window is gone, so there is nothing to put the button on.
    ui::OwnedWindow window =
        ui::openWindow(0, 0, 50, 50, u"", WS_POPUP | ui::kWindowHidden, nullptr);
    ASSERT_TRUE(window);
    DestroyWindow(ui::windowHandle(*window));
    EXPECT_EQ(ui::createImageButton(*window, 0, 0, 35, 26, bitmap, 0), nullptr);
    EXPECT_EQ(GetObjectType(bitmap), 0u) << "the bitmap was deleted";
}

TEST_F(PngImagesTest, CommonEndDeletesDecodedImages) {
    HBITMAP bitmap = ui::decodePng(kRgbaPng, sizeof(kRgbaPng));
    ASSERT_NE(GetObjectType(bitmap), 0u);
    ui::endService();
    EXPECT_EQ(GetObjectType(bitmap), 0u);
}

} // namespace
} // namespace uitest

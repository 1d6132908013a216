// PNG images from memory or from the program's own resources, as bitmaps ready for blending.
#include "ui/ServiceState.h"

#include <png.h>

namespace ui {

using namespace detail;

namespace {

// Larger images are no button images; refusing them keeps a hostile header from asking for
// gigabytes.
constexpr png_uint_32 kLargestSide = 4096;

} // namespace

HBITMAP decodePng(const unsigned char* data, std::size_t size) {
    if (!data || size < 8) {
        return nullptr;
    }
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, data, size)) {
        return nullptr;
    }
    if (image.width == 0 || image.height == 0 || image.width > kLargestSide ||
        image.height > kLargestSide) {
        png_image_free(&image);
        return nullptr;
    }
    image.format = PNG_FORMAT_BGRA;
    const int width = static_cast<int>(image.width);
    const int height = static_cast<int>(image.height);

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top-down, like the PNG's rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    OwnedBitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap || !bits) {
        png_image_free(&image);
        return nullptr;
    }
    const png_int_32 stride = width * 4;
    if (!png_image_finish_read(&image, nullptr, bits, stride, nullptr)) {
        png_image_free(&image);
        return nullptr;
    }
    // Blending wants premultiplied colour.
    auto* pixel = static_cast<unsigned char*>(bits);
    for (std::size_t i = 0, count = static_cast<std::size_t>(width) * height; i < count;
         ++i, pixel += 4) {
        const unsigned alpha = pixel[3];
        pixel[0] = static_cast<unsigned char>((pixel[0] * alpha + 127) / 255);
        pixel[1] = static_cast<unsigned char>((pixel[1] * alpha + 127) / 255);
        pixel[2] = static_cast<unsigned char>((pixel[2] * alpha + 127) / 255);
    }
    const HBITMAP handle = bitmap.get();
    service().images.push_back(std::move(bitmap));
    return handle;
}

void detail::releaseDecodedImage(HBITMAP image) {
    auto& images = service().images;
    for (auto it = images.begin(); it != images.end(); ++it) {
        if (it->get() == image) {
            images.erase(it);
            return;
        }
    }
}

HBITMAP loadPngResource(int id) {
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(10));
    if (!resource) {
        return nullptr;
    }
    HGLOBAL loaded = LoadResource(module, resource);
    const DWORD size = SizeofResource(module, resource);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data || size == 0) {
        return nullptr;
    }
    return decodePng(static_cast<const unsigned char*>(data), size);
}

} // namespace ui

// The image button's drawing: the button draws its frame, the service draws the image on top.
#include "ui/ControlMessages.h"
#include "ui/ImagePlacement.h"
#include "ui/ServiceState.h"
#include "ui/CommonControls.h"

#include <commctrl.h>

#include <cstdlib>
#include <vector>

namespace ui::detail {
namespace {

struct BitmapBits {
    int width = 0;
    int height = 0;
    bool alpha = false; // a 32-bit DIB, drawn blended
};

BitmapBits describe(HBITMAP image) {
    BitmapBits bits;
    DIBSECTION section{};
    if (GetObjectW(image, sizeof(section), &section) == sizeof(section)) {
        bits.width = section.dsBm.bmWidth;
        bits.height = std::abs(section.dsBm.bmHeight);
        bits.alpha = section.dsBm.bmBitsPixel == 32 && section.dsBm.bmBits != nullptr;
        return bits;
    }
    BITMAP plain{};
    if (GetObjectW(image, sizeof(plain), &plain) == sizeof(plain)) {
        bits.width = plain.bmWidth;
        bits.height = std::abs(plain.bmHeight);
    }
    return bits;
}

void drawImage(HDC target, HBITMAP image, int x, int y) {
    const BitmapBits bits = describe(image);
    if (bits.width <= 0 || bits.height <= 0) {
        return;
    }
    MemoryDc source(target);
    if (!source.select(image)) {
        return;
    }
    if (bits.alpha) {
        BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        GdiAlphaBlend(target, x, y, bits.width, bits.height, source.get(), 0, 0, bits.width,
                      bits.height, blend);
    } else {
        BitBlt(target, x, y, bits.width, bits.height, source.get(), 0, 0, SRCCOPY);
    }
}

// The button paints itself into a memory bitmap, the image goes on top, and the whole is
// copied at once, so the image never flickers away.
void paintButton(Control& button, HWND handle, HDC target) {
    RECT client;
    GetClientRect(handle, &client);
    const int width = client.right;
    const int height = client.bottom;
    if (width <= 0 || height <= 0) {
        return;
    }
    // The canvas is declared first so that the DC lets go of it before it is deleted.
    OwnedBitmap canvas(CreateCompatibleBitmap(target, width, height));
    MemoryDc memoryDc(target);
    if (!memoryDc.select(canvas.get())) {
        // No memory for double buffering: let the button paint itself, without its image.
        defSubclassProc(handle, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(target),
                        PRF_CLIENT | PRF_ERASEBKGND);
        return;
    }
    HDC memory = memoryDc.get();
    FillRect(memory, &client, GetSysColorBrush(COLOR_BTNFACE));
    defSubclassProc(handle, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory),
                    PRF_CLIENT | PRF_ERASEBKGND);

    const bool enabled = IsWindowEnabled(handle) != FALSE;
    HBITMAP image = enabled || !button.greyImage ? button.image : button.greyImage.get();
    if (image) {
        const BitmapBits bits = describe(image);
        const bool pushed = buttonPushed(handle);
        const bool themed = windowIsThemed(handle);
        const ImagePlacement placement =
            placeButtonImage(width, height, bits.width, bits.height, pushed, themed);
        const int saved = SaveDC(memory);
        IntersectClipRect(memory, placement.clipLeft, placement.clipTop, placement.clipRight,
                          placement.clipBottom);
        drawImage(memory, image, placement.x, placement.y);
        RestoreDC(memory, saved);
    }
    BitBlt(target, 0, 0, width, height, memory, 0, 0, SRCCOPY);
}

} // namespace

bool imageButtonMessage(Control& button, HWND handle, UINT message, WPARAM wParam, LPARAM lParam,
                        LRESULT& result) {
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC target = BeginPaint(handle, &paint);
        paintButton(button, handle, target);
        EndPaint(handle, &paint);
        result = 0;
        return true;
    }
    case WM_PRINTCLIENT:
        paintButton(button, handle, reinterpret_cast<HDC>(wParam));
        result = 0;
        return true;
    case WM_ERASEBKGND:
        result = 1;
        return true;
    // The button repaints itself directly on these, without the image: paint it again.
    case BM_SETSTATE:
    case BM_SETCHECK:
    case BM_SETSTYLE:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE:
    case WM_UPDATEUISTATE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_MOUSELEAVE:
        result = defSubclassProc(handle, message, wParam, lParam);
        InvalidateRect(handle, nullptr, FALSE);
        return true;
    default:
        return false;
    }
}

// A disabled button shows its image in grey at half strength.
OwnedBitmap makeGreyImage(HBITMAP image) {
    const BitmapBits source = describe(image);
    if (!source.alpha) {
        return {};
    }
    // Read and write top-down whatever the source's row order, which GetObject does not tell.
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = source.width;
    info.bmiHeader.biHeight = -source.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    const std::size_t count = static_cast<std::size_t>(source.width) * source.height;
    std::vector<unsigned char> pixels(count * 4);
    const ScreenDc screen;
    if (!screen.get() || GetDIBits(screen.get(), image, 0, static_cast<UINT>(source.height),
                                   pixels.data(), &info, DIB_RGB_COLORS) != source.height) {
        return {};
    }
    void* bits = nullptr;
    OwnedBitmap grey(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!grey || !bits) {
        return {};
    }
    auto* out = static_cast<unsigned char*>(bits);
    for (std::size_t i = 0; i < count * 4; i += 4) {
        // Premultiplied: the grey level is scaled by alpha already.
        const unsigned luminance =
            (pixels[i + 2] * 30u + pixels[i + 1] * 59u + pixels[i] * 11u) / 100u;
        const auto half = static_cast<unsigned char>(luminance / 2);
        out[i] = half;
        out[i + 1] = half;
        out[i + 2] = half;
        out[i + 3] = static_cast<unsigned char>(pixels[i + 3] / 2);
    }
    return grey;
}

} // namespace ui::detail

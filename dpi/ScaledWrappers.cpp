#include "dpi/ScaledWrappers.h"

#include "ui/CommonControls.h"
#include "ui/WindowService.h"

namespace dpi {

namespace {

// Pixels or units by the sign of the getter's mode.
int readBackX(const ui::Window& window, int pixels, int mode) {
    return mode < 0 ? toUnitsX(window, pixels) : pixels;
}
int readBackY(const ui::Window& window, int pixels, int mode) {
    return mode < 0 ? toUnitsY(window, pixels) : pixels;
}

int windowMeasure(int mode, int clientPixels, int outerPixels, int clientUnits) {
    switch (mode) {
    case kWindowClientUnitsWithFrame:
        return clientUnits + (outerPixels - clientPixels);
    case kWindowClientPixels:
        return clientPixels;
    case kWindowOuterPixels:
        return outerPixels;
    default:
        return mode < 0 ? clientUnits : outerPixels;
    }
}

// Top-left corner of a control: on the screen, or mapped into its parent's or its top-level
// window's client area.
POINT controlCorner(const ui::Control& control, int mode) {
    POINT corner{};
    HWND handle = ui::controlHandle(control);
    RECT bounds;
    if (!handle || !GetWindowRect(handle, &bounds))
        return corner;
    corner = {bounds.left, bounds.top};
    HWND reference = nullptr;
    switch (mode) {
    case kPositionOnScreenUnits:
    case kPositionOnScreenPixels:
        return corner;
    case kPositionInTopWindowUnits:
    case kPositionInTopWindowPixels:
        reference = GetAncestor(handle, GA_ROOT);
        break;
    default:
        reference = GetAncestor(handle, GA_PARENT);
        break;
    }
    MapWindowPoints(nullptr, reference, &corner, 1);
    return corner;
}

LRESULT passOn(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return ui::defSubclassProc(window, message, wParam, lParam);
}

// One DPI change of a window: the percent, and the scale its controls are measured at.
struct Rescale {
    int percent = 0;
    float scaleX = 1.0f;
    float scaleY = 1.0f;
};

// Child windows that are not the program's controls (the parts inside a control) keep their
// geometry: their parent control lays them out.
BOOL CALLBACK rescaleControl(HWND handle, LPARAM data) {
    ui::Control* control = ui::controlOfHandle(handle);
    if (!control)
        return TRUE;
    const Rescale& change = *reinterpret_cast<const Rescale*>(data);
    const int p = change.percent;
    const auto units = [](int pixels, float scale) { return toUnits(pixels, scale); };
    const int width = units(scaledControlWidth(*control, kControlSizePixels), change.scaleX);
    const int height = units(scaledControlHeight(*control, kControlSizePixels), change.scaleY);
    const int x = units(scaledControlX(*control, kPositionInParentPixels), change.scaleX);
    const int y = units(scaledControlY(*control, kPositionInParentPixels), change.scaleY);
    ui::resizeControl(*control, toPixels(rescaleValue(x, p), change.scaleX),
                      toPixels(rescaleValue(y, p), change.scaleY),
                      toPixels(rescaleValue(width, p), change.scaleX),
                      toPixels(rescaleValue(height, p), change.scaleY));
    return TRUE;
}

// The controls are laid out again for the new DPI, measured in units at the scale the window
// opened at (one scale for every change, so that going back and forth does not drift); the
// window keeps the new scale for what it lays out later.
LRESULT handleDpiChanged(HWND handle, WPARAM wParam, LPARAM lParam, int openingDpi,
                         ui::Window& window) {
    const int newDpi = LOWORD(wParam);
    const int percent = dpiChangePercent(newDpi, ui::windowScale(window).dpi);
    if (percent != 0) {
        const float opening = static_cast<float>(openingDpi) / kBaseDpi;
        Rescale change{percent, opening, opening};
        EnumChildWindows(handle, rescaleControl, reinterpret_cast<LPARAM>(&change));
        const float factor = static_cast<float>(newDpi) / kBaseDpi;
        ui::setWindowScale(window, ui::WindowScale{factor, factor, newDpi});
    }
    if (const RECT* suggested = reinterpret_cast<const RECT*>(lParam)) {
        SetWindowPos(handle, nullptr, suggested->left, suggested->top,
                     suggested->right - suggested->left, suggested->bottom - suggested->top,
                     SWP_NOZORDER);
    }
    return 0;
}

} // namespace

ui::Control* createScaledTextField(ui::Window& window, int x, int y, int width, int height,
                                   std::u16string_view text, std::uint32_t flags) {
    return ui::createTextField(window, toPixelsX(window, x), toPixelsY(window, y),
                               toPixelsX(window, width), toPixelsY(window, height), text, flags);
}

ui::Control* createScaledStaticText(ui::Window& window, int x, int y, int width, int height,
                                    std::u16string_view text, std::uint32_t flags) {
    return ui::createStaticText(window, toPixelsX(window, x), toPixelsY(window, y),
                                toPixelsX(window, width), toPixelsY(window, height), text, flags);
}

ui::Control* createScaledRowList(ui::Window& window, int x, int y, int width, int height,
                                 std::uint32_t flags) {
    return ui::createRowList(window, toPixelsX(window, x), toPixelsY(window, y),
                             toPixelsX(window, width), toPixelsY(window, height), flags);
}

ui::Control* createScaledEditor(ui::Window& window, int x, int y, int width, int height,
                                std::uint32_t flags) {
    return ui::createEditor(window, toPixelsX(window, x), toPixelsY(window, y),
                            toPixelsX(window, width), toPixelsY(window, height), flags);
}

ui::Control* createScaledImageButton(ui::Window& window, int x, int y, int width, int height,
                                     HBITMAP image, std::uint32_t flags) {
    return ui::createImageButton(window, toPixelsX(window, x), toPixelsY(window, y),
                                 toPixelsX(window, width), toPixelsY(window, height), image, flags);
}

ui::Control* createScaledSplitter(ui::Window& window, int x, int y, int width, int height,
                                  ui::Control& first, ui::Control& second, std::uint32_t flags) {
    return ui::createSplitter(window, toPixelsX(window, x), toPixelsY(window, y),
                              toPixelsX(window, width), toPixelsY(window, height), first, second,
                              flags);
}

ui::OwnedWindow openScaledWindow(int x, int y, int width, int height, std::u16string_view title,
                                 std::uint32_t flags, HWND owner, const ui::WindowScale& scale) {
    ui::OwnedWindow window = ui::openWindow(x, y, toPixels(width, scale.x),
                                            toPixels(height, scale.y), title, flags, owner);
    if (!window)
        return window;
    ui::setWindowScale(*window, scale);
    ui::setWindowFont(*window, scaleState().uiFont);
    const WindowsVersion version = windowsVersion();
    if (!followsMonitorDpi(version.major, version.minor) || !ensureSubclassFunctions())
        return window;
    if (HWND handle = ui::windowHandle(*window))
        ui::setWindowSubclass(handle, onDpiChanged, static_cast<UINT_PTR>(scale.dpi),
                              reinterpret_cast<DWORD_PTR>(window.get()));
    return window;
}

void resizeScaledWindow(ui::Window& window, int x, int y, int width, int height) {
    const ui::WindowScale& scale = ui::windowScale(window);
    ui::resizeWindow(window, toPixelsOrKeep(x, scale.x), toPixelsOrKeep(y, scale.y),
                     toPixelsOrKeep(width, scale.x), toPixelsOrKeep(height, scale.y));
}

void setScaledWindowBounds(ui::Window& window, int minWidth, int minHeight, int maxWidth,
                           int maxHeight) {
    const ui::WindowScale& scale = ui::windowScale(window);
    ui::setWindowBounds(window, limitToPixels(minWidth, scale.x), limitToPixels(minHeight, scale.y),
                        limitToPixels(maxWidth, scale.x), limitToPixels(maxHeight, scale.y));
}

void resizeScaledControl(ui::Control& control, int x, int y, int width, int height) {
    const ui::WindowScale& scale = ui::windowScale(ui::controlWindow(control));
    ui::resizeControl(control, toPixelsOrKeep(x, scale.x), toPixelsOrKeep(y, scale.y),
                      toPixelsOrKeep(width, scale.x), toPixelsOrKeep(height, scale.y));
}

int scaledControlWidth(const ui::Control& control, int mode) {
    return readBackX(ui::controlWindow(control), ui::controlWidth(control), mode);
}

int scaledControlHeight(const ui::Control& control, int mode) {
    return readBackY(ui::controlWindow(control), ui::controlHeight(control), mode);
}

int scaledWindowWidth(const ui::Window& window, int mode) {
    const int client = ui::windowClientWidth(window);
    return windowMeasure(mode, client, ui::windowOuterWidth(window), toUnitsX(window, client));
}

int scaledWindowHeight(const ui::Window& window, int mode) {
    const int client = ui::windowClientHeight(window);
    return windowMeasure(mode, client, ui::windowOuterHeight(window), toUnitsY(window, client));
}

int scaledControlX(const ui::Control& control, int mode) {
    return readBackX(ui::controlWindow(control), controlCorner(control, mode).x, mode);
}

int scaledControlY(const ui::Control& control, int mode) {
    return readBackY(ui::controlWindow(control), controlCorner(control, mode).y, mode);
}

HFONT loadScaledFont(std::u16string_view face, int points, std::uint32_t flags,
                     const ui::WindowScale& scale) {
    return ui::loadFont(face, fontSizeRule(points, scale), flags);
}

void removeTabStop(HWND control) {
    if (!control)
        return;
    const LONG style = GetWindowLongW(control, GWL_STYLE);
    SetWindowLongW(control, GWL_STYLE, style & ~WS_TABSTOP);
}

LRESULT CALLBACK onDpiChanged(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                              DWORD_PTR referenceData) {
    switch (message) {
    case WM_DPICHANGED:
        return handleDpiChanged(window, wParam, lParam, static_cast<int>(id),
                                *reinterpret_cast<ui::Window*>(referenceData));
    case WM_NCDESTROY:
        // The window procedure below still needs its WM_NCDESTROY to free what it holds.
        ui::removeWindowSubclass(window, onDpiChanged, id);
        return passOn(window, message, wParam, lParam);
    default:
        return passOn(window, message, wParam, lParam);
    }
}

} // namespace dpi

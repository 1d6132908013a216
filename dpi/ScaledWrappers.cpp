#include "dpi/ScaledWrappers.h"

#include "ui/CommonControls.h"
#include "ui/WindowService.h"

#include <new>

namespace dpi {

namespace {

constexpr std::size_t kWindowDpiTableBuckets = 512;

std::string windowKey(UINT_PTR number) {
    return std::to_string(number);
}

// Pixels or units by the sign of the getter's mode.
int readBackX(int pixels, int mode) {
    return mode < 0 ? toUnitsX(pixels) : pixels;
}
int readBackY(int pixels, int mode) {
    return mode < 0 ? toUnitsY(pixels) : pixels;
}

int windowMeasure(int mode, int clientPixels, int outerPixels, int (*toUnitsOfAxis)(int)) {
    switch (mode) {
    case kWindowClientUnitsWithFrame:
        return toUnitsOfAxis(clientPixels) + (outerPixels - clientPixels);
    case kWindowClientPixels:
        return clientPixels;
    case kWindowOuterPixels:
        return outerPixels;
    default:
        return mode < 0 ? toUnitsOfAxis(clientPixels) : outerPixels;
    }
}

// Top-left corner of a control: on the screen, or mapped into its parent's or its top-level
// window's client area.
POINT controlCorner(int number, int mode) {
    POINT corner{};
    HWND control = ui::controlHandle(number);
    RECT bounds;
    if (!control || !GetWindowRect(control, &bounds))
        return corner;
    corner = {bounds.left, bounds.top};
    HWND reference = nullptr;
    switch (mode) {
    case kPositionOnScreenUnits:
    case kPositionOnScreenPixels:
        return corner;
    case kPositionInTopWindowUnits:
    case kPositionInTopWindowPixels:
        reference = GetAncestor(control, GA_ROOT);
        break;
    default:
        reference = GetAncestor(control, GA_PARENT);
        break;
    }
    MapWindowPoints(nullptr, reference, &corner, 1);
    return corner;
}

LRESULT passOn(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return ui::defSubclassProc(window, message, wParam, lParam);
}

LRESULT handleDpiChanged(HWND window, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                         DWORD_PTR referenceData) {
    int newDpi = LOWORD(wParam);
    // The entry is written before the subclass is installed; the reference data (the DPI at
    // opening) only stands in should the table ever lack it.
    int oldDpi = static_cast<int>(referenceData);
    try {
        WindowDpiTable& table = windowDpiTable();
        std::string key = windowKey(id);
        if (auto found = table.find(key); found != table.end())
            oldDpi = found->second;
        int percent = dpiChangePercent(newDpi, oldDpi);
        if (percent != 0) {
            EnumChildWindows(window, rescaleControl, static_cast<LPARAM>(percent));
            table[key] = newDpi;
        }
    } catch (const std::bad_alloc&) {
        // Out of memory: the controls keep their layout, the window still moves.
    }
    if (const RECT* suggested = reinterpret_cast<const RECT*>(lParam)) {
        SetWindowPos(window, nullptr, suggested->left, suggested->top,
                     suggested->right - suggested->left, suggested->bottom - suggested->top,
                     SWP_NOZORDER);
    }
    return 0;
}

} // namespace

void createWindowDpiTable() {
    WindowDpiTable& table = windowDpiTable();
    table.clear();
    table.rehash(kWindowDpiTableBuckets);
}

WindowDpiTable& windowDpiTable() {
    static WindowDpiTable table(kWindowDpiTableBuckets);
    return table;
}

std::intptr_t createScaledTextField(int number, int x, int y, int width, int height,
                                    std::u16string_view text, std::uint32_t flags) {
    return ui::createTextField(number, toPixelsX(x), toPixelsY(y), toPixelsX(width),
                               toPixelsY(height), text, flags);
}

std::intptr_t createScaledStaticText(int number, int x, int y, int width, int height,
                                     std::u16string_view text, std::uint32_t flags) {
    return ui::createStaticText(number, toPixelsX(x), toPixelsY(y), toPixelsX(width),
                                toPixelsY(height), text, flags);
}

std::intptr_t createScaledRowList(int number, int x, int y, int width, int height,
                                  std::uint32_t flags) {
    return ui::createRowList(number, toPixelsX(x), toPixelsY(y), toPixelsX(width),
                             toPixelsY(height), flags);
}

std::intptr_t createScaledEditor(int number, int x, int y, int width, int height,
                                 std::uint32_t flags) {
    return ui::createEditor(number, toPixelsX(x), toPixelsY(y), toPixelsX(width), toPixelsY(height),
                            flags);
}

std::intptr_t createScaledImageButton(int number, int x, int y, int width, int height,
                                      HBITMAP image, std::uint32_t flags) {
    return ui::createImageButton(number, toPixelsX(x), toPixelsY(y), toPixelsX(width),
                                 toPixelsY(height), image, flags);
}

std::intptr_t createScaledSplitter(int number, int x, int y, int width, int height,
                                   int firstControl, int secondControl, std::uint32_t flags) {
    return ui::createSplitter(number, toPixelsX(x), toPixelsY(y), toPixelsX(width),
                              toPixelsY(height), firstControl, secondControl, flags);
}

std::intptr_t openScaledWindow(int number, int x, int y, int width, int height,
                               std::u16string_view title, std::uint32_t flags, HWND owner) {
    std::intptr_t result =
        ui::openWindow(number, x, y, toPixelsX(width), toPixelsY(height), title, flags, owner);
    // A failed opening answers 0; with a chosen number that 0 must not be taken for window 0.
    if (result == 0)
        return result;
    int windowNumber = number == ui::kChooseNumber ? static_cast<int>(result) : number;

    const ScaleState& state = scaleState();
    WindowsVersion version = windowsVersion();
    if (!followsMonitorDpi(version.major, version.minor) || !ensureSubclassFunctions())
        return result;
    HWND window = ui::windowHandle(windowNumber);
    if (!window)
        return result;
    int dpi = dpiOfScale(state.scaleX);
    try {
        windowDpiTable()[windowKey(static_cast<UINT_PTR>(windowNumber))] = dpi;
    } catch (const std::bad_alloc&) {
        return result; // without its entry the window must not follow DPI changes
    }
    ui::setWindowSubclass(window, onDpiChanged, static_cast<UINT_PTR>(windowNumber),
                          static_cast<DWORD_PTR>(dpi));
    return result;
}

void resizeScaledWindow(int number, int x, int y, int width, int height) {
    const ScaleState& state = scaleState();
    ui::resizeWindow(number, toPixelsOrKeep(x, state.scaleX), toPixelsOrKeep(y, state.scaleY),
                     toPixelsOrKeep(width, state.scaleX), toPixelsOrKeep(height, state.scaleY));
}

void setScaledWindowBounds(int number, int minWidth, int minHeight, int maxWidth, int maxHeight) {
    const ScaleState& state = scaleState();
    ui::setWindowBounds(
        number, limitToPixels(minWidth, state.scaleX), limitToPixels(minHeight, state.scaleY),
        limitToPixels(maxWidth, state.scaleX), limitToPixels(maxHeight, state.scaleY));
}

void resizeScaledControl(int number, int x, int y, int width, int height) {
    const ScaleState& state = scaleState();
    ui::resizeControl(number, toPixelsOrKeep(x, state.scaleX), toPixelsOrKeep(y, state.scaleY),
                      toPixelsOrKeep(width, state.scaleX), toPixelsOrKeep(height, state.scaleY));
}

int scaledControlWidth(int number, int mode) {
    return readBackX(ui::controlWidth(number), mode);
}

int scaledControlHeight(int number, int mode) {
    return readBackY(ui::controlHeight(number), mode);
}

int scaledWindowWidth(int number, int mode) {
    return windowMeasure(mode, ui::windowClientWidth(number), ui::windowOuterWidth(number),
                         [](int pixels) { return toUnitsX(pixels); });
}

int scaledWindowHeight(int number, int mode) {
    return windowMeasure(mode, ui::windowClientHeight(number), ui::windowOuterHeight(number),
                         [](int pixels) { return toUnitsY(pixels); });
}

int scaledControlX(int number, int mode) {
    return readBackX(controlCorner(number, mode).x, mode);
}

int scaledControlY(int number, int mode) {
    return readBackY(controlCorner(number, mode).y, mode);
}

std::intptr_t loadScaledFont(int number, std::u16string_view face, int points,
                             std::uint32_t flags) {
    return ui::loadFont(number, face, fontSizeRule(points), flags);
}

void setControlFont(int control, HFONT font) {
    ui::setControlFont(control, font == kUiFont ? scaleState().uiFont : font);
}

void removeTabStop(HWND control) {
    if (!control)
        return;
    LONG style = GetWindowLongW(control, GWL_STYLE);
    SetWindowLongW(control, GWL_STYLE, style ^ WS_TABSTOP);
}

LRESULT CALLBACK onDpiChanged(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                              DWORD_PTR referenceData) {
    switch (message) {
    case WM_DPICHANGED:
        return handleDpiChanged(window, wParam, lParam, id, referenceData);
    case WM_NCDESTROY:
        // The window procedure below still needs its WM_NCDESTROY to free what it holds.
        ui::removeWindowSubclass(window, onDpiChanged, id);
        return passOn(window, message, wParam, lParam);
    default:
        return passOn(window, message, wParam, lParam);
    }
}

// Child windows that are not the program's controls (the parts inside a control) keep their
// geometry: their parent control lays them out.
BOOL CALLBACK rescaleControl(HWND control, LPARAM percent) {
    int id = GetDlgCtrlID(control);
    if (!ui::isControl(id) || ui::controlHandle(id) != control)
        return TRUE;
    int p = static_cast<int>(percent);
    int height = scaledControlHeight(id, kControlSizeUnits);
    int width = scaledControlWidth(id, kControlSizeUnits);
    int y = scaledControlY(id, kPositionInParentUnits);
    int x = scaledControlX(id, kPositionInParentUnits);
    resizeScaledControl(id, rescaleValue(x, p), rescaleValue(y, p), rescaleValue(width, p),
                        rescaleValue(height, p));
    return TRUE;
}

} // namespace dpi

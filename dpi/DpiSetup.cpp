#include "dpi/DpiSetup.h"

#include "base/OwnedHandles_win.h"
#include "base/TextConvert.h"
#include "ui/CommonControls.h"
#include "ui/WindowService.h"

#include <cwchar>
#include <string>
#include <utility>

namespace dpi {

namespace {

using IsProcessDpiAwareFunction = BOOL(WINAPI*)();
using SetProcessDpiAwareFunction = BOOL(WINAPI*)();
using GetProcessDpiAwarenessFunction = HRESULT(WINAPI*)(HANDLE, int*);
using SetProcessDpiAwarenessFunction = HRESULT(WINAPI*)(int);
using RtlGetVersionFunction = LONG(WINAPI*)(OSVERSIONINFOW*);
using GetDpiForMonitorFunction = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);

constexpr int kProcessDpiUnaware = 0;
constexpr int kProcessSystemDpiAware = 1;
constexpr int kProcessPerMonitorDpiAware = 2;
constexpr int kMonitorEffectiveDpi = 0;

MonitorDpiSource& monitorDpiSource() {
    static MonitorDpiSource source;
    return source;
}

int systemMonitorDpiAt(int x, int y) {
    // Before Windows 8.1 every monitor has the system's DPI, and loading shcore would only
    // delay the popup.
    const WindowsVersion version = windowsVersion();
    if (!followsMonitorDpi(version.major, version.minor))
        return 0;
    const base::OwnedLibrary shcore(LoadLibraryW(L"shcore.dll"));
    auto getDpiForMonitor =
        base::moduleFunction<GetDpiForMonitorFunction>(shcore.get(), "GetDpiForMonitor");
    if (!getDpiForMonitor)
        return 0;
    HMONITOR monitor = MonitorFromPoint(POINT{x, y}, MONITOR_DEFAULTTONEAREST);
    UINT dpiX = 0, dpiY = 0;
    if (!monitor || getDpiForMonitor(monitor, kMonitorEffectiveDpi, &dpiX, &dpiY) != S_OK)
        return 0;
    return static_cast<int>(dpiX);
}

WindowsVersion queryWindowsVersion() {
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
    // GetVersionExW lies to programs without a compatibility manifest; ntdll tells the truth.
    if (HMODULE ntdll = GetModuleHandleW(L"ntdll.dll")) {
        auto rtlGetVersion = base::moduleFunction<RtlGetVersionFunction>(ntdll, "RtlGetVersion");
        if (rtlGetVersion && rtlGetVersion(&info) == 0)
            return {static_cast<int>(info.dwMajorVersion), static_cast<int>(info.dwMinorVersion)};
    }
    info = OSVERSIONINFOW{};
    info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (GetVersionExW(&info))
        return {static_cast<int>(info.dwMajorVersion), static_cast<int>(info.dwMinorVersion)};
#pragma GCC diagnostic pop
    return {};
}

} // namespace

ScaleState& scaleState() {
    static ScaleState state;
    return state;
}

void setWindowsVersion(int major, int minor) {
    ScaleState& state = scaleState();
    state.windowsVersion = {major, minor};
    state.windowsVersionKnown = true;
}

WindowsVersion windowsVersion() {
    ScaleState& state = scaleState();
    if (!state.windowsVersionKnown) {
        state.windowsVersion = queryWindowsVersion();
        state.windowsVersionKnown = true;
    }
    return state.windowsVersion;
}

void setMonitorDpiSource(MonitorDpiSource source) {
    monitorDpiSource() = std::move(source);
}

int monitorDpiAt(int x, int y) {
    const MonitorDpiSource& source = monitorDpiSource();
    return source ? source(x, y) : systemMonitorDpiAt(x, y);
}

// The factors of the start-up are those of the primary monitor. A window created on another
// monitor gets no DPI change message for it, so the window that opens at a point (the popup
// at the caret) takes that monitor's factors before it is laid out; later moves between
// monitors are still handled by onDpiChanged.
ui::WindowScale processScale() {
    const ScaleState& state = scaleState();
    return ui::WindowScale{state.scaleX, state.scaleY, dpiOfScale(state.scaleX)};
}

ui::WindowScale scaleForMonitorAt(int x, int y) {
    const int dpi = monitorDpiAt(x, y);
    if (dpi <= 0)
        return processScale();
    const float factor = static_cast<float>(dpi) / kBaseDpi;
    return ui::WindowScale{factor, factor, dpiOfScale(factor)};
}

int fontSizeRule(int points, const ui::WindowScale& scale) {
    return fontSizeRule(points, scale.y, scaleState().alreadyDpiAware, windowsVersion().major);
}

int fontSizeRule(int points) {
    return fontSizeRule(points, processScale());
}

namespace {

// The service's font DPI is the screen's as this process saw it before declaring any
// awareness; it is read on first need, so it must be asked for before the declaration.
void fixServiceFontDpi() {
    ui::screenLogPixelsY();
}

} // namespace

void dpiSetupUser32() {
    fixServiceFontDpi();
    const base::OwnedLibrary user32(LoadLibraryW(L"user32.dll"));
    if (!user32) {
        computeScale();
        return;
    }
    // Windows XP has neither function: both count as having answered 0.
    auto isProcessDpiAware =
        base::moduleFunction<IsProcessDpiAwareFunction>(user32.get(), "IsProcessDPIAware");
    if (isProcessDpiAware && isProcessDpiAware()) {
        scaleState().alreadyDpiAware = true;
    } else if (auto setProcessDpiAware = base::moduleFunction<SetProcessDpiAwareFunction>(
                   user32.get(), "SetProcessDPIAware")) {
        setProcessDpiAware();
    }
    computeScale();
}

void dpiSetupShcore() {
    fixServiceFontDpi();
    {
        const base::OwnedLibrary shcore(LoadLibraryW(L"shcore.dll"));
        if (!shcore) {
            computeScale();
            return;
        }
        auto getAwareness = base::moduleFunction<GetProcessDpiAwarenessFunction>(
            shcore.get(), "GetProcessDpiAwareness");
        int level = kProcessDpiUnaware;
        HRESULT result = getAwareness ? getAwareness(nullptr, &level) : S_OK;
        if (result == S_OK) {
            if (level == kProcessDpiUnaware) {
                if (auto setAwareness = base::moduleFunction<SetProcessDpiAwarenessFunction>(
                        shcore.get(), "SetProcessDpiAwareness"))
                    setAwareness(kProcessPerMonitorDpiAware);
            } else if (level == kProcessSystemDpiAware || level == kProcessPerMonitorDpiAware) {
                scaleState().alreadyDpiAware = true;
            }
        }
        computeScale();
    }
    // Preparing the control classes is work that a start opening no window never needs; the
    // first scaled window does it.
    scaleState().subclassWanted = true;
}

bool ensureSubclassFunctions() {
    ScaleState& state = scaleState();
    if (state.subclassWanted && !state.subclassResolved)
        resolveSubclassFunctions();
    return state.subclassResolved;
}

void resolveSubclassFunctions() {
    scaleState().subclassResolved = ui::prepareControlClasses() && ui::subclassingAvailable();
}

void computeScale() {
    ScaleState& state = scaleState();
    std::u16string face;
    int points = 8;
    // Read again here, after the awareness set-up: what the system reports may have changed.
    const int logPixelsX = ui::screenLogPixels(LOGPIXELSX);
    const int logPixelsY = ui::screenLogPixels(LOGPIXELSY);
    state.scaleX = static_cast<float>(logPixelsX) / kBaseDpi;
    state.scaleY = static_cast<float>(logPixelsY) / kBaseDpi;

    LOGFONTW stockFont{};
    if (GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof stockFont, &stockFont)) {
        stockFont.lfFaceName[LF_FACESIZE - 1] = L'\0';
        face = text::fromWide(stockFont.lfFaceName);
        points = stockFontPointSize(stockFont.lfHeight, logPixelsY);
    }
    // The font of every window's controls unless the window is given another.
    state.uiFont = ui::loadFont(face, fontSizeRule(points), ui::kFontProofQuality);
}

void runDpiSetup(DpiSetupVariant variant) {
    switch (variant) {
    case DpiSetupVariant::User32:
        dpiSetupUser32();
        break;
    case DpiSetupVariant::Shcore:
        dpiSetupShcore();
        break;
    case DpiSetupVariant::None:
        computeScale();
        break;
    }
}

} // namespace dpi

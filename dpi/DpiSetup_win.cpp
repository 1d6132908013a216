#include "dpi/DpiSetup_win.h"

#include "store/TextConvert.h"
#include "ui/WindowService.h"

#include <cwchar>
#include <string>

namespace dpi {

namespace {

// Owns one LoadLibraryW reference.
class LoadedLibrary {
  public:
    explicit LoadedLibrary(const wchar_t* name) : module_(LoadLibraryW(name)) {}
    ~LoadedLibrary() {
        if (module_)
            FreeLibrary(module_);
    }
    LoadedLibrary(const LoadedLibrary&) = delete;
    LoadedLibrary& operator=(const LoadedLibrary&) = delete;

    explicit operator bool() const { return module_ != nullptr; }

    template <typename Function> Function find(const char* name) const {
        return module_ ? reinterpret_cast<Function>(
                             reinterpret_cast<void*>(GetProcAddress(module_, name)))
                       : nullptr;
    }

  private:
    HMODULE module_;
};

class ScreenDc {
  public:
    ScreenDc() : dc_(GetDC(nullptr)) {}
    ~ScreenDc() {
        if (dc_)
            ReleaseDC(nullptr, dc_);
    }
    ScreenDc(const ScreenDc&) = delete;
    ScreenDc& operator=(const ScreenDc&) = delete;

    // A screen that cannot be asked counts as 96 DPI: a factor of 0 would collapse every
    // window and make every size read back divide by zero.
    int logPixels(int index) const {
        int value = dc_ ? GetDeviceCaps(dc_, index) : 0;
        return value > 0 ? value : kBaseDpi;
    }

  private:
    HDC dc_;
};

using IsProcessDpiAwareFunction = BOOL(WINAPI*)();
using SetProcessDpiAwareFunction = BOOL(WINAPI*)();
using GetProcessDpiAwarenessFunction = HRESULT(WINAPI*)(HANDLE, int*);
using SetProcessDpiAwarenessFunction = HRESULT(WINAPI*)(int);
using RtlGetVersionFunction = LONG(WINAPI*)(OSVERSIONINFOW*);

constexpr int kProcessDpiUnaware = 0;
constexpr int kProcessSystemDpiAware = 1;
constexpr int kProcessPerMonitorDpiAware = 2;

WindowsVersion queryWindowsVersion() {
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
    // GetVersionExW lies to programs without a compatibility manifest; ntdll tells the truth.
    if (HMODULE ntdll = GetModuleHandleW(L"ntdll.dll")) {
        auto rtlGetVersion = reinterpret_cast<RtlGetVersionFunction>(
            reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")));
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

int fontSizeRule(int points) {
    const ScaleState& state = scaleState();
    return fontSizeRule(points, state.scaleY, state.alreadyDpiAware, windowsVersion().major);
}

void dpiSetupUser32() {
    LoadedLibrary user32(L"user32.dll");
    if (!user32) {
        computeScale();
        return;
    }
    // Windows XP has neither function: both count as having answered 0.
    auto isProcessDpiAware = user32.find<IsProcessDpiAwareFunction>("IsProcessDPIAware");
    if (isProcessDpiAware && isProcessDpiAware()) {
        scaleState().alreadyDpiAware = true;
    } else if (auto setProcessDpiAware =
                   user32.find<SetProcessDpiAwareFunction>("SetProcessDPIAware")) {
        setProcessDpiAware();
    }
    computeScale();
}

void dpiSetupShcore() {
    {
        LoadedLibrary shcore(L"shcore.dll");
        if (!shcore) {
            computeScale();
            return;
        }
        auto getAwareness = shcore.find<GetProcessDpiAwarenessFunction>("GetProcessDpiAwareness");
        int level = kProcessDpiUnaware;
        HRESULT result = getAwareness ? getAwareness(nullptr, &level) : S_OK;
        if (result == S_OK) {
            if (level == kProcessDpiUnaware) {
                if (auto setAwareness =
                        shcore.find<SetProcessDpiAwarenessFunction>("SetProcessDpiAwareness"))
                    setAwareness(kProcessPerMonitorDpiAware);
            } else if (level == kProcessSystemDpiAware || level == kProcessPerMonitorDpiAware) {
                scaleState().alreadyDpiAware = true;
            }
        }
        computeScale();
    }
    // Looking the functions up loads comctl32, which a start that opens no window never
    // needs; the first scaled window does it.
    scaleState().subclassWanted = true;
}

bool ensureSubclassFunctions() {
    ScaleState& state = scaleState();
    if (state.subclassWanted && !state.subclassFunctions.resolved())
        resolveSubclassFunctions();
    return state.subclassFunctions.resolved();
}

// The reference to comctl32 is kept for the whole run: the entry points must stay valid for
// every window that is subclassed, whether or not the program also imports comctl32 directly.
void resolveSubclassFunctions() {
    HMODULE comctl32 = LoadLibraryW(L"comctl32.dll");
    if (!comctl32)
        return;
    SubclassFunctions functions;
    functions.setWindowSubclass = reinterpret_cast<SetWindowSubclassFunction>(
        reinterpret_cast<void*>(GetProcAddress(comctl32, "SetWindowSubclass")));
    functions.removeWindowSubclass = reinterpret_cast<RemoveWindowSubclassFunction>(
        reinterpret_cast<void*>(GetProcAddress(comctl32, "RemoveWindowSubclass")));
    functions.defSubclassProc = reinterpret_cast<DefSubclassProcFunction>(
        reinterpret_cast<void*>(GetProcAddress(comctl32, "DefSubclassProc")));
    scaleState().subclassFunctions = functions;
}

void computeScale() {
    ScaleState& state = scaleState();
    std::u16string face;
    int points = 8;
    {
        ScreenDc screen;
        int logPixelsX = screen.logPixels(LOGPIXELSX);
        int logPixelsY = screen.logPixels(LOGPIXELSY);
        state.scaleX = static_cast<float>(logPixelsX) / 96.0f;
        state.scaleY = static_cast<float>(logPixelsY) / 96.0f;

        LOGFONTW stockFont{};
        if (GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof stockFont, &stockFont)) {
            stockFont.lfFaceName[LF_FACESIZE - 1] = L'\0';
            face = text::fromWide(stockFont.lfFaceName);
            points = stockFontPointSize(stockFont.lfHeight, logPixelsY);
        }
    }
    std::intptr_t number =
        ui::loadFont(ui::kChooseNumber, face, fontSizeRule(points), ui::kFontProofQuality);
    state.uiFont = number ? ui::fontHandle(static_cast<int>(number)) : nullptr;
    if (state.uiFont)
        ui::setControlFont(-1, state.uiFont);
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

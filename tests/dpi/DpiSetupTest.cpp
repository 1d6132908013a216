// The set-up variants at real screen resolutions. The screen DPI of a process
// is fixed when it starts, so each case runs in a child process of this test
// program, started after the DPI is set in the registry (HKCU\Control
// Panel\Desktop, LogPixels) and restored as soon as the child has read it: the
// registry is shared with every other program of this Wine prefix.
#include "base/TextConvert.h"
#include "dpi/DpiSetup.h"
#include "ui/WindowService.h"
#include "dpi/LogPixelsSetting.h"

#include <gtest/gtest.h>

#include <ostream>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iomanip>
#include <optional>
#include <sstream>
#include <string>
#include <utility>

namespace {

constexpr wchar_t kChildVariable[] = L"ZENDRIK_DPI_SETUP_CHILD";

std::string narrow(std::wstring_view wide) {
    return text::utf16ToUtf8(text::fromWide(wide));
}

struct ChildReport {
    bool awareBefore = false; // the process was DPI-aware before the set-up ran
    bool awareAfter = false;
    float scaleX = 0, scaleY = 0;
    bool alreadyDpiAware = false;
    bool subclassResolved = false;
    int serviceLogPixels = 0; // the D of the font service
    int uiFontHeight = 0;
    int uiFontQuality = 0;
    int stockFontHeight = 0;
    std::string uiFontFace;
    std::string stockFontFace;
};

// Child side: "<variant> <makeAwareFirst> <report path> <ready event name>". It exists only in
// a child started by runChild, so an ordinary run neither lists nor skips it.
class DpiSetupChild : public testing::Test {
  public:
    explicit DpiSetupChild(std::string request) : request_(std::move(request)) {}
    void TestBody() override;

  private:
    std::string request_;
};

const bool childRegistered = [] {
    const char* request = std::getenv("ZENDRIK_DPI_SETUP_CHILD");
    if (!request)
        return false;
    std::string text = request;
    testing::RegisterTest("DpiSetupChild", "Report", nullptr, nullptr, __FILE__, __LINE__,
                          [text]() -> testing::Test* { return new DpiSetupChild(text); });
    return true;
}();

void DpiSetupChild::TestBody() {
    std::istringstream words(request_);
    std::string variant, path, eventName;
    int makeAwareFirst = 0;
    words >> variant >> makeAwareFirst >> path >> eventName;

    ui::startService();
    if (makeAwareFirst)
        SetProcessDPIAware(); // as a compatibility setting would
    ChildReport report;
    report.awareBefore = IsProcessDPIAware();
    if (variant == "user32")
        dpi::dpiSetupUser32();
    else if (variant == "shcore")
        dpi::dpiSetupShcore();
    else
        dpi::computeScale();
    if (HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, eventName.c_str())) {
        SetEvent(ready);
        CloseHandle(ready);
    }

    dpi::ensureSubclassFunctions(); // what the first scaled window does
    const dpi::ScaleState& state = dpi::scaleState();
    report.awareAfter = IsProcessDPIAware();
    LOGFONTW uiFont{}, stockFont{};
    GetObjectW(state.uiFont, sizeof uiFont, &uiFont);
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof stockFont, &stockFont);
    const std::string uiFace = narrow(uiFont.lfFaceName);
    const std::string stockFace = narrow(stockFont.lfFaceName);
    std::ofstream out(path);
    out << std::setprecision(9) << report.awareBefore << ' ' << report.awareAfter << ' '
        << state.scaleX << ' ' << state.scaleY << ' ' << state.alreadyDpiAware << ' '
        << state.subclassResolved << ' ' << ui::screenLogPixelsY() << ' ' << uiFont.lfHeight << ' '
        << static_cast<int>(uiFont.lfQuality) << ' ' << stockFont.lfHeight << '\n'
        << uiFace << '\n'
        << stockFace << '\n';
    ui::endService();
}

std::wstring tempFile() {
    wchar_t folder[MAX_PATH]{}, name[MAX_PATH]{};
    GetTempPathW(MAX_PATH, folder);
    GetTempFileNameW(folder, L"dpi", 0, name);
    return name;
}

// Runs DpiSetupChild.Report at the given DPI; false when the child could not be
// run.
bool runChild(DWORD dpi, const std::string& variant, bool makeAwareFirst, ChildReport& report) {
    std::wstring reportPath = tempFile();
    std::string eventName =
        "ZendrikDpiSetupReady" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(dpi);
    HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, eventName.c_str());
    if (!ready)
        return false;

    wchar_t program[MAX_PATH]{};
    GetModuleFileNameW(nullptr, program, MAX_PATH);
    std::wstring commandLine =
        L"\"" + std::wstring(program) + L"\" --gtest_filter=DpiSetupChild.Report";
    std::string request =
        variant + " " + (makeAwareFirst ? "1" : "0") + " " + narrow(reportPath) + " " + eventName;
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    HANDLE nul = CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             &inheritable, OPEN_EXISTING, 0, nullptr);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = nul;
    startup.hStdError = nul;
    PROCESS_INFORMATION child{};
    bool started = false;
    {
        // Two test runs at once must not take each other's DPI for the value to restore.
        dpitest::ScopedMutex registryTurn(dpitest::kLogPixelsTurn);
        dpitest::LogPixelsSetting setting;
        if (setting.set(dpi)) {
            SetEnvironmentVariableA("ZENDRIK_DPI_SETUP_CHILD", request.c_str());
            started = CreateProcessW(program, commandLine.data(), nullptr, nullptr, TRUE, 0,
                                     nullptr, nullptr, &startup, &child);
            SetEnvironmentVariableW(kChildVariable, nullptr);
            if (started) {
                HANDLE waitFor[] = {ready, child.hProcess};
                WaitForMultipleObjects(2, waitFor, FALSE, 30000);
            }
        }
    } // the registry is as before from here on
    if (nul != INVALID_HANDLE_VALUE)
        CloseHandle(nul);
    CloseHandle(ready);
    if (!started)
        return false;
    if (WaitForSingleObject(child.hProcess, 30000) != WAIT_OBJECT_0)
        TerminateProcess(child.hProcess, 1);
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);

    std::ifstream in(narrow(reportPath));
    in >> report.awareBefore >> report.awareAfter >> report.scaleX >> report.scaleY >>
        report.alreadyDpiAware >> report.subclassResolved >> report.serviceLogPixels >>
        report.uiFontHeight >> report.uiFontQuality >> report.stockFontHeight;
    in.ignore(1);
    std::getline(in, report.uiFontFace);
    std::getline(in, report.stockFontFace);
    bool complete = !in.fail();
    in.close();
    DeleteFileW(reportPath.c_str());
    return complete;
}

struct SetupCase {
    const char* name;
    DWORD dpi;
    const char* variant;
    bool makeAwareFirst;
    float scale;
    int pointsIfAwareBefore; // uiFont's point size when the process was aware
                             // before
    int pointsIfUnaware;     // ... and when the set-up made it aware
    bool subclassResolved;
};

void PrintTo(const SetupCase& c, std::ostream* out) {
    *out << c.name;
}

class DpiSetup : public testing::TestWithParam<SetupCase> {};

TEST_P(DpiSetup, AtScreenResolution) {
    const SetupCase& c = GetParam();
    ChildReport report;
    ASSERT_TRUE(runChild(c.dpi, c.variant, c.makeAwareFirst, report));

    EXPECT_EQ(report.scaleX, c.scale);
    EXPECT_EQ(report.scaleY, c.scale);
    EXPECT_TRUE(report.awareAfter);
    EXPECT_EQ(report.alreadyDpiAware, report.awareBefore);
    EXPECT_EQ(report.subclassResolved, c.subclassResolved);

    // uiFont: the stock GUI font's face at the point size of the rule, in proof
    // quality.
    ASSERT_GT(report.serviceLogPixels, 0);
    int points = report.awareBefore ? c.pointsIfAwareBefore : c.pointsIfUnaware;
    EXPECT_EQ(report.uiFontHeight, -MulDiv(points, report.serviceLogPixels, 72))
        << "stock GUI font height " << report.stockFontHeight;
    EXPECT_EQ(report.uiFontQuality, PROOF_QUALITY);
    EXPECT_FALSE(report.uiFontFace.empty());
    EXPECT_EQ(report.uiFontFace, report.stockFontFace);
}

INSTANTIATE_TEST_SUITE_P(
    Screens, DpiSetup,
    testing::Values(SetupCase{"dpi96_shcore", 96, "shcore", false, 1.0f, 8, 8, true},
                    SetupCase{"dpi120_user32", 120, "user32", false, 1.25f, 8, 10, false},
                    // The stock font's -17 pixels at 144 DPI are 8.5 points: 8, halves to
                    // even.
                    SetupCase{"dpi144_shcore_aware", 144, "shcore", true, 1.5f, 8, 8, true},
                    // The stock font is 9 points at 110 DPI (a height of -13 pixels), and
                    // below 1.25 an aware process still multiplies: floor(9 x 1.1458) = 10.
                    SetupCase{"dpi110_user32", 110, "user32", true, 110.0f / 96.0f, 10, 10, false}),
    [](const testing::TestParamInfo<SetupCase>& info) { return info.param.name; });

} // namespace

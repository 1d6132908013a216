// The picker's keystroke cost: the real picker built in this process over 100,000 names (or
// as many as the first argument says), then a filter typed and erased into its field one
// character at a time, 200 keystrokes in all. Each keystroke is timed from the character's
// message to a list and preview that are drawn again, which covers filtering every name,
// refilling the list and painting it. Prints the spread over the keystrokes, the slowest
// included.
//   zendrik_picker_bench [names]
#include "dpi/DpiSetup.h"
#include "dpi/ScaleRules.h"
#include "dpi/ScaledWrappers.h"
#include "popup/Picker.h"
#include "popup/PickerMatch.h"
#include "ui/WindowService.h"
#include "Median.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int kDefaultNames = 100000;
constexpr int kRuns = 10;
constexpr wchar_t kTyped[] = L"shortcut12";

double keystrokeMs(HWND window, HWND filter, WPARAM key) {
    const auto start = std::chrono::steady_clock::now();
    SendMessageW(filter, WM_CHAR, key, 0);
    // Everything the keystroke made invalid is painted before the clock stops.
    RedrawWindow(window, nullptr, nullptr, RDW_ALLCHILDREN | RDW_UPDATENOW);
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

} // namespace

int main(int argc, char** argv) {
    const int names = argc > 1 ? std::max(1, std::atoi(argv[1])) : kDefaultNames;
    ui::startService();
    dpi::runDpiSetup(dpi::chooseDpiSetup(dpi::windowsVersion().major, dpi::windowsVersion().minor));
    popup::PickerRequest request;
    for (int i = 0; i < names; ++i) {
        const int n = int((i * 7919LL) % names); // no sorted order, as in a grown file
        char name[16];
        std::snprintf(name, sizeof name, "shortcut%05d", n);
        request.names.add(std::u16string(name, name + std::char_traits<char>::length(name)));
    }
    request.lowerNames = popup::sortPickerNames(request.names);
    request.previewOf = [](int) { return std::u16string(u"Procedure P() \r\nEndProcedure"); };
    request.anchor = {100, 100};
    popup::PopupLook look;
    look.show = [](HWND window, const store::PopupSettings&) { ShowWindow(window, SW_SHOW); };
    popup::PickerList list(request);
    popup::CaretWindow picker;
    if (!popup::buildPicker(picker, list, look)) {
        std::puts("picker-bench: no picker window");
        return 1;
    }
    if (!list.window || !list.filterField) {
        std::puts("picker-bench: no filter field");
        return 1;
    }
    HWND window = picker.handle();
    HWND filter = ui::controlHandle(*list.filterField);
    std::vector<double> times;
    for (int run = 0; run < kRuns; ++run) {
        for (const wchar_t* key = kTyped; *key; ++key)
            times.push_back(keystrokeMs(window, filter, *key));
        for (size_t i = 0; i < std::wcslen(kTyped); ++i)
            times.push_back(keystrokeMs(window, filter, VK_BACK));
    }
    if (std::getenv("PICKER_BENCH_EACH"))
        for (size_t i = 0; i < 2 * std::wcslen(kTyped); ++i)
            std::printf("%.2f ", times[i]);
    const double median = bench::median(times);
    // Which keystroke of its run was the slowest: the runs repeat the same keys.
    const size_t slowest = size_t(std::max_element(times.begin(), times.end()) - times.begin());
    std::sort(times.begin(), times.end());
    std::printf("picker-bench: %zu keystrokes over %d names: median %.2f ms, 90th percentile "
                "%.2f ms, slowest %.2f ms (keystroke %zu of a run, run %zu), fastest %.2f ms\n",
                times.size(), names, median, times[times.size() * 9 / 10], times.back(),
                slowest % (2 * std::wcslen(kTyped)) + 1, slowest / (2 * std::wcslen(kTyped)) + 1,
                times.front());
    picker.close();
    ui::endService();
    return 0;
}

// What a keystroke costs in the two filters, each built for real in this process over 100,000
// names (or as many as the first argument says):
//  - the picker, its filter typed and erased one character at a time, 200 keystrokes;
//  - the manager, its filter field typed into and erased the same way, 200 keystrokes.
// Each keystroke is timed from the character's message to a window drawn again, which covers
// filtering every name, giving the list its rows and painting what changed. Prints, for each, the
// spread over the keystrokes, the slowest included.
//   zendrik_keystroke_bench [names]
#include "dpi/DpiSetup.h"
#include "dpi/ScaleRules.h"
#include "dpi/ScaledWrappers.h"
#include "manager/ManagerPlan.h"
#include "manager/ManagerWindow.h"
#include "popup/Picker.h"
#include "popup/PickerMatch.h"
#include "store/ShortcutStore.h"
#include "ui/WindowService.h"
#include "Median.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

namespace {

constexpr int kDefaultNames = 100000;
constexpr int kRuns = 10;
constexpr wchar_t kTyped[] = L"shortcut12";
constexpr std::size_t kTypedLength = std::size(kTyped) - 1;

// shortcut00000 on, in no sorted order, as in a grown file.
std::vector<std::u16string> shortcutNames(int count) {
    std::vector<std::u16string> names;
    names.reserve(std::size_t(count));
    for (int i = 0; i < count; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "shortcut%05d", int((i * 7919LL) % count));
        names.emplace_back(name, name + std::char_traits<char>::length(name));
    }
    return names;
}

double keystrokeMs(HWND window, HWND field, WPARAM key) {
    const auto start = std::chrono::steady_clock::now();
    SendMessageW(field, WM_CHAR, key, 0);
    // Everything the keystroke made invalid is painted before the clock stops.
    RedrawWindow(window, nullptr, nullptr, RDW_ALLCHILDREN | RDW_UPDATENOW);
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

// kRuns times: kTyped typed, then erased with Backspace.
std::vector<double> typeAndErase(HWND window, HWND field) {
    std::vector<double> times;
    for (int run = 0; run < kRuns; ++run) {
        for (const wchar_t* key = kTyped; *key; ++key)
            times.push_back(keystrokeMs(window, field, *key));
        for (std::size_t i = 0; i < kTypedLength; ++i)
            times.push_back(keystrokeMs(window, field, VK_BACK));
    }
    return times;
}

void printSpread(const char* what, int names, std::vector<double> times) {
    if (std::getenv("KEYSTROKE_BENCH_EACH")) {
        for (std::size_t i = 0; i < 2 * kTypedLength; ++i)
            std::printf("%.2f ", times[i]);
        std::puts("");
    }
    const double median = bench::median(times);
    // Which keystroke of its run was the slowest: the runs repeat the same keys.
    const std::size_t slowest =
        std::size_t(std::max_element(times.begin(), times.end()) - times.begin());
    std::sort(times.begin(), times.end());
    std::printf("%s: %zu keystrokes over %d names: median %.2f ms, 90th percentile %.2f ms, "
                "slowest %.2f ms (keystroke %zu of a run, run %zu), fastest %.2f ms\n",
                what, times.size(), names, median, times[times.size() * 9 / 10], times.back(),
                slowest % (2 * kTypedLength) + 1, slowest / (2 * kTypedLength) + 1, times.front());
}

bool benchPicker(const std::vector<std::u16string>& names) {
    popup::PickerRequest request;
    for (const std::u16string& name : names)
        request.names.add(name);
    request.lowerNames = popup::sortPickerNames(request.names);
    request.previewOf = [](int) { return std::u16string(u"Procedure P() \r\nEndProcedure"); };
    request.anchor = {100, 100};
    popup::PopupLook look;
    look.show = [](HWND window, const store::PopupSettings&) { ShowWindow(window, SW_SHOW); };
    popup::PickerList list(request);
    popup::CaretWindow picker;
    if (!popup::buildPicker(picker, list, look) || !list.window || !list.filterField) {
        std::puts("picker-bench: no picker window");
        return false;
    }
    printSpread("picker-bench", int(names.size()),
                typeAndErase(picker.handle(), ui::controlHandle(*list.filterField)));
    picker.close();
    return true;
}

bool benchManager(const std::vector<std::u16string>& names) {
    store::ShortcutStore store;
    for (const std::u16string& name : names)
        store::setShortcut(store, name, u"Procedure P() \r\nEndProcedure");
    manager::ManagerSession session{store, u"Zendrik", u"Zendrik.pref"};
    if (!manager::buildManagerWindow(session, nullptr,
                                     [&store] { return manager::shortcutRows(store); })) {
        std::puts("manager-bench: no manager window");
        return false;
    }
    // The field takes the focus first, as Ctrl+F or a click gives it.
    ui::focusControl(*session.controls.filterField);
    printSpread("manager-bench", int(names.size()),
                typeAndErase(ui::windowHandle(*session.window),
                             ui::controlHandle(*session.controls.filterField)));
    session.window.reset();
    return true;
}

} // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::max(1, std::atoi(argv[1])) : kDefaultNames;
    ui::startService();
    dpi::runDpiSetup(dpi::chooseDpiSetup(dpi::windowsVersion().major, dpi::windowsVersion().minor));
    const std::vector<std::u16string> names = shortcutNames(count);
    const bool done = benchPicker(names) && benchManager(names);
    ui::endService();
    return done ? 0 : 1;
}

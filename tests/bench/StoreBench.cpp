// Times loading "Zendrik.pref" with many Shortcuts and one save into it. Prints figures only.
#include "store/ShortcutStore.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kLoadRuns = 9;

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// A file shaped like a user's: the default layout, many Shortcuts of varied length with the
// line separator and placeholders in them.
void writePreferenceFile(const fs::path& path, int count) {
    std::mt19937 random(12345);
    std::string bytes = "\xEF\xBB\xBF\r\n; Zendrik.pref\r\n; \r\n[Shortcuts]\r\n";
    for (int i = 0; i < count; ++i) {
        bytes += "sc" + std::to_string(i) + " = Procedure %Name=p" + std::to_string(i);
        const int lines = 1 + static_cast<int>(random() % 6);
        for (int line = 0; line < lines; ++line)
            bytes += "\xC2\xA4  Debug \"line " + std::to_string(line) + "\" ; %Value=0";
        bytes += "\r\n";
    }
    bytes += "; \r\n[Popup]\r\nOpacity = 245\r\nShadow = 1\r\nSlideIn = 10\r\nFadeOut = 1\r\n";
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(bytes.data(), bytes.size());
}

void measure(const fs::path& folder, int count) {
    const fs::path path = folder / "Zendrik.pref";
    writePreferenceFile(path, count);
    const auto size = fs::file_size(path);

    std::vector<double> loads;
    std::size_t loaded = 0;
    for (int run = 0; run < kLoadRuns; ++run) {
        store::ShortcutStore shortcuts;
        store::PopupSettings settings;
        const auto start = Clock::now();
        store::loadShortcuts(shortcuts, settings);
        loads.push_back(millisecondsSince(start));
        loaded = store::shortcutCount(shortcuts);
    }
    std::sort(loads.begin(), loads.end());
    const double load = loads[loads.size() / 2];

    // A new name: the case-insensitive search runs through the whole group, and the line
    // goes to its end.
    auto start = Clock::now();
    const bool saved = store::saveShortcut(u"benchnew", u"For %i=0 To 9\u00A4Next");
    const double save = millisecondsSince(start);
    start = Clock::now();
    const bool replaced = store::saveShortcut(u"sc0", u"Procedure\u00A4EndProcedure");
    const double replace = millisecondsSince(start);

    const double thousands = count / 1000.0;
    std::printf("%7d Shortcuts, %6.2f MB: load median of %d %8.2f ms (%.3f ms per 1000), "
                "%zu loaded\n",
                count, size / 1e6, kLoadRuns, load, load / thousands, loaded);
    std::printf("%24s save new %8.2f ms (%.3f ms per 1000)%s, save existing %8.2f ms%s\n", "", save,
                save / thousands, saved ? "" : " FAILED", replace, replaced ? "" : " FAILED");
}

} // namespace

int main() {
    const fs::path folder = fs::temp_directory_path() /
                            ("zendrik-store-bench-" + std::to_string(std::random_device{}()));
    fs::create_directories(folder);
    const fs::path previous = fs::current_path();
    fs::current_path(folder);
    for (int count : {10000, 100000})
        measure(folder, count);
    fs::current_path(previous);
    std::error_code ignored;
    fs::remove_all(folder, ignored);
    return 0;
}

// Times loading "Zendrik.pref" with many Shortcuts and one save into it; with --memory, the
// peak memory of loading a 100 MB file (and with `save` of one save after it), in a process
// that has done nothing else. Prints figures only.
//   zendrik_store_bench [--memory templates|short|one-template|latin-1 [save]]
#include "store/ShortcutStore.h"
#include "base/TextConvert.h"
#include "Median.h"

#ifdef _WIN32
#include <windows.h>

#include <psapi.h>
#else
#include <sys/resource.h>
#endif

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <string_view>
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

// The process's peak memory so far (resident on Linux, working set on Windows).
double peakMegabytes() {
#ifdef _WIN32
    PROCESS_MEMORY_COUNTERS counters{};
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters.PeakWorkingSetSize / 1e6;
#else
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss * 1024 / 1e6;
#endif
}

// Written line by line, so that writing adds nothing to the peak that loading is measured by;
// an empty line stands for one template that fills the file. A line that is not UTF-8 makes a
// file without the byte-order mark, which is read as Latin-1.
void writeLargeFile(const fs::path& path, std::uintmax_t size, std::string_view line) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    const bool latin1 = line.find('\xA4') != line.npos && line.find("\xC2\xA4") == line.npos;
    out << (latin1 ? "" : "\xEF\xBB\xBF") << "\r\n[Shortcuts]\r\n";
    if (line.empty()) {
        const std::string piece(1 << 16, 'x');
        out << "one = ";
        for (std::uintmax_t written = 0; written < size; written += piece.size())
            out << piece;
        out << "\r\n";
    }
    for (std::uintmax_t written = 0, i = 0; !line.empty() && written < size; ++i) {
        const std::string key = "sc" + std::to_string(i) + " = ";
        out << key << line << "\r\n";
        written += key.size() + line.size() + 2;
    }
    out << "[Popup]\r\nOpacity = 245\r\n";
}

// With `save`, one Shortcut is then saved into the file as the manager would, while the store
// is still loaded: the peak is then the manager's with both at once.
void measureMemory(const fs::path& folder, std::string_view shape, std::string_view line,
                   bool save) {
    const fs::path path = folder / fs::path(store::kPreferenceFileName);
    writeLargeFile(path, 100'000'000, line);
    const auto size = fs::file_size(path);
    const double before = peakMegabytes();
    auto start = Clock::now();
    store::ShortcutStore shortcuts;
    store::PopupSettings settings;
    store::loadShortcuts(shortcuts, settings);
    const double load = millisecondsSince(start);
    const double peak = peakMegabytes() - before;
    std::printf("%-24s %6.1f MB, %8zu Shortcuts: load %8.0f ms, peak memory %7.1f MB = %.2f x "
                "the file\n",
                std::string(shape).c_str(), size / 1e6, store::shortcutCount(shortcuts), load, peak,
                peak * 1e6 / double(size));
    if (!save)
        return;
    start = Clock::now();
    const bool saved = store::saveShortcut(u"benchnew", u"For %i=0 To 9\u00A4Next");
    const double took = millisecondsSince(start);
    const double both = peakMegabytes() - before;
    std::printf("%-24s %6.1f MB, store loaded, one save: %6.0f ms%s, peak memory %7.1f MB = %.2f "
                "x the file\n",
                "", size / 1e6, took, saved ? "" : " FAILED", both, both * 1e6 / double(size));
}

void measure(const fs::path& folder, int count) {
    const fs::path path = folder / fs::path(store::kPreferenceFileName);
    writePreferenceFile(path, count);
    const auto size = fs::file_size(path);

    // The whole load (the manager's and the picker's start), every name visited once after it
    // (what they list), and one name looked up as the file is read (an expansion's start).
    std::vector<double> loads, visits, lookups;
    std::size_t loaded = 0;
    const std::u16string lastName = u"sc" + text::utf8ToUtf16(std::to_string(count - 1));
    bool found = true;
    for (int run = 0; run < kLoadRuns; ++run) {
        store::ShortcutStore shortcuts;
        store::PopupSettings settings;
        auto start = Clock::now();
        store::loadShortcuts(shortcuts, settings);
        loads.push_back(millisecondsSince(start));
        loaded = store::shortcutCount(shortcuts);
        std::size_t units = 0;
        start = Clock::now();
        store::forEachShortcutName(shortcuts,
                                   [&units](std::u16string_view name) { units += name.size(); });
        visits.push_back(millisecondsSince(start));
        start = Clock::now();
        found = found && store::readOneShortcut(store::kPreferenceFileName, lastName, settings);
        lookups.push_back(millisecondsSince(start));
    }
    const double load = bench::median(loads);

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
    std::printf("%24s every name %8.2f ms, one name read from the file %8.2f ms%s\n", "",
                bench::median(visits), bench::median(lookups), found ? "" : " NOT FOUND");
    std::printf("%24s save new %8.2f ms (%.3f ms per 1000)%s, save existing %8.2f ms%s\n", "", save,
                save / thousands, saved ? "" : " FAILED", replace, replaced ? "" : " FAILED");
}

} // namespace

int main(int argc, char** argv) {
    const bool memory = argc > 1 && std::string_view(argv[1]) == "--memory";
    const fs::path folder = fs::temp_directory_path() /
                            ("zendrik-store-bench-" + std::to_string(std::random_device{}()));
    fs::create_directories(folder);
    const fs::path previous = fs::current_path();
    fs::current_path(folder);
    if (memory) {
        // One shape per run: the peak is the process's, so only the first load would count.
        const std::string_view shape = argc > 2 ? argv[2] : "templates";
        const bool save = argc > 3 && std::string_view(argv[3]) == "save";
        if (shape == "one-template")
            measureMemory(folder, "one 100 MB template", "", save);
        else if (shape == "short")
            measureMemory(folder, "short templates", "x", save);
        else if (shape == "latin-1")
            measureMemory(folder, "Latin-1 templates",
                          "Procedure %Name=p\xA4  Debug \"line\" ; %Value=0\xA4"
                          "EndProcedure",
                          save);
        else
            measureMemory(folder, "templates of 60 bytes",
                          "Procedure %Name=p\xC2\xA4  Debug \"line\" ; %Value=0\xC2\xA4"
                          "EndProcedure",
                          save);
    } else {
        for (int count : {10000, 100000})
            measure(folder, count);
    }
    fs::current_path(previous);
    std::error_code ignored;
    fs::remove_all(folder, ignored);
    return 0;
}

// Times, in a real SciTE, a press of its shortcut for Zendrik until the expanded template
// stands in SciTE's editor, against SciTE's own answer to a typed character in the same runs.
// Prints the median, the fastest and the slowest run of each and the ratio of the medians.
// Needs Sc1.exe and Zendrik.exe beside it; scripts/bench-scite runs it under Wine.
//   zendrik_scite_bench [runs]    (default 15)
#include "e2e/support/SciteSession.h"
#include "Median.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

using namespace endtoend;

double printFigures(const char* what, const std::vector<double>& values) {
    const double median = bench::median(values);
    const auto [fastest, slowest] = std::minmax_element(values.begin(), values.end());
    std::printf("%-42s median %7.1f ms  min %7.1f ms  max %7.1f ms  (%zu runs)\n", what, median,
                *fastest, *slowest, values.size());
    return median;
}

} // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
    Session scite("");
    if (!scite.prepare(0, 0)) {
        std::fprintf(stderr, "SciTE did not come up in front with the focus in its editor\n");
        return 1;
    }
    auto millisecondsUntilLength = [&](int64_t length) {
        const auto start = std::chrono::steady_clock::now();
        waitUntil([&] { return scite.length() >= length; }, 20000, 0);
        return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
            .count();
    };
    std::vector<double> typed, expanded;
    for (int run = -1; run < runs; ++run) { // the first run warms up Wine's caches
        const int64_t before = scite.length();
        typeText(L"x", 0);
        const double typedMs = millisecondsUntilLength(before + 1);
        press({VK_BACK});
        press({VK_RETURN});
        typeText(L"if", 0);
        if (!waitUntil(
                [&] { return scite.text().substr(0, size_t(scite.caret())).ends_with("\nif"); },
                5000)) {
            std::fprintf(stderr, "the typed word never reached SciTE\n");
            return 1;
        }
        const size_t ended = scite.exitCodes().size();
        const int64_t word = scite.length();
        press({VK_CONTROL, VK_F12});
        const double expandedMs = millisecondsUntilLength(word + 1);
        waitUntil([&] { return scite.exitCodes().size() > ended; }, 20000);
        if (run >= 0) {
            typed.push_back(typedMs);
            expanded.push_back(expandedMs);
        }
    }
    const double key = printFigures("typed character until it is in SciTE", typed);
    const double expansion = printFigures("shortcut until the expansion is in SciTE", expanded);
    std::printf("ratio of the medians: %.1f\n", expansion / key);
    return 0;
}

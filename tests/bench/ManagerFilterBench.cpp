// Times the manager's filter over 100,000 names: 200 steps of a filter typed and erased, each
// the rows shown for the new filter, as the manager works them out within a keystroke. Prints
// the time of the rows' lower case, made as the filter field takes the focus, then the slowest
// step (and which it was) and the median. The list's drawing is not in it: the list
// draws only the rows in sight.
//   zendrik_manager_filter_bench [names]
#include "manager/ManagerFilter.h"
#include "Median.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kSteps = 200;

// Names shaped like a library's: words of a few syllables, some in capitals.
std::vector<std::u16string> libraryNames(int count) {
    const char16_t* syllables[] = {u"for",  u"each", u"if",   u"el", u"se",  u"try",
                                   u"cat",  u"ch",   u"Proc", u"ed", u"ure", u"Map",
                                   u"list", u"new",  u"get",  u"Set"};
    std::mt19937 random(7);
    std::vector<std::u16string> names;
    names.reserve(std::size_t(count));
    for (int i = 0; i < count; ++i) {
        std::u16string name;
        const int parts = 2 + int(random() % 3);
        for (int part = 0; part < parts; ++part)
            name += syllables[random() % 16];
        for (char c : std::to_string(i))
            name += char16_t(c);
        names.push_back(std::move(name));
    }
    return names;
}

} // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 100000;
    const std::vector<std::u16string> rows = libraryNames(count);
    // Typed and erased letter by letter, then again, until 200 steps.
    const std::u16string typed = u"forEachProc12";
    std::vector<std::u16string> filters;
    while (int(filters.size()) < kSteps) {
        for (std::size_t length = 1; length <= typed.size(); ++length)
            filters.push_back(typed.substr(0, length));
        for (std::size_t length = typed.size(); length-- > 0;)
            filters.push_back(typed.substr(0, length));
    }
    filters.resize(kSteps);

    manager::RowView view;
    manager::updateRowView(view, rows);
    const Clock::time_point prepared = Clock::now();
    manager::prepareRowFilter(view, rows); // as the filter field takes the focus
    const double prepareMs =
        std::chrono::duration<double, std::milli>(Clock::now() - prepared).count();
    std::vector<double> times;
    double slowest = 0;
    int slowestStep = 0;
    for (int step = 0; step < kSteps; ++step) {
        const Clock::time_point start = Clock::now();
        manager::setRowFilter(view, rows, filters[std::size_t(step)]);
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        times.push_back(ms);
        if (ms > slowest) {
            slowest = ms;
            slowestStep = step + 1;
        }
    }
    std::printf("preparing (the field taking the focus): %.2f ms\n", prepareMs);
    std::printf(
        "manager filter over %d names, %d steps: slowest %.2f ms (step %d), median %.2f ms\n",
        count, kSteps, slowest, slowestStep, bench::median(times));
    return 0;
}

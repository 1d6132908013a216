// Start-up benchmark: a stand-in IDE's editor (the host's real Scintilla) from which two tools
// are started in turn, paired runs of each, with the medians and their ratio.
//
//   StartupBench.exe --runs <n> --tool <exe> --compare <exe> --document <file> --result <file>
//                    [--window] [--tool-arguments <text>] [--timeout <ms>]
//
// A run lasts from the tool's start until it has ended and changed the document; with --window,
// until a window of the tool is the visible active window, which is then closed as its close box
// would, and the tool must end. The document is UTF-8, the marker <|> in it the caret; it is
// restored before every run. The tool arguments go to the first tool only.
#include <windows.h>

#include "idehost/HostWindows.h"
#include "base/TextConvert.h"
#include "e2e/support/Files.h"
#include "e2e/support/Processes.h"
#include "e2e/support/Wait.h"
#include "Median.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Options {
    int runs = 0;
    std::wstring tools[2]; // the tool, and the least program it is compared with
    std::wstring toolArguments;
    std::wstring document;
    std::wstring result;
    int timeoutMs = 20000;
    bool window = false;
};

std::optional<Options> parseOptions() {
    const idehost::Arguments arguments =
        idehost::readArguments({L"--runs", L"--tool", L"--compare", L"--tool-arguments",
                                L"--document", L"--result", L"--timeout"},
                               {L"--window"});
    Options options;
    options.runs = arguments.number(L"--runs", 0);
    options.tools[0] = arguments.text(L"--tool");
    options.tools[1] = arguments.text(L"--compare");
    options.toolArguments = arguments.text(L"--tool-arguments");
    options.document = arguments.text(L"--document");
    options.result = arguments.text(L"--result");
    options.timeoutMs = arguments.number(L"--timeout", options.timeoutMs);
    options.window = arguments.has(L"--window");
    if (!arguments.valid || options.runs <= 0 || options.tools[0].empty() ||
        options.tools[1].empty() || options.result.empty())
        return std::nullopt;
    return options;
}

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// One run of the tool; whether it counts, and its time.
bool timeRun(const Options& options, const idehost::HostWindows& host, int which,
             const std::string& document, double& elapsedMs) {
    const auto start = Clock::now();
    bool counted = false;
    {
        const std::wstring& tool = options.tools[which];
        const endtoend::ChildProcess process = idehost::startTool(
            host, tool, idehost::defaultWorkDir(tool), which == 0 ? options.toolArguments : L"");
        if (!process.started())
            return false;
        if (options.window) {
            HWND window = nullptr;
            endtoend::waitUntil(
                [&] {
                    endtoend::pumpFor(1);
                    return (window = endtoend::activeWindowOf(process.id())) || process.wait(0);
                },
                options.timeoutMs, 0);
            elapsedMs = millisecondsSince(start);
            if (window) {
                PostMessageW(window, WM_CLOSE, 0, 0);
                counted = endtoend::waitForProcess(process.handle(), options.timeoutMs);
            }
        } else {
            counted = endtoend::waitForProcess(process.handle(), options.timeoutMs);
            elapsedMs = millisecondsSince(start);
        }
    }
    // Messages the tool posted before it ended are handled before the editor is read.
    endtoend::pumpMessages();
    return counted && (options.window || idehost::editorText(host.editor) != document);
}

double fastest(const std::vector<double>& values) {
    return values.empty() ? 0.0 : *std::min_element(values.begin(), values.end());
}

std::string fileName(const std::wstring& path) {
    const size_t slash = path.find_last_of(L"\\/");
    return text::utf16ToUtf8(
        text::fromWide(slash == std::wstring::npos ? path : path.substr(slash + 1)));
}

// Both tools the given number of times, alternating which goes first in each pair.
int runBench(const Options& options, const idehost::HostWindows& host,
             const idehost::Document& document) {
    std::vector<double> times[2];
    std::vector<double> pairRatios; // each pair's tool time over its least program's time
    int failures[2] = {0, 0};
    for (int pair = -1; pair < options.runs; ++pair) {
        double pairMs[2] = {0, 0};
        for (int turn = 0; turn < 2; ++turn) {
            const int which = (pair & 1) ? 1 - turn : turn;
            idehost::loadDocument(host.editor, document);
            double elapsedMs = 0;
            const bool counted = timeRun(options, host, which, document.text, elapsedMs);
            if (pair < 0)
                continue; // the first pair warms up Wine's caches and is not counted
            if (counted)
                times[which].push_back(pairMs[which] = elapsedMs);
            else
                ++failures[which];
        }
        if (pairMs[0] > 0 && pairMs[1] > 0)
            pairRatios.push_back(pairMs[0] / pairMs[1]);
    }
    std::string out;
    char line[256];
    std::snprintf(line, sizeof line, "paired runs: %d\n", options.runs);
    out += line;
    for (int which = 0; which < 2; ++which) {
        const auto& t = times[which];
        std::snprintf(line, sizeof line,
                      "%-20s median %8.1f ms  min %8.1f ms  max %8.1f ms  (%zu runs, %d failed)\n",
                      fileName(options.tools[which]).c_str(), bench::median(t), fastest(t),
                      t.empty() ? 0.0 : *std::max_element(t.begin(), t.end()), t.size(),
                      failures[which]);
        out += line;
    }
    const double least = bench::median(times[1]);
    std::snprintf(line, sizeof line, "ratio %s / %s: %.2f\n", fileName(options.tools[0]).c_str(),
                  fileName(options.tools[1]).c_str(),
                  least > 0 ? bench::median(times[0]) / least : 0.0);
    out += line;
    // On a machine shared with other work the medians move with its load; the fastest runs
    // are the ones it disturbed least.
    if (fastest(times[0]) > 0 && fastest(times[1]) > 0) {
        std::snprintf(line, sizeof line, "ratio of the fastest runs: %.2f\n",
                      fastest(times[0]) / fastest(times[1]));
        out += line;
    }
    // The two of a pair ran moments apart, under much the same load.
    std::snprintf(line, sizeof line, "median of the pairs' ratios: %.2f\n",
                  bench::median(pairRatios));
    out += line;
    return endtoend::writeBytes(options.result, out) && failures[0] == 0 && failures[1] == 0 ? 0
                                                                                             : 2;
}

LRESULT CALLBACK mainProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return idehost::hostMainDefault(window, message, wParam, lParam);
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    // DPI-aware as the IDE and its stand-in are.
    SetProcessDPIAware();
    const std::optional<Options> options = parseOptions();
    if (!options)
        return 3;
    const idehost::HostWindows host = idehost::createHostWindows(
        instance, L"ZendrikStartupBench", L"StartupBench", mainProcedure, {40, 40, 940, 640});
    if (!host.editor)
        return 4;
    ShowWindow(host.main, SW_SHOW);
    UpdateWindow(host.main);
    SetForegroundWindow(host.main);
    SetFocus(host.editor);
    const std::optional<std::string> bytes = endtoend::readBytes(options->document);
    if (!bytes)
        return 5;
    // The window must be shown and answering before a tool is started, as in the IDE.
    endtoend::pumpMessages();
    return runBench(*options, host, idehost::parseDocument(*bytes));
}

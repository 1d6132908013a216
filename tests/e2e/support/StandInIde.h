#pragma once
// Running the real Zendrik.exe from the stand-in IDE (IdeHost.exe) in scripted mode, and
// reading what the host reports afterwards: the editor's bytes and caret, after the tool and
// after one undo, and the facts it saw of the tool's windows. Both programs are found beside
// the test program.
#include "idehost/HostProtocol.h"
#include "e2e/support/Files.h"
#include "e2e/support/Processes.h"

#include <windows.h>

#include <cstdint>
#include <map>
#include <sstream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace endtoend {

inline constexpr std::string_view kCaret = idehost::kCaretMarker;
inline constexpr std::string_view kAnchor = idehost::kAnchorMarker;

struct EditorReport {
    std::string text;
    int64_t caret = -1;
    int64_t anchor = -1;
};

struct HostReport {
    bool complete = false;
    std::string exit;
    EditorReport after;
    EditorReport undone;
    std::map<std::string, std::string> facts; // every other line: "popup-outer", "foreground"
};

// Reads "name value" lines; a "text" line gives the number of raw bytes that follow it.
inline HostReport parseReport(const std::string& bytes) {
    HostReport report;
    size_t at = 0;
    bool sawText = false;
    while (at < bytes.size()) {
        const size_t end = bytes.find('\n', at);
        if (end == std::string::npos)
            return report;
        const std::string line = bytes.substr(at, end - at);
        at = end + 1;
        const size_t space = line.find(' ');
        if (space == std::string::npos)
            return report;
        std::string key = line.substr(0, space);
        const std::string value = line.substr(space + 1);
        EditorReport* editor = &report.after;
        if (key.starts_with("undone-")) {
            editor = &report.undone;
            key = key.substr(7);
        }
        if (key == "exit") {
            report.exit = value;
        } else if (key == "caret") {
            editor->caret = std::stoll(value);
        } else if (key == "anchor") {
            editor->anchor = std::stoll(value);
        } else if (key == "text") {
            const size_t length = std::stoul(value);
            if (at + length + 1 > bytes.size())
                return report;
            editor->text = bytes.substr(at, length);
            at += length + 1;
            sawText = true;
        } else {
            report.facts[key] = value;
        }
    }
    report.complete = sawText && !report.exit.empty();
    return report;
}

// A fact's value, empty when the host did not report it.
inline std::string fact(const HostReport& report, const std::string& key) {
    const auto found = report.facts.find(key);
    return found == report.facts.end() ? std::string() : found->second;
}

// The numbers of a fact such as "popup-outer 10 20 630 177".
inline std::vector<long> factNumbers(const HostReport& report, const std::string& key) {
    std::vector<long> values;
    std::istringstream in(fact(report, key));
    for (long value; in >> value;)
        values.push_back(value);
    return values;
}

inline std::string withCaret(std::string text, int64_t caret) {
    if (caret < 0 || caret > int64_t(text.size()))
        return text + " [caret " + std::to_string(caret) + " outside the text]";
    return text.insert(size_t(caret), kCaret);
}

// The text with the caret marked and, where a selection is left, its anchor too.
inline std::string withSelection(std::string text, int64_t anchor, int64_t caret) {
    if (anchor == caret)
        return withCaret(std::move(text), caret);
    if (anchor < 0 || anchor > int64_t(text.size()))
        return withCaret(std::move(text), caret) + " [anchor " + std::to_string(anchor) +
               " outside the text]";
    if (anchor > caret)
        return withCaret(text.insert(size_t(anchor), kAnchor), caret);
    return withCaret(std::move(text), caret).insert(size_t(anchor), kAnchor);
}

// One scripted run of IdeHost.exe, started without waiting; the tool's working directory is
// the host's default, the folder above the tool's, so the program must find its own folder by
// itself. The document and the report are files named after the run in the folder.
class HostRun {
  public:
    HostRun(const std::wstring& folder, const std::wstring& tool, const std::string& document,
            const std::wstring& moreOptions = L"", const std::wstring& name = L"document")
        : resultPath_(folder + L"\\" + name + L".txt") {
        const std::wstring documentPath = folder + L"\\" + name + L".pb";
        if (writeBytes(documentPath, document))
            process_ = endtoend::ChildProcess(
                L"\"" + programFolder() + L"IdeHost.exe\" --tool \"" + tool + L"\" --document \"" +
                    documentPath + L"\" --result \"" + resultPath_ + L"\" " + moreOptions,
                folder);
    }

    bool started() const { return process_.started(); }

    // The host's report once it ended; empty when it did not end in time or wrote none.
    std::string finish(int milliseconds = 60000) const {
        return process_.wait(milliseconds) ? readBytes(resultPath_).value_or("") : "";
    }

  private:
    std::wstring resultPath_;
    endtoend::ChildProcess process_;
};

// A run to its end, with one undo after the tool.
inline HostReport runHost(const std::wstring& tool, const std::wstring& folder,
                          const std::string& document, const std::wstring& moreOptions) {
    return parseReport(HostRun(folder, tool, document, L"--undo " + moreOptions).finish());
}

// A copy of the built Zendrik.exe in the scratch folder's "tool" folder with the given
// preference file beside it; empty when it could not be made.
inline std::wstring toolWithPreferences(const ScratchFolder& scratch,
                                        std::string_view preferences) {
    const std::wstring folder = scratch.path + L"\\tool";
    const std::wstring tool = folder + L"\\Zendrik.exe";
    if (!CreateDirectoryW(folder.c_str(), nullptr) ||
        !CopyFileW((programFolder() + L"Zendrik.exe").c_str(), tool.c_str(), FALSE) ||
        !writeBytes(preferenceFileIn(folder), preferences))
        return {};
    return tool;
}

} // namespace endtoend

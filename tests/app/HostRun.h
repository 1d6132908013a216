#pragma once
// Running the real Zendrik.exe from the stand-in IDE (IdeHost.exe) in scripted mode, and
// reading what the host reports afterwards: the editor's bytes and caret, after the tool and
// after one undo, and the facts it saw of the tool's windows. Both programs are found beside
// the test program.
#include "app/EndToEndFiles.h"
#include "idehost/HostProtocol.h"

#include <windows.h>

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace endtoend {

inline constexpr std::string_view kCaret = idehost::kCaretMarker;

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

inline std::string withCaret(std::string text, int64_t caret) {
    if (caret < 0 || caret > int64_t(text.size()))
        return text + " [caret " + std::to_string(caret) + " outside the text]";
    return text.insert(size_t(caret), kCaret);
}

// Runs IdeHost.exe in scripted mode; the tool's working directory is the host's default,
// the folder above the tool's, so the program must find its own folder by itself.
inline HostReport runHost(const std::wstring& tool, const std::wstring& folder,
                          const std::string& document, const std::wstring& moreOptions) {
    const std::wstring documentPath = folder + L"\\document.pb";
    const std::wstring resultPath = folder + L"\\result.txt";
    if (!writeBytes(documentPath, document))
        return {};
    std::wstring command = L"\"" + programFolder() + L"IdeHost.exe\" --tool \"" + tool +
                           L"\" --document \"" + documentPath + L"\" --result \"" + resultPath +
                           L"\" --undo " + moreOptions;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.c_str(), &startup, &process))
        return {};
    CloseHandle(process.hThread);
    if (WaitForSingleObject(process.hProcess, 60000) != WAIT_OBJECT_0)
        TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hProcess);
    const std::optional<std::string> result = readBytes(resultPath);
    return result ? parseReport(*result) : HostReport{};
}

// A copy of the built Zendrik.exe in the scratch folder's "tool" folder with the given
// preference file beside it; empty when it could not be made.
inline std::wstring toolWithPreferences(const ScratchFolder& scratch,
                                        std::string_view preferences) {
    const std::wstring folder = scratch.path + L"\\tool";
    const std::wstring tool = folder + L"\\Zendrik.exe";
    if (!CreateDirectoryW(folder.c_str(), nullptr) ||
        !CopyFileW((programFolder() + L"Zendrik.exe").c_str(), tool.c_str(), FALSE) ||
        !writeBytes(folder + L"\\Zendrik.pref", preferences))
        return {};
    return tool;
}

} // namespace endtoend

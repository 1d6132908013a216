#pragma once
// Running the real Zendrik.exe from the stand-in IDE (IdeHost.exe) in scripted mode, and
// reading what the host reports afterwards: the editor's bytes and caret, after the tool and
// after one undo, and the facts it saw of the tool's windows. Both programs are found beside
// the test program.
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace e2e {

inline constexpr std::string_view kCaret = "<|>";

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

inline std::wstring programFolder() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path);
    return folder.substr(0, folder.find_last_of(L"\\/") + 1);
}

inline bool fileExists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

inline std::optional<std::string> readBytes(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    if (!in)
        return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline bool writeBytes(const std::wstring& path, std::string_view bytes) {
    std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), std::streamsize(bytes.size()));
    return bool(out);
}

inline void removeTree(const std::wstring& folder) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..")
                continue;
            const std::wstring path = folder + L"\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                removeTree(path);
            else
                DeleteFileW(path.c_str());
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(folder.c_str());
}

// A folder of its own for one run, gone afterwards.
struct ScratchFolder {
    ScratchFolder() {
        static std::atomic<int> counter{0};
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        path = std::wstring(temp) + L"zendrik-e2e-" + std::to_wstring(GetCurrentProcessId()) +
               L"-" + std::to_wstring(++counter);
        removeTree(path);
        CreateDirectoryW(path.c_str(), nullptr);
    }
    ~ScratchFolder() { removeTree(path); }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    std::wstring path;
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

} // namespace e2e

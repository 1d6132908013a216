// Files and folders of the end-to-end tests: the test program's own folder, whole files as
// bytes, and a scratch folder per run that is gone afterwards.
#pragma once

#include <windows.h>

#include <atomic>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>

#include "store/ShortcutStore.h"
#include "base/TextConvert.h"

namespace endtoend {

inline std::wstring programFolder() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path);
    return folder.substr(0, folder.find_last_of(L"\\/") + 1);
}

inline std::wstring preferenceFileIn(const std::wstring& folder) {
    return folder + L"\\" + text::toWide(store::kPreferenceFileName);
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
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                removeTree(path);
            } else {
                SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(path.c_str());
            }
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

} // namespace endtoend

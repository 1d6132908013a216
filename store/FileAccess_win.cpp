#include "store/FileAccess.h"

#include "base/OwnedHandles_win.h"
#include "base/TextConvert.h"
#include "store/ShortcutStore.h"

#include <windows.h>

#include <algorithm>

namespace store {

namespace {

constexpr DWORD kChunk = DWORD(1) << 24;

HANDLE handleOf(const FileHandle& file) {
    return reinterpret_cast<HANDLE>(file.native());
}

// CreateFileW's answer as an owner; INVALID_HANDLE_VALUE gives one that holds no file.
FileHandle ownedFile(HANDLE handle) {
    return handle == INVALID_HANDLE_VALUE ? FileHandle()
                                          : FileHandle(reinterpret_cast<std::intptr_t>(handle));
}

// Only disk files are taken: a device or pipe of that name could block or never end.
FileHandle openDiskFile(std::u16string_view path, DWORD access, DWORD share, DWORD disposition) {
    const std::wstring native = text::toWide(path);
    FileHandle file = ownedFile(CreateFileW(native.c_str(), access, share, nullptr, disposition,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.valid() && GetFileType(handleOf(file)) != FILE_TYPE_DISK)
        file.reset();
    return file;
}

// A search handle ends with FindClose, not CloseHandle.
void closeSearch(HANDLE search) {
    FindClose(search);
}
using OwnedSearch = base::Owned<HANDLE, closeSearch>;

bool seekTo(HANDLE handle, LONGLONG offset) {
    LARGE_INTEGER distance;
    distance.QuadPart = offset;
    return SetFilePointerEx(handle, distance, nullptr, FILE_BEGIN) != 0;
}

} // namespace

void FileHandle::reset() {
    if (native_ != kNone)
        CloseHandle(reinterpret_cast<HANDLE>(native_));
    native_ = kNone;
}

bool openForReading(std::u16string_view path, FileHandle& file) {
    FileHandle opened = openDiskFile(
        path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING);
    if (!opened.valid())
        return false;
    file = std::move(opened);
    return true;
}

bool createFile(std::u16string_view path, CreateMode mode, FileHandle& file) {
    FileHandle created = openDiskFile(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                                      mode == CreateMode::Always ? CREATE_ALWAYS : CREATE_NEW);
    if (!created.valid())
        return false;
    file = std::move(created);
    return true;
}

bool fileSize(const FileHandle& file, std::uint64_t& size) {
    LARGE_INTEGER native;
    if (!GetFileSizeEx(handleOf(file), &native) || native.QuadPart < 0)
        return false;
    size = static_cast<std::uint64_t>(native.QuadPart);
    return true;
}

std::int64_t readFileAt(const FileHandle& file, std::uint64_t offset, char* buffer,
                        std::size_t count) {
    HANDLE handle = handleOf(file);
    if (offset > std::uint64_t(INT64_MAX) || !seekTo(handle, static_cast<LONGLONG>(offset)))
        return -1;
    DWORD read = 0;
    if (!ReadFile(handle, buffer, static_cast<DWORD>(std::min<std::size_t>(count, kChunk)), &read,
                  nullptr))
        return -1;
    return std::int64_t(read);
}

bool reserveFileSize(const FileHandle& file, std::uint64_t size) {
    HANDLE handle = handleOf(file);
    LARGE_INTEGER current;
    if (!GetFileSizeEx(handle, &current) || size > std::uint64_t(INT64_MAX))
        return false;
    if (static_cast<LONGLONG>(size) <= current.QuadPart)
        return true;
    return seekTo(handle, static_cast<LONGLONG>(size)) && SetEndOfFile(handle);
}

bool writeFileAt(const FileHandle& file, std::uint64_t offset, std::string_view bytes) {
    HANDLE handle = handleOf(file);
    if (offset > std::uint64_t(INT64_MAX) || !seekTo(handle, static_cast<LONGLONG>(offset)))
        return false;
    size_t done = 0;
    while (done < bytes.size()) {
        const DWORD want = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, kChunk));
        DWORD written = 0;
        if (!WriteFile(handle, bytes.data() + done, want, &written, nullptr) || written == 0)
            return false;
        done += written;
    }
    return true;
}

bool endFileAt(const FileHandle& file, std::uint64_t size) {
    HANDLE handle = handleOf(file);
    return size <= std::uint64_t(INT64_MAX) && seekTo(handle, static_cast<LONGLONG>(size)) &&
           SetEndOfFile(handle) && FlushFileBuffers(handle);
}

namespace {

std::int64_t ticksOf(const FILETIME& time) {
    return static_cast<std::int64_t>((std::uint64_t(time.dwHighDateTime) << 32) |
                                     time.dwLowDateTime);
}

FileStamp stampOf(DWORD attributes, DWORD sizeHigh, DWORD sizeLow, const FILETIME& lastWrite) {
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return {};
    return {true, (std::uint64_t(sizeHigh) << 32) | sizeLow, ticksOf(lastWrite)};
}

using FinalPathFunction = DWORD(WINAPI*)(HANDLE, LPWSTR, DWORD, DWORD);

// "\\?\C:\folder\file" as a plain path; "\\?\UNC\server\share" as "\\server\share".
std::wstring withoutLongPrefix(std::wstring path) {
    if (path.rfind(L"\\\\?\\UNC\\", 0) == 0)
        return L"\\\\" + path.substr(8);
    if (path.rfind(L"\\\\?\\", 0) == 0)
        return path.substr(4);
    return path;
}

} // namespace

// The attributes of a symbolic link are the link's own; the file it points to is what a load
// opens and stamps.
FileStamp fileStampAt(std::u16string_view path) {
    const std::wstring native = text::toWide(path);
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(native.c_str(), GetFileExInfoStandard, &data))
        return {};
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0)
        return stampOf(data.dwFileAttributes, data.nFileSizeHigh, data.nFileSizeLow,
                       data.ftLastWriteTime);
    const FileHandle file =
        ownedFile(CreateFileW(native.c_str(), FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, 0, nullptr));
    if (!file.valid())
        return {};
    return fileStampOf(file);
}

FileStamp fileStampOf(const FileHandle& file) {
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(handleOf(file), &info))
        return {};
    return stampOf(info.dwFileAttributes, info.nFileSizeHigh, info.nFileSizeLow,
                   info.ftLastWriteTime);
}

std::int64_t fileClockNow() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return ticksOf(now);
}

bool isReadOnlyFile(std::u16string_view path) {
    const DWORD attributes = GetFileAttributesW(text::toWide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0 &&
           (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool removeFile(std::u16string_view path) {
    return DeleteFileW(text::toWide(path).c_str()) != 0;
}

// Windows XP has no symbolic links to files and no GetFinalPathNameByHandleW; later systems
// give the link's target through it.
std::u16string savedFilePath(std::u16string_view path) {
    const std::wstring native = text::toWide(path);
    const DWORD attributes = GetFileAttributesW(native.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0)
        return std::u16string(path);
    static const auto finalPath = base::moduleFunction<FinalPathFunction>(
        GetModuleHandleW(L"kernel32.dll"), "GetFinalPathNameByHandleW");
    if (!finalPath)
        return std::u16string(path);
    const FileHandle link =
        ownedFile(CreateFileW(native.c_str(), FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!link.valid())
        return std::u16string(path);
    std::wstring target(MAX_PATH, L'\0');
    DWORD length = finalPath(handleOf(link), target.data(), DWORD(target.size()), 0);
    if (length >= target.size()) {
        target.resize(length + 1);
        length = finalPath(handleOf(link), target.data(), DWORD(target.size()), 0);
    }
    if (length == 0 || length >= target.size())
        return std::u16string(path);
    target.resize(length);
    return text::fromWide(withoutLongPrefix(target));
}

// ReplaceFileW keeps the old file's attributes, security and creation time, and leaves the old
// file under the backup name; it needs an old file, and where it cannot be used (or failed
// after the old file went) MoveFileExW replaces in one step as well.
bool moveIntoPlace(std::u16string_view saving, std::u16string_view target, SaveMode mode,
                   std::u16string_view backup) {
    const std::wstring from = text::toWide(saving);
    const std::wstring to = text::toWide(target);
    if (mode == SaveMode::CreateOnly)
        return MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH) != 0;
    const std::wstring backupName = text::toWide(backup);
    if (ReplaceFileW(to.c_str(), from.c_str(), backup.empty() ? nullptr : backupName.c_str(),
                     REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr))
        return true;
    return MoveFileExW(from.c_str(), to.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

void clearFileAttributes(std::u16string_view path) {
    SetFileAttributesW(text::toWide(path).c_str(), FILE_ATTRIBUTE_NORMAL);
}

bool createFolder(std::u16string_view path) {
    return CreateDirectoryW(text::toWide(path).c_str(), nullptr) != 0;
}

std::vector<std::u16string> folderFileNames(std::u16string_view folder) {
    std::vector<std::u16string> names;
    WIN32_FIND_DATAW found;
    HANDLE first = FindFirstFileW((text::toWide(folder) + L"\\*").c_str(), &found);
    if (first == INVALID_HANDLE_VALUE)
        return names;
    const OwnedSearch search(first);
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
            names.push_back(text::fromWide(found.cFileName));
    } while (FindNextFileW(search.get(), &found));
    return names;
}

// Shared with everyone, deleting included, so that the lock file never keeps anything from
// working with the folder.
bool openLockFile(std::u16string_view path, FileHandle& file) {
    FileHandle opened =
        openDiskFile(path, GENERIC_READ | GENERIC_WRITE,
                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_ALWAYS);
    if (!opened.valid())
        return false;
    file = std::move(opened);
    return true;
}

// The whole range of the file: only the handle that holds the lock reads and writes it.
bool tryLockFile(const FileHandle& file) {
    OVERLAPPED from = {};
    return LockFileEx(handleOf(file), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0,
                      MAXDWORD, MAXDWORD, &from) != 0;
}

// Closing the handle lets the lock go as well, but only when the system gets to it.
void unlockFile(const FileHandle& file) {
    OVERLAPPED from = {};
    UnlockFileEx(handleOf(file), 0, MAXDWORD, MAXDWORD, &from);
}

// Closing a handle that wrote a file may set its last write time again; a time set through
// the handle stays as it is.
FileStamp keepFileStamp(const FileHandle& file) {
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(handleOf(file), &info) ||
        !SetFileTime(handleOf(file), nullptr, nullptr, &info.ftLastWriteTime))
        return {};
    return stampOf(info.dwFileAttributes, info.nFileSizeHigh, info.nFileSizeLow,
                   info.ftLastWriteTime);
}

bool pathExists(std::u16string_view path) {
    const std::wstring native = text::toWide(path);
    if (GetFileAttributesW(native.c_str()) != INVALID_FILE_ATTRIBUTES)
        return true;
    // Anything but a plain "not there" counts as existing, so nothing is written over it.
    switch (GetLastError()) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
        return false;
    default:
        return true;
    }
}

bool folderExists(std::u16string_view path) {
    const DWORD attributes = GetFileAttributesW(text::toWide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool canCreateFileIn(std::u16string_view folder) {
    std::wstring trial = text::toWide(folder);
    if (!trial.empty() && trial.back() != L'\\' && trial.back() != L'/')
        trial += L'\\';
    trial += text::toWide(kPreferenceFileName) + L".trial";
    const HANDLE file = CreateFileW(trial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_FILE_EXISTS; // left by another start: made there before
    CloseHandle(file);
    return true;
}

} // namespace store

#include "store/FileAccess.h"

#include "store/TextConvert.h"

#include <windows.h>

#include <algorithm>

namespace store {

namespace {

constexpr DWORD kChunk = DWORD(1) << 24;

HANDLE handleOf(const FileHandle& file) {
    return reinterpret_cast<HANDLE>(file.native());
}

// Only disk files are taken: a device or pipe of that name could block or never end.
HANDLE openDiskFile(std::u16string_view path, DWORD access, DWORD share, DWORD disposition) {
    const std::wstring native = text::toWide(path);
    HANDLE handle = CreateFileW(native.c_str(), access, share, nullptr, disposition,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return handle;
    if (GetFileType(handle) != FILE_TYPE_DISK) {
        CloseHandle(handle);
        return INVALID_HANDLE_VALUE;
    }
    return handle;
}

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

FileMode openExistingFile(std::u16string_view path, FileHandle& file) {
    struct Attempt {
        DWORD access;
        DWORD share;
        FileMode mode;
    };
    static constexpr Attempt kAttempts[] = {
        {GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, FileMode::readWrite},
        // The read-only attribute, or another program that may only be joined as a reader.
        {GENERIC_READ, FILE_SHARE_READ, FileMode::readOnly},
        // Another program holds the file open for writing and lets others read.
        {GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, FileMode::readOnly},
    };
    // Windows refuses write access to a file with the read-only attribute; asking first keeps
    // that rule where the file system does not enforce it (Wine run by root).
    const std::wstring native = text::toWide(path);
    const DWORD attributes = GetFileAttributesW(native.c_str());
    const bool markedReadOnly =
        attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
    for (const Attempt& attempt : kAttempts) {
        if (markedReadOnly && attempt.mode == FileMode::readWrite)
            continue;
        HANDLE handle = openDiskFile(path, attempt.access, attempt.share, OPEN_EXISTING);
        if (handle != INVALID_HANDLE_VALUE) {
            file = FileHandle(reinterpret_cast<std::intptr_t>(handle));
            return attempt.mode;
        }
    }
    return FileMode::unopened;
}

bool createFile(std::u16string_view path, CreateMode mode, FileHandle& file) {
    HANDLE handle = openDiskFile(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                                 mode == CreateMode::always ? CREATE_ALWAYS : CREATE_NEW);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    file = FileHandle(reinterpret_cast<std::intptr_t>(handle));
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

} // namespace store

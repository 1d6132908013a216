#include "store/FileAccess.h"

#include "base/TextConvert.h"
#include "store/ShortcutStore.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace store {

namespace {

int descriptor(const FileHandle& file) {
    return static_cast<int>(file.native());
}

// O_NONBLOCK keeps a FIFO of that name from blocking the open; only regular files are taken.
int openRegular(std::u16string_view path, int flags) {
    const std::string native = text::utf16ToUtf8(path);
    int fd;
    do
        fd = ::open(native.c_str(), flags | O_CLOEXEC | O_NONBLOCK, 0666);
    while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return -1;
    struct stat status;
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        return -1;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

} // namespace

void FileHandle::reset() {
    if (native_ != kNone)
        ::close(static_cast<int>(native_));
    native_ = kNone;
}

bool openForReading(std::u16string_view path, FileHandle& file) {
    const int fd = openRegular(path, O_RDONLY);
    if (fd < 0)
        return false;
    file = FileHandle(fd);
    return true;
}

bool createFile(std::u16string_view path, CreateMode mode, FileHandle& file) {
    const int flags = O_RDWR | O_CREAT | (mode == CreateMode::Always ? O_TRUNC : O_EXCL);
    const int fd = openRegular(path, flags);
    if (fd < 0)
        return false;
    file = FileHandle(fd);
    return true;
}

bool fileSize(const FileHandle& file, std::uint64_t& size) {
    struct stat status;
    if (::fstat(descriptor(file), &status) != 0 || status.st_size < 0)
        return false;
    size = static_cast<std::uint64_t>(status.st_size);
    return true;
}

std::int64_t readFileAt(const FileHandle& file, std::uint64_t offset, char* buffer,
                        std::size_t count) {
    if (offset > std::uint64_t(INT64_MAX))
        return -1;
    for (;;) {
        const ssize_t n = ::pread(descriptor(file), buffer, count, off_t(offset));
        if (n < 0 && errno == EINTR)
            continue;
        return n < 0 ? -1 : std::int64_t(n);
    }
}

bool reserveFileSize(const FileHandle& file, std::uint64_t size) {
    if (size > std::uint64_t(INT64_MAX))
        return false;
    if (size == 0)
        return true;
    const int reserved = ::posix_fallocate(descriptor(file), 0, off_t(size));
    // A file system that cannot reserve space is written anyway.
    return reserved != ENOSPC && reserved != EFBIG && reserved != EBADF;
}

bool writeFileAt(const FileHandle& file, std::uint64_t offset, std::string_view bytes) {
    const int fd = descriptor(file);
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n =
            ::pwrite(fd, bytes.data() + done, bytes.size() - done, off_t(offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

bool endFileAt(const FileHandle& file, std::uint64_t size) {
    const int fd = descriptor(file);
    return size <= std::uint64_t(INT64_MAX) && ::ftruncate(fd, off_t(size)) == 0 &&
           ::fsync(fd) == 0;
}

namespace {

FileStamp stampOf(const struct stat& status) {
    if (!S_ISREG(status.st_mode))
        return {};
    return {true, static_cast<std::uint64_t>(status.st_size),
            std::int64_t(status.st_mtim.tv_sec) * kFileTicksPerSecond +
                status.st_mtim.tv_nsec / 100};
}

// The folder of a path, for flushing a rename to the disk.
std::string folderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

void flushFolder(const std::string& path) {
    const int fd = ::open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

FileStamp fileStampAt(std::u16string_view path) {
    struct stat status;
    if (::stat(text::utf16ToUtf8(path).c_str(), &status) != 0)
        return {};
    return stampOf(status);
}

FileStamp fileStampOf(const FileHandle& file) {
    struct stat status;
    if (::fstat(descriptor(file), &status) != 0)
        return {};
    return stampOf(status);
}

std::int64_t fileClockNow() {
    struct timespec now;
    ::clock_gettime(CLOCK_REALTIME, &now);
    return std::int64_t(now.tv_sec) * kFileTicksPerSecond + now.tv_nsec / 100;
}

bool isReadOnlyFile(std::u16string_view path) {
    struct stat status;
    return ::stat(text::utf16ToUtf8(path).c_str(), &status) == 0 && S_ISREG(status.st_mode) &&
           (status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

bool removeFile(std::u16string_view path) {
    return ::unlink(text::utf16ToUtf8(path).c_str()) == 0;
}

std::u16string savedFilePath(std::u16string_view path) {
    const std::string native = text::utf16ToUtf8(path);
    struct stat status;
    if (::lstat(native.c_str(), &status) != 0 || !S_ISLNK(status.st_mode))
        return std::u16string(path);
    char* resolved = ::realpath(native.c_str(), nullptr);
    if (!resolved)
        return std::u16string(path); // a dangling link: the save replaces the link itself
    std::u16string target = text::utf8ToUtf16(resolved);
    ::free(resolved);
    return target;
}

// rename() replaces in one step; link() puts a file where nothing is, or fails. The backup is
// another name of the old file made before, so no copy is ever written.
bool moveIntoPlace(std::u16string_view saving, std::u16string_view target, SaveMode mode,
                   std::u16string_view backup) {
    const std::string from = text::utf16ToUtf8(saving);
    const std::string to = text::utf16ToUtf8(target);
    if (mode == SaveMode::Replace) {
        // A backup name of a file that stays in place would be a second copy of the library.
        const std::string kept = text::utf16ToUtf8(backup);
        const bool linked = !backup.empty() && ::link(to.c_str(), kept.c_str()) == 0;
        if (::rename(from.c_str(), to.c_str()) != 0) {
            if (linked)
                ::unlink(kept.c_str());
            return false;
        }
    } else {
        if (::link(from.c_str(), to.c_str()) == 0) {
            ::unlink(from.c_str());
        } else {
            // A file system without hard links: rename, where nothing is.
            struct stat status;
            const bool noLinks = errno == EPERM || errno == ENOTSUP || errno == EOPNOTSUPP;
            if (!noLinks || ::lstat(to.c_str(), &status) == 0 ||
                ::rename(from.c_str(), to.c_str()) != 0)
                return false;
        }
    }
    flushFolder(to);
    return true;
}

void clearFileAttributes(std::u16string_view) {}

bool createFolder(std::u16string_view path) {
    return ::mkdir(text::utf16ToUtf8(path).c_str(), 0777) == 0;
}

std::vector<std::u16string> folderFileNames(std::u16string_view folder) {
    std::vector<std::u16string> names;
    const std::string native = text::utf16ToUtf8(folder);
    DIR* listing = ::opendir(native.c_str());
    if (!listing)
        return names;
    while (const struct dirent* entry = ::readdir(listing)) {
        struct stat status;
        const std::string path = native + "/" + entry->d_name;
        if (::lstat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode))
            names.push_back(text::utf8ToUtf16(entry->d_name));
    }
    ::closedir(listing);
    return names;
}

bool openLockFile(std::u16string_view path, FileHandle& file) {
    const int fd = openRegular(path, O_RDWR | O_CREAT);
    if (fd < 0)
        return false;
    file = FileHandle(fd);
    return true;
}

// flock, not fcntl: an fcntl lock of the process goes with any descriptor of the file closed.
bool tryLockFile(const FileHandle& file) {
    for (;;) {
        if (::flock(descriptor(file), LOCK_EX | LOCK_NB) == 0)
            return true;
        if (errno != EINTR)
            return false;
    }
}

void unlockFile(const FileHandle& file) {
    ::flock(descriptor(file), LOCK_UN);
}

FileStamp keepFileStamp(const FileHandle& file) {
    return fileStampOf(file);
}

bool pathExists(std::u16string_view path) {
    struct stat status;
    if (::stat(text::utf16ToUtf8(path).c_str(), &status) == 0)
        return true;
    return errno != ENOENT && errno != ENOTDIR;
}

bool folderExists(std::u16string_view path) {
    struct stat status;
    return ::stat(text::utf16ToUtf8(path).c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

bool canCreateFileIn(std::u16string_view folder) {
    std::string trial = text::utf16ToUtf8(folder);
    if (!trial.empty() && trial.back() != '/')
        trial += '/';
    trial += text::utf16ToUtf8(kPreferenceFileName) + ".trial";
    const int file = ::open(trial.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
    if (file < 0)
        return errno == EEXIST;
    ::close(file);
    ::unlink(trial.c_str());
    return true;
}

} // namespace store

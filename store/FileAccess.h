#pragma once
// The platform part of the preference file: opening with the sharing rules, reading a file
// whole and replacing its contents in place. Win32 body in FileAccess_win.cpp, POSIX body in
// FileAccess_posix.cpp. Paths are UTF-16 on every platform.
#include <cstdint>
#include <string>
#include <string_view>

namespace store {

// Owner of one open file: a Win32 HANDLE or a POSIX descriptor, held as an integer so that
// this header needs no platform header. -1 is "no file" for both.
class FileHandle {
  public:
    FileHandle() = default;
    explicit FileHandle(std::intptr_t native) : native_(native) {}
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    FileHandle(FileHandle&& other) noexcept : native_(other.release()) {}
    FileHandle& operator=(FileHandle&& other) noexcept {
        if (this != &other) {
            reset();
            native_ = other.release();
        }
        return *this;
    }
    ~FileHandle() { reset(); }

    bool valid() const { return native_ != kNone; }
    std::intptr_t native() const { return native_; }
    std::intptr_t release() {
        const std::intptr_t native = native_;
        native_ = kNone;
        return native;
    }
    void reset(); // closes the file, if any

  private:
    static constexpr std::intptr_t kNone = -1;
    std::intptr_t native_ = kNone;
};

enum class FileMode { unopened, readWrite, readOnly };

// Opens an existing regular file for reading and writing while others may only read; failing
// that for reading only (others may read); failing that for reading only while others may
// read and write. A folder never opens.
FileMode openExistingFile(std::u16string_view path, FileHandle& file);

enum class CreateMode {
    always,  // creates the file or empties an existing one
    newOnly, // fails when anything of that name exists
};

// Opens a new file for reading and writing; others may read.
bool createFile(std::u16string_view path, CreateMode mode, FileHandle& file);

// A preference file is a few hundred kilobytes at most; anything larger is not one.
inline constexpr std::uint64_t kLargestReadable = std::uint64_t(1) << 30;

// Reads the file from its first byte to its end (FileAccess.cpp, over the two below).
bool readWholeFile(const FileHandle& file, std::string& bytes);

bool fileSize(const FileHandle& file, std::uint64_t& size);
// Up to `count` bytes at `offset`: how many were read, 0 at the end, -1 on failure.
std::int64_t readFileAt(const FileHandle& file, std::uint64_t offset, char* buffer,
                        std::size_t count);

// Replacing a file's whole content, in pieces if need be: reserve the new size first, so that
// a full disk fails before anything is overwritten; write the pieces at their offsets; then cut
// the file at the new size and flush it to the disk.
bool reserveFileSize(const FileHandle& file, std::uint64_t size);
bool writeFileAt(const FileHandle& file, std::uint64_t offset, std::string_view bytes);
bool endFileAt(const FileHandle& file, std::uint64_t size);

// Makes `bytes` the whole content of the file. False when any step failed.
inline bool replaceFileContents(const FileHandle& file, std::string_view bytes) {
    return reserveFileSize(file, bytes.size()) && writeFileAt(file, 0, bytes) &&
           endFileAt(file, bytes.size());
}

// A file or a folder of that name exists (or something is there that could not be examined).
bool pathExists(std::u16string_view path);

// A folder of that name exists.
bool folderExists(std::u16string_view path);

} // namespace store

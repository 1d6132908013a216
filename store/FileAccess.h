#pragma once
// The platform part of the preference file: opening for reading with the sharing rules,
// reading a file whole, and saving a new file whole in place of the old one. Win32 body in
// FileAccess_win.cpp, POSIX body in FileAccess_posix.cpp. Paths are UTF-16 on every platform.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

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

// Opens an existing regular file for reading only; others may read, write, rename and delete
// it meanwhile, so that reading never keeps another program from saving. A folder never opens.
bool openForReading(std::u16string_view path, FileHandle& file);

enum class CreateMode {
    Always,  // creates the file or empties an existing one
    NewOnly, // fails when anything of that name exists
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

// The pieces of writing a new file: reserve its size first, so that a full disk fails before
// anything is written; write the pieces at their offsets; cut the file at its size and flush
// it to the disk.
bool reserveFileSize(const FileHandle& file, std::uint64_t size);
bool writeFileAt(const FileHandle& file, std::uint64_t offset, std::string_view bytes);
bool endFileAt(const FileHandle& file, std::uint64_t size);

// A file's size and last write time, in ticks of 100 ns on the platform's clock; `exists` is
// false when nothing is there (or it is a folder).
struct FileStamp {
    bool exists = false;
    std::uint64_t size = 0;
    std::int64_t lastWrite = 0;
    bool operator==(const FileStamp&) const = default;
};
FileStamp fileStampAt(std::u16string_view path);
FileStamp fileStampOf(const FileHandle& file);
std::int64_t fileClockNow();
inline constexpr std::int64_t kFileTicksPerSecond = 10'000'000;

// The file has the read-only attribute (POSIX: no write permission at all).
bool isReadOnlyFile(std::u16string_view path);
bool removeFile(std::u16string_view path);
// Drops the read-only and hidden attributes, which keep a file from being created again
// (POSIX: nothing to do, removing needs no rights on the file).
void clearFileAttributes(std::u16string_view path);
bool createFolder(std::u16string_view path);
// The names of the files (not folders) in a folder.
std::vector<std::u16string> folderFileNames(std::u16string_view folder);

// The written file's stamp, held so that closing the file does not change it.
FileStamp keepFileStamp(const FileHandle& file);

// The file a save through `path` must replace: a symbolic link is followed to its target, so
// the link stays a link and its target gets the new bytes.
std::u16string savedFilePath(std::u16string_view path);

// Where a save writes the new file before it takes the old one's place, and where the old file
// waits while the new one takes its place: beside it, under names nothing reads as a
// preference file. Only the writer holding the lock uses them.
std::u16string savingFilePath(std::u16string_view target);
std::u16string replacedFilePath(std::u16string_view target);

// The file beside the library whose lock every writer holds (its name with ".lock" after it);
// made when needed and never removed.
std::u16string lockFilePath(std::u16string_view target);

// The platform part of the lock: the lock file opened for everyone to share, and an exclusive
// lock on it tried without waiting. Closing the file, or the process ending, lets it go.
bool openLockFile(std::u16string_view path, FileHandle& file);
bool tryLockFile(const FileHandle& file);
void unlockFile(const FileHandle& file);

// The lock a writer of the library holds from before it reads the file until its new file is in
// place: one writer at a time, so that each change is made to the file as it is now. Taken
// again by the process that holds it, it is only counted; the last owner lets it go.
class WriteLock {
  public:
    WriteLock() = default;
    ~WriteLock() { release(); }
    WriteLock(const WriteLock&) = delete;
    WriteLock& operator=(const WriteLock&) = delete;

    bool held() const { return !lockPath_.empty(); }
    void release();

  private:
    friend bool lockForWriting(std::u16string_view path, WriteLock& lock, int waitMilliseconds);
    std::u16string lockPath_;
};

// How long a writer waits for another one to finish before its write fails.
inline constexpr int kLockWaitMilliseconds = 5000;

// Takes the lock of the library at `path` (SaveStep::Lock), then puts right what a writer that
// ended left beside it. False when the lock could not be had in time, or when the library is
// missing and its only copy could not be put back.
bool lockForWriting(std::u16string_view path, WriteLock& lock,
                    int waitMilliseconds = kLockWaitMilliseconds);

// The folder beside the library that keeps its earlier versions (its name's stem with
// ".backup" after it), and how many it keeps.
std::u16string backupFolderPath(std::u16string_view target);
inline constexpr std::size_t kKeptBackups = 10;

enum class SaveMode {
    Replace,    // the new file takes the place of the old one, or of nothing
    CreateOnly, // fails when anything of that name exists by the time the new file is ready
};

// Puts the finished file `saving` in the place of `target` in one step (FileAccess_win.cpp,
// FileAccess_posix.cpp). Replacing, the old file goes to `backup` when one is named (and it
// can); CreateOnly fails when anything has `target`'s name.
bool moveIntoPlace(std::u16string_view saving, std::u16string_view target, SaveMode mode,
                   std::u16string_view backup);

// The written file as it took the old one's place: its stamp and the hash of its bytes.
struct WrittenFile {
    FileStamp stamp;
    std::uint64_t hash = 0;
};
std::uint64_t bytesHash(std::string_view bytes, std::uint64_t hash = 0xcbf29ce484222325);

// An all-or-nothing save: `write` gives the new file its whole content through
// writeSavePiece and finishSaveFile; only then does it take the old one's place, so the path
// holds the old bytes or the new ones and never anything between. False when any step failed;
// the old file is then as it was. The whole save holds the writers' lock. A replaced file is
// kept in the backup folder.
bool saveWholeFile(std::u16string_view path, SaveMode mode,
                   const std::function<bool(const FileHandle&)>& write,
                   WrittenFile* written = nullptr);
bool writeSavePiece(const FileHandle& file, std::uint64_t offset, std::string_view bytes);
bool finishSaveFile(const FileHandle& file, std::uint64_t size);

// The steps of a save, for the tests: each step can be made to fail, or to stop as a process
// that ends right there would (nothing after it runs, nothing is cleaned up). Lock is taking
// the writers' lock; a failure there is a wait that ran out. At Replace, OldLeftThenFail makes
// every try of the swap fail after the old file went to its waiting name, as ReplaceFileW may;
// OldLeftNoWayBack fails putting it back as well.
enum class SaveStep { Lock, Create, Write, Flush, Replace };
enum class StepOutcome { Proceed, Fail, Stop, OldLeftThenFail, OldLeftNoWayBack };
struct SaveFaults {
    std::function<StepOutcome(SaveStep)> beforeStep; // empty: every step proceeds
};
SaveFaults& saveFaults();

// A file or a folder of that name exists (or something is there that could not be examined).
bool pathExists(std::u16string_view path);

// A folder of that name exists.
bool folderExists(std::u16string_view path);

// Makes the folder that holds `path`, and every missing folder above it; true when it stands
// afterwards (and for a path in no folder).
bool createFoldersFor(std::u16string_view path);

// Whether a new file can be made in the folder: a trial file is made there and gone at once.
bool canCreateFileIn(std::u16string_view folder);

} // namespace store

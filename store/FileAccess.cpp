#include "store/FileAccess.h"

#include "base/TextConvert.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <new>
#include <thread>

namespace store {

// The size is only a first guess: the file may grow while it is read, and a file that reports
// no size (some special files) is read until it ends.
bool readWholeFile(const FileHandle& file, std::string& bytes) {
    bytes.clear();
    std::uint64_t size = 0;
    if (!fileSize(file, size) || size > kLargestReadable)
        return false;
    try {
        // One byte more than the size, so that the read which finds the end needs no growth.
        bytes.resize(static_cast<std::size_t>(size) + 1);
        std::size_t got = 0;
        for (;;) {
            if (got == bytes.size()) {
                if (got > kLargestReadable)
                    return false;
                bytes.resize(got * 2);
            }
            const std::int64_t n = readFileAt(file, got, bytes.data() + got, bytes.size() - got);
            if (n < 0) {
                bytes.clear();
                return false;
            }
            if (n == 0)
                break;
            got += static_cast<std::size_t>(n);
        }
        bytes.resize(got);
        return true;
    } catch (const std::bad_alloc&) {
        bytes.clear();
        return false;
    }
}

namespace {

// The process-wide test seam and whether a "stop" ended the save under way.
struct SaveRun {
    SaveFaults faults;
    bool stopped = false;
};

SaveRun& saveRun() {
    static SaveRun run;
    return run;
}

StepOutcome stepOutcome(SaveStep step) {
    SaveRun& run = saveRun();
    if (run.stopped)
        return StepOutcome::Fail;
    const StepOutcome outcome =
        run.faults.beforeStep ? run.faults.beforeStep(step) : StepOutcome::Proceed;
    if (outcome == StepOutcome::Stop)
        run.stopped = true;
    return outcome;
}

bool stepAllowed(SaveStep step) {
    return stepOutcome(step) == StepOutcome::Proceed;
}

std::u16string asciiText(std::string_view ascii) {
    return std::u16string(ascii.begin(), ascii.end());
}

bool isDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

// Where a path's file name begins; what comes before it, its folder, keeps its separator.
std::size_t nameStart(std::u16string_view path) {
    const std::size_t separator = path.find_last_of(u"/\\");
    return separator == std::u16string_view::npos ? 0 : separator + 1;
}

char16_t separatorOf(std::u16string_view path) {
    const std::size_t start = nameStart(path);
    return start == 0 ? u'/' : path[start - 1];
}

// A file name's part before its last ".", and the rest from there on.
std::u16string_view stemOf(std::u16string_view name) {
    return name.substr(0, std::min(name.rfind(u'.'), name.size()));
}

std::u16string_view extensionOf(std::u16string_view name) {
    return name.substr(stemOf(name).size());
}

// A backup's name is the library's with the local time of the save between its stem and its
// extension, "<stem> 2026-12-07 235959<extension>", and "-2", "-3" after the time for further
// saves in that second: sorted by time, then number.
struct BackupName {
    std::u16string time;
    std::uint32_t number = 1;
    bool operator<(const BackupName& other) const {
        return time != other.time ? time < other.time : number < other.number;
    }
};
constexpr std::size_t kTimeLength = 17; // "2026-12-07 235959"
constexpr std::uint32_t kLastNumber = 99999;

bool readBackupName(std::u16string_view file, std::u16string_view library, BackupName& backup) {
    const std::u16string_view stem = stemOf(library);
    const std::u16string_view extension = extensionOf(library);
    const std::size_t timeAt = stem.size() + 1;
    if (file.size() < timeAt + kTimeLength + extension.size() ||
        file.substr(0, stem.size()) != stem || file[stem.size()] != u' ' ||
        file.substr(file.size() - extension.size()) != extension)
        return false;
    const std::u16string_view time = file.substr(timeAt, kTimeLength);
    for (std::size_t i = 0; i < time.size(); ++i) {
        const char16_t expected = i == 4 || i == 7 ? u'-' : i == 10 ? u' ' : u'0';
        if (expected == u'0' ? !isDigit(time[i]) : time[i] != expected)
            return false;
    }
    std::u16string_view number = file.substr(timeAt + kTimeLength);
    number.remove_suffix(extension.size());
    backup = {std::u16string(time), 1};
    if (number.empty())
        return true;
    if (number.size() < 2 || number.size() > 6 || number[0] != u'-')
        return false;
    backup.number = 0;
    for (char16_t c : number.substr(1)) {
        if (!isDigit(c))
            return false;
        backup.number = backup.number * 10 + (c - u'0');
    }
    return backup.number >= 2;
}

std::u16string backupFileName(std::u16string_view library, const BackupName& backup) {
    const std::string suffix =
        backup.number == 1 ? "" : std::string("-").append(std::to_string(backup.number));
    return std::u16string(stemOf(library)) + u' ' + backup.time + asciiText(suffix) +
           std::u16string(extensionOf(library));
}

std::u16string backupPath(std::u16string_view target, std::u16string_view name) {
    return backupFolderPath(target) + separatorOf(target) + std::u16string(name);
}

// The backups this program made, oldest first, as the lock file remembers them: a file that
// only looks like one (copied in by hand, from another machine) is never counted, so it never
// decides a name and is never removed. Those no longer there are forgotten.
std::vector<std::u16string> ownBackups(std::u16string_view target, const FileHandle& lockFile) {
    std::vector<std::u16string> own;
    std::string record;
    if (!readWholeFile(lockFile, record))
        return own;
    const std::u16string_view library = target.substr(nameStart(target));
    BackupName backup;
    for (std::size_t at = 0, end; (end = record.find('\n', at)) != std::string::npos;
         at = end + 1) {
        std::u16string name = text::utf8ToUtf16(std::string_view(record).substr(at, end - at));
        if (readBackupName(name, library, backup) && fileStampAt(backupPath(target, name)).exists)
            own.push_back(std::move(name));
    }
    return own;
}

void rememberBackups(const FileHandle& lockFile, const std::vector<std::u16string>& own) {
    std::string record;
    for (const std::u16string& name : own)
        record.append(text::utf16ToUtf8(name)).push_back('\n');
    if (writeFileAt(lockFile, 0, record))
        endFileAt(lockFile, record.size());
}

// The time of the save, never before the newest backup of this program's own, even when the
// clock went back (the end of summer time): the names keep the order of the saves. A name
// something else already has is passed over.
std::u16string nextBackupName(std::u16string_view target, const std::vector<std::u16string>& own) {
    const std::time_t now = std::time(nullptr);
    const std::tm* local = std::localtime(&now);
    char time[32];
    if (!local || std::strftime(time, sizeof time, "%Y-%m-%d %H%M%S", local) != kTimeLength)
        return {};
    const std::u16string_view library = target.substr(nameStart(target));
    BackupName next{asciiText(time), 1};
    BackupName newest;
    if (!own.empty() && readBackupName(own.back(), library, newest) && !(newest.time < next.time))
        next = {newest.time, newest.number + 1};
    for (; next.number <= kLastNumber; ++next.number) {
        const std::u16string name = backupFileName(library, next);
        if (!pathExists(backupPath(target, name)))
            return name;
    }
    return {};
}

bool sameBytes(std::u16string_view a, std::u16string_view b) {
    FileHandle first;
    FileHandle second;
    std::uint64_t size = 0;
    std::uint64_t otherSize = 0;
    if (!openForReading(a, first) || !openForReading(b, second) || !fileSize(first, size) ||
        !fileSize(second, otherSize) || size != otherSize)
        return false;
    std::string left(std::size_t(1) << 16, '\0');
    std::string right(left.size(), '\0');
    for (std::uint64_t offset = 0;;) {
        const std::int64_t n = readFileAt(first, offset, left.data(), left.size());
        if (n <= 0)
            return n == 0 && offset == size;
        for (std::int64_t got = 0; got < n;) {
            const std::int64_t m =
                readFileAt(second, offset + got, right.data() + got, std::size_t(n - got));
            if (m <= 0)
                return false;
            got += m;
        }
        if (left.compare(0, std::size_t(n), right, 0, std::size_t(n)) != 0)
            return false;
        offset += std::uint64_t(n);
    }
}

// The old file waiting beside the library goes to the backup folder under a new name; a
// version the newest backup already holds is not kept twice, and beyond the last few of this
// program's own the oldest go. One that cannot be kept is dropped only when `dropUnkept`: the
// library in place was just written from it. Nothing of this can fail the save.
void keepBackup(std::u16string_view target, const FileHandle& lockFile, bool dropUnkept) {
    const std::u16string waiting = replacedFilePath(target);
    std::vector<std::u16string> own = ownBackups(target, lockFile);
    const std::u16string name = nextBackupName(target, own);
    const std::u16string folder = backupFolderPath(target);
    const std::u16string kept = backupPath(target, name);
    if (name.empty() || (!folderExists(folder) && !createFolder(folder)) ||
        !moveIntoPlace(waiting, kept, SaveMode::CreateOnly, {})) {
        if (dropUnkept)
            removeFile(waiting);
        return;
    }
    if (!own.empty() && sameBytes(kept, backupPath(target, own.back())))
        removeFile(kept);
    else
        own.push_back(name);
    while (own.size() > kKeptBackups) {
        removeFile(backupPath(target, own.front()));
        own.erase(own.begin());
    }
    rememberBackups(lockFile, own);
}

// Under the lock nobody else is saving: what lies beside the library is the work of a writer
// that ended. Its new file goes. The old file it set aside goes back where the library is
// missing (it is then the only copy, and nothing may be written before it is back); beside a
// library that is there it is kept as a backup, or left where it is.
bool settleLeftovers(std::u16string_view target, const FileHandle& lockFile) {
    const std::u16string saving = savingFilePath(target);
    clearFileAttributes(saving);
    removeFile(saving);
    const std::u16string waiting = replacedFilePath(target);
    if (!fileStampAt(waiting).exists)
        return true;
    if (!pathExists(target))
        return moveIntoPlace(waiting, target, SaveMode::CreateOnly, {});
    keepBackup(target, lockFile, false);
    return true;
}

struct HeldLock {
    std::u16string path;
    FileHandle file;
    int owners = 0;
};

std::vector<HeldLock>& heldLocks() {
    static std::vector<HeldLock> held;
    return held;
}

HeldLock* heldLock(std::u16string_view lockPath) {
    for (HeldLock& held : heldLocks()) {
        if (held.path == lockPath)
            return &held;
    }
    return nullptr;
}

// Tried again and again rather than waited for in the system: the wait has to end.
bool waitForLock(const FileHandle& file, int waitMilliseconds) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point giveUp = Clock::now() + std::chrono::milliseconds(waitMilliseconds);
    for (std::chrono::milliseconds pause(1); !tryLockFile(file);
         pause = std::min(pause * 2, std::chrono::milliseconds(50))) {
        if (Clock::now() >= giveUp)
            return false;
        std::this_thread::sleep_for(pause);
    }
    return true;
}

// A swap can fail for a moment while another program (a virus scanner, an indexer) has the
// file open; a later try may find it closed.
bool swapIntoPlace(std::u16string_view saving, std::u16string_view target, SaveMode mode,
                   std::u16string_view backup, StepOutcome outcome) {
    const bool oldLeavesThenFails =
        outcome == StepOutcome::OldLeftThenFail || outcome == StepOutcome::OldLeftNoWayBack;
    constexpr int kRetries = 3;
    for (int retry = 0;; ++retry) {
        if (oldLeavesThenFails) {
            if (!backup.empty() && pathExists(target))
                moveIntoPlace(target, backup, SaveMode::CreateOnly, {});
        } else if (moveIntoPlace(saving, target, mode, backup)) {
            return true;
        }
        if (retry == kRetries || (mode == SaveMode::CreateOnly && pathExists(target)))
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50 << retry));
    }
}

// The hash of what was written, read back through the still open file.
bool hashWrittenFile(const FileHandle& file, std::uint64_t& hash) {
    std::string piece(std::size_t(1) << 16, '\0');
    hash = bytesHash({});
    for (std::uint64_t offset = 0;;) {
        const std::int64_t n = readFileAt(file, offset, piece.data(), piece.size());
        if (n <= 0)
            return n == 0;
        hash = bytesHash(std::string_view(piece).substr(0, std::size_t(n)), hash);
        offset += std::uint64_t(n);
    }
}

} // namespace

SaveFaults& saveFaults() {
    return saveRun().faults;
}

// FNV-1a, continued from `hash`: the same on every platform and width.
std::uint64_t bytesHash(std::string_view bytes, std::uint64_t hash) {
    for (char c : bytes) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 0x100000001b3;
    }
    return hash;
}

std::u16string savingFilePath(std::u16string_view target) {
    return std::u16string(target) + u".saving";
}

std::u16string replacedFilePath(std::u16string_view target) {
    return std::u16string(target) + u".replaced";
}

std::u16string lockFilePath(std::u16string_view target) {
    return std::u16string(target) + u".lock";
}

void WriteLock::release() {
    if (lockPath_.empty())
        return;
    std::vector<HeldLock>& held = heldLocks();
    for (auto it = held.begin(); it != held.end(); ++it) {
        if (it->path == lockPath_ && --it->owners == 0) {
            unlockFile(it->file);
            held.erase(it); // closes the lock file
            break;
        }
    }
    lockPath_.clear();
}

bool lockForWriting(std::u16string_view path, WriteLock& lock, int waitMilliseconds) {
    lock.release();
    try {
        const std::u16string target = savedFilePath(path);
        std::u16string lockPath = lockFilePath(target);
        if (HeldLock* held = heldLock(lockPath)) {
            ++held->owners;
            lock.lockPath_ = std::move(lockPath);
            return true;
        }
        saveRun().stopped = false;
        FileHandle file;
        if (!stepAllowed(SaveStep::Lock) || !openLockFile(lockPath, file) ||
            !waitForLock(file, waitMilliseconds))
            return false;
        heldLocks().push_back({lockPath, std::move(file), 1});
        lock.lockPath_ = std::move(lockPath);
        if (!settleLeftovers(target, heldLocks().back().file)) {
            lock.release();
            return false;
        }
        return true;
    } catch (const std::bad_alloc&) {
        lock.release();
        return false;
    }
}

std::u16string backupFolderPath(std::u16string_view target) {
    return std::u16string(target.substr(0, nameStart(target))) +
           std::u16string(stemOf(target.substr(nameStart(target)))) + u".backup";
}

bool writeSavePiece(const FileHandle& file, std::uint64_t offset, std::string_view bytes) {
    return stepAllowed(SaveStep::Write) && writeFileAt(file, offset, bytes);
}

bool finishSaveFile(const FileHandle& file, std::uint64_t size) {
    return stepAllowed(SaveStep::Flush) && endFileAt(file, size);
}

// The new file is created afresh, never opened: a leftover of that name that could not be
// removed may still be another name of the library itself.
bool saveWholeFile(std::u16string_view path, SaveMode mode,
                   const std::function<bool(const FileHandle&)>& write, WrittenFile* written) {
    saveRun().stopped = false;
    const std::u16string target = savedFilePath(path);
    if (mode == SaveMode::Replace && isReadOnlyFile(target))
        return false;
    WriteLock lock;
    if (!lockForWriting(target, lock))
        return false;
    const bool libraryThere = pathExists(target);
    if (mode == SaveMode::CreateOnly && libraryThere)
        return false;
    const std::u16string saving = savingFilePath(target);
    FileHandle file;
    if (!stepAllowed(SaveStep::Create) || !createFile(saving, CreateMode::NewOnly, file))
        return false;
    bool saved = false;
    WrittenFile result;
    try {
        saved = write(file) && hashWrittenFile(file, result.hash);
    } catch (const std::bad_alloc&) {
        saved = false;
    }
    if (saved) {
        result.stamp = keepFileStamp(file);
        saved = result.stamp.exists;
    }
    file.reset();
    const StepOutcome swap = saved ? stepOutcome(SaveStep::Replace) : StepOutcome::Fail;
    if (swap == StepOutcome::Proceed || swap == StepOutcome::OldLeftThenFail ||
        swap == StepOutcome::OldLeftNoWayBack) {
        // An old file still waiting beside the library (one that could not be kept) is never
        // overwritten: this save then keeps no backup.
        const std::u16string waiting = replacedFilePath(target);
        const bool setsAside = mode == SaveMode::Replace && libraryThere && !pathExists(waiting);
        saved = swapIntoPlace(saving, target, mode, setsAside ? waiting : u"", swap);
        if (saved && setsAside) {
            try {
                keepBackup(target, heldLock(lockFilePath(target))->file, true);
            } catch (const std::bad_alloc&) {
            }
        }
        // The old bytes go back under the library's name; when they cannot, they wait beside it
        // for the next writer, and the library is never written without them.
        if (!saved && setsAside && !pathExists(target) && swap != StepOutcome::OldLeftNoWayBack)
            moveIntoPlace(waiting, target, SaveMode::CreateOnly, {});
    } else {
        saved = false;
    }
    if (!saved && !saveRun().stopped)
        removeFile(saving);
    if (saved && written)
        *written = result;
    return saved;
}

bool createFoldersFor(std::u16string_view path) {
    const std::size_t cut = path.find_last_of(u"\\/");
    if (cut == std::u16string_view::npos || cut == 0)
        return true;
    const std::u16string_view folder = path.substr(0, cut);
    if (folderExists(folder))
        return true;
    // Another program may make it meanwhile: standing afterwards is what counts.
    return createFoldersFor(folder) && (createFolder(folder) || folderExists(folder));
}

} // namespace store

#include "store/FileAccess.h"

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

std::u16string folderOf(std::u16string_view path) {
    const std::size_t start = nameStart(path);
    return start == 0 ? std::u16string(u".") : std::u16string(path.substr(0, start));
}

// "Zendrik" and ".pref" of "Zendrik.pref".
std::u16string_view stemOf(std::u16string_view name) {
    return name.substr(0, std::min(name.rfind(u'.'), name.size()));
}

std::u16string_view extensionOf(std::u16string_view name) {
    return name.substr(stemOf(name).size());
}

// Saves of other processes still under way keep their files; a file that is still open by
// its writer cannot be removed on Windows in any case.
void removeLeftovers(std::u16string_view target) {
    const std::u16string_view name = target.substr(nameStart(target));
    for (const std::u16string& file : folderFileNames(folderOf(target))) {
        if (file.size() <= name.size() + 1 || file.compare(0, name.size(), name) != 0 ||
            file[name.size()] != u'.')
            continue;
        std::size_t at = name.size() + 1;
        std::uint64_t processId = 0;
        for (; at < file.size() && isDigit(file[at]) && processId <= UINT32_MAX; ++at)
            processId = processId * 10 + (file[at] - u'0');
        const std::u16string_view rest = std::u16string_view(file).substr(at);
        if (at == name.size() + 1 || processId > UINT32_MAX ||
            (rest != u".saving" && rest != u".replaced"))
            continue;
        if (processId != currentProcessId() && processRunning(std::uint32_t(processId)))
            continue;
        const std::u16string path = folderOf(target) + file;
        clearFileAttributes(path);
        removeFile(path);
    }
}

// A backup's name is the library's with the local time of the save, "Zendrik 2026-12-07
// 235959.pref", and "-2", "-3" for further saves in that second: sorted by time, then number.
struct BackupName {
    std::u16string time;
    std::uint32_t number = 1;
    std::u16string name;
    bool operator<(const BackupName& other) const {
        return time != other.time ? time < other.time : number < other.number;
    }
};
constexpr std::size_t kTimeLength = 17; // "2026-12-07 235959"

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
    backup = {std::u16string(time), 1, std::u16string(file)};
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

std::vector<BackupName> backupsOf(std::u16string_view target) {
    std::vector<BackupName> backups;
    BackupName backup;
    for (const std::u16string& file : folderFileNames(backupFolderPath(target))) {
        if (readBackupName(file, target.substr(nameStart(target)), backup))
            backups.push_back(backup);
    }
    std::sort(backups.begin(), backups.end());
    return backups;
}

std::u16string backupPath(std::u16string_view target, std::u16string_view name) {
    return backupFolderPath(target) + separatorOf(target) + std::u16string(name);
}

// Where the old file goes while the new one takes its place: a new name in the backup folder,
// or, when there is none to be had, a name of this save's own beside the file, removed after.
struct Backup {
    std::u16string path;
    bool kept = false;     // in the backup folder
    std::u16string newest; // the newest backup there was before
};

Backup prepareBackup(std::u16string_view target) {
    Backup backup{std::u16string(target) + u'.' + asciiText(std::to_string(currentProcessId())) +
                      u".replaced",
                  false,
                  {}};
    const std::u16string folder = backupFolderPath(target);
    if (!folderExists(folder) && !createFolder(folder))
        return backup;
    const std::time_t now = std::time(nullptr);
    const std::tm* local = std::localtime(&now);
    char time[32];
    if (!local || std::strftime(time, sizeof time, "%Y-%m-%d %H%M%S", local) != kTimeLength)
        return backup;
    const std::u16string_view library = target.substr(nameStart(target));
    // Never named before the newest backup, even when the clock went back (the end of
    // summer time): the names keep the order of the saves.
    const std::vector<BackupName> backups = backupsOf(target);
    BackupName next{asciiText(time), 1, {}};
    if (!backups.empty() && !(backups.back().time < next.time))
        next = {backups.back().time, backups.back().number + 1, {}};
    const std::string suffix =
        next.number == 1 ? "" : std::string("-").append(std::to_string(next.number));
    const std::u16string name = std::u16string(stemOf(library)) + u' ' + next.time +
                                asciiText(suffix) + std::u16string(extensionOf(library));
    if (next.number > 99999 || pathExists(backupPath(target, name)))
        return backup;
    return {backupPath(target, name), true,
            backups.empty() ? std::u16string() : backupPath(target, backups.back().name)};
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

// A version the newest backup already holds is not kept twice; beyond the last few, the
// oldest go. Nothing of this can fail the save.
void settleBackup(std::u16string_view target, const Backup& backup) {
    if (!backup.kept) {
        removeFile(backup.path);
        return;
    }
    if (!backup.newest.empty() && sameBytes(backup.path, backup.newest))
        removeFile(backup.path);
    const std::vector<BackupName> backups = backupsOf(target);
    for (std::size_t i = 0; i + kKeptBackups < backups.size(); ++i)
        removeFile(backupPath(target, backups[i].name));
}

// A swap can fail for a moment while another program (a virus scanner, an indexer) has the
// file open; a later try may find it closed.
bool swapIntoPlace(std::u16string_view saving, std::u16string_view target, SaveMode mode,
                   std::u16string_view backup, bool oldLeavesThenFails) {
    constexpr int kRetries = 3;
    for (int retry = 0;; ++retry) {
        if (oldLeavesThenFails) {
            if (pathExists(target))
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

std::u16string savingFilePath(std::u16string_view target, std::uint32_t processId) {
    return std::u16string(target) + u'.' + asciiText(std::to_string(processId)) + u".saving";
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

// Leftovers of earlier saves go first, as long as the library is there: while it is missing,
// one of them may be the only copy. The new file is created afresh, never opened: a leftover
// may still be another name of the library itself.
bool saveWholeFile(std::u16string_view path, SaveMode mode,
                   const std::function<bool(const FileHandle&)>& write, WrittenFile* written) {
    saveRun().stopped = false;
    const std::u16string target = savedFilePath(path);
    if (mode == SaveMode::Replace && isReadOnlyFile(target))
        return false;
    const bool libraryThere = pathExists(target);
    if (libraryThere)
        removeLeftovers(target);
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
    if (swap == StepOutcome::Proceed || swap == StepOutcome::OldLeftThenFail) {
        const bool replacing = mode == SaveMode::Replace && libraryThere;
        Backup backup;
        try {
            if (replacing)
                backup = prepareBackup(target);
        } catch (const std::bad_alloc&) {
            backup = Backup{}; // the old file is kept in place all the same
        }
        saved =
            swapIntoPlace(saving, target, mode, backup.path, swap == StepOutcome::OldLeftThenFail);
        if (saved && replacing) {
            try {
                settleBackup(target, backup);
            } catch (const std::bad_alloc&) {
            }
        }
        // The old bytes go back under the library's name before the new ones may go.
        if (!saved && libraryThere && !pathExists(target) &&
            (backup.path.empty() || !moveIntoPlace(backup.path, target, SaveMode::CreateOnly, {})))
            return false;
    } else {
        saved = false;
    }
    if (!saved && !saveRun().stopped)
        removeFile(saving);
    if (saved && written)
        *written = result;
    return saved;
}

} // namespace store

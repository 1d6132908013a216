#include "store/FileAccess.h"

#include <new>

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

bool stepAllowed(SaveStep step) {
    SaveRun& run = saveRun();
    if (run.stopped)
        return false;
    if (!run.faults.beforeStep)
        return true;
    switch (run.faults.beforeStep(step)) {
    case StepOutcome::Proceed:
        return true;
    case StepOutcome::Fail:
        return false;
    case StepOutcome::Stop:
        run.stopped = true;
        return false;
    }
    return false;
}

} // namespace

SaveFaults& saveFaults() {
    return saveRun().faults;
}

std::u16string savingFilePath(std::u16string_view target) {
    return std::u16string(target) + u".saving";
}

bool writeSavePiece(const FileHandle& file, std::uint64_t offset, std::string_view bytes) {
    return stepAllowed(SaveStep::Write) && writeFileAt(file, offset, bytes);
}

bool finishSaveFile(const FileHandle& file, std::uint64_t size) {
    return stepAllowed(SaveStep::Flush) && endFileAt(file, size);
}

// A leftover of a save that was cut short has the same name and is simply written over; a
// save that fails removes what it wrote.
bool saveWholeFile(std::u16string_view path, SaveMode mode,
                   const std::function<bool(const FileHandle&)>& write) {
    saveRun().stopped = false;
    const std::u16string target = savedFilePath(path);
    if (mode == SaveMode::Replace && isReadOnlyFile(target))
        return false;
    const std::u16string saving = savingFilePath(target);
    FileHandle file;
    if (!stepAllowed(SaveStep::Create) || !createFile(saving, CreateMode::Always, file))
        return false;
    bool saved = false;
    try {
        saved = write(file);
    } catch (const std::bad_alloc&) {
        saved = false;
    }
    file.reset();
    saved = saved && stepAllowed(SaveStep::Replace) && moveIntoPlace(saving, target, mode);
    if (!saved && !saveRun().stopped)
        removeFile(saving);
    return saved;
}

} // namespace store

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

} // namespace store

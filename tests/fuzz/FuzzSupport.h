#pragma once
// What the fuzz targets share: a failed expectation aborts, which libFuzzer reports as a crash
// and keeps the input that caused it; a scratch file of this process's own; and which inputs
// get the costliest checks.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

#include <unistd.h>

#include "base/TextConvert.h"
#include "store/PreferenceFile.h"

namespace fuzz {

inline void require(bool holds, const char* what) {
    if (!holds) {
        std::fprintf(stderr, "expectation failed: %s\n", what);
        std::abort();
    }
}

// The scratch file lives in a folder of this process's own, beside the lock file and the
// backup folder that every save makes there, and the folder goes when the process ends (a
// failing input's files stay, for a look). The folder is in memory where the system has such a
// file system, whoever starts the target: inputs are written, saved and flushed there, and a
// flush to a disk would cost more than the checks.
class ScratchFolder {
  public:
    ScratchFolder() {
        std::error_code error;
        std::filesystem::path base = "/dev/shm";
        if (!std::filesystem::is_directory(base, error) || access(base.c_str(), W_OK) != 0)
            base = std::filesystem::temp_directory_path();
        folder_ = base / ("zendrik-fuzz-" + std::to_string(getpid()));
        std::filesystem::remove_all(folder_, error);
        std::filesystem::create_directory(folder_, error);
        const std::string file = (folder_ / "Zendrik.pref").string();
        file_.assign(file.begin(), file.end());
    }
    ~ScratchFolder() {
        std::error_code error;
        std::filesystem::remove_all(folder_, error);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::u16string& file() const { return file_; }

  private:
    std::filesystem::path folder_;
    std::u16string file_;
};

inline std::u16string scratchPath() {
    static const ScratchFolder scratch;
    return scratch.file();
}

// Set (to anything but 0) by the test command's replay of the corpus: every input then gets
// every check, whatever that costs. A fuzzing run gives its costliest checks (a file saved and
// read back, say) to a share of its inputs, chosen by the input's own bytes, so that an input
// always gets the same checks and one that fails fails again when it is run alone.
inline bool everyCheck() {
    static const bool every = [] {
        const char* value = std::getenv("ZENDRIK_FUZZ_EVERY_CHECK");
        return value && *value && std::string_view(value) != "0";
    }();
    return every;
}

// The input's hash, from which the checks it gets are chosen.
inline std::uint64_t inputHash(const std::uint8_t* data, std::size_t size) {
    std::uint64_t hash = 0xcbf29ce484222325; // FNV-1a
    for (std::size_t i = 0; i < size; ++i)
        hash = (hash ^ data[i]) * 0x100000001b3;
    return hash;
}

// Whether the input of that hash gets a check that one input in `share` gets.
inline bool chosen(std::uint64_t hash, unsigned share) {
    return everyCheck() || (hash >> 32) % share == 0;
}

// Names as the preference file compares them: ASCII letters without regard to case.
inline bool sameText(std::u16string_view a, std::u16string_view b) {
    return store::sameName(text::utf16ToUtf8(a), text::utf16ToUtf8(b));
}

// Without spaces and tabs at either end, as values read back from the file.
inline std::u16string trimBlanks(std::u16string_view text) {
    const size_t first = text.find_first_not_of(u" \t");
    if (first == std::u16string_view::npos)
        return {};
    return std::u16string(text.substr(first, text.find_last_not_of(u" \t") - first + 1));
}

inline std::string narrow(const std::u16string& path) {
    return std::string(path.begin(), path.end());
}

inline std::string readFileBytes(const std::u16string& path) {
    std::string bytes;
    if (FILE* file = std::fopen(narrow(path).c_str(), "rb")) {
        char buffer[4096];
        for (size_t got; (got = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
            bytes.append(buffer, got);
        std::fclose(file);
    }
    return bytes;
}

inline void writeFileBytes(const std::u16string& path, std::string_view bytes) {
    FILE* file = std::fopen(narrow(path).c_str(), "wb");
    require(file != nullptr, "the scratch file can be written");
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
}

} // namespace fuzz

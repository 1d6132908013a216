#pragma once
// What the fuzz targets share: a failed expectation aborts, which libFuzzer reports as a crash
// and keeps the input that caused it; and a scratch file of this process's own.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

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

inline std::u16string scratchPath() {
    static const std::string path = (std::filesystem::temp_directory_path() /
                                     ("zendrik-fuzz-" + std::to_string(getpid()) + ".pref"))
                                        .string();
    return std::u16string(path.begin(), path.end());
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

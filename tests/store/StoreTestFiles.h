#pragma once
// Temporary folders, raw file bytes, golden files and a guarded working directory for the
// store's tests.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <string_view>

namespace storetest {

namespace fs = std::filesystem;

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempFolder {
  public:
    TempFolder() {
        std::random_device random;
        for (;;) {
            path_ = fs::temp_directory_path() /
                    ("zendrik-store-" + std::to_string(random()) + std::to_string(random()));
            if (fs::create_directory(path_))
                break;
        }
    }
    ~TempFolder() {
        std::error_code ignored;
        for (const auto& entry : fs::recursive_directory_iterator(path_, ignored))
            fs::permissions(entry.path(), fs::perms::owner_write, fs::perm_options::add, ignored);
        fs::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const fs::path& path() const { return path_; }
    fs::path operator/(std::string_view name) const {
        return path_ / fs::path(std::u8string(name.begin(), name.end()));
    }
    fs::path operator/(std::u16string_view name) const { return path_ / fs::path(name); }

  private:
    fs::path path_;
};

// How the program's own file begins: the UTF-8 byte-order mark on an empty first line.
inline const std::string kBom = "\xEF\xBB\xBF\r\n";

inline std::u16string u16(const fs::path& path) {
    return path.u16string();
}

inline void writeBytes(const fs::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string readBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The bytes of a golden file, named relative to the tests/ folder of the source tree.
inline std::string goldenBytes(std::string_view relativePath) {
    return readBytes(fs::path(ZENDRIK_TESTS_DIR) / fs::path(relativePath));
}

// Makes a folder the working directory and restores the previous one at the end.
class WorkingDirectory {
  public:
    explicit WorkingDirectory(const fs::path& path) : saved_(fs::current_path()) {
        fs::current_path(path);
    }
    ~WorkingDirectory() {
        std::error_code ignored;
        fs::current_path(saved_, ignored);
    }
    WorkingDirectory(const WorkingDirectory&) = delete;
    WorkingDirectory& operator=(const WorkingDirectory&) = delete;

  private:
    fs::path saved_;
};

} // namespace storetest

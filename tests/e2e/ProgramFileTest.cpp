// The built programs beside this test program, read as files: what Windows shows on
// Zendrik.exe's Details page must name the program as its title does, and a run for the
// 32-bit program or for mixed widths must not quietly test other builds than it means.
#include <windows.h>

#include <gtest/gtest.h>

#include "app/AppState.h"
#include "base/TextConvert.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

std::wstring besideTests(const wchar_t* name) {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path);
    return folder.substr(0, folder.find_last_of(L"\\/") + 1) + name;
}

// The machine field of the PE header; 0 when the file is no PE image.
WORD machineOf(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (bytes.size() < 0x40)
        return 0;
    const auto word = [&](size_t at) {
        return WORD(uint8_t(bytes[at]) | uint8_t(bytes[at + 1]) << 8);
    };
    const size_t header = word(0x3C) | size_t(word(0x3E)) << 16;
    if (header + 6 > bytes.size() || bytes.compare(header, 4, std::string("PE\0\0", 4)) != 0)
        return 0;
    return word(header + 4);
}

std::string versionString(const std::vector<char>& info, const wchar_t* name) {
    void* value = nullptr;
    UINT length = 0;
    const std::wstring path = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
    if (!VerQueryValueW(info.data(), path.c_str(), &value, &length) || length == 0)
        return "(missing)";
    return text::utf16ToUtf8(text::fromWide(static_cast<const wchar_t*>(value)));
}

TEST(ProgramFile, VersionResourceNamesTheProgramAsItsTitleDoes) {
    const std::wstring program = besideTests(L"Zendrik.exe");
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(program.c_str(), &ignored);
    ASSERT_GT(size, 0u) << "Zendrik.exe beside the test program has no version resource";
    std::vector<char> info(size);
    ASSERT_TRUE(GetFileVersionInfoW(program.c_str(), 0, size, info.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT fixedLength = 0;
    ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &fixedLength));
    EXPECT_EQ(fixed->dwFileVersionMS, DWORD(MAKELONG(3, 1))); // 1.3 is "1.03"
    EXPECT_EQ(fixed->dwFileVersionLS, 0u);
    EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
    EXPECT_EQ(fixed->dwFileType, DWORD(VFT_APP));

    const std::string title = versionString(info, L"ProductName") + " v" +
                              versionString(info, L"ProductVersion") + " (by " +
                              versionString(info, L"CompanyName") + ")";
    EXPECT_EQ(text::utf8ToUtf16(title), app::kAppTitle);
    EXPECT_EQ(versionString(info, L"FileVersion"), versionString(info, L"ProductVersion"));
    EXPECT_EQ(versionString(info, L"OriginalFilename"), "Zendrik.exe");
    EXPECT_TRUE(versionString(info, L"LegalCopyright").starts_with("Copyright (C) "));

    // The description tells the two programs of the release apart.
    const WORD machine = machineOf(program);
    const std::string description = versionString(info, L"FileDescription");
    if (machine == IMAGE_FILE_MACHINE_AMD64)
        EXPECT_TRUE(description.ends_with("(64-bit)")) << description;
    else if (machine == IMAGE_FILE_MACHINE_I386)
        EXPECT_TRUE(description.ends_with("(32-bit)")) << description;
    else
        ADD_FAILURE() << "Zendrik.exe has the machine type " << machine;
}

// A run that means one pairing of tool and IDE says so in ZENDRIK_TOOL_ARCH and
// ZENDRIK_IDE_ARCH (x64 or x86); the programs beside the test program must be that pairing,
// SciTE of the IDE's width.
TEST(ProgramFile, ProgramsBesideAreThoseOfTheRunsPairing) {
    const struct {
        const char* variable;
        const wchar_t* program;
    } kPrograms[] = {{"ZENDRIK_TOOL_ARCH", L"Zendrik.exe"},
                     {"ZENDRIK_IDE_ARCH", L"IdeHost.exe"},
                     {"ZENDRIK_IDE_ARCH", L"Sc1.exe"}};
    for (const auto& p : kPrograms) {
        const char* wanted = std::getenv(p.variable);
        if (!wanted)
            continue;
        const std::string arch = wanted;
        ASSERT_TRUE(arch == "x64" || arch == "x86") << p.variable << " is " << arch;
        EXPECT_EQ(machineOf(besideTests(p.program)),
                  arch == "x64" ? IMAGE_FILE_MACHINE_AMD64 : IMAGE_FILE_MACHINE_I386)
            << text::utf16ToUtf8(text::fromWide(p.program)) << " is not the " << arch << " build";
    }
}

} // namespace

// The IDE may hold its preference file open without sharing it; reading then fails, and the
// popup takes the default look instead of waiting or stopping the expansion.
#include "store/IdeAppearance.h"

#include "store/StoreTestFiles.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace {

TEST(IdeAppearanceFile, HeldWithoutSharingGivesTheDefaults) {
    storetest::TempFolder appData;
    storetest::fs::create_directory(appData / "purebasic");
    const auto file = appData / "purebasic" / "purebasic.prefs";
    storetest::writeBytes(file, "[Editor]\r\nEditorFontSize = 20\r\nBackgroundColor = 1\r\n");
    HANDLE held = CreateFileW(file.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);

    const store::IdeAppearance read =
        store::readIdeAppearance(store::ideAppearancePath(storetest::u16(appData.path())));
    CloseHandle(held);
    const store::IdeAppearance defaults;
    EXPECT_EQ(read.editorFontSize, defaults.editorFontSize);
    EXPECT_EQ(read.backgroundColor, defaults.backgroundColor);
    EXPECT_EQ(read.editorFontName, defaults.editorFontName);
}

} // namespace

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
    EXPECT_EQ(read.editorFontSize, 8);
    EXPECT_EQ(read.backgroundColor, 6579300);
    EXPECT_EQ(read.editorFontName, u"MS Shell Dlg");
}

} // namespace

#include "store/FileAccess.h"
#include "store/ShortcutStore.h"

#include "store/StoreTestFiles.h"

#include <gtest/gtest.h>

namespace {

using namespace storetest;

TEST(FileAccess, SavingReplacesTheWholeFile) {
    TempFolder folder;
    const auto path = folder / "file.pref";
    writeBytes(path, "a long old content that is longer than the new one");
    store::FileHandle file;
    ASSERT_TRUE(store::openForReading(u16(path), file));
    std::string bytes;
    ASSERT_TRUE(store::readWholeFile(file, bytes));
    EXPECT_EQ(bytes, "a long old content that is longer than the new one");
    file.reset();
    const std::string cases[] = {"short", std::string(100000, 'x') + "end", "", "again"};
    for (const std::string& content : cases) {
        EXPECT_TRUE(store::saveWholeFile(u16(path), store::SaveMode::Replace,
                                         [&](const store::FileHandle& saving) {
                                             return store::writeSavePiece(saving, 0, content) &&
                                                    store::finishSaveFile(saving, content.size());
                                         }));
        EXPECT_EQ(readBytes(path), content);
    }
    EXPECT_FALSE(store::saveWholeFile(u16(path), store::SaveMode::CreateOnly,
                                      [](const store::FileHandle&) { return true; }));
    EXPECT_EQ(readBytes(path), "again");
    EXPECT_FALSE(fs::exists(fs::path(store::savingFilePath(u16(path)))));
}

TEST(FileAccess, CreatingHonoursItsMode) {
    TempFolder folder;
    const auto path = folder / "new.pref";
    store::FileHandle file;
    ASSERT_TRUE(store::createFile(u16(path), store::CreateMode::NewOnly, file));
    ASSERT_TRUE(store::writeFileAt(file, 0, "first"));
    file.reset();
    EXPECT_FALSE(store::createFile(u16(path), store::CreateMode::NewOnly, file));
    EXPECT_FALSE(file.valid());
    EXPECT_EQ(readBytes(path), "first");
    ASSERT_TRUE(store::createFile(u16(path), store::CreateMode::Always, file));
    file.reset();
    EXPECT_EQ(readBytes(path), "");
}

TEST(FileAccess, FoldersAndMissingFilesDoNotOpen) {
    TempFolder folder;
    const auto sub = folder / store::kPreferenceFileName;
    fs::create_directory(sub);
    store::FileHandle file;
    EXPECT_FALSE(store::openForReading(u16(sub), file));
    EXPECT_FALSE(store::createFile(u16(sub), store::CreateMode::Always, file));
    EXPECT_FALSE(store::createFile(u16(sub), store::CreateMode::NewOnly, file));
    EXPECT_FALSE(store::openForReading(u16(folder / "missing"), file));
    EXPECT_FALSE(file.valid());
    EXPECT_TRUE(store::pathExists(u16(sub)));
    EXPECT_FALSE(store::pathExists(u16(folder / "missing")));
    EXPECT_FALSE(store::pathExists(u16(folder / "missing" / "deeper")));
}

TEST(FileAccess, NonAsciiPathsWork) {
    TempFolder folder;
    const auto path = folder / "Pr\xC3\xA9"
                               "f\xE4\xB8\xAD.pref";
    store::FileHandle file;
    ASSERT_TRUE(store::createFile(u16(path), store::CreateMode::NewOnly, file));
    ASSERT_TRUE(store::writeFileAt(file, 0, "x"));
    file.reset();
    EXPECT_TRUE(store::pathExists(u16(path)));
    EXPECT_EQ(readBytes(path), "x");
}

} // namespace

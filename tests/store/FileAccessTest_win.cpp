#include "store/FileAccess.h"
#include "store/PreferenceFile.h"
#include "store/ShortcutStore.h"

#include "store/StoreTestFiles.h"

#include <gtest/gtest.h>

#include "base/OwnedHandles_win.h"

#include <windows.h>

namespace {

using namespace storetest;

const std::string kSmallFile = "[Shortcuts]\r\nproc = Procedure\r\n[Popup]\r\nOpacity = 100\r\n";

// A handle another program could hold on the file.
struct OtherHandle {
    OtherHandle(const fs::path& path, DWORD access, DWORD share)
        : handle(CreateFileW(path.wstring().c_str(), access, share, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr)) {}
    ~OtherHandle() {
        if (handle != INVALID_HANDLE_VALUE)
            CloseHandle(handle);
    }
    HANDLE handle;
};

// Loading reads what the file holds; every write reports that the file did not take it.
void expectReadableButUnwritable(const fs::path& path) {
    store::ShortcutStore shortcuts;
    store::PopupSettings settings;
    store::loadShortcutsFrom(u16(path), shortcuts, settings);
    ASSERT_TRUE(store::findShortcut(shortcuts, u"proc"));
    EXPECT_EQ(*store::findShortcut(shortcuts, u"proc"), u"Procedure");
    EXPECT_EQ(settings.opacity, 100);
    EXPECT_FALSE(store::saveShortcutIn(u16(path), u"new", u"x"));
    EXPECT_FALSE(store::removeShortcutIn(u16(path), u"proc"));
    EXPECT_FALSE(store::renameShortcutIn(u16(path), u"proc", u"p", u"Procedure"));
    EXPECT_TRUE(store::removeShortcutIn(u16(path), u"absent")); // nothing to change
}

// Reading never keeps another program (the IDE saving its own preferences, an editor saving
// Zendrik.pref) from writing, renaming or deleting the file.
TEST(FileAccessWin, ReadingNeverBlocksAnotherProgram) {
    TempFolder folder;
    const auto path = folder / store::kPreferenceFileName;
    writeBytes(path, kSmallFile);
    store::FileHandle reading;
    ASSERT_TRUE(store::openForReading(u16(path), reading));
    for (const DWORD access : {DWORD(GENERIC_WRITE), DWORD(DELETE)}) {
        OtherHandle other(path, access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
        EXPECT_NE(other.handle, INVALID_HANDLE_VALUE) << "access " << access;
    }
    reading.reset();
    store::PreferenceFile file;
    ASSERT_TRUE(file.open(u16(path)));
    OtherHandle writer(path, GENERIC_WRITE, FILE_SHARE_READ);
    EXPECT_NE(writer.handle, INVALID_HANDLE_VALUE) << "an open preference file holds the file";
}

TEST(FileAccessWin, FileHeldOpenForWritingIsReadAndLeftAlone) {
    TempFolder folder;
    const auto path = folder / store::kPreferenceFileName;
    writeBytes(path, kSmallFile);
    OtherHandle writer(path, GENERIC_WRITE, FILE_SHARE_READ);
    ASSERT_NE(writer.handle, INVALID_HANDLE_VALUE);
    store::FileHandle handle;
    EXPECT_TRUE(store::openForReading(u16(path), handle));
    handle.reset();
    expectReadableButUnwritable(path);
    EXPECT_EQ(readBytes(path), kSmallFile);
}

TEST(FileAccessWin, ReadOnlyAttributeKeepsTheFileAsItIs) {
    TempFolder folder;
    const auto path = folder / store::kPreferenceFileName;
    writeBytes(path, kSmallFile);
    ASSERT_TRUE(SetFileAttributesW(path.wstring().c_str(), FILE_ATTRIBUTE_READONLY));
    store::PreferenceFile file;
    ASSERT_TRUE(file.open(u16(path)));
    EXPECT_TRUE(file.isReadOnly());
    file.close();
    expectReadableButUnwritable(path);
    EXPECT_EQ(readBytes(path), kSmallFile);
    EXPECT_NE(GetFileAttributesW(path.wstring().c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
    SetFileAttributesW(path.wstring().c_str(), FILE_ATTRIBUTE_NORMAL);
}

// Nothing of a file that could not be opened was read, so nothing may be written over it.
TEST(FileAccessWin, FileLockedAgainstReadingIsNeverOverwritten) {
    TempFolder folder;
    const auto path = folder / store::kPreferenceFileName;
    writeBytes(path, kSmallFile);
    {
        OtherHandle owner(path, GENERIC_READ | GENERIC_WRITE, 0);
        ASSERT_NE(owner.handle, INVALID_HANDLE_VALUE);
        store::ShortcutStore shortcuts;
        store::PopupSettings settings;
        store::loadShortcutsFrom(u16(path), shortcuts, settings);
        EXPECT_EQ(store::shortcutCount(shortcuts), 0u);
        EXPECT_EQ(settings.opacity, store::PopupSettings{}.opacity);
        EXPECT_FALSE(store::saveShortcutIn(u16(path), u"new", u"x"));
        EXPECT_FALSE(store::renameShortcutIn(u16(path), u"proc", u"p", u"Procedure"));
        // Unread, the file may hold the name: a removal is not reported as done.
        EXPECT_FALSE(store::removeShortcutIn(u16(path), u"proc"));
    }
    EXPECT_EQ(readBytes(path), kSmallFile);
}

// A library that is a symbolic link is stamped as the file it points to, as its load stamps it,
// and so does not read as changed at every check.
TEST(FileAccessWin, SymbolicLinkLibraryIsUnchangedUntilItsFileChanges) {
    TempFolder folder;
    const auto target = folder / "library.pref";
    const auto link = folder / store::kPreferenceFileName;
    writeBytes(target, kSmallFile);
    using CreateLink = BOOLEAN(WINAPI*)(LPCWSTR, LPCWSTR, DWORD);
    const auto createLink =
        base::moduleFunction<CreateLink>(GetModuleHandleW(L"kernel32.dll"), "CreateSymbolicLinkW");
    if (!createLink || !createLink(link.wstring().c_str(), target.wstring().c_str(), 0) ||
        !(GetFileAttributesW(link.wstring().c_str()) & FILE_ATTRIBUTE_REPARSE_POINT) ||
        readBytes(link) != kSmallFile)
        GTEST_SKIP() << "no symbolic links to files here that can be read through";
    store::ShortcutStore shortcuts;
    store::PopupSettings settings;
    store::loadShortcutsFrom(u16(link), shortcuts, settings);
    EXPECT_EQ(store::checkLibrary(u16(link), shortcuts.stamp), store::LibraryState::Unchanged);
    writeBytes(target, kSmallFile + "more = x\r\n");
    EXPECT_EQ(store::checkLibrary(u16(link), shortcuts.stamp), store::LibraryState::Changed);
}

} // namespace

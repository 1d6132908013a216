#include <gtest/gtest.h>

#include <windows.h>

#include "app/Startup.h"

namespace {

TEST(StartupTest, ModeLockIsTakenOncePerName) {
    const wchar_t* name = L"ZendrikStartupTestLock";
    ASSERT_TRUE(app::takeModeLock(name));
    EXPECT_FALSE(app::takeModeLock(name));
    EXPECT_TRUE(app::takeModeLock(L"ZendrikStartupTestOtherLock"));
}

} // namespace

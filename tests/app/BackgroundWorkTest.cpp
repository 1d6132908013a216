#include <gtest/gtest.h>

#include <windows.h>

#include "app/BackgroundWork.h"
#include "base/OwnedHandles_win.h"

#include <new>

namespace {

// The work runs beside the caller, and what it wrote is there once it has been waited for,
// by wait() or by its owner going.
TEST(BackgroundWork, RunsBesideTheCallerAndIsDoneOnceWaitedFor) {
    const base::OwnedKernelHandle release(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    ASSERT_TRUE(release);
    const DWORD caller = GetCurrentThreadId();
    DWORD worker = caller;
    bool done = false;
    {
        app::BackgroundWork work([&] {
            WaitForSingleObject(release.get(), INFINITE);
            worker = GetCurrentThreadId();
            done = true;
        });
        EXPECT_FALSE(done); // the work waits for the event: the caller went on without it
        SetEvent(release.get());
        work.wait();
        EXPECT_TRUE(done);
        EXPECT_NE(worker, caller);
        work.wait(); // a second wait returns at once
    }
    bool doneWhenGone = false;
    {
        const app::BackgroundWork work([&] {
            Sleep(50);
            doneWhenGone = true;
        });
    }
    EXPECT_TRUE(doneWhenGone);
}

// Work that throws (a table that outgrows memory) ends where it ran and is reported to the
// caller: an exception that left the thread's function would end the whole program.
TEST(BackgroundWork, WhatTheWorkThrowsIsCaughtAndReported) {
    app::BackgroundWork failing([] { throw std::bad_alloc(); });
    failing.wait();
    EXPECT_TRUE(failing.failure());
    app::BackgroundWork fine([] {});
    fine.wait();
    EXPECT_FALSE(fine.failure());
}

} // namespace

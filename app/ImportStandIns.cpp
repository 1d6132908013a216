// MinGW's static thread library, which the C++ runtime pulls into the program, imports
// GetTickCount64. Windows XP has no such function, and Windows refuses to start a program
// with one import it cannot find. The import slot is defined here instead, so the linker
// takes it from this file rather than from kernel32: it leads to kernel32's GetTickCount64
// where Windows has one, and to the 32-bit tick count widened by its wraps where not.
#include <windows.h>

#include "base/OwnedHandles_win.h"

#include <atomic>

#if defined(__MINGW32__)

namespace {

using TickCount64 = ULONGLONG(WINAPI*)();

std::atomic<TickCount64> systemTickCount64{nullptr};
std::atomic<bool> systemLookedUp{false};
// The picker and the manager read the library on a second thread (app/BackgroundWork), and
// the C++ runtime may ask for the time on either: one of them at a time reads the count and
// keeps the reading.
std::atomic_flag readingTicks; // clear until set
DWORD lastTickCount = 0;
ULONGLONG wrappedTicks = 0;

ULONGLONG WINAPI tickCount64() {
    if (!systemLookedUp.load(std::memory_order_acquire)) {
        systemTickCount64.store(
            base::moduleFunction<TickCount64>(GetModuleHandleW(L"kernel32.dll"), "GetTickCount64"),
            std::memory_order_relaxed);
        systemLookedUp.store(true, std::memory_order_release);
    }
    if (const TickCount64 system = systemTickCount64.load(std::memory_order_relaxed))
        return system();
    // The 32-bit count starts again from 0 every 49.7 days; the last reading is enough to
    // notice it, as long as no other thread's reading comes between.
    while (readingTicks.test_and_set(std::memory_order_acquire))
        Sleep(0);
    const DWORD now = GetTickCount();
    if (now < lastTickCount)
        wrappedTicks += ULONGLONG(1) << 32;
    lastTickCount = now;
    const ULONGLONG ticks = wrappedTicks + now;
    readingTicks.clear(std::memory_order_release);
    return ticks;
}

} // namespace

// The slot's name as the compiler writes a dllimport reference on each architecture.
#if defined(_WIN64)
extern "C" TickCount64 importedTickCount64 __asm__("__imp_GetTickCount64");
#else
extern "C" TickCount64 importedTickCount64 __asm__("__imp__GetTickCount64@0");
#endif
extern "C" {
TickCount64 importedTickCount64 = tickCount64;
}

#endif

#pragma once
// Waiting in the end-to-end tests and the stand-in IDEs: for a condition, for a time, or for a
// process while this one answers its messages (a window of this process that another one
// sends to would otherwise hang both).
#include <windows.h>

#include <algorithm>
#include <functional>

namespace endtoend {

inline void pause(int milliseconds) {
    Sleep(DWORD(std::max(milliseconds, 0)));
}

// Polls until the condition holds; false when it did not within the time.
inline bool waitUntil(const std::function<bool()>& condition, int milliseconds = 5000,
                      int stepMs = 20) {
    const ULONGLONG deadline = GetTickCount64() + ULONGLONG(std::max(milliseconds, 0));
    for (;;) {
        if (condition())
            return true;
        if (GetTickCount64() >= deadline)
            return false;
        pause(stepMs);
    }
}

// Handles every message that arrived, sent or posted; false once WM_QUIT came, which is left
// for the caller's own loop.
inline bool pumpMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(int(message.wParam));
            return false;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return true;
}

inline void pumpFor(int milliseconds) {
    const ULONGLONG deadline = GetTickCount64() + ULONGLONG(std::max(milliseconds, 0));
    for (ULONGLONG now = GetTickCount64(); now < deadline; now = GetTickCount64()) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, DWORD(deadline - now), QS_ALLINPUT);
        if (!pumpMessages())
            return;
    }
}

// Waits for the process to end while answering messages; false when it still runs.
inline bool waitForProcess(HANDLE process, int milliseconds) {
    const ULONGLONG deadline = GetTickCount64() + ULONGLONG(std::max(milliseconds, 0));
    for (;;) {
        const ULONGLONG now = GetTickCount64();
        const DWORD left = now >= deadline ? 0 : DWORD(deadline - now);
        const DWORD woken = MsgWaitForMultipleObjects(1, &process, FALSE, left, QS_ALLINPUT);
        if (woken == WAIT_OBJECT_0)
            return true;
        if (woken != WAIT_OBJECT_0 + 1 || left == 0)
            return false;
        pumpMessages();
    }
}

} // namespace endtoend

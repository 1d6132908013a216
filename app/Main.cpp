// The program's entry and its single exit.
#include <windows.h>

#include "app/PrivateHeap.h"
#include "app/Startup.h"
#include "ui/WindowService.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    app::createPrivateHeap();
    ui::startService();
    try {
        app::runProgram();
    } catch (...) {
        // Failures are silent: whatever went wrong, the common end still runs.
    }
    ui::endService();
    app::destroyPrivateHeap();
    // The mode's mutex is not released explicitly; it goes with the process.
    ExitProcess(0);
}

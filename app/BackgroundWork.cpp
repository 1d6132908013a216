#include "app/BackgroundWork.h"

#include <utility>

namespace app {

// Whatever the work throws (running out of memory while a table grows, above all) is caught
// here: an exception leaving a thread's function ends the whole program at once.
void BackgroundWork::run() {
    try {
        work_();
    } catch (...) {
        failure_ = std::current_exception();
    }
}

DWORD WINAPI BackgroundWork::runWork(void* self) {
    static_cast<BackgroundWork*>(self)->run();
    return 0;
}

BackgroundWork::BackgroundWork(std::function<void()> work) : work_(std::move(work)) {
    thread_.reset(CreateThread(nullptr, 0, runWork, this, 0, nullptr));
    if (!thread_)
        run();
}

void BackgroundWork::wait() {
    if (thread_) {
        WaitForSingleObject(thread_.get(), INFINITE);
        thread_.reset();
    }
}

} // namespace app

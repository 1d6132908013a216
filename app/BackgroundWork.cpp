#include "app/BackgroundWork.h"

#include <utility>

namespace app {

namespace {

DWORD WINAPI runWork(void* work) {
    (*static_cast<std::function<void()>*>(work))();
    return 0;
}

} // namespace

BackgroundWork::BackgroundWork(std::function<void()> work) : work_(std::move(work)) {
    thread_.reset(CreateThread(nullptr, 0, runWork, &work_, 0, nullptr));
    if (!thread_)
        work_();
}

void BackgroundWork::wait() {
    if (thread_) {
        WaitForSingleObject(thread_.get(), INFINITE);
        thread_.reset();
    }
}

} // namespace app

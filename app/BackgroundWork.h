#pragma once
// Work done on a thread of its own while the caller goes on; waited for at the latest when its
// owner goes. Where no thread can be made, the work is done at once, in the caller's thread.
#include <exception>
#include <functional>

#include "base/OwnedHandles_win.h"

namespace app {

class BackgroundWork {
  public:
    explicit BackgroundWork(std::function<void()> work);
    ~BackgroundWork() { wait(); }
    BackgroundWork(const BackgroundWork&) = delete;
    BackgroundWork& operator=(const BackgroundWork&) = delete;

    // Returns once the work is done.
    void wait();

    // What the work threw, caught where it ran; null when it ended normally. Read after wait().
    std::exception_ptr failure() const { return failure_; }

  private:
    static DWORD WINAPI runWork(void* self);
    void run();

    std::function<void()> work_;
    std::exception_ptr failure_;
    base::OwnedKernelHandle thread_;
};

} // namespace app

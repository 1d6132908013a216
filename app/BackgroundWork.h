#pragma once
// Work done on a thread of its own while the caller goes on; waited for at the latest when its
// owner goes. Where no thread can be made, the work is done at once, in the caller's thread.
#include <functional>

#include "base/OwnedHandles_win.h"

namespace app {

class BackgroundWork {
  public:
    // The work must not throw: it catches what it may throw itself.
    explicit BackgroundWork(std::function<void()> work);
    ~BackgroundWork() { wait(); }
    BackgroundWork(const BackgroundWork&) = delete;
    BackgroundWork& operator=(const BackgroundWork&) = delete;

    // Returns once the work is done.
    void wait();

  private:
    std::function<void()> work_;
    base::OwnedKernelHandle thread_;
};

} // namespace app

#pragma once
// Memory in another process, for the messages whose pointer the receiver writes through.
#include <windows.h>

#include <cstddef>

namespace idelink {

// Memory committed in another process, released whole when the owner goes.
class RemoteBuffer {
  public:
    RemoteBuffer(HANDLE process, size_t size)
        : process_(process),
          address_(VirtualAllocEx(process, nullptr, size, MEM_COMMIT, PAGE_READWRITE)) {}
    ~RemoteBuffer() {
        if (address_ && !abandoned_)
            VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
    }
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;
    void* address() const { return address_; }
    // A message that carried the buffer got no answer in time, and the editor may still write
    // into it when it wakes: it stays allocated in the IDE, a few bytes left behind rather
    // than memory freed under the IDE's feet.
    void abandon() { abandoned_ = true; }

  private:
    HANDLE process_;
    void* address_;
    bool abandoned_ = false;
};

} // namespace idelink

// Owners of Win32 handles for the Win32 code of every layer (the shell and the *_win bodies of
// the core): the one owner template, kernel handles, loaded libraries, and the typed look-up of
// a function that a module may or may not export. ui/OwnedGdiObjects.h adds the GDI owners of
// the window service on the same template.
#pragma once

#include <windows.h>

#include <utility>

namespace base {

template <typename Handle, void (*Free)(Handle)> class Owned {
  public:
    Owned() = default;
    explicit Owned(Handle handle) : handle_(handle) {}
    ~Owned() { reset(); }
    Owned(Owned&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    Owned& operator=(Owned&& other) noexcept {
        if (this != &other) {
            reset(std::exchange(other.handle_, nullptr));
        }
        return *this;
    }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;

    Handle get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }
    void reset(Handle handle = nullptr) {
        if (handle_ && handle_ != handle) {
            Free(handle_);
        }
        handle_ = handle;
    }
    // Gives the handle up without freeing it.
    Handle release() { return std::exchange(handle_, nullptr); }

  private:
    Handle handle_ = nullptr;
};

inline void closeKernelHandle(HANDLE handle) {
    CloseHandle(handle);
}
inline void freeLibrary(HMODULE library) {
    FreeLibrary(library);
}

// A process, thread, mutex or event handle; functions that answer INVALID_HANDLE_VALUE on
// failure (CreateFileW) need their answer checked before it is owned.
using OwnedKernelHandle = Owned<HANDLE, closeKernelHandle>;
using OwnedLibrary = Owned<HMODULE, freeLibrary>;

// The function `name` of `module` as the type the caller declares for it, or nullptr when the
// module is missing or does not export it (a newer Windows's function on an older one).
template <typename Function> Function moduleFunction(HMODULE module, const char* name) {
    if (!module) {
        return nullptr;
    }
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

} // namespace base

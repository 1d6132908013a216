// Owners of what the service creates and must free: GDI objects, accelerator tables, loaded
// libraries, memory DCs with an object selected into them, and the screen DC. Child windows
// have no owner here: their parent destroys them.
#pragma once

#include <windows.h>

#include <utility>

namespace ui {

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

  private:
    Handle handle_ = nullptr;
};

template <typename Handle> void deleteGdiObject(Handle handle) {
    DeleteObject(handle);
}
inline void destroyAcceleratorTable(HACCEL table) {
    DestroyAcceleratorTable(table);
}
inline void freeLibrary(HMODULE library) {
    FreeLibrary(library);
}

using OwnedBrush = Owned<HBRUSH, deleteGdiObject<HBRUSH>>;
using OwnedBitmap = Owned<HBITMAP, deleteGdiObject<HBITMAP>>;
using OwnedFont = Owned<HFONT, deleteGdiObject<HFONT>>;
using OwnedAccelerators = Owned<HACCEL, destroyAcceleratorTable>;
using OwnedLibrary = Owned<HMODULE, freeLibrary>;

// The screen's DC for the life of the owner; get() is nullptr when none was given.
class ScreenDc {
  public:
    ScreenDc() : dc_(GetDC(nullptr)) {}
    ~ScreenDc() {
        if (dc_) {
            ReleaseDC(nullptr, dc_);
        }
    }
    ScreenDc(const ScreenDc&) = delete;
    ScreenDc& operator=(const ScreenDc&) = delete;
    HDC get() const { return dc_; }

  private:
    HDC dc_;
};

// A memory DC compatible with another. What select() puts into it is taken out again before
// the DC is deleted, so an owner of that object declared before this one can free it safely.
class MemoryDc {
  public:
    explicit MemoryDc(HDC compatibleWith) : dc_(CreateCompatibleDC(compatibleWith)) {}
    ~MemoryDc() {
        if (dc_) {
            if (original_) {
                SelectObject(dc_, original_);
            }
            DeleteDC(dc_);
        }
    }
    MemoryDc(const MemoryDc&) = delete;
    MemoryDc& operator=(const MemoryDc&) = delete;
    HDC get() const { return dc_; }

    // false when there is no DC or the object could not be selected.
    bool select(HGDIOBJ object) {
        if (!dc_ || !object) {
            return false;
        }
        HGDIOBJ previous = SelectObject(dc_, object);
        if (!previous || previous == HGDI_ERROR) {
            return false;
        }
        if (!original_) {
            original_ = previous;
        }
        return true;
    }

  private:
    HDC dc_;
    HGDIOBJ original_ = nullptr;
};

} // namespace ui

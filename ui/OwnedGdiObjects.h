// Owners of what the service creates and must free: GDI objects, accelerator tables, memory DCs
// with an object selected into them, and the screen DC, on the owner template of
// base/OwnedHandles_win.h. Child windows have no owner here: their parent destroys them.
#pragma once

#include "base/OwnedHandles_win.h"

#include <windows.h>

namespace ui {

using base::Owned;
using base::OwnedLibrary;

template <typename Handle> void deleteGdiObject(Handle handle) {
    DeleteObject(handle);
}
inline void destroyAcceleratorTable(HACCEL table) {
    DestroyAcceleratorTable(table);
}

using OwnedBrush = Owned<HBRUSH, deleteGdiObject<HBRUSH>>;
using OwnedBitmap = Owned<HBITMAP, deleteGdiObject<HBITMAP>>;
using OwnedFont = Owned<HFONT, deleteGdiObject<HFONT>>;
using OwnedAccelerators = Owned<HACCEL, destroyAcceleratorTable>;

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

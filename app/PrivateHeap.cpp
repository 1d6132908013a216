// Linked into Zendrik.exe only: replaces the global allocation functions so that every
// allocation of the program lives in its private heap.
#include "app/PrivateHeap.h"

#include <windows.h>

#include <cstdlib>
#include <new>

namespace {

HANDLE privateHeap = nullptr;

// Static initialisers may allocate before the entry point runs, so the heap is made on the
// first request as well.
HANDLE heap() {
    if (!privateHeap)
        privateHeap = HeapCreate(0, 0, 0);
    return privateHeap ? privateHeap : GetProcessHeap();
}

void* allocate(std::size_t size) {
    if (void* block = HeapAlloc(heap(), 0, size ? size : 1))
        return block;
    throw std::bad_alloc();
}

void release(void* block) noexcept {
    if (block && privateHeap)
        HeapFree(privateHeap, 0, block);
}

} // namespace

namespace app {

void createPrivateHeap() {
    heap();
}

void destroyPrivateHeap() {
    // Nothing may free into the heap afterwards: the process ends right after this.
    if (privateHeap)
        HeapDestroy(privateHeap);
    privateHeap = nullptr;
}

} // namespace app

void* operator new(std::size_t size) {
    return allocate(size);
}
void* operator new[](std::size_t size) {
    return allocate(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return HeapAlloc(heap(), 0, size ? size : 1);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return HeapAlloc(heap(), 0, size ? size : 1);
}
void operator delete(void* block) noexcept {
    release(block);
}
void operator delete[](void* block) noexcept {
    release(block);
}
void operator delete(void* block, std::size_t) noexcept {
    release(block);
}
void operator delete[](void* block, std::size_t) noexcept {
    release(block);
}

// Linked into Zendrik.exe only: replaces the global allocation functions so that every
// allocation of the program lives in its private heap.
#include "app/PrivateHeap.h"
#include "app/HeapChoice.h"

#include <windows.h>

#include <cstdlib>
#include <new>

namespace {

constinit app::HeapChoice<HANDLE> choice;

// Static initialisers may allocate before the entry point runs, so the heap is chosen on the
// first request, whichever comes first.
HANDLE heap() {
    return choice.heap([] { return HeapCreate(0, 0, 0); }, GetProcessHeap());
}

void* allocate(std::size_t size) {
    if (void* block = HeapAlloc(heap(), 0, size ? size : 1))
        return block;
    throw std::bad_alloc();
}

void release(void* block) noexcept {
    if (HANDLE from = choice.heapToFree(); block && from)
        HeapFree(from, 0, block);
}

} // namespace

namespace app {

void createPrivateHeap() {
    heap();
}

void destroyPrivateHeap() {
    // Nothing is freed afterwards: the process ends right after this, and what is allocated
    // in between comes from the process heap that the end takes with it.
    if (HANDLE privateHeap = choice.end())
        HeapDestroy(privateHeap);
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

#pragma once
// Which heap the program's allocations use. Every block must go back to the heap it came from,
// so the choice is made once, on the first request, and kept: a private heap when one could be
// created then, the process heap otherwise. After the end, frees go nowhere.
namespace app {

template <typename Heap> class HeapChoice {
  public:
    // create() answers a new heap, or Heap{} when it failed. After the end, the process heap.
    template <typename Create> Heap heap(Create create, Heap processHeap) {
        if (ended_) {
            return processHeap;
        }
        if (!decided_) {
            decided_ = true;
            const Heap made = create();
            ownsHeap_ = made != Heap{};
            heap_ = ownsHeap_ ? made : processHeap;
        }
        return heap_;
    }

    // The heap a block is freed into: Heap{} before the choice and after the end.
    Heap heapToFree() const { return ended_ ? Heap{} : heap_; }

    // Hands the private heap over for destruction (Heap{} when there is none) and ends frees.
    Heap end() {
        ended_ = true;
        return ownsHeap_ ? heap_ : Heap{};
    }

  private:
    Heap heap_{};
    bool decided_ = false;
    bool ownsHeap_ = false;
    bool ended_ = false;
};

} // namespace app

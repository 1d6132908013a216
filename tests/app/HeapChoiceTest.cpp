// The heap of the program's allocations is chosen once, so that no block is ever freed into a
// heap it did not come from.
#include "app/HeapChoice.h"

#include <gtest/gtest.h>

namespace {

constexpr int kProcessHeap = 1;

TEST(HeapChoice, DecidedOnceAndEveryBlockFreedWhereItCameFrom) {
    struct Case {
        const char* name;
        int firstCreate;  // what HeapCreate answers on the first request (0: failed)
        int laterCreate;  // what it would answer on any later one
        int expectedHeap; // the heap of every allocation and free
        int destroyed;    // what the end hands over for destruction
    } cases[] = {
        {"created", 7, 8, 7, 7},
        // A later success must not change the heap: the blocks taken so far are the process's.
        {"first_attempt_failed", 0, 8, kProcessHeap, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        app::HeapChoice<int> choice;
        int creates = 0;
        const auto create = [&] { return creates++ == 0 ? c.firstCreate : c.laterCreate; };
        EXPECT_EQ(choice.heapToFree(), 0) << "nothing is freed before anything was allocated";
        EXPECT_EQ(choice.heap(create, kProcessHeap), c.expectedHeap);
        EXPECT_EQ(choice.heap(create, kProcessHeap), c.expectedHeap);
        EXPECT_EQ(choice.heapToFree(), c.expectedHeap);
        EXPECT_EQ(creates, 1);

        EXPECT_EQ(choice.end(), c.destroyed);
        EXPECT_EQ(choice.heapToFree(), 0) << "frees after the end go nowhere";
        EXPECT_EQ(choice.heap(create, kProcessHeap), kProcessHeap)
            << "allocations after the end never touch a destroyed heap";
        EXPECT_EQ(creates, 1);
    }
}

} // namespace

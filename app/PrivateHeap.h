#pragma once

namespace app {

// The program's allocations come from a heap of its own, so that the common end releases
// all of them in one call instead of freeing object by object.
void createPrivateHeap();
void destroyPrivateHeap();

} // namespace app

// Movable global memory blocks, as the system keeps its lists that grow with
// the number of handheld records. A block is zero-filled when allocated; its
// contents are reached by locking it and must not be used after unlocking.
//
// Allocation can be made to fail on purpose: FailMovableAllocationAt(n) makes
// the n-th allocation from now fail; so does the environment variable
// KV_FAIL_MOVABLE_ALLOC=n, read at the first allocation of the process.
#pragma once

#include <cstddef>

namespace kv::os {

struct MovableBlock;
using MemoryHandle = MovableBlock*;

// A zero-filled block of size bytes, or nullptr.
MemoryHandle AllocateMovable(size_t size);

// A block of new_size bytes keeping the old contents, the growth zero-filled;
// nullptr on failure, leaving the old block valid.
MemoryHandle ReallocateMovable(MemoryHandle block, size_t new_size);

void* LockMovable(MemoryHandle block);
void UnlockMovable(MemoryHandle block);
size_t MovableSize(MemoryHandle block);

// Frees the block; nullptr is ignored.
void FreeMovable(MemoryHandle block);

// Fault injection: the n-th allocation (1 = the next) fails; 0 switches off.
void FailMovableAllocationAt(int n);

}  // namespace kv::os

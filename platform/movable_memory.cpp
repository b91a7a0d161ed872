#include "platform/movable_memory.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace kv::os {

struct MovableBlock {
    size_t size;
    unsigned char* data;
};

namespace {

// Counts down to the allocation that is to fail; negative = not armed.
int g_fail_countdown = -1;
bool g_environment_read = false;

bool AllocationFails() {
    if (!g_environment_read) {
        g_environment_read = true;
        if (const char* n = std::getenv("KV_FAIL_MOVABLE_ALLOC")) {
            int value = std::atoi(n);
            if (value > 0 && g_fail_countdown < 0) g_fail_countdown = value;
        }
    }
    if (g_fail_countdown < 0) return false;
    if (--g_fail_countdown == 0) {
        g_fail_countdown = -1;
        return true;
    }
    return false;
}

}  // namespace

void FailMovableAllocationAt(int n) {
    g_environment_read = true;
    g_fail_countdown = n > 0 ? n : -1;
}

MemoryHandle AllocateMovable(size_t size) {
    if (AllocationFails()) return nullptr;
    auto* block = new (std::nothrow) MovableBlock{size, nullptr};
    if (!block) return nullptr;
    block->data = static_cast<unsigned char*>(std::calloc(size ? size : 1, 1));
    if (!block->data) {
        delete block;
        return nullptr;
    }
    return block;
}

MemoryHandle ReallocateMovable(MemoryHandle block, size_t new_size) {
    if (!block || AllocationFails()) return nullptr;
    auto* data = static_cast<unsigned char*>(std::realloc(block->data, new_size ? new_size : 1));
    if (!data) return nullptr;
    if (new_size > block->size) std::memset(data + block->size, 0, new_size - block->size);
    block->data = data;
    block->size = new_size;
    return block;
}

void* LockMovable(MemoryHandle block) {
    return block ? block->data : nullptr;
}
void UnlockMovable(MemoryHandle) {}
size_t MovableSize(MemoryHandle block) {
    return block ? block->size : 0;
}

void FreeMovable(MemoryHandle block) {
    if (!block) return;
    std::free(block->data);
    delete block;
}

}  // namespace kv::os

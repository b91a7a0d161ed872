#include "platform/movable_memory.h"

#include <gtest/gtest.h>

#include <cstring>

namespace kv::os {
namespace {

TEST(MovableMemory, BlocksAreZeroFilledAndGrowKeepingTheirContents) {
    MemoryHandle block = AllocateMovable(16);
    ASSERT_NE(nullptr, block);
    auto* bytes = static_cast<unsigned char*>(LockMovable(block));
    for (int i = 0; i < 16; ++i) EXPECT_EQ(0, bytes[i]);
    std::memset(bytes, 0xAB, 16);
    UnlockMovable(block);

    ASSERT_NE(nullptr, ReallocateMovable(block, 64));
    EXPECT_EQ(64u, MovableSize(block));
    bytes = static_cast<unsigned char*>(LockMovable(block));
    EXPECT_EQ(0xAB, bytes[15]);
    EXPECT_EQ(0, bytes[16]);
    EXPECT_EQ(0, bytes[63]);
    UnlockMovable(block);
    FreeMovable(block);
    FreeMovable(nullptr);
}

TEST(MovableMemory, TheNthAllocationCanBeMadeToFail) {
    FailMovableAllocationAt(2);
    MemoryHandle first = AllocateMovable(8);
    EXPECT_NE(nullptr, first);
    EXPECT_EQ(nullptr, ReallocateMovable(first, 32));  // the second allocation
    EXPECT_EQ(8u, MovableSize(first));                 // the old block stays valid
    MemoryHandle third = AllocateMovable(8);
    EXPECT_NE(nullptr, third);  // fails once only
    FreeMovable(first);
    FreeMovable(third);
    FailMovableAllocationAt(0);
}

}  // namespace
}  // namespace kv::os

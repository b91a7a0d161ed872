#include "platform/byte_order.h"

#include <gtest/gtest.h>

#include <array>

namespace kv {
namespace {

TEST(ByteOrder, StoresAndLoadsGoldenBytes) {
    std::array<uint8_t, 4> b{};
    StoreBE32(b.data(), 0x01020304);
    EXPECT_EQ((std::array<uint8_t, 4>{1, 2, 3, 4}), b);
    EXPECT_EQ(0x01020304u, LoadBE32(b.data()));
    EXPECT_EQ(0x04030201u, LoadLE32(b.data()));
    StoreLE16(b.data(), 0xBEEF);
    EXPECT_EQ(0xEF, b[0]);
    EXPECT_EQ(0xBEEF, LoadLE16(b.data()));
    EXPECT_EQ(0xEFBE, LoadBE16(b.data()));
    StoreBE24(b.data(), 0xABCDEF);
    EXPECT_EQ((std::array<uint8_t, 4>{0xAB, 0xCD, 0xEF, 4}), b);
    EXPECT_EQ(0xABCDEFu, LoadBE24(b.data()));
}

TEST(ByteReader, RefusesToReadPastTheEnd) {
    const uint8_t data[] = {0x00, 0x2A, 0xFF, 0xFF, 0xFF};
    ByteReader r(data, sizeof data);
    EXPECT_EQ(42, r.BE16());
    EXPECT_EQ(0u, r.BE32());  // 3 bytes left
    EXPECT_FALSE(r.ok());
    EXPECT_EQ(0, r.U8());  // stays failed
    EXPECT_EQ(0u, r.remaining());
}

TEST(ByteWriter, StopsAtTheBufferAndReportsIt) {
    uint8_t data[6] = {0, 0, 0, 0, 0, 0x5A};
    ByteWriter w(data, 5);
    w.BE32(0xDEADBEEF);
    EXPECT_TRUE(w.ok());
    w.BE16(1);
    EXPECT_FALSE(w.ok());
    EXPECT_EQ(4u, w.position());
    EXPECT_EQ(0, data[4]);
    EXPECT_EQ(0x5A, data[5]);  // guard byte untouched
}

}  // namespace
}  // namespace kv

// Byte order: every multi-byte number that crosses a record boundary goes
// through these helpers. Handheld records are big-endian, practice records
// little-endian; nothing else in the tree shifts bytes by hand.
//
// The free functions work on raw pointers whose room the caller has checked.
// ByteReader and ByteWriter are bounded cursors: a read or write that would
// pass the end fails, sets the cursor's error flag and leaves memory alone.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace kv {

inline uint16_t LoadBE16(const uint8_t* p) {
    return static_cast<uint16_t>((p[0] << 8) | p[1]);
}
inline uint32_t LoadBE24(const uint8_t* p) {
    return (static_cast<uint32_t>(p[0]) << 16) | (static_cast<uint32_t>(p[1]) << 8) | p[2];
}
inline uint32_t LoadBE32(const uint8_t* p) {
    return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
           (static_cast<uint32_t>(p[2]) << 8) | p[3];
}
inline uint16_t LoadLE16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
inline uint32_t LoadLE32(const uint8_t* p) {
    return p[0] | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}

inline void StoreBE16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v >> 8);
    p[1] = static_cast<uint8_t>(v);
}
inline void StoreBE24(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v >> 16);
    p[1] = static_cast<uint8_t>(v >> 8);
    p[2] = static_cast<uint8_t>(v);
}
inline void StoreBE32(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v >> 24);
    p[1] = static_cast<uint8_t>(v >> 16);
    p[2] = static_cast<uint8_t>(v >> 8);
    p[3] = static_cast<uint8_t>(v);
}
inline void StoreLE16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
inline void StoreLE32(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
    p[2] = static_cast<uint8_t>(v >> 16);
    p[3] = static_cast<uint8_t>(v >> 24);
}

// Reads from [data, data + size). After a failed read ok() is false for good
// and every further read yields 0.
class ByteReader {
  public:
    ByteReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    bool ok() const { return ok_; }
    size_t position() const { return pos_; }
    size_t remaining() const { return ok_ ? size_ - pos_ : 0; }

    uint8_t U8() { return Take(1) ? data_[pos_ - 1] : 0; }
    uint16_t BE16() { return Take(2) ? LoadBE16(data_ + pos_ - 2) : 0; }
    uint32_t BE24() { return Take(3) ? LoadBE24(data_ + pos_ - 3) : 0; }
    uint32_t BE32() { return Take(4) ? LoadBE32(data_ + pos_ - 4) : 0; }
    uint16_t LE16() { return Take(2) ? LoadLE16(data_ + pos_ - 2) : 0; }
    uint32_t LE32() { return Take(4) ? LoadLE32(data_ + pos_ - 4) : 0; }
    // Points at the next n bytes and skips them; nullptr when fewer remain.
    const uint8_t* Bytes(size_t n) { return Take(n) ? data_ + pos_ - n : nullptr; }
    bool Skip(size_t n) { return Take(n); }

  private:
    bool Take(size_t n) {
        if (!ok_ || n > size_ - pos_) {
            ok_ = false;
            return false;
        }
        pos_ += n;
        return true;
    }

    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
    bool ok_ = true;
};

// Writes into [data, data + size). After a failed write ok() is false for good
// and nothing more is written.
class ByteWriter {
  public:
    ByteWriter(uint8_t* data, size_t size) : data_(data), size_(size) {}

    bool ok() const { return ok_; }
    size_t position() const { return pos_; }

    void U8(uint8_t v) {
        if (Room(1)) data_[pos_++] = v;
    }
    void BE16(uint16_t v) { Put(2, v, StoreBE16); }
    void BE32(uint32_t v) { Put(4, v, StoreBE32); }
    void LE16(uint16_t v) { Put(2, v, StoreLE16); }
    void LE32(uint32_t v) { Put(4, v, StoreLE32); }
    void BE24(uint32_t v) {
        if (Room(3)) {
            StoreBE24(data_ + pos_, v);
            pos_ += 3;
        }
    }
    void Bytes(const void* src, size_t n) {
        if (Room(n)) {
            if (n != 0) std::memcpy(data_ + pos_, src, n);
            pos_ += n;
        }
    }
    void Zeros(size_t n) {
        if (Room(n)) {
            if (n != 0) std::memset(data_ + pos_, 0, n);
            pos_ += n;
        }
    }

  private:
    bool Room(size_t n) {
        if (!ok_ || n > size_ - pos_) ok_ = false;
        return ok_;
    }
    template <typename T, typename F>
    void Put(size_t n, T v, F store) {
        if (Room(n)) {
            store(data_ + pos_, v);
            pos_ += n;
        }
    }

    uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
    bool ok_ = true;
};

}  // namespace kv

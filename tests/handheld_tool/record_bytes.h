// Golden records written out byte by byte in the tests: numbers as they sit
// in the record, texts with or without their terminator, joined with +.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace kv::test {

using Bytes = std::vector<uint8_t>;

inline Bytes B(std::initializer_list<int> values) {
    Bytes out;
    for (int v : values) out.push_back(static_cast<uint8_t>(v));
    return out;
}

// The characters of text, without terminator.
inline Bytes Chars(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

// The characters of text and its terminator.
inline Bytes Z(const std::string& text) {
    Bytes out = Chars(text);
    out.push_back(0);
    return out;
}

// n zero bytes.
inline Bytes Zeros(size_t n) {
    return Bytes(n, 0);
}

// The first n bytes (n at most the size).
inline Bytes Prefix(const Bytes& bytes, size_t n) {
    return Bytes(bytes.begin(), bytes.begin() + n);
}

}  // namespace kv::test

namespace kv::handheld_tool {

// Joins two runs of bytes. Declared where the tests live, so that it is found
// for std::vector operands.
inline test::Bytes operator+(test::Bytes a, const test::Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

}  // namespace kv::handheld_tool

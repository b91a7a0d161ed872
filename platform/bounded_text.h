// Bounded text copies. Every text copied into a caller's buffer goes through
// these: the copy stops at the buffer, and the result is always zero-terminated
// when the buffer has room for at least the terminator.
#pragma once

#include <cstddef>
#include <cstring>
#include <string>

namespace kv {

// Length of the zero-terminated text at src, looking at most max bytes.
inline size_t BoundedLength(const char* src, size_t max) {
    const void* end = std::memchr(src, 0, max);
    return end ? static_cast<size_t>(static_cast<const char*>(end) - src) : max;
}

// Copies src into dst[0..size), cut to size - 1 characters and terminated.
// Returns the number of characters copied. A size of 0 writes nothing.
inline size_t CopyText(char* dst, size_t size, const char* src) {
    if (size == 0) return 0;
    size_t n = src ? std::strlen(src) : 0;
    if (n > size - 1) n = size - 1;
    if (n != 0) std::memcpy(dst, src, n);
    dst[n] = '\0';
    return n;
}

inline size_t CopyText(char* dst, size_t size, const std::string& src) {
    return CopyText(dst, size, src.c_str());
}

// A text field of a fixed-width record: at most width bytes, ending at the
// first zero byte.
inline std::string FieldText(const void* field, size_t width) {
    const char* p = static_cast<const char*>(field);
    return std::string(p, BoundedLength(p, width));
}

}  // namespace kv

// ProviderFilter: the providers whose data a handheld user follows: 0 to 10
// practice ids, sorted ascending by their 4 bytes. Empty means every
// provider.
#pragma once

#include <algorithm>
#include <array>
#include <cstring>

namespace kv::conduit {

struct ProviderFilter {
    static constexpr int kMaxProviders = 10;
    static constexpr size_t kIdLength = 4;

    int count = 0;
    std::array<std::array<char, kIdLength>, kMaxProviders> ids{};

    bool empty() const { return count <= 0; }

    // Sorts the ids by their 4 bytes (a zero byte ends an id, as a string
    // comparison does).
    void Sort() {
        std::sort(ids.begin(), ids.begin() + count,
                  [](const auto& a, const auto& b) { return Compare(a.data(), b.data()) < 0; });
    }

    // True when id (4 characters) is one of the ids; binary search.
    bool Contains(const char* id) const {
        int low = 0, high = count - 1;
        while (low <= high) {
            int mid = (low + high) / 2;
            int c = Compare(ids[mid].data(), id);
            if (c == 0) return true;
            if (c < 0)
                low = mid + 1;
            else
                high = mid - 1;
        }
        return false;
    }

    // The 4-byte comparison of two practice ids, stopping at a zero byte.
    static int Compare(const char* a, const char* b) { return std::strncmp(a, b, kIdLength); }
};

}  // namespace kv::conduit

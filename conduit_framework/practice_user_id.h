// PracticeUserId: the 4-character id of a practice provider or staff member,
// kept with a terminating zero. "____" (four underscores) means that the
// handheld has no practice user; any id starting with an underscore counts as
// unknown.
#pragma once

#include <cstring>

namespace kv::conduit {

struct PracticeUserId {
    static constexpr size_t kLength = 4;
    char text[kLength + 1] = {};

    static PracticeUserId Unknown() {
        PracticeUserId id;
        std::memcpy(id.text, "____", kLength);
        return id;
    }
    bool IsUnknown() const { return text[0] == '_' || text[0] == '\0'; }
    const char* c_str() const { return text; }
};

}  // namespace kv::conduit

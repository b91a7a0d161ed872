#include "conduit_framework/mobile_settings.h"

#include <array>
#include <cstring>

#include "conduit_framework/practice_utilities.h"
#include "platform/bounded_text.h"

namespace kv::conduit {

std::string SettingsKey(const PracticeUserId& user, const char* suffix) {
    std::string key = FieldText(user.text, PracticeUserId::kLength);
    if (suffix) key += suffix;
    return key;
}

int ReadSettingInt(const char* section, const PracticeUserId& user, const char* suffix,
                   int default_value) {
    return Utilities().GetPrivateInfInt(section, SettingsKey(user, suffix).c_str(), default_value);
}

ProviderFilter ReadProviderFilter(const char* section, const PracticeUserId& user,
                                  const char* count_suffix, const char* ids_suffix) {
    ProviderFilter filter;
    int count = ReadSettingInt(section, user, count_suffix, 0);
    if (count <= 0) return filter;
    if (count > ProviderFilter::kMaxProviders) count = ProviderFilter::kMaxProviders;

    std::array<char, kProviderIdsTextSize> ids{};
    Utilities().GetPrivateInfString(section, SettingsKey(user, ids_suffix).c_str(), "", ids.data(),
                                    static_cast<int>(ids.size()));
    ids.back() = '\0';
    if (ids[0] == '\0') return filter;

    // 10 ids of 4 characters lie well inside the text's room.
    static_assert(ProviderFilter::kMaxProviders * ProviderFilter::kIdLength < kProviderIdsTextSize);
    int taken = 0;
    for (; taken < count; ++taken) {
        const char* id = ids.data() + ProviderFilter::kIdLength * static_cast<size_t>(taken);
        if (id[0] == '\0') break;
        std::memcpy(filter.ids[static_cast<size_t>(taken)].data(), id, ProviderFilter::kIdLength);
    }
    filter.count = taken;
    filter.Sort();
    return filter;
}

}  // namespace kv::conduit

// The demo practice: a small, realistic practice to synchronise with, as an
// import document (record_json.h).
#pragma once

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace kv::tools {

// The HotSync user name of the demo handheld.
constexpr const char* kDemoHotSyncUser = "Anna Whitaker";

struct DemoSetting {
    std::string section;
    std::string key;
    std::string value;
};

// Providers, staff, operatories and the practice preferences.
nlohmann::json DemoPracticeDocument();

// The demo's settings: the demo handheld's association with its practice
// user and that user's mobile settings.
std::vector<DemoSetting> DemoSettings();

}  // namespace kv::tools

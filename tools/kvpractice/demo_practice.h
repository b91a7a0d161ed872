// The demo practice: a small, realistic practice to synchronise with, as an
// import document (record_json.h).
#pragma once

#include <nlohmann/json.hpp>

namespace kv::tools {

// Providers, staff, operatories and the practice preferences.
nlohmann::json DemoPracticeDocument();

}  // namespace kv::tools

// Which record layout each handheld database of the mobile system holds,
// by database name. A database not named here is shown as raw bytes and can
// only have its records deleted or archived.
#pragma once

#include <string>
#include <vector>

#include "tools/handheld/record_codec.h"

namespace kv::handheld_tool {

// The codec of a database, or null when its layout is not known.
const RecordCodec* FindCodec(const std::string& database);

// The names of the databases with a known layout.
std::vector<std::string> KnownDatabases();

}  // namespace kv::handheld_tool

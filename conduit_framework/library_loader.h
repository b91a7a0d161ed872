// Loading of a practice library (kvrdb32, kvr32sm) from the practice's
// executables directory, as both practice bindings do it:
//
//   1. read the executables directory (installation_settings.h) into a
//      260-byte buffer and drop one trailing backslash;
//   2. remember the working directory (260 bytes) and change to the
//      executables directory, so that the libraries the practice library
//      needs are found beside it;
//   3. load "<directory>\<file name>" (the bare file name when the directory
//      is empty), then change back to the remembered directory whatever the
//      outcome;
//   4. on failure, load the bare file name along the usual search path;
//   5. on failure again, show the library's message with the last error code
//      of the second attempt, OK only, owned by the active window.
//
// When the working directory cannot be remembered (it does not fit the
// buffer) it is not changed either, so that it is always the same after
// loading as before.
#pragma once

#include <string>

#include "platform/os.h"

namespace kv::conduit {

struct PracticeLibrary {
    const char* file_name;       // "kvrdb32.dll"
    const char* message_format;  // printf format with one %ld, the error code
    const char* caption;         // of the message box
};

// The full file name that step 3 loads: the directory without one trailing
// backslash, a backslash and the file name; the bare name for an empty
// directory.
std::string LibraryPath(const std::string& exe_directory, const char* file_name);

// Runs the steps above; the module, or nullptr after the message box.
os::ModuleHandle LoadPracticeLibrary(const PracticeLibrary& library);

}  // namespace kv::conduit

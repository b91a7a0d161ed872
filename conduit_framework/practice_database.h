// PracticeDatabase: the binding of the practice database library (kvrdb32),
// loaded at run time from the practice's executables directory and reached
// through one entry-point pointer per export. One process-wide object per
// conduit library (Database()); it holds no database session or file.
//
// Every forwarding function calls its entry point with the arguments
// unchanged; when the library is not loaded or does not export the entry
// point, it answers 0 (or does nothing for entry points without a result).
#pragma once

#include <cstdint>

#include "conduit_framework/library_binding.h"
#include "platform/practice_database_api.h"

namespace kv::conduit {

class PracticeDatabase : public LibraryBinding {
  public:
    // The 49 entry-point slots, in the library's order; 46 to 48 have no name
    // and stay empty.
    static constexpr int kSlotCount = 49;
    static const char* const kEntryPointNames[kSlotCount];  // nullptr for unnamed slots

    PracticeDatabase();   // load and bind (library load time)
    ~PracticeDatabase();  // release (library unload time)

    // Loads and binds first when not loaded (a second chance after a failed
    // load), then KDB_InitDataBase; 0 when that entry point is empty.
    int InitDataBase(const char* data_directory);

    KdbSession StartSession(int mode);
    void EndSession(KdbSession session);
    KdbFile OpenFile(KdbSession session, int file_number);
    void CloseFile(KdbFile file);
    int FindRec(KdbFile file, int key, const void* key_value, void* record);
    int GreaterThanOrEqualRec(KdbFile file, int key, const void* key_value, void* record);
    int FirstRec(KdbFile file, int key, void* record);
    int NextRec(KdbFile file, int key, void* record);
    KdbSet StartSet(KdbFile file, int key, int reserved, const void* key_value, void* record,
                    int prefix_length);
    int NextRecInSet(KdbSet set, void* record);
    void EndSet(KdbSet set);
    uint16_t GetVarRecLength(KdbFile file);
    int ReadEntireVarRec(KdbFile file, void* buffer);
    int WriteRec(KdbFile file, const void* record);
    int AddRec(KdbFile file, const void* record);
    int GetLastErrorNum(KdbSession session);
};

// The conduit library's binding.
PracticeDatabase& Database();

}  // namespace kv::conduit

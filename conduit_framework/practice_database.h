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

#include "platform/os.h"
#include "platform/practice_database_api.h"

namespace kv::conduit {

class PracticeDatabase {
  public:
    // The 49 entry-point slots, in the library's order; 46 to 48 have no name
    // and stay empty.
    static constexpr int kSlotCount = 49;
    static const char* const kEntryPointNames[kSlotCount];  // nullptr for unnamed slots

    // Loads and binds (library load time).
    PracticeDatabase();
    // Releases the library (library unload time).
    ~PracticeDatabase();
    PracticeDatabase(const PracticeDatabase&) = delete;
    PracticeDatabase& operator=(const PracticeDatabase&) = delete;

    // Loads the library from the executables directory, else by its bare
    // name; on failure shows the loader's message box and answers 0. Answers
    // 1 at once when already loaded.
    int Load();
    // Looks every entry point up by name (empty when not exported).
    void Bind();
    // Frees the library; loaded becomes 0.
    void Release();
    bool loaded() const { return loaded_ != 0; }
    void* slot(int index) const {
        return index >= 0 && index < kSlotCount ? slots_[index] : nullptr;
    }

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

  private:
    int loaded_ = 0;
    os::ModuleHandle module_ = nullptr;
    void* slots_[kSlotCount] = {};
};

// The conduit library's binding.
PracticeDatabase& Database();

}  // namespace kv::conduit

// The entry points of the practice database library (kvrdb32) as the system
// calls them: the function types that a binding looks up by export name. The
// library itself is outside the system; see docs/practice-libraries.md for
// what each entry point answers.
#pragma once

#include <cstdint>

#if defined(_WIN32)
#define KV_PRACTICE_CALL __stdcall
#else
#define KV_PRACTICE_CALL
#endif

extern "C" {

using KdbSession = uint16_t;  // 0 = no session
using KdbFile = int32_t;      // 0 = no file
using KdbSet = int32_t;       // 0 = no set

// The error number of a lookup that found no record.
constexpr int kKdbErrorNoSuchRecord = 101;

using KDB_InitDataBase_fn = int(KV_PRACTICE_CALL*)(const char* data_directory);
using KDB_StartSession_fn = KdbSession(KV_PRACTICE_CALL*)(int mode);
using KDB_EndSession_fn = void(KV_PRACTICE_CALL*)(KdbSession session);
using KDB_OpenFile_fn = KdbFile(KV_PRACTICE_CALL*)(KdbSession session, int file_number);
using KDB_CloseFile_fn = void(KV_PRACTICE_CALL*)(KdbFile file);
using KDB_FindRec_fn = int(KV_PRACTICE_CALL*)(KdbFile file, int key_number, const void* key_value,
                                              void* record);
using KDB_GreaterThanOrEqualRec_fn = int(KV_PRACTICE_CALL*)(KdbFile file, int key_number,
                                                            const void* key_value, void* record);
using KDB_FirstRec_fn = int(KV_PRACTICE_CALL*)(KdbFile file, int key_number, void* record);
using KDB_NextRec_fn = int(KV_PRACTICE_CALL*)(KdbFile file, int key_number, void* record);
using KDB_StartSet_fn = KdbSet(KV_PRACTICE_CALL*)(KdbFile file, int key_number, int reserved,
                                                  const void* key_value, void* record,
                                                  int prefix_length);
using KDB_NextRecInSet_fn = int(KV_PRACTICE_CALL*)(KdbSet set, void* record);
using KDB_EndSet_fn = void(KV_PRACTICE_CALL*)(KdbSet set);
using KDB_GetVarRecLength_fn = uint16_t(KV_PRACTICE_CALL*)(KdbFile file);
using KDB_ReadEntireVarRec_fn = int(KV_PRACTICE_CALL*)(KdbFile file, void* buffer);
using KDB_WriteRec_fn = int(KV_PRACTICE_CALL*)(KdbFile file, const void* record);
using KDB_AddRec_fn = int(KV_PRACTICE_CALL*)(KdbFile file, const void* record);
using KDB_GetLastErrorNum_fn = int(KV_PRACTICE_CALL*)(KdbSession session);

}  // extern "C"

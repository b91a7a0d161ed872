#include "conduit_framework/practice_database.h"

#include "conduit_framework/library_loader.h"

namespace kv::conduit {
namespace {

const PracticeLibrary kDatabaseLibrary = {
    "kvrdb32.dll",
    "Unable to load KVRDB32.DLL\nPlease make sure the location of all Kalvora Executables is "
    "included in the PATH Statement\nError Code = %ld",
    "Kalvora Database Loader"};

// Slot indexes (0-based) of the entry points the conduits call.
enum Slot {
    kStartSession = 0,
    kEndSession = 1,
    kOpenFile = 2,
    kCloseFile = 4,
    kGetVarRecLength = 5,
    kReadEntireVarRec = 6,
    kFirstRec = 7,
    kNextRec = 8,
    kGreaterThanOrEqualRec = 13,
    kAddRec = 16,
    kFindRec = 19,
    kWriteRec = 21,
    kStartSet = 22,
    kNextRecInSet = 23,
    kEndSet = 25,
    kGetLastErrorNum = 26,
    kInitDataBase = 48,
};

}  // namespace

const char* const PracticeDatabase::kEntryPointNames[kSlotCount] = {
    "KDB_StartSession",
    "KDB_EndSession",
    "KDB_OpenFile",
    "KDB_OpenFileExclusive",
    "KDB_CloseFile",
    "KDB_GetVarRecLength",
    "KDB_ReadEntireVarRec",
    "KDB_FirstRec",
    "KDB_NextRec",
    "KDB_LastRec",
    "KDB_PrevRec",
    "KDB_CurrentRec",
    "KDB_GreaterThanRec",
    "KDB_GreaterThanOrEqualRec",
    "KDB_LessThanRec",
    "KDB_LessThanOrEqualRec",
    "KDB_AddRec",
    "KDB_AddVRec",
    "KDB_DeleteCurRec",
    "KDB_FindRec",
    "KDB_ReadRec",
    "KDB_WriteRec",
    "KDB_StartSet",
    "KDB_NextRecInSet",
    "KDB_PrevRecInSet",
    "KDB_EndSet",
    "KDB_GetLastErrorNum",
    "KDB_GetLastFileNum",
    "KDB_GetLastResultNum",
    "KDB_GetFilePos",
    "KDB_SetFilePos",
    "KDB_GetDataFileName",
    "KDB_GetPracticeTitle",
    "KDB_GetPracticeState",
    "KDB_GetAccessMode",
    "KDB_SetAccessMode",
    "KDB_StartLocking",
    "KDB_PauseLocking",
    "KDB_ResumeLocking",
    "KDB_StopLocking",
    "KDB_GetLockMode",
    "KDB_UnlockCurRecord",
    "KDB_StartUpdate",
    "KDB_CommitUpdate",
    "KDB_AbortUpdate",
    nullptr,
    nullptr,
    nullptr,
    "KDB_InitDataBase",
};

PracticeDatabase::PracticeDatabase()
    : LibraryBinding(kDatabaseLibrary, kEntryPointNames, kSlotCount) {
    LoadAndBind();
}

PracticeDatabase::~PracticeDatabase() = default;

int PracticeDatabase::InitDataBase(const char* data_directory) {
    if (!loaded() && Load()) Bind();
    auto f = Entry<KDB_InitDataBase_fn>(kInitDataBase);
    return f ? f(data_directory) : 0;
}

KdbSession PracticeDatabase::StartSession(int mode) {
    auto f = Entry<KDB_StartSession_fn>(kStartSession);
    return f ? f(mode) : KdbSession{0};
}

void PracticeDatabase::EndSession(KdbSession session) {
    if (auto f = Entry<KDB_EndSession_fn>(kEndSession)) f(session);
}

KdbFile PracticeDatabase::OpenFile(KdbSession session, int file_number) {
    auto f = Entry<KDB_OpenFile_fn>(kOpenFile);
    return f ? f(session, file_number) : KdbFile{0};
}

void PracticeDatabase::CloseFile(KdbFile file) {
    if (auto f = Entry<KDB_CloseFile_fn>(kCloseFile)) f(file);
}

int PracticeDatabase::FindRec(KdbFile file, int key, const void* key_value, void* record) {
    auto f = Entry<KDB_FindRec_fn>(kFindRec);
    return f ? f(file, key, key_value, record) : 0;
}

int PracticeDatabase::GreaterThanOrEqualRec(KdbFile file, int key, const void* key_value,
                                            void* record) {
    auto f = Entry<KDB_GreaterThanOrEqualRec_fn>(kGreaterThanOrEqualRec);
    return f ? f(file, key, key_value, record) : 0;
}

int PracticeDatabase::FirstRec(KdbFile file, int key, void* record) {
    auto f = Entry<KDB_FirstRec_fn>(kFirstRec);
    return f ? f(file, key, record) : 0;
}

int PracticeDatabase::NextRec(KdbFile file, int key, void* record) {
    auto f = Entry<KDB_NextRec_fn>(kNextRec);
    return f ? f(file, key, record) : 0;
}

KdbSet PracticeDatabase::StartSet(KdbFile file, int key, int reserved, const void* key_value,
                                  void* record, int prefix_length) {
    auto f = Entry<KDB_StartSet_fn>(kStartSet);
    return f ? f(file, key, reserved, key_value, record, prefix_length) : KdbSet{0};
}

int PracticeDatabase::NextRecInSet(KdbSet set, void* record) {
    auto f = Entry<KDB_NextRecInSet_fn>(kNextRecInSet);
    return f ? f(set, record) : 0;
}

void PracticeDatabase::EndSet(KdbSet set) {
    if (auto f = Entry<KDB_EndSet_fn>(kEndSet)) f(set);
}

uint16_t PracticeDatabase::GetVarRecLength(KdbFile file) {
    auto f = Entry<KDB_GetVarRecLength_fn>(kGetVarRecLength);
    return f ? f(file) : uint16_t{0};
}

int PracticeDatabase::ReadEntireVarRec(KdbFile file, void* buffer) {
    auto f = Entry<KDB_ReadEntireVarRec_fn>(kReadEntireVarRec);
    return f ? f(file, buffer) : 0;
}

int PracticeDatabase::WriteRec(KdbFile file, const void* record) {
    auto f = Entry<KDB_WriteRec_fn>(kWriteRec);
    return f ? f(file, record) : 0;
}

int PracticeDatabase::AddRec(KdbFile file, const void* record) {
    auto f = Entry<KDB_AddRec_fn>(kAddRec);
    return f ? f(file, record) : 0;
}

int PracticeDatabase::GetLastErrorNum(KdbSession session) {
    auto f = Entry<KDB_GetLastErrorNum_fn>(kGetLastErrorNum);
    return f ? f(session) : 0;
}

}  // namespace kv::conduit

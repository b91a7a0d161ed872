// A practice database library that lacks KDB_InitDataBase: every other entry
// point the system and kvr32sm call is there and answers its failure value.
// Built as "kvrdb32" in a folder of its own.
#include "platform/practice_database_api.h"

#define KV_EXPORT extern "C" __attribute__((visibility("default")))

KV_EXPORT KdbSession KDB_StartSession(int) {
    return 0;
}
KV_EXPORT void KDB_EndSession(KdbSession) {}
KV_EXPORT KdbFile KDB_OpenFile(KdbSession, int) {
    return 0;
}
KV_EXPORT void KDB_CloseFile(KdbFile) {}
KV_EXPORT int KDB_FindRec(KdbFile, int, const void*, void*) {
    return 0;
}
KV_EXPORT int KDB_GreaterThanOrEqualRec(KdbFile, int, const void*, void*) {
    return 0;
}
KV_EXPORT int KDB_FirstRec(KdbFile, int, void*) {
    return 0;
}
KV_EXPORT int KDB_NextRec(KdbFile, int, void*) {
    return 0;
}
KV_EXPORT KdbSet KDB_StartSet(KdbFile, int, int, const void*, void*, int) {
    return 0;
}
KV_EXPORT int KDB_NextRecInSet(KdbSet, void*) {
    return 0;
}
KV_EXPORT void KDB_EndSet(KdbSet) {}
KV_EXPORT uint16_t KDB_GetVarRecLength(KdbFile) {
    return 0;
}
KV_EXPORT int KDB_ReadEntireVarRec(KdbFile, void*) {
    return 0;
}
KV_EXPORT int KDB_WriteRec(KdbFile, const void*) {
    return 0;
}
KV_EXPORT int KDB_AddRec(KdbFile, const void*) {
    return 0;
}
KV_EXPORT int KDB_GetLastErrorNum(KdbSession) {
    return 0;
}

// The world of the kvrdb32 tests: the module loaded by path from the build as
// the conduits load it, a practice installation in a temporary directory, and
// record builders for the practice files.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <iterator>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

#include "emulation/practice/catalog.h"
#include "emulation/practice/kvrdb32/open_handles.h"
#include "platform/byte_order.h"
#include "platform/os.h"
#include "platform/practice_database_api.h"
#include "support/practice_fixture.h"

namespace kv::practice {

using Bytes = std::vector<uint8_t>;

constexpr int kResources = 6;
constexpr int kAppointments = 9;
constexpr int kPatients = 18;
constexpr int kNotes = 44;
constexpr int kSyncLog = 45;
constexpr int kJournal = 149;
constexpr int kContacts = 151;

// The entry points, looked up by name as a binding does.
struct Kdb {
    KDB_InitDataBase_fn InitDataBase;
    KDB_StartSession_fn StartSession;
    KDB_EndSession_fn EndSession;
    KDB_OpenFile_fn OpenFile;
    KDB_CloseFile_fn CloseFile;
    KDB_FindRec_fn FindRec;
    KDB_GreaterThanOrEqualRec_fn GreaterThanOrEqualRec;
    KDB_FirstRec_fn FirstRec;
    KDB_NextRec_fn NextRec;
    KDB_StartSet_fn StartSet;
    KDB_NextRecInSet_fn NextRecInSet;
    KDB_EndSet_fn EndSet;
    KDB_GetVarRecLength_fn GetVarRecLength;
    KDB_ReadEntireVarRec_fn ReadEntireVarRec;
    KDB_WriteRec_fn WriteRec;
    KDB_AddRec_fn AddRec;
    KDB_GetLastErrorNum_fn GetLastErrorNum;
};

// A caller's buffer with guard bytes on both sides and filler inside.
class GuardedBuffer {
  public:
    static constexpr size_t kGuard = 32;
    static constexpr uint8_t kGuardByte = 0xEE;

    explicit GuardedBuffer(size_t size, uint8_t fill = 0xAA)
        : bytes_(kGuard + size + kGuard, kGuardByte) {
        std::fill_n(bytes_.begin() + kGuard, size, fill);
    }
    uint8_t* data() { return bytes_.data() + kGuard; }
    Bytes contents() const { return Bytes(bytes_.begin() + kGuard, bytes_.end() - kGuard); }
    bool guards_intact() const {
        auto guard = [](uint8_t b) { return b == kGuardByte; };
        return std::all_of(bytes_.begin(), bytes_.begin() + kGuard, guard) &&
               std::all_of(bytes_.end() - kGuard, bytes_.end(), guard);
    }

  private:
    Bytes bytes_;
};

inline void PutI32(Bytes& record, size_t at, int32_t v) {
    StoreLE32(record.data() + at, static_cast<uint32_t>(v));
}
inline void PutText(Bytes& record, size_t at, const std::string& text) {
    std::copy(text.begin(), text.end(), record.begin() + static_cast<ptrdiff_t>(at));
}
inline int32_t GetI32(const uint8_t* record, size_t at) {
    return static_cast<int32_t>(LoadLE32(record + at));
}
inline Bytes Packed32(int32_t v) {
    Bytes b(4);
    StoreLE32(b.data(), static_cast<uint32_t>(v));
    return b;
}
inline Bytes Concat(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

inline Bytes Patient(int32_t id, const std::string& last = "", const std::string& first = "") {
    Bytes r(558, 0);
    PutI32(r, 2, id);
    PutText(r, 10, last);
    PutText(r, 31, first);
    return r;
}

inline Bytes Appointment(int32_t id, int32_t patient, int32_t date) {
    Bytes r(256, 0);
    PutI32(r, 2, id);
    PutI32(r, 6, date);
    PutI32(r, 54, patient);
    return r;
}

inline Bytes Resource(uint8_t kind, const std::string& id) {
    Bytes r(512, 0);
    r[0] = kind;
    PutText(r, 1, id);
    return r;
}

inline Bytes JournalEntry(int32_t id) {
    Bytes r(140, 0);
    PutI32(r, 2, id);
    return r;
}

// A variable record as a caller hands it over: kind, owner, value and the
// zero-terminated text, followed by `slack` bytes of junk the record must not
// take in.
inline Bytes VarRecord(uint8_t kind, int32_t owner, int32_t value, const std::string& text,
                       size_t slack = 0) {
    Bytes r(kVarTextOffset + text.size() + 1 + slack, 0x5A);
    std::fill_n(r.begin(), kVarTextOffset, 0);
    r[0] = kind;
    PutI32(r, 2, owner);
    PutI32(r, 6, value);
    PutText(r, kVarTextOffset, text);
    r[kVarTextOffset + text.size()] = 0;
    return r;
}
inline Bytes NoteKey(uint8_t kind, int32_t owner, int32_t value) {
    return Concat(Concat(Bytes{kind}, Packed32(owner)), Packed32(value));
}

// Looks every entry point up through find(name); false when one is missing.
template <typename Find>
bool LoadKdb(Find find, Kdb* kdb) {
    bool all = true;
    auto load = [&](auto* entry, const char* name) {
        *entry = reinterpret_cast<std::remove_pointer_t<decltype(entry)>>(find(name));
        all = all && *entry != nullptr;
    };
    load(&kdb->InitDataBase, "KDB_InitDataBase");
    load(&kdb->StartSession, "KDB_StartSession");
    load(&kdb->EndSession, "KDB_EndSession");
    load(&kdb->OpenFile, "KDB_OpenFile");
    load(&kdb->CloseFile, "KDB_CloseFile");
    load(&kdb->FindRec, "KDB_FindRec");
    load(&kdb->GreaterThanOrEqualRec, "KDB_GreaterThanOrEqualRec");
    load(&kdb->FirstRec, "KDB_FirstRec");
    load(&kdb->NextRec, "KDB_NextRec");
    load(&kdb->StartSet, "KDB_StartSet");
    load(&kdb->NextRecInSet, "KDB_NextRecInSet");
    load(&kdb->EndSet, "KDB_EndSet");
    load(&kdb->GetVarRecLength, "KDB_GetVarRecLength");
    load(&kdb->ReadEntireVarRec, "KDB_ReadEntireVarRec");
    load(&kdb->WriteRec, "KDB_WriteRec");
    load(&kdb->AddRec, "KDB_AddRec");
    load(&kdb->GetLastErrorNum, "KDB_GetLastErrorNum");
    return all;
}

// A copy of the built module under another path: loading it gives an instance
// of the library of its own, which no earlier KDB_InitDataBase has touched.
class FreshModule {
  public:
    FreshModule() {
        std::filesystem::copy_file(test::PracticeLibraryDir() + "/kvrdb32.so",
                                   dir_.File("kvrdb32.so"));
        handle_ = os::LoadModule((dir_.path() + "/kvrdb32.dll").c_str());
    }
    ~FreshModule() { os::FreeModule(handle_); }
    FreshModule(const FreshModule&) = delete;
    FreshModule& operator=(const FreshModule&) = delete;

    bool Load(Kdb* kdb) const {
        return handle_ &&
               LoadKdb([&](const char* name) { return os::FindSymbol(handle_, name); }, kdb);
    }

  private:
    test::TempDir dir_;
    os::ModuleHandle handle_ = nullptr;
};

class Kvrdb32Test : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(module_.loaded()) << "kvrdb32 in " << test::PracticeLibraryDir();
        ASSERT_TRUE(LoadKdb([&](const char* name) { return module_.Get<void*>(name); }, &kdb_))
            << "kvrdb32 lacks an entry point";
        store_ = installation_.OpenStore();
        ASSERT_NE(nullptr, store_);
    }

    void Seed(int file, const Bytes& record) {
        ASSERT_TRUE(store_->Add(file, record, nullptr)) << store_->last_error();
    }

    // A session on the installation's data directory.
    KdbSession Session() {
        EXPECT_EQ(1, kdb_.InitDataBase(installation_.data_dir().c_str()));
        KdbSession session = kdb_.StartSession(1);
        EXPECT_NE(0, session);
        return session;
    }

    // The int32 at `at` of each record of the file, walked with one key.
    std::vector<int32_t> Walk(KdbFile file, int key, size_t at = 2) {
        const FileDef* def = FindFile(file_numbers_.at(file));
        std::vector<int32_t> ids;
        Bytes record(def->record_length);
        for (int found = kdb_.FirstRec(file, key, record.data()); found;
             found = kdb_.NextRec(file, key, record.data()))
            ids.push_back(GetI32(record.data(), at));
        return ids;
    }

    // The records of a set, as the int32 at `at`; 0 handle gives none.
    std::vector<int32_t> WalkSet(KdbFile file, int key, const Bytes& value, int prefix_length,
                                 size_t at = 2) {
        const FileDef* def = FindFile(file_numbers_.at(file));
        Bytes record(def->record_length);
        std::vector<int32_t> ids;
        KdbSet set = kdb_.StartSet(file, key, 0, value.data(), record.data(), prefix_length);
        if (set == 0) return ids;
        do ids.push_back(GetI32(record.data(), at));
        while (kdb_.NextRecInSet(set, record.data()));
        kdb_.EndSet(set);
        return ids;
    }

    KdbFile Open(KdbSession session, int file_number) {
        KdbFile file = kdb_.OpenFile(session, file_number);
        EXPECT_NE(0, file) << file_number;
        file_numbers_[file] = file_number;
        return file;
    }

    test::PracticeInstallation installation_;
    test::PracticeModule module_{"kvrdb32"};
    Kdb kdb_{};
    std::unique_ptr<PracticeStore> store_;
    std::map<KdbFile, int> file_numbers_;
};

}  // namespace kv::practice

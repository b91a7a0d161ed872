#include "conduit_framework/sync_log.h"

#include <cstring>

#include "conduit_framework/practice_database.h"
#include "platform/bounded_text.h"
#include "platform/byte_order.h"
#include "platform/hotsync_log.h"
#include "platform/movable_memory.h"

namespace kv::conduit {
namespace {

constexpr size_t kRecordTextRoom = kMaxSyncLogRecordSize - kSyncLogHeaderSize - 1;
// A day never needs more records than this; a database that claims to hold
// more is not believed.
constexpr int32_t kMaxDayRecords = 65535;

// A zero-filled movable block, locked while the object lives.
class LockedBlock {
  public:
    explicit LockedBlock(size_t size) : block_(os::AllocateMovable(size)) {
        if (block_) data_ = static_cast<uint8_t*>(os::LockMovable(block_));
    }
    ~LockedBlock() {
        if (block_) {
            os::UnlockMovable(block_);
            os::FreeMovable(block_);
        }
    }
    LockedBlock(const LockedBlock&) = delete;
    LockedBlock& operator=(const LockedBlock&) = delete;

    uint8_t* data() const { return data_; }

  private:
    os::MemoryHandle block_;
    uint8_t* data_ = nullptr;
};

void ReportWriteFailure() {
    LogAddEntry(kSyncLogWriteFailure, kLogActivityText, 0);
}

void PackKey(int32_t number, int32_t date, uint8_t key[kSyncLogKeySize]) {
    key[0] = kSyncLogKind;
    StoreLE32(key + 1, static_cast<uint32_t>(number));
    StoreLE32(key + 5, static_cast<uint32_t>(date));
}

void PackHeader(int32_t number, int32_t date, uint8_t* record) {
    record[0] = kSyncLogKind;
    record[1] = 0;
    StoreLE32(record + 2, static_cast<uint32_t>(number));
    StoreLE32(record + 6, static_cast<uint32_t>(date));
}

// The practice database file 45 of one store, closed with its session.
class SyncLogFile {
  public:
    SyncLogFile() {
        PracticeDatabase& db = Database();
        session_ = db.StartSession(1);
        if (session_ == 0) return;
        file_ = db.OpenFile(session_, kSyncLogFile);
        if (file_ == 0) {
            db.EndSession(session_);
            session_ = 0;
        }
    }
    ~SyncLogFile() {
        if (file_ != 0) Database().CloseFile(file_);
        if (session_ != 0) Database().EndSession(session_);
    }
    SyncLogFile(const SyncLogFile&) = delete;
    SyncLogFile& operator=(const SyncLogFile&) = delete;

    bool open() const { return file_ != 0; }
    KdbFile file() const { return file_; }

    // Makes the day's record `number` current; false when there is none.
    bool Find(int32_t number, int32_t date) {
        uint8_t key[kSyncLogKeySize];
        uint8_t fixed[kSyncLogFixedPartSize] = {};
        PackKey(number, date, key);
        return Database().FindRec(file_, kSyncLogKey, key, fixed) != 0;
    }

    // The number of the day's last record, 0 when the day has none. The
    // records are numbered 1, 2, ... without gaps.
    int32_t LastNumber(int32_t date) {
        int32_t number = 0;
        while (number < kMaxDayRecords && Find(number + 1, date)) ++number;
        return number;
    }

  private:
    KdbSession session_ = 0;
    KdbFile file_ = 0;
};

// Where the next piece of a text of `length` bytes ends when at most `room`
// bytes fit: after the last line end within the room, else at the room.
size_t PieceLength(const char* text, size_t length, size_t room) {
    if (length <= room) return length;
    for (size_t end = room; end >= 2; --end)
        if (text[end - 2] == '\r' && text[end - 1] == '\n') return end;
    return room;
}

enum class Stored { kDone, kFailed, kNoMemory };

// Adds record `number` of the day holding text[0, length).
Stored AddRecord(SyncLogFile& file, int32_t number, int32_t date, const char* text, size_t length) {
    // Never less than the record's fixed part, which the library may copy.
    LockedBlock record(length + kSyncLogFixedPartSize);
    if (!record.data()) return Stored::kNoMemory;
    PackHeader(number, date, record.data());
    if (length != 0) std::memcpy(record.data() + kSyncLogHeaderSize, text, length);
    return Database().AddRec(file.file(), record.data()) ? Stored::kDone : Stored::kFailed;
}

// Appends text[0, length) to the day's record `number` when the record keeps
// within its limit; *fits tells whether it did. The record must not be
// current yet.
Stored AppendToRecord(SyncLogFile& file, int32_t number, int32_t date, const char* text,
                      size_t length, bool* fits) {
    *fits = false;
    if (!file.Find(number, date)) return Stored::kFailed;
    // The database tells a record's length in 16 bits and keeps no longer
    // record, so the read goes into a buffer of the longest record and a
    // terminator, whatever length it tells: a buffer sized by a told length
    // could be shorter than what is read into it.
    LockedBlock existing(kMaxSyncLogRecordSize + 1);
    if (!existing.data()) return Stored::kNoMemory;
    if (!Database().ReadEntireVarRec(file.file(), existing.data())) return Stored::kFailed;
    const size_t old_text = BoundedLength(
        reinterpret_cast<const char*>(existing.data()) + kSyncLogHeaderSize, kRecordTextRoom);
    if (old_text + length > kRecordTextRoom) return Stored::kDone;
    *fits = true;
    const size_t size = kSyncLogHeaderSize + old_text + length + 1;
    LockedBlock record(size < kSyncLogFixedPartSize ? kSyncLogFixedPartSize : size);
    if (!record.data()) return Stored::kNoMemory;
    std::memcpy(record.data(), existing.data(), kSyncLogHeaderSize + old_text);
    if (length != 0) std::memcpy(record.data() + kSyncLogHeaderSize + old_text, text, length);
    return Database().WriteRec(file.file(), record.data()) ? Stored::kDone : Stored::kFailed;
}

// Adds the text as the day's records from `number` on, as many as it needs.
Stored AddRecords(SyncLogFile& file, int32_t number, int32_t date, const char* text,
                  size_t length) {
    do {
        if (number >= kMaxDayRecords) return Stored::kFailed;
        const size_t piece = PieceLength(text, length, kRecordTextRoom);
        const Stored stored = AddRecord(file, number, date, text, piece);
        if (stored != Stored::kDone) return stored;
        text += piece;
        length -= piece;
        ++number;
    } while (length != 0);
    return Stored::kDone;
}

Stored StoreText(const std::string& text, int32_t date) {
    SyncLogFile file;
    if (!file.open()) return Stored::kFailed;
    // The text stored is everything before its first zero byte.
    const size_t length = BoundedLength(text.c_str(), text.size());
    const int32_t last = file.LastNumber(date);
    if (last == 0) return AddRecords(file, 1, date, text.c_str(), length);
    bool fits = false;
    const Stored appended = AppendToRecord(file, last, date, text.c_str(), length, &fits);
    if (appended != Stored::kDone || fits) return appended;
    return AddRecords(file, last + 1, date, text.c_str(), length);
}

}  // namespace

void SyncLog::Append(const std::string& text) {
    text_ += text;
}

void SyncLog::AppendLine(const std::string& text) {
    text_ += text;
    text_ += "\r\n";
}

void SyncLog::LogFailure(const std::string& text) {
    LogAddEntry(text.c_str(), kLogActivityFailure, 0);
    AppendLine(text);
}

void SyncLog::LogNotice(const std::string& text) {
    LogAddEntry(text.c_str(), kLogActivityText, 0);
    AppendLine(text);
}

void SyncLog::Store(int32_t today) {
    if (StoreText(text_, today) == Stored::kFailed) ReportWriteFailure();
    text_.clear();
}

}  // namespace kv::conduit

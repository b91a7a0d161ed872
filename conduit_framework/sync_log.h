// SyncLog: the practice-side sync log of one synchronisation. Lines are
// appended to an in-memory text with no fixed limit (every line ends with
// "\r\n"); at the end of the synchronisation the text is stored into the
// day's record of practice file 45 (kind '(', number 1, today's date), after
// the text already there. One process-wide text per conduit library
// (Log()), empty when the library is loaded and emptied after each store.
//
// The day's record is a variable-length record, and the practice database
// keeps none longer than 65,535 bytes (the most its 16-bit record length can
// tell). When the day's last record and the new text would pass that, the
// text goes into a continuation record of the same day: the same kind and
// date with the next number (2, 3, ...). A text too long for one record is
// spread over as many continuation records as it needs, cut after a line end
// where one falls within the record. Reading the day's records in the order
// of their numbers gives the day's texts in the order they were stored; no
// earlier text of the day is ever rewritten shorter or lost.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace kv::conduit {

// Practice file 45 and its day records.
constexpr int kSyncLogFile = 45;
constexpr int kSyncLogKey = 45;
constexpr uint8_t kSyncLogKind = '(';
constexpr size_t kSyncLogHeaderSize = 10;  // kind, reserved, number (4), date (4)
constexpr size_t kSyncLogKeySize = 9;      // kind, number, date
constexpr size_t kSyncLogFixedPartSize = 36;
// The longest variable-length record the practice database keeps.
constexpr size_t kMaxSyncLogRecordSize = 65535;

// The failure entry of a store (HotSync log, activity -1).
constexpr const char* kSyncLogWriteFailure = "Unable to write Kalvora Hotsync log.";

class SyncLog {
  public:
    // Appends text as it is (no line end).
    void Append(const std::string& text);
    // Appends text and "\r\n".
    void AppendLine(const std::string& text);
    // A failure: the HotSync log gets text with activity 22, the sync log
    // text gets text and "\r\n".
    void LogFailure(const std::string& text);
    // A plain notice in both logs: HotSync log activity -1, and the text
    // with "\r\n".
    void LogNotice(const std::string& text);

    // Stores the text into the day's records of practice file 45 and empties
    // it. A failure adds "Unable to write Kalvora Hotsync log." to the HotSync
    // log (activity -1) and never changes the synchronisation's outcome; when
    // no memory can be had for the record, nothing is stored or reported.
    void Store(int32_t today);

    const std::string& text() const { return text_; }
    void Clear() { text_.clear(); }

  private:
    std::string text_;
};

SyncLog& Log();

}  // namespace kv::conduit

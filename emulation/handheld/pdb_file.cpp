#include "emulation/handheld/pdb_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unordered_set>

#include "platform/byte_order.h"

namespace kv::handheld {
namespace {

static_assert(kPdbNameSize == kPdbAttributesOffset && kPdbRecordCountOffset + 2 == kPdbHeaderSize,
              "the header's named offsets and its size agree");

// Seconds from 1904-01-01 to 1970-01-01.
constexpr int64_t kPalmEpochOffset = 2082844800;

bool Fault(std::string* fault, const std::string& what) {
    *fault = what;
    return false;
}

bool NameBytesAreValid(const uint8_t* name, size_t length) {
    if (length == 0 || length > kPdbMaxNameLength) return false;
    for (size_t i = 0; i < length; ++i)
        if (name[i] < 0x20 || name[i] == 0x7F) return false;
    return true;
}

// One entry of the record list as it stands in the file.
struct RecordEntry {
    uint32_t offset = 0;
    uint8_t attributes = 0;
    uint32_t unique_id = 0;
};

struct Header {
    PdbDatabase fields;  // everything but the blocks and records
    uint32_t app_info_offset = 0;
    uint32_t sort_info_offset = 0;
    uint32_t next_list = 0;
    uint16_t record_count = 0;
};

bool DecodeHeader(ByteReader* r, Header* h, std::string* fault) {
    const uint8_t* name = r->Bytes(kPdbNameSize);
    if (!name) return Fault(fault, "file shorter than the 78-byte header");
    const void* end = std::memchr(name, 0, kPdbNameSize);
    size_t length = end ? static_cast<size_t>(static_cast<const uint8_t*>(end) - name) : 0;
    if (!end || !NameBytesAreValid(name, length)) return Fault(fault, "bad database name");
    h->fields.name.assign(reinterpret_cast<const char*>(name), length);
    h->fields.attributes = r->BE16();
    h->fields.version = r->BE16();
    h->fields.creation_time = r->BE32();
    h->fields.modification_time = r->BE32();
    h->fields.backup_time = r->BE32();
    h->fields.modification_number = r->BE32();
    h->app_info_offset = r->BE32();
    h->sort_info_offset = r->BE32();
    h->fields.type = r->BE32();
    h->fields.creator = r->BE32();
    h->fields.unique_id_seed = r->BE32();
    h->next_list = r->BE32();
    h->record_count = r->BE16();
    if (!r->ok()) return Fault(fault, "file shorter than the 78-byte header");
    if (h->fields.attributes & kPdbAttrResourceDb)
        return Fault(fault, "a resource database, not a record database");
    if (h->next_list != 0) return Fault(fault, "a chained record list, not supported");
    return true;
}

bool DecodeRecordList(ByteReader* r, uint16_t count, std::vector<RecordEntry>* entries,
                      std::string* fault) {
    if (size_t{count} * kPdbRecordEntrySize > r->remaining())
        return Fault(fault, "record count " + std::to_string(count) + " runs past the end");
    entries->resize(count);
    std::unordered_set<uint32_t> ids;
    ids.reserve(count);
    for (RecordEntry& e : *entries) {
        e.offset = r->BE32();
        e.attributes = r->U8();
        e.unique_id = r->BE24();
        if (!ids.insert(e.unique_id).second)
            return Fault(fault, "unique id " + std::to_string(e.unique_id) + " used twice");
    }
    return r->ok() || Fault(fault, "record list runs past the end");
}

// The blocks in file order (app info, sort info, records), each ending where
// the next begins; every start lies between the record list and the end.
bool CheckBlockStarts(const std::vector<uint32_t>& starts, size_t list_end, size_t size,
                      std::string* fault) {
    size_t previous = list_end;
    for (uint32_t start : starts) {
        if (start > size) return Fault(fault, "offset " + std::to_string(start) + " past the end");
        if (start < list_end)
            return Fault(fault, "offset " + std::to_string(start) + " inside the header or list");
        if (start < previous)
            return Fault(fault, "offsets out of order at " + std::to_string(start));
        previous = start;
    }
    return true;
}

bool WriteAll(int fd, const std::vector<uint8_t>& bytes) {
    size_t written = 0;
    while (written < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        written += static_cast<size_t>(n);
    }
    return true;
}

bool ReadAll(const std::string& path, std::vector<uint8_t>* bytes) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st;
    bool ok = ::fstat(fd, &st) == 0;
    if (ok && !S_ISREG(st.st_mode)) {
        errno = EISDIR;  // a directory or device where a database belongs
        ok = false;
    }
    uint8_t chunk[65536];
    while (ok) {
        ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            ok = n == 0;
            break;
        }
        bytes->insert(bytes->end(), chunk, chunk + n);
    }
    int saved = errno;
    ::close(fd);
    errno = saved;
    return ok;
}

void SyncDirectoryOf(const std::string& path) {
    size_t slash = path.find_last_of('/');
    std::string dir = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace

bool PdbNameIsValid(const std::string& name) {
    return name.find('\0') == std::string::npos &&
           NameBytesAreValid(reinterpret_cast<const uint8_t*>(name.data()), name.size());
}

uint32_t PalmTimeFromUnix(int64_t unix_seconds) {
    return static_cast<uint32_t>(unix_seconds + kPalmEpochOffset);
}

int64_t UnixTimeFromPalm(uint32_t palm_seconds) {
    return static_cast<int64_t>(palm_seconds) - kPalmEpochOffset;
}

uint32_t FourCharCode(const char* code) {
    uint8_t bytes[4] = {};
    for (size_t i = 0; i < 4 && code[i]; ++i) bytes[i] = static_cast<uint8_t>(code[i]);
    return LoadBE32(bytes);
}

std::string FourCharText(uint32_t code) {
    uint8_t bytes[4];
    StoreBE32(bytes, code);
    return std::string(reinterpret_cast<const char*>(bytes), 4);
}

std::vector<uint8_t> EncodePdb(const PdbDatabase& db) {
    if (!PdbNameIsValid(db.name) || db.records.size() > kPdbMaxRecords) return {};
    const size_t list_end = kPdbHeaderSize + db.records.size() * kPdbRecordEntrySize + kPdbListGap;
    size_t total = list_end + db.app_info.size() + db.sort_info.size();
    for (const PdbRecord& r : db.records) {
        if (r.category > kPdbCategoryMask) return {};
        total += r.data.size();
    }
    if (total > UINT32_MAX) return {};

    std::vector<uint8_t> image(total, 0);
    ByteWriter w(image.data(), image.size());
    uint8_t name[kPdbNameSize] = {};
    std::memcpy(name, db.name.data(), db.name.size());
    w.Bytes(name, sizeof name);
    w.BE16(db.attributes);
    w.BE16(db.version);
    w.BE32(db.creation_time);
    w.BE32(db.modification_time);
    w.BE32(db.backup_time);
    w.BE32(db.modification_number);
    size_t at = list_end;
    w.BE32(db.app_info.empty() ? 0 : static_cast<uint32_t>(at));
    at += db.app_info.size();
    w.BE32(db.sort_info.empty() ? 0 : static_cast<uint32_t>(at));
    at += db.sort_info.size();
    w.BE32(db.type);
    w.BE32(db.creator);
    w.BE32(db.unique_id_seed);
    w.BE32(0);  // next record list: none
    w.BE16(static_cast<uint16_t>(db.records.size()));
    for (const PdbRecord& r : db.records) {
        w.BE32(static_cast<uint32_t>(at));
        w.U8(static_cast<uint8_t>((r.flags & kPdbFlagsMask) | r.category));
        w.BE24(r.unique_id & kPdbUniqueIdMask);
        at += r.data.size();
    }
    w.Zeros(kPdbListGap);
    w.Bytes(db.app_info.data(), db.app_info.size());
    w.Bytes(db.sort_info.data(), db.sort_info.size());
    for (const PdbRecord& r : db.records) w.Bytes(r.data.data(), r.data.size());
    // The layout computed above and the bytes written must agree exactly.
    if (!w.ok() || w.position() != total || at != total) image.clear();
    return image;
}

bool DecodePdb(const uint8_t* data, size_t size, PdbDatabase* db, std::string* fault) {
    ByteReader r(data, size);
    Header header;
    if (!DecodeHeader(&r, &header, fault)) return false;
    std::vector<RecordEntry> entries;
    if (!DecodeRecordList(&r, header.record_count, &entries, fault)) return false;

    std::vector<uint32_t> starts;
    if (header.app_info_offset) starts.push_back(header.app_info_offset);
    if (header.sort_info_offset) starts.push_back(header.sort_info_offset);
    for (const RecordEntry& e : entries) starts.push_back(e.offset);
    if (!CheckBlockStarts(starts, r.position(), size, fault)) return false;

    auto block = [&, next = size_t{0}]() mutable {
        size_t i = next++;
        size_t end = i + 1 < starts.size() ? starts[i + 1] : size;
        return std::vector<uint8_t>(data + starts[i], data + end);
    };
    PdbDatabase out = std::move(header.fields);
    if (header.app_info_offset) out.app_info = block();
    if (header.sort_info_offset) out.sort_info = block();
    out.records.reserve(entries.size());
    for (const RecordEntry& e : entries) {
        PdbRecord rec;
        rec.flags = e.attributes & kPdbFlagsMask;
        rec.category = e.attributes & kPdbCategoryMask;
        rec.unique_id = e.unique_id;
        rec.data = block();
        out.records.push_back(std::move(rec));
    }
    *db = std::move(out);
    return true;
}

bool ReadPdbFile(const std::string& path, PdbDatabase* db, std::string* error) {
    std::vector<uint8_t> image;
    if (!ReadAll(path, &image)) {
        *error = path + ": cannot be read (" + std::strerror(errno) + ")";
        return false;
    }
    std::string fault;
    if (!DecodePdb(image.data(), image.size(), db, &fault)) {
        *error = path + ": " + fault;
        return false;
    }
    return true;
}

bool WritePdbFile(const std::string& path, const PdbDatabase& db, std::string* error) {
    std::vector<uint8_t> image = EncodePdb(db);
    if (image.empty()) {
        *error = path + ": database has no file form (name, record count or category)";
        return false;
    }
    std::string temp = path + ".XXXXXX";
    int fd = ::mkstemp(temp.data());  // created owner-only
    bool ok = fd >= 0 && ::fchmod(fd, 0600) == 0 && WriteAll(fd, image) && ::fsync(fd) == 0;
    int saved = errno;
    if (fd >= 0 && ::close(fd) != 0 && ok) {
        ok = false;
        saved = errno;
    }
    if (ok && std::rename(temp.c_str(), path.c_str()) != 0) {
        ok = false;
        saved = errno;
    }
    if (!ok) {
        if (fd >= 0) ::unlink(temp.c_str());
        *error = path + ": cannot be written (" + std::strerror(saved) + ")";
        return false;
    }
    SyncDirectoryOf(path);
    return true;
}

}  // namespace kv::handheld

// How the tool reaches the record layout of a handheld database without
// knowing it: a RecordCodec decodes a record's bytes into named fields and
// builds new bytes from field assignments. Each layout's struct (records/)
// is adapted once by the templates below; the registry (database_registry.h)
// says which layout a database holds.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace kv::handheld_tool {

// One --set field=value.
struct FieldAssignment {
    std::string field;
    std::string value;
};

struct RecordCodec {
    // The record's named fields, or false with the fault.
    bool (*decode)(const std::vector<uint8_t>& data, nlohmann::ordered_json* fields,
                   std::string* fault);
    // Applies the assignments, in order, to the record decoded from *data (to
    // a record of zeros and empty texts when data is null) and encodes it.
    // False with the fault in a field, a value, or the record itself.
    bool (*edit)(const std::vector<uint8_t>* data, const std::vector<FieldAssignment>& sets,
                 std::vector<uint8_t>* out, std::string* error);
    // The field names --set takes.
    const std::vector<std::string>& (*field_names)();
    // The application-info block decoded, or null when the layout has none.
    bool (*decode_app_info)(const std::vector<uint8_t>& data, nlohmann::ordered_json* info,
                            std::string* fault);
};

template <typename Record>
bool DecodeRecordAs(const std::vector<uint8_t>& data, nlohmann::ordered_json* fields,
                    std::string* fault) {
    Record record;
    if (!Record::Unpack(data.data(), data.size(), &record, fault)) return false;
    *fields = record.ToJson();
    return true;
}

template <typename Record>
bool EditRecordAs(const std::vector<uint8_t>* data, const std::vector<FieldAssignment>& sets,
                  std::vector<uint8_t>* out, std::string* error) {
    Record record;
    std::string fault;
    if (data && !Record::Unpack(data->data(), data->size(), &record, &fault)) {
        *error = "the record does not decode: " + fault;
        return false;
    }
    for (const FieldAssignment& set : sets) {
        std::string why;
        if (!record.Set(set.field, set.value, &why)) {
            *error = "--set " + set.field + ": " + why;
            return false;
        }
    }
    std::vector<uint8_t> bytes = record.Pack();
    if (bytes.empty()) {
        *error = "the record could not be encoded";
        return false;
    }
    *out = std::move(bytes);
    return true;
}

template <typename Info>
bool DecodeAppInfoAs(const std::vector<uint8_t>& data, nlohmann::ordered_json* info,
                     std::string* fault) {
    Info block;
    if (!Info::Unpack(data.data(), data.size(), &block, fault)) return false;
    *info = block.ToJson();
    return true;
}

template <typename Record>
RecordCodec CodecFor() {
    return RecordCodec{&DecodeRecordAs<Record>, &EditRecordAs<Record>, &Record::FieldNames,
                       nullptr};
}

}  // namespace kv::handheld_tool

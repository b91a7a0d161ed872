// The provider list: its 5-byte records and its app info block.
#include <gtest/gtest.h>

#include "handheld_tool/record_bytes.h"
#include "tools/handheld/records/provider_app_info.h"
#include "tools/handheld/records/provider_record.h"

namespace kv::handheld_tool {
namespace {

using test::B;
using test::Bytes;
using test::Chars;
using test::Z;
using test::Zeros;

TEST(ProviderRecord, IsTheIdAndAZeroByte) {
    ProviderRecord r;
    r.practice_id = "DR01";
    EXPECT_EQ(Z("DR01"), r.Pack());
    r.practice_id = "OP1";
    EXPECT_EQ(Z("OP1") + B({0}), r.Pack());

    Bytes bytes = Z("OP1") + B({0});
    ProviderRecord back;
    std::string fault;
    ASSERT_TRUE(ProviderRecord::Unpack(bytes.data(), bytes.size(), &back, &fault)) << fault;
    EXPECT_EQ("OP1", back.practice_id);
}

TEST(ProviderRecord, RefusesAnyOtherShape) {
    struct Case {
        Bytes bytes;
        const char* fault;
    } cases[] = {
        {Z("DR0"), "fixed part short: 4 of 5 bytes"},
        {Z("DR01") + B({0}), "1 bytes after the last field"},
        {Chars("DR012"), "practice id without terminator"},
    };
    for (const Case& c : cases) {
        ProviderRecord r;
        std::string fault;
        EXPECT_FALSE(ProviderRecord::Unpack(c.bytes.data(), c.bytes.size(), &r, &fault));
        EXPECT_EQ(c.fault, fault);
    }
}

const Bytes kAppInfo = B({0, 4}) + Z("Providers") + Zeros(6) + Z("Staff") + Zeros(10) +
                       Z("Operatories") + Zeros(4) + Z("Other") + Zeros(10);

TEST(ProviderAppInfo, Packs66BytesOfFourCategoryNames) {
    ProviderAppInfo info;
    info.leading_number = 4;
    info.categories = {"Providers", "Staff", "Operatories", "Other"};
    Bytes packed = info.Pack();
    ASSERT_EQ(66u, packed.size());
    EXPECT_EQ(kAppInfo, packed);

    ProviderAppInfo back;
    std::string fault;
    ASSERT_TRUE(ProviderAppInfo::Unpack(packed.data(), packed.size(), &back, &fault)) << fault;
    EXPECT_EQ(4, back.leading_number);
    EXPECT_EQ("Operatories", back.categories[2]);
    EXPECT_EQ(R"({"leading_number":4,"categories":["Providers","Staff","Operatories","Other"]})",
              back.ToJson().dump());
}

TEST(ProviderAppInfo, RefusesWrongLengthAndUnterminatedNames) {
    Bytes unterminated = kAppInfo;
    for (size_t i = 18; i < 34; ++i) unterminated[i] = 'S';
    struct Case {
        Bytes bytes;
        const char* fault;
    } cases[] = {
        {test::Prefix(kAppInfo, 65), "fixed part short: 65 of 66 bytes"},
        {kAppInfo + B({0}), "1 bytes after the last field"},
        {unterminated, "name of category 1 without terminator"},
    };
    for (const Case& c : cases) {
        ProviderAppInfo info;
        std::string fault;
        EXPECT_FALSE(ProviderAppInfo::Unpack(c.bytes.data(), c.bytes.size(), &info, &fault));
        EXPECT_EQ(c.fault, fault);
    }
}

}  // namespace
}  // namespace kv::handheld_tool

// The steps each conduit runs so far, wired to its own settings: the provider
// list of the appointment list and office journal conduits follows the
// providers selected in "KVMOBILE", the patient viewer's its patient list
// details in "KVMOBILE_PATVIEWER"; the prescriptions conduit has none yet.
#include <gtest/gtest.h>

#include <algorithm>

#include "conduit_world.h"
#include "emulation/handheld/pdb_file.h"

namespace kv::test {
namespace {

void AddResource(ConduitWorld& world, uint8_t kind, const std::string& id, uint8_t flag = 0) {
    std::vector<uint8_t> record(512, 0);
    record[0] = kind;
    std::copy(id.begin(), id.end(), record.begin() + 1);
    record[256] = flag;
    auto store = world.practice().OpenStore();
    ASSERT_TRUE(store);
    int64_t row = 0;
    ASSERT_TRUE(store->Add(6, record, &row));
}

// The ids in a provider list database, in record order; empty when there is
// none.
std::vector<std::string> ListedIds(const std::string& path, uint32_t* creator) {
    handheld::PdbDatabase db;
    std::string error;
    if (!handheld::ReadPdbFile(path, &db, &error)) return {};
    *creator = db.creator;
    std::vector<std::string> ids;
    for (const handheld::PdbRecord& record : db.records)
        ids.emplace_back(reinterpret_cast<const char*>(record.data.data()),
                         std::min<size_t>(4, record.data.size()));
    return ids;
}

TEST(ConduitSteps, ProviderListFollowsEachConduitsOwnSelection) {
    struct Case {
        const char* conduit;
        const char* database;
        uint32_t creator;
        std::vector<std::string> ids;  // empty: no database written
    } cases[] = {
        {"KvrOJC", "KvrRscDB", 0x4B564F4A, {"DR02", "DR03", "OP01"}},  // 'KVOJ'
        {"KvrALC", "KvrRscDB", 0x4B56414C, {"DR02", "DR03", "OP01"}},  // 'KVAL'
        {"KvrPVC", "KvrPVRscDB", 0x4B56504D, {"DR01", "OP01"}},        // 'KVPM'
        {"KvrRXC", "KvrRscDB", 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.conduit);
        ConduitWorld world;
        AddResource(world, 1, "DR01");
        AddResource(world, 1, "DR02");
        AddResource(world, 1, "DR03", 1);  // flagged: not for the patient viewer
        AddResource(world, 2, "ST01");
        AddResource(world, 3, "OP01");
        world.AssociateUser("DR01",
                            "[KVMOBILE]\nDR01_SEL_PROV_CNT=2\nDR01_SEL_PROVIDERS=DR03DR02\n"
                            "[KVMOBILE_PATVIEWER]\nDR01_DETAILS_PROV_CNT=2\n"
                            "DR01_DETAILS_PROVIDERS=DR01DR03\n");
        auto conduit = world.Load(c.conduit);
        ASSERT_TRUE(conduit);
        EXPECT_EQ(world.Sync(*conduit), 0);
        uint32_t creator = 0;
        const std::string path = world.handheld() + "/" + c.database + ".pdb";
        EXPECT_EQ(ListedIds(path, &creator), c.ids);
        if (!c.ids.empty()) {
            EXPECT_EQ(creator, c.creator);
        }
    }
}

}  // namespace
}  // namespace kv::test

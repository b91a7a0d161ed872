#include "tools/kvpractice/demo_practice.h"

namespace kv::tools {

using nlohmann::json;

namespace {

json Resource(int kind, const char* id, const char* last, const char* first, const char* middle,
              const char* title, int flag_a = 0) {
    return {{"kind", kind},
            {"id", id},
            {"last_name", last},
            {"first_name", first},
            {"middle_initial", middle},
            {"title", title},
            {"flag_a", flag_a}};
}

json Resources() {
    return json::array({
        Resource(1, "DR01", "Whitaker", "Anna", "M", "DDS"),
        Resource(1, "DR02", "Okafor", "Daniel", "", "DMD"),
        Resource(1, "HY01", "Lindqvist", "Maria", "J", "RDH"),
        // A provider kept off the patient viewer's lists (flag at offset 256).
        Resource(1, "DR09", "Hale", "Simon", "", "DDS (retired)", 1),
        Resource(2, "ST01", "Brennan", "Kate", "", "Front desk"),
        Resource(2, "ST02", "Alvarez", "Tomas", "R", "Office manager"),
        Resource(3, "OP01", "Operatory 1", "", "", ""),
        Resource(3, "OP02", "Operatory 2", "", "", ""),
        Resource(3, "OP03", "Hygiene room", "", "", ""),
    });
}

// The practice preferences: open Monday to Friday, three yearly holidays.
json Preferences() {
    return json::array({{{"tag", 0},
                         {"marker", "-PR-"},
                         {"date", ""},
                         {"sunday", -1},
                         {"monday", 0},
                         {"tuesday", 0},
                         {"wednesday", 0},
                         {"thursday", 0},
                         {"friday", 0},
                         {"saturday", -1},
                         {"holidays", {"01-01", "07-04", "12-25"}}}});
}

}  // namespace

json DemoPracticeDocument() {
    return {{"6", Resources()}, {"95", Preferences()}};
}

std::vector<DemoSetting> DemoSettings() {
    return {
        // The demo handheld belongs to Dr. Whitaker.
        {"PALMID", kDemoHotSyncUser, "DR01"},           {"KVMOBILE", "DR01_SEL_PROV_CNT", "2"},
        {"KVMOBILE", "DR01_SEL_PROVIDERS", "DR01HY01"}, {"KVMOBILE_APPTLIST", "DR01_Cnt", "3"},
        {"KVMOBILE_OFFICEJOURNAL", "DR01_Cnt", "2"},
    };
}

}  // namespace kv::tools

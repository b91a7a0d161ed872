// The practice database stand-in under a practice of realistic size: how fast
// a patient is found by id, and how fast the patient file is walked in name
// order, as the patient viewer conduit walks it.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "emulation/practice/practice_store.h"
#include "platform/byte_order.h"

namespace kv::practice {
namespace {

constexpr int kPatientFile = 18;
constexpr int kPatientIdKey = 19;
constexpr int kPatientNameKey = 20;

// A practice with `patients` patients in a temporary directory, removed at
// the end of the run.
class BenchPractice {
  public:
    explicit BenchPractice(int patients) {
        std::string pattern = (std::filesystem::temp_directory_path() / "kvbench-XXXXXX").string();
        dir_ = ::mkdtemp(pattern.data()) ? pattern : "";
        std::string error;
        store_ = PracticeStore::Create(dir_ + "/", &error);
        if (!store_) return;
        store_->Begin();
        for (int id = 1; id <= patients; ++id) {
            std::vector<uint8_t> record(558, 0);
            StoreLE32(record.data() + 2, static_cast<uint32_t>(id));
            std::string last = "Name" + std::to_string((id * 7919) % patients);
            std::copy(last.begin(), last.end(), record.begin() + 10);
            int64_t row;
            store_->Add(kPatientFile, record, &row);
        }
        store_->Commit();
    }
    ~BenchPractice() {
        store_.reset();
        std::error_code ignored;
        if (!dir_.empty()) std::filesystem::remove_all(dir_, ignored);
    }
    PracticeStore* store() { return store_.get(); }

  private:
    std::string dir_;
    std::unique_ptr<PracticeStore> store_;
};

void FindPatientById(benchmark::State& state) {
    const int patients = static_cast<int>(state.range(0));
    BenchPractice practice(patients);
    if (!practice.store()) return state.SkipWithError("cannot create the practice");
    uint32_t id = 1;
    for (auto _ : state) {
        std::string key(4, '\0');
        StoreLE32(reinterpret_cast<uint8_t*>(key.data()), id);
        benchmark::DoNotOptimize(practice.store()->Find(kPatientFile, kPatientIdKey, key));
        id = id % static_cast<uint32_t>(patients) + 1;
    }
}
BENCHMARK(FindPatientById)->Arg(10000);

void WalkPatientsByName(benchmark::State& state) {
    const int patients = static_cast<int>(state.range(0));
    BenchPractice practice(patients);
    if (!practice.store()) return state.SkipWithError("cannot create the practice");
    for (auto _ : state) {
        size_t seen = 0;
        for (auto r = practice.store()->First(kPatientFile, kPatientNameKey); r;
             r = practice.store()->Next(kPatientFile, kPatientNameKey, *r))
            ++seen;
        benchmark::DoNotOptimize(seen);
    }
    state.SetItemsProcessed(state.iterations() * patients);
}
BENCHMARK(WalkPatientsByName)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kv::practice

// What a ds_map costs. First the peak memory (resident set) of a process that
// decodes a JSON list of 10,000 small objects, and of one that makes 10,000
// empty maps, beside one that does nothing; each runs in a child of its own,
// so one figure never carries another's heap. Then, timed by Google
// Benchmark, finding every key of maps of several sizes and walking a map
// key by key as games do with ds_map_find_next.
//   map_bench [Google Benchmark flags]
#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "library/ds_map.h"
#include "library/json.h"
#include "platform/memory.h"

namespace bw {
namespace {

constexpr int32_t kObjects = 10000;

// A list of objects like the saved records of a game, about 20 bytes each.
std::string ListOfSmallObjects()
{
    std::string text = "[";
    for (int32_t i = 0; i < kObjects; ++i) {
        text += (i == 0 ? "" : ",") + std::string("{\"id\":") + std::to_string(i) + ",\"hp\":100}";
    }
    return text + "]";
}

void DecodeTheList()
{
    const std::string text = ListOfSmallObjects();
    if (Json_Decode(text.c_str()) < 0) {
        std::exit(1);
    }
}

void CreateEmptyMaps()
{
    for (int32_t i = 0; i < kObjects; ++i) {
        DS_Map_Create();
    }
}

void DoNothing() {}

// Peak resident set of a child that runs work, in MB; -1 when it failed.
double PeakMegabytesOf(void (*work)())
{
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        work();
        _exit(0);
    }
    int status = 0;
    rusage usage{};
    if (child < 0 || wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        return -1;
    }
    return static_cast<double>(usage.ru_maxrss) / 1024.0;  // ru_maxrss is in KB
}

void ReportPeakMemory()
{
    const double baseline = PeakMegabytesOf(&DoNothing);
    std::printf("peak memory (resident, MB)          total   above an idle process\n");
    std::printf("%-34s %7.1f\n", "idle process", baseline);
    const struct {
        const char* what;
        void (*work)();
    } cases[] = {{"json_decode of 10,000 objects", &DecodeTheList}, {"10,000 ds_map_create", &CreateEmptyMaps}};
    for (const auto& c : cases) {
        const double peak = PeakMegabytesOf(c.work);
        std::printf("%-34s %7.1f %9.1f\n", c.what, peak, peak - baseline);
    }
    std::printf("\n");
}

// A map of count string keys "key0", "key1", ... with real values.
struct KeyedMap {
    explicit KeyedMap(int64_t count) : id(DS_Map_Create()), map(DS_MapPool().Get(id))
    {
        keys.resize(static_cast<size_t>(count));
        for (int64_t i = 0; i < count; ++i) {
            Value& key = keys[static_cast<size_t>(i)];
            Value_SetString(key, ("key" + std::to_string(i)).c_str());
            Value value{};
            value.real = static_cast<double>(i);
            DS_Map_Add(map, key, value);
        }
    }
    ~KeyedMap()
    {
        for (Value& key : keys) {
            Value_Free(key);
        }
        DS_MapPool().Destroy(id);
    }
    KeyedMap(const KeyedMap&) = delete;
    KeyedMap& operator=(const KeyedMap&) = delete;

    int32_t id;
    CDS_Map* map;
    std::vector<Value> keys;
};

// Every key once, in an order of its own: a game asks for keys in no order
// of the map's.
void FindEveryKey(benchmark::State& state)
{
    const KeyedMap keyed(state.range(0));
    std::vector<Value> asked = keyed.keys;  // views of the keys' payloads
    std::shuffle(asked.begin(), asked.end(), std::mt19937(1));
    for (auto _ : state) {
        for (const Value& key : asked) {
            benchmark::DoNotOptimize(DS_Map_Find(keyed.map, key));
        }
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(FindEveryKey)->Arg(10)->Arg(1000)->Arg(100000)->Unit(benchmark::kMicrosecond);

void WalkByKey(benchmark::State& state)
{
    const KeyedMap keyed(state.range(0));
    for (auto _ : state) {
        for (const Value* key = DS_Map_FindFirst(keyed.map); key != nullptr; key = DS_Map_FindNext(keyed.map, *key)) {
            benchmark::DoNotOptimize(key);
        }
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(WalkByKey)->Arg(10)->Arg(1000)->Arg(100000)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace bw

int main(int argc, char** argv)
{
    bw::MemoryManager_KeepLargeBlocksInHeap();  // as the runner does at start-up
    bw::ReportPeakMemory();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

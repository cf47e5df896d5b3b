// The standard containers at the sizes the game uses them: the creature list of about 300,
// re-sorted by depth every update while the depths drift a little, and map insertion and look-up.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "runtime/object.h"
#include "runtime/std/list.h"
#include "runtime/std/map.h"
#include "tests/support/test_program.h"

namespace {

class c_Body : public Object {
public:
    static constexpr const char* debug_name = "Body";
    float depth = 0;
};

// Deeper first, as the creature list orders: the sign of the depth difference.
class c_BodyList : public c_List<c_Body*> {
public:
    int64_t compares = 0;
    int Compare(c_Body* lhs, c_Body* rhs) override {
        ZV_FUNC("BodyList.Compare");
        ZV_SELF;
        ZV_LOCAL(lhs);
        ZV_LOCAL(rhs);
        ++compares;
        float difference = rhs->depth - lhs->depth;
        ZV_AT return difference > 0 ? 1 : difference < 0 ? -1 : 0;
    }
};

// Each iteration nudges a few depths, as a few creatures rise or dive per update, then sorts.
void BM_SortMostlySortedList(benchmark::State& state) {
    reset_runtime();
    const int count = int(state.range(0));
    const int nudged = int(state.range(1));
    std::mt19937 random(1);
    std::uniform_real_distribution<float> depth(0, 100), nudge(-1, 1);
    auto* list = new c_BodyList();
    test_roots.push_back(list);
    std::vector<c_Body*> bodies;
    for (int i = 0; i < count; ++i) {
        bodies.push_back(new c_Body());
        bodies.back()->depth = depth(random);
        list->AddLast(bodies.back());
    }
    list->Sort(true);
    list->compares = 0;
    for (auto _ : state) {
        for (int i = 0; i < nudged; ++i) bodies[random() % bodies.size()]->depth += nudge(random);
        list->Sort(true);
    }
    state.SetItemsProcessed(state.iterations() * count);
    state.counters["compares/sort"] = double(list->compares) / double(state.iterations());
}
BENCHMARK(BM_SortMostlySortedList)->Args({300, 5})->Args({300, 300});

void BM_IntMapInsert(benchmark::State& state) {
    reset_runtime();
    const int count = int(state.range(0));
    std::mt19937 random(2);
    std::vector<int> keys(static_cast<size_t>(count));
    for (int& key : keys) key = int(random());
    for (auto _ : state) {
        auto* map = new c_IntMap<c_Body*>();
        for (int key : keys) map->Set(key, nullptr);
        benchmark::DoNotOptimize(map->root);
        // Unrooted, so each map is garbage by the next full collection.
        state.PauseTiming();
        gc_step();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_IntMapInsert)->Arg(16)->Arg(1024);

void BM_IntMapGet(benchmark::State& state) {
    reset_runtime();
    const int count = int(state.range(0));
    std::mt19937 random(3);
    auto* map = new c_IntMap<c_Body*>();
    std::vector<int> keys(static_cast<size_t>(count));
    for (int& key : keys) {
        key = int(random());
        map->Set(key, nullptr);
    }
    size_t next = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(map->Get(keys[next]));
        next = (next + 1) % keys.size();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_IntMapGet)->Arg(16)->Arg(1024);

// Font names: a handful of short keys sharing prefixes.
void BM_StringMapGet(benchmark::State& state) {
    reset_runtime();
    auto* map = new c_StringMap<c_Body*>();
    std::vector<String> names;
    for (int i = 0; i < int(state.range(0)); ++i) {
        names.push_back(String("font") + String::FromInt(i));
        map->Set(names.back(), nullptr);
    }
    size_t next = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(map->Get(names[next]));
        next = (next + 1) % names.size();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_StringMapGet)->Arg(8)->Arg(256);

}  // namespace

BENCHMARK_MAIN();

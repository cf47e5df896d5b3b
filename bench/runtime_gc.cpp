// Collector costs: allocation per object, tracing per object over a live heap of 100,000 objects,
// and the longest single gc_step seen while a program allocates and drops objects steadily.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "runtime/gc.h"
#include "runtime/object.h"
#include "tests/support/test_program.h"

namespace {

// A 48-byte node, the size of most game objects' smaller cousins.
class Node : public Object {
public:
    Node* next = nullptr;
    int value = 0;
    void mark_children() override { gc_grey(next); }
};

constexpr int kLiveObjects = 100000;

// One root holding a chain of `count` nodes.
Node* build_chain(int count) {
    Node* head = nullptr;
    for (int i = 0; i < count; ++i) {
        Node* n = new Node();
        n->next = head;
        head = n;
    }
    return head;
}

void BM_Allocate(benchmark::State& state) {
    reset_runtime();
    for (auto _ : state) {
        benchmark::DoNotOptimize(new Node());
        if (gc.new_bytes > GC_TRIGGER_BYTES) gc_step();  // keep the heap bounded, as the host does
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["bytes/object"] = sizeof(Node);
}
BENCHMARK(BM_Allocate);

void BM_TraceLiveHeap(benchmark::State& state) {
    reset_runtime();
    test_roots.push_back(build_chain(kLiveObjects));
    gc_full_collection();
    for (auto _ : state) {
        gc_full_collection();  // traces every live object once, sweeps nothing away
    }
    state.SetItemsProcessed(state.iterations() * kLiveObjects);
    state.counters["live objects"] = kLiveObjects;
    state.counters["live bytes"] = gc.live_bytes;
}
BENCHMARK(BM_TraceLiveHeap)->Unit(benchmark::kMillisecond);

// A game-like load: a live heap of 100,000 objects, and per "update" 500 new objects of which
// most die young, each update followed by one collector step.
void BM_StepUnderLoad(benchmark::State& state) {
    reset_runtime();
    Node* root = build_chain(kLiveObjects);
    test_roots.push_back(root);
    gc_full_collection();
    double worst = 0;
    for (auto _ : state) {
        for (int i = 0; i < 500; ++i) {
            Node* n = new Node();
            if (i % 50 == 0) {  // a few survive, replacing older ones
                n->next = root->next ? root->next->next : nullptr;
                gc_store(root->next, n);
            }
        }
        auto start = std::chrono::steady_clock::now();
        gc_step();
        worst = std::max(worst, std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count());
    }
    state.counters["worst step us"] = worst;
    state.counters["live bytes"] = gc.live_bytes;
}
BENCHMARK(BM_StepUnderLoad)->Iterations(20000);

}  // namespace

BENCHMARK_MAIN();

// The collector's arithmetic and life cycle: colours, lists, budgets, pools and lazy destruction.
#include <gtest/gtest.h>

#include <array>

#include "runtime/array.h"
#include "runtime/gc.h"
#include "runtime/object.h"
#include "tests/support/test_program.h"

namespace {

int destroyed;

// An object of `Bytes` bytes (header included) with one collected reference.
template <int Bytes>
class Sized : public Object {
public:
    Object* ref = nullptr;
    std::array<char, Bytes - 40> padding;
    ~Sized() override { ++destroyed; }
    void mark_children() override { gc_grey(ref); }
};
using Small = Sized<48>;
static_assert(sizeof(Sized<56>) == 56 && sizeof(Sized<64>) == 64 && sizeof(Small) == 48, "test object sizes");

// The torture build makes every step a full collection and pools nothing, so the incremental
// arithmetic and the pools are checked in the normal build only.
#ifdef ZV_GC_TORTURE
#define SKIP_IN_TORTURE_BUILD() GTEST_SKIP() << "every step is a full collection in this build"
#else
#define SKIP_IN_TORTURE_BUILD()
#endif

class GcTest : public ::testing::Test {
protected:
    void SetUp() override {
        reset_runtime();
        destroyed = 0;
    }
    bool on(const gc_object* p, gc_list_id list) { return gc_on_list(p, list); }
};

TEST_F(GcTest, HeaderLayout) {
    // The collector reads dead blocks as raw memory at these offsets.
    Small probe;
    auto* base = reinterpret_cast<char*>(static_cast<gc_object*>(&probe));
    EXPECT_EQ(reinterpret_cast<char*>(&probe.next) - base, 8);
    EXPECT_EQ(reinterpret_cast<char*>(&probe.prev) - base, 16);
    EXPECT_EQ(reinterpret_cast<char*>(&probe.flags) - base, 24);
    EXPECT_EQ(sizeof(gc_object), 32u);
    EXPECT_EQ(probe.colour(), 3) << "an object not made by the collector is never collected";
}

TEST_F(GcTest, NewObjectsAreWhiteAndAccounted) {
    // A value-initialising new-expression must not wipe the header.
    auto* p = new Small();
    EXPECT_TRUE(on(p, gc_list_id::white));
    EXPECT_EQ(p->colour(), gc.white_bit);
    EXPECT_EQ(p->block_size(), 48);
    EXPECT_EQ(gc.live_bytes, 48);
    EXPECT_EQ(gc.new_bytes, 48);

    // Sizes round up to a multiple of 8.
    void* block = gc_allocate(33);
    EXPECT_EQ(gc.new_bytes, 48 + 40);
    ::new (block) Object();
    EXPECT_EQ(static_cast<gc_object*>(block)->block_size(), 40);
}

TEST_F(GcTest, GreyBlackenAndBarrier) {
    auto* parent = new Small();
    auto* child = new Small();
    auto* other = new Small();

    gc_grey(nullptr);
    gc_blacken(nullptr);
    Object* slot = parent;
    gc_store(slot, static_cast<Object*>(nullptr));
    EXPECT_EQ(slot, nullptr);
    EXPECT_EQ(gc_list_count(gc_list_id::grey), 0);

    gc_grey(child);
    gc_grey(child);  // a second greying changes nothing
    EXPECT_TRUE(on(child, gc_list_id::grey));
    EXPECT_EQ(gc_list_count(gc_list_id::grey), 1);

    // Blackening traces at once: the child already grey stays where it is.
    parent->ref = child;
    gc_blacken(parent);
    EXPECT_TRUE(on(parent, gc_list_id::black));
    EXPECT_EQ(gc.black_bytes, 48);
    EXPECT_TRUE(on(child, gc_list_id::grey));

    // Storing a white object into a black one greys it, whatever the holder's colour.
    gc_store(parent->ref, static_cast<Object*>(other));
    EXPECT_TRUE(on(other, gc_list_id::grey));
    gc_store(parent->ref, static_cast<Object*>(other));
    EXPECT_EQ(gc_list_count(gc_list_id::grey), 2);
}

TEST_F(GcTest, IncrementalBudgetFollowsAllocation) {
    SKIP_IN_TORTURE_BUILD();
    // 4 MiB live, all queued as roots, of which 1 MiB was allocated since the last full collection:
    // the step traces 1048576 + (4194304 - 1048576) * 1048576 / 8388608 = 1441792 bytes.
    for (int i = 0; i < 4194304 / 64; ++i) test_roots.push_back(new Sized<64>());
    gc_queue_roots();
    gc.new_bytes = 1048576;
    gc_step();
    EXPECT_EQ(gc.black_bytes, 1441792);
    EXPECT_EQ(gc_list_count(gc_list_id::black), 1441792 / 64);
    EXPECT_EQ(gc.live_bytes, 4194304) << "an incremental step sweeps nothing";
}

TEST_F(GcTest, FullCollectionStartsPastEightMebibytes) {
    SKIP_IN_TORTURE_BUILD();
    auto* kept = new Small();
    auto* lost = new Small();
    test_roots.push_back(kept);
    gc_queue_roots();
    int white = gc.white_bit;

    // Exactly 8 MiB (allocation plus native buffers) is still an incremental step.
    gc.new_bytes = 8388608 - 1000;
    gc_add_native_bytes(1000);
    gc_step();
    EXPECT_EQ(gc.white_bit, white);
    EXPECT_TRUE(on(lost, gc_list_id::white));

    // One byte more collects: the survivor turns white for the next cycle, the rest is garbage.
    gc_add_native_bytes(1);
    gc_step();
    EXPECT_NE(gc.white_bit, white);
    EXPECT_EQ(gc.new_bytes, 0);
    EXPECT_EQ(gc.native_bytes.load(), 0);
    EXPECT_TRUE(on(lost, gc_list_id::garbage));
    EXPECT_EQ(gc.garbage_bytes, 48);
    EXPECT_TRUE(on(kept, gc_list_id::grey)) << "the next cycle begins by queueing the roots again";
    EXPECT_EQ(gc.live_bytes, 48);
    EXPECT_EQ(destroyed, 0) << "destruction waits for later allocations";
}

TEST_F(GcTest, SmallHeapsNeverSweep) {
    SKIP_IN_TORTURE_BUILD();
    for (int i = 0; i < 1000; ++i) new Small();
    int white = gc.white_bit;
    for (int i = 0; i < 100; ++i) gc_step();
    EXPECT_EQ(gc.white_bit, white);
    EXPECT_EQ(gc_list_count(gc_list_id::garbage), 0);
    EXPECT_EQ(destroyed, 0);
}

TEST_F(GcTest, ObjectsBornDuringACycleSurviveOnlyIfReached) {
    auto* root = new Small();
    test_roots.push_back(root);
    gc_queue_roots();
    gc_trace(2147483647);  // the root is black now

    auto* reached = new Small();
    auto* unreached = new Small();
    EXPECT_TRUE(on(reached, gc_list_id::white));
    gc_store(root->ref, static_cast<Object*>(reached));
    gc_full_collection();
    EXPECT_FALSE(on(reached, gc_list_id::garbage));
    EXPECT_TRUE(on(unreached, gc_list_id::garbage));
}

TEST_F(GcTest, LazyDestructionIsPacedByAllocation) {
    for (int i = 0; i < 10; ++i) new Small();
    gc_full_collection();
    EXPECT_EQ(gc.garbage_bytes, 480);

    // Each allocation destroys about its own size of garbage.
    new Small();
    EXPECT_EQ(destroyed, 1);
    EXPECT_EQ(gc.garbage_bytes, 432);
    new Sized<96>();
    EXPECT_EQ(destroyed, 3);
    EXPECT_EQ(gc.garbage_bytes, 336);

    // With the garbage list emptied, an allocation resets the garbage count.
    for (int i = 0; i < 7; ++i) new Small();
    EXPECT_EQ(destroyed, 10);
    EXPECT_EQ(gc_list_count(gc_list_id::garbage), 0);
    gc.garbage_bytes = 123;
    new Small();
    EXPECT_EQ(gc.garbage_bytes, 0);
}

TEST_F(GcTest, SmallBlocksArePooledLargeOnesAreNot) {
    SKIP_IN_TORTURE_BUILD();
    auto* small = new Sized<56>();
    new Sized<64>();
    gc_full_collection();
    int pooled56 = gc_pool_count(56);

    // A 40-byte allocation destroys the 56-byte garbage first (pooled), then the 64-byte one.
    new Sized<40>();
    EXPECT_EQ(destroyed, 1);
    EXPECT_EQ(gc_pool_count(56), pooled56 + 1);
    new Sized<40>();
    EXPECT_EQ(destroyed, 2);
    EXPECT_EQ(gc_pool_count(64), 0) << "blocks over 56 bytes go back to the system heap";

    // The pooled block is reused by the next allocation of its size.
    void* reused = new Sized<56>();
    EXPECT_EQ(reused, static_cast<void*>(small));
}

TEST_F(GcTest, StaticEmptyStorageIsNeverTouched) {
    Array<int> empty;
    Array<Object*> empty_objects;
    auto* storage = empty.Storage();
    for (int cycle = 0; cycle < 2; ++cycle) {
        gc_grey(storage);
        gc_blacken(empty_objects.Storage());
        Array<int> field;
        gc_store_array(field, empty);
        gc_full_collection();
        EXPECT_EQ(storage->colour(), 3);
        EXPECT_EQ(storage->next, nullptr);
        EXPECT_FALSE(gc_is_live_object(storage));
    }
}

TEST_F(GcTest, ArraysTraceTheirElements) {
    Array<Object*> objects(3);
    auto* element = new Small();
    objects.Set(1, element);
    EXPECT_TRUE(on(element, gc_list_id::grey)) << "an element store goes through the barrier";

    // gc_store_array blackens the storage and its white elements at once, depth first.
    Array<Object*> fresh(2);
    auto* white_element = new Small();
    fresh.Data()[0] = white_element;  // a raw store, as an array literal's initialisation is
    Array<Object*> field;
    gc_store_array(field, fresh);
    EXPECT_TRUE(on(fresh.Storage(), gc_list_id::black));
    EXPECT_TRUE(on(white_element, gc_list_id::black));

    gc_full_collection();
    EXPECT_FALSE(on(white_element, gc_list_id::garbage));
    gc_full_collection();  // nothing refers to either array any more
    EXPECT_TRUE(on(fresh.Storage(), gc_list_id::garbage));
    EXPECT_TRUE(on(white_element, gc_list_id::garbage));
    EXPECT_TRUE(on(objects.Storage(), gc_list_id::garbage));
}

}  // namespace

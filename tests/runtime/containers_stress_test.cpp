// Builds, sorts, filters and drops large containers with collection steps in between. Only the
// roots keep anything alive, so a link stored without the barrier, or a field left out of
// mark_children, frees a live node; the sanitizer build turns that into a use-after-free report.
#include <climits>
#include <map>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "runtime/std/list.h"
#include "runtime/std/map.h"
#include "runtime/std/stack.h"
#include "tests/runtime/container_items.h"

namespace {

// The live containers, as a program would hold them in module globals.
struct Containers {
    c_ItemList* items = nullptr;
    c_IntMap<c_Item*>* by_id = nullptr;
    c_StringMap<c_Stack<c_Item*>*>* stacks = nullptr;
    c_List<String>* names = nullptr;
};

// Swaps a root for another, as storing a new object in a global does.
template <class T>
void replace_root(T*& global, T* value) {
    if (global) {
        for (gc_object*& root : test_roots) {
            if (root == global) root = value;
        }
    } else {
        test_roots.push_back(value);
    }
    gc_grey(value);
    global = value;
}

// An allocation destroys as many bytes of garbage as it takes, so one this large destroys all.
void destroy_all_garbage() { Array<int> payment(gc.garbage_bytes / int(sizeof(int)) + 1); }

String name_for(int id) { return String("item") + String::FromInt(id % 97); }

TEST(ContainersStress, SurviveBuildingSortingFilteringAndDroppingAcrossCollections) {
    reset_runtime();
    gc_full_collection();
    gc_full_collection();
    const int baseline_bytes = gc.live_bytes;
    std::mt19937 random(17);
    Containers live;
    int next_id = 0;
    // Every few operations all that is reachable is left traced black, the state in which a
    // store that skips the barrier leaves its object unmarked. The next collect sweeps (in the
    // torture build twice, as a sweep spares what was already black before it) and destroys the
    // garbage at once, so that touching an object freed too early is a sanitizer report.
    auto collect = [] {
        gc_step();
        gc_full_collection();
        destroy_all_garbage();
        gc_trace(INT_MAX);
    };
    auto step = [&](int i) {
        if (i % 97 == 0) {
            gc_full_collection();
            destroy_all_garbage();
        } else if (i % 13 == 0) {
            collect();
        }
    };

    for (int round = 0; round < 6; ++round) {
        SCOPED_TRACE(round);
        // A fresh list and map every other round: the old ones become garbage at once.
        if (round % 2 == 0) {
            replace_root(live.items, new c_ItemList());
            replace_root(live.by_id, new c_IntMap<c_Item*>());
            replace_root(live.names, new c_List<String>());
        }
        if (!live.stacks) replace_root(live.stacks, new c_StringMap<c_Stack<c_Item*>*>());
        collect();  // the new containers are black before their first insertion

        std::map<int, int> key_of_id;
        for (c_Item* item : linked_elements<c_Item*>(live.items)) key_of_id[item->id] = item->key;
        for (int i = 0; i < 1500; ++i) {
            auto* item = new c_Item(int(random() % 1000), next_id++);
            key_of_id[item->id] = item->key;
            live.items->AddLast(item);
            live.by_id->Set(item->id, item);
            live.names->AddLast(name_for(item->id));
            String stack_name = name_for(item->key);
            c_Stack<c_Item*>* stack = live.stacks->Get(stack_name);
            if (!stack) {
                stack = new c_Stack<c_Item*>();
                live.stacks->Set(stack_name, stack);
            }
            stack->Push(item);
            step(i);
        }

        live.items->Sort(round % 2 == 0);
        gc_step();

        // Filter with an enumerator held as a root, removing runs of nodes starting with the one
        // it stands on, and collecting before it moves on: only the removed nodes' own links
        // lead it back into the list.
        c_Enumerator<c_Item*>* enumerator = nullptr;
        replace_root(enumerator, live.items->ObjectEnumerator());
        int visited = 0;
        while (enumerator->HasNext()) {
            c_Item* item = enumerator->_curr->_data;
            ASSERT_EQ(key_of_id.at(item->id), item->key);
            for (c_Node<c_Item*>* node = enumerator->_curr; node != live.items->_head && node->_data->key % 3 == 0;) {
                c_Node<c_Item*>* succ = node->_succ;
                live.by_id->Set(node->_data->id, nullptr);
                key_of_id.erase(node->_data->id);
                node->Remove();
                node = succ;
            }
            step(++visited);
            ASSERT_EQ(enumerator->NextObject(), item);
        }
        replace_root(enumerator, static_cast<c_Enumerator<c_Item*>*>(nullptr));
        live.names->RemoveEach(name_for(3));
        gc_full_collection();

        // Everything still held reads back whole after the collections.
        std::vector<c_Item*> remaining = linked_elements<c_Item*>(live.items);
        ASSERT_EQ(remaining.size(), key_of_id.size());
        for (size_t i = 1; i < remaining.size(); ++i) {
            if (round % 2 == 0) {
                ASSERT_LE(remaining[i - 1]->key, remaining[i]->key);
            } else {
                ASSERT_GE(remaining[i - 1]->key, remaining[i]->key);
            }
        }
        for (c_Item* item : remaining) {
            ASSERT_EQ(live.by_id->Get(item->id), item);
            ASSERT_NE(item->key % 3, 0);
        }
        EXPECT_EQ(live.names->Find(name_for(3)), nullptr);
        for (const String& name : linked_elements<String>(live.names)) ASSERT_TRUE(name.StartsWith(String("item")));
        int stacked = 0;
        for (int k = 0; k < 97; ++k) {
            c_Stack<c_Item*>* stack = live.stacks->Get(name_for(k));
            if (!stack) continue;
            Array<c_Item*> array = stack->ToArray();
            for (int i = 0; i < array.Length(); ++i) ASSERT_EQ(name_for(array[i]->key), name_for(k));
            stacked += array.Length();
        }
        EXPECT_EQ(stacked, next_id);
    }

    // Dropping every root leaves nothing of ours alive after a full cycle.
    test_roots.clear();
    gc_full_collection();
    gc_full_collection();
    EXPECT_EQ(gc.live_bytes, baseline_bytes);
}

}  // namespace

#include "runtime/std/list.h"

#include <algorithm>
#include <deque>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "tests/runtime/container_items.h"

namespace {

class ListTest : public ::testing::Test {
protected:
    void SetUp() override { reset_runtime(); }

    // Items 0 .. n-1, keyed by their index.
    std::vector<c_Item*> make_items(int n) {
        std::vector<c_Item*> items;
        for (int i = 0; i < n; ++i) items.push_back(new c_Item(i, i));
        return items;
    }
};

TEST_F(ListTest, OperationsAgreeWithADequeModel) {
    std::vector<c_Item*> pool = make_items(6);  // few values, so duplicates abound
    Array<c_Item*> initial{pool[0], pool[1], pool[0]};
    auto* list = new c_List<c_Item*>(initial);
    std::deque<c_Item*> model(initial.Data(), initial.Data() + initial.Length());

    std::mt19937 random(7);
    for (int step = 0; step < 4000; ++step) {
        c_Item* value = pool[random() % pool.size()];
        switch (random() % 10) {
            case 0: case 1: case 2:
                list->AddLast(value);
                model.push_back(value);
                break;
            case 3:
                if (!model.empty()) {
                    EXPECT_EQ(list->RemoveFirst(), model.front());
                    model.pop_front();
                }
                break;
            case 4:
                if (!model.empty()) {
                    EXPECT_EQ(list->RemoveLast(), model.back());
                    model.pop_back();
                }
                break;
            case 5: {
                list->RemoveFirst(value);
                auto it = std::find(model.begin(), model.end(), value);
                if (it != model.end()) model.erase(it);
                break;
            }
            case 6: {
                list->RemoveLast(value);
                auto it = std::find(model.rbegin(), model.rend(), value);
                if (it != model.rend()) model.erase(std::next(it).base());
                break;
            }
            case 7:
                list->RemoveEach(value);
                model.erase(std::remove(model.begin(), model.end(), value), model.end());
                break;
            case 8: {
                c_Node<c_Item*>* node = list->Find(value);
                ASSERT_EQ(node != nullptr, std::count(model.begin(), model.end(), value) > 0);
                if (node) {
                    EXPECT_EQ(node->_data, value);
                    EXPECT_EQ(node->Remove(), 0);
                    model.erase(std::find(model.begin(), model.end(), value));
                }
                break;
            }
            default:
                if (step % 500 == 9) {
                    EXPECT_EQ(list->Clear(), 0);
                    model.clear();
                }
                break;
        }
        ASSERT_EQ(linked_elements(list), std::vector<c_Item*>(model.begin(), model.end())) << "step " << step;
        ASSERT_EQ(list->Count(), int(model.size()));
        ASSERT_EQ(list->IsEmpty(), model.empty());
        if (!model.empty()) {
            ASSERT_EQ(list->Last(), model.back());
        }
    }
    Array<c_Item*> array = list->ToArray();
    EXPECT_EQ(std::vector<c_Item*>(array.Data(), array.Data() + array.Length()),
              std::vector<c_Item*>(model.begin(), model.end()));
}

TEST_F(ListTest, StringsMatchByTextAndObjectsByIdentity) {
    auto* words = new c_List<String>(Array<String>{String("a"), String("b"), String("a"), String("c")});
    String a = String("xa").Slice(1);  // equal text in a buffer of its own
    ASSERT_FALSE(a.SharesBufferWith(words->_head->_succ->_data));

    c_Node<String>* first = words->Find(a);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first, words->_head->_succ);
    c_Node<String>* second = words->Find(a, first->_succ);
    EXPECT_EQ(second, words->_head->_pred->_pred);
    EXPECT_EQ(words->Find(a, second->_succ), nullptr);
    EXPECT_EQ(words->FindLast(a), second);
    EXPECT_EQ(words->FindLast(a, second->_pred), first);
    EXPECT_EQ(words->Find(String("z")), nullptr);

    words->RemoveLast(a);
    EXPECT_EQ(linked_elements(words), (std::vector<String>{String("a"), String("b"), String("c")}));
    words->RemoveFirst(String("b"));
    EXPECT_EQ(linked_elements(words), (std::vector<String>{String("a"), String("c")}));
    Array<String> array = words->ToArray();
    ASSERT_EQ(array.Length(), 2);
    EXPECT_EQ(array[1], String("c"));

    auto* items = new c_List<c_Item*>();
    auto* original = new c_Item(1, 1);
    auto* lookalike = new c_Item(1, 1);
    items->AddLast(original);
    EXPECT_EQ(items->Find(lookalike), nullptr);
    EXPECT_EQ(items->Find(original), items->_head->_succ);
    items->RemoveEach(lookalike);
    EXPECT_EQ(items->Count(), 1);
}

TEST_F(ListTest, EnumerationSurvivesRemovalOfTheCurrentNode) {
    std::vector<c_Item*> items = make_items(10);
    auto* list = new c_List<c_Item*>();
    std::vector<c_Node<c_Item*>*> nodes;
    for (c_Item* item : items) nodes.push_back(list->AddLast(item));

    // NextObject has already stepped onto the following node when the loop body runs, so each
    // removal below takes the node the enumerator stands on.
    std::vector<int> seen;
    c_Enumerator<c_Item*>* enumerator = list->ObjectEnumerator();
    while (enumerator->HasNext()) {
        c_Item* item = enumerator->NextObject();
        seen.push_back(item->key);
        if (item->key == 2) list->RemoveEach(items[3]);
        if (item->key == 5) {  // a chain of two removed nodes, removed front first
            nodes[6]->Remove();
            nodes[7]->Remove();
        }
        if (item->key == 8) nodes[9]->Remove();  // the last node: the walk ends at the head
    }
    EXPECT_EQ(seen, (std::vector<int>{0, 1, 2, 4, 5, 8}));

    // Removed between HasNext and NextObject: the removed element is still handed out once,
    // and the walk goes on with the nodes linked after it.
    seen.clear();
    enumerator = list->ObjectEnumerator();
    while (enumerator->HasNext()) {
        if (enumerator->_curr->_data->key == 4) enumerator->_curr->Remove();
        seen.push_back(enumerator->NextObject()->key);
    }
    EXPECT_EQ(seen, (std::vector<int>{0, 1, 2, 4, 5, 8}));
    std::vector<int> left;
    for (c_Item* item : linked_elements(list)) left.push_back(item->key);
    EXPECT_EQ(left, (std::vector<int>{0, 1, 2, 5, 8}));
}

TEST_F(ListTest, SortIsStableInBothDirectionsAndAllocatesNothing) {
    auto keys_of = [](c_List<c_Item*>* list) {
        std::vector<int> keys;
        for (c_Item* item : linked_elements(list)) keys.push_back(item->key);
        return keys;
    };
    auto* list = new c_ItemList();
    EXPECT_EQ(list->Sort(true), 0);  // empty: one pass, nothing compared
    list->AddLast(new c_Item(3, 0));
    EXPECT_EQ(list->Sort(false), 0);
    EXPECT_EQ(list->compares, 0);
    list->AddLast(new c_Item(1, 1));
    list->AddLast(new c_Item(2, 2));
    list->Sort(true);
    EXPECT_EQ(keys_of(list), (std::vector<int>{1, 2, 3}));
    list->Sort(false);
    EXPECT_EQ(keys_of(list), (std::vector<int>{3, 2, 1}));

    std::mt19937 random(11);
    for (int size : {2, 3, 5, 64, 127, 300, 1000, 1025}) {
        for (bool extreme : {false, true}) {
            for (bool ascending : {true, false}) {
                auto* sorted = new c_ItemList();
                sorted->extreme = extreme;
                std::vector<c_Item*> expected;
                for (int i = 0; i < size; ++i) {
                    expected.push_back(new c_Item(int(random() % 16), i));  // many ties
                    sorted->AddLast(expected.back());
                }
                std::stable_sort(expected.begin(), expected.end(), [&](c_Item* a, c_Item* b) {
                    return ascending ? a->key < b->key : a->key > b->key;
                });
                int allocated = gc.new_bytes;
                EXPECT_EQ(sorted->Sort(ascending), 0);
                EXPECT_EQ(gc.new_bytes, allocated);
                ASSERT_EQ(linked_elements<c_Item*>(sorted), expected)
                    << "size " << size << (ascending ? " ascending" : " descending")
                    << (extreme ? " with extreme answers" : "");
            }
        }
    }
}

TEST_F(ListTest, DumpsNameTheClassesAndFields) {
    auto* list = new c_List<String>();
    c_Node<String>* node = list->AddLast(String("hi"));
    c_Enumerator<String>* enumerator = list->ObjectEnumerator();
    String head = dbg_address_text(list->_head);
    String at_node = dbg_address_text(node);

    EXPECT_EQ(list->debug_dump(), String("(List)\n_head:HeadNode=") + head + String("\n"));
    EXPECT_EQ(node->debug_dump(), String("(Node)\n_succ:Node=") + head + String("\n_pred:Node=") + head +
                                      String("\n_data:String=\"hi\"\n"));
    EXPECT_EQ(list->_head->debug_dump(), String("(HeadNode)\n(Node)\n_succ:Node=") + at_node +
                                             String("\n_pred:Node=") + at_node + String("\n_data:String=\"\"\n"));
    EXPECT_EQ(enumerator->debug_dump(), String("(Enumerator)\n_list:List=") + dbg_address_text(list) +
                                            String("\n_curr:Node=") + at_node + String("\n"));
}

}  // namespace

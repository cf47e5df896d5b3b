// Elements for the container tests: keyed items, a sortable list of them, and list checks.
#pragma once

#include <climits>
#include <vector>

#include <gtest/gtest.h>

#include "runtime/object.h"
#include "runtime/std/list.h"
#include "tests/support/test_program.h"

class c_Item : public Object {
public:
    static constexpr const char* debug_name = "Item";
    int key;
    int id;
    c_Item(int key, int id) : key(key), id(id) {}
};

// Orders items by key. With `extreme`, the answers are INT_MIN and INT_MAX instead of -1 and 1,
// which a descending sort must still read the right way round.
class c_ItemList : public c_List<c_Item*> {
public:
    bool extreme = false;
    int compares = 0;

    int Compare(c_Item* lhs, c_Item* rhs) override {
        ++compares;
        if (lhs->key < rhs->key) return extreme ? INT_MIN : -1;
        if (lhs->key > rhs->key) return extreme ? INT_MAX : 1;
        return 0;
    }
};

// Keeps an object alive as a module global would: listed for gc_queue_roots and greyed now,
// since the cycle under way queued the roots before it existed.
template <class T>
T* keep(T* object) {
    test_roots.push_back(object);
    gc_grey(object);
    return object;
}

// The elements in order, after checking that every link agrees with its neighbour's and that
// walking backwards meets the same nodes.
template <class T>
std::vector<T> linked_elements(c_List<T>* list) {
    std::vector<T> forward;
    std::vector<c_Node<T>*> nodes;
    for (c_Node<T>* node = list->_head->_succ; node != list->_head; node = node->_succ) {
        EXPECT_EQ(node->_succ->_pred, node);
        nodes.push_back(node);
        forward.push_back(node->_data);
    }
    EXPECT_EQ(list->_head->_succ->_pred, list->_head);
    size_t back = nodes.size();
    for (c_Node<T>* node = list->_head->_pred; node != list->_head; node = node->_pred) {
        if (back == 0 || nodes[--back] != node) {
            ADD_FAILURE() << "backward walk disagrees with forward walk";
            break;
        }
    }
    EXPECT_EQ(back, 0u);
    return forward;
}

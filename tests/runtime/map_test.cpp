#include "runtime/std/map.h"

#include <climits>
#include <map>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "tests/runtime/container_items.h"

namespace {

// Checks the red-black rules below `node` and returns its black height (null leaves count 1):
// parent links agree, colours are -1 or 1, no red node has a red child, and both sides have
// the same black height. The keys are appended in order.
template <class K, class V>
int check_subtree(c_MapNode<K, V>* node, c_MapNode<K, V>* parent, std::vector<K>& keys) {
    if (!node) return 1;
    EXPECT_EQ(node->parent, parent);
    EXPECT_TRUE(node->color == -1 || node->color == 1);
    if (node->color == -1 && parent) {
        EXPECT_NE(parent->color, -1) << "red node with a red child";
    }
    int left = check_subtree(node->left, node, keys);
    keys.push_back(node->key);
    int right = check_subtree(node->right, node, keys);
    EXPECT_EQ(left, right) << "black heights differ";
    return left + (node->color == 1 ? 1 : 0);
}

// The keys in tree order, after checking every rule, including that they strictly ascend by the
// map's own Compare.
template <class K, class V>
std::vector<K> checked_keys(c_Map<K, V>* map) {
    std::vector<K> keys;
    check_subtree<K, V>(map->root, nullptr, keys);
    if (map->root && (map->root->left || map->root->right)) {
        EXPECT_EQ(map->root->color, 1);
    }
    for (size_t i = 1; i < keys.size(); ++i) EXPECT_LT(map->Compare(keys[i - 1], keys[i]), 0);
    return keys;
}

class MapTest : public ::testing::Test {
protected:
    void SetUp() override { reset_runtime(); }
};

TEST_F(MapTest, IntMapKeepsTheRulesUnderRandomAndOrderedInsertion) {
    std::mt19937 random(3);
    auto* map = new c_IntMap<c_Item*>();
    std::map<int, c_Item*> model;
    // The extremes are more than 2^31 apart: a wrapped difference would misplace them.
    std::vector<int> keys{INT_MIN, INT_MAX, 0, 1, -1, INT_MIN + 1, INT_MAX - 1};
    for (int i = 0; i < 5000; ++i) keys.push_back(int(random()) >> (random() % 32));
    for (size_t i = 0; i < keys.size(); ++i) {
        auto* item = new c_Item(keys[i], int(i));
        bool inserted = model.count(keys[i]) == 0;
        model[keys[i]] = item;
        ASSERT_EQ(map->Set(keys[i], item), inserted);
        if (i % 500 == 0) checked_keys(map);
    }
    std::vector<int> expected;
    for (auto& entry : model) expected.push_back(entry.first);
    EXPECT_EQ(checked_keys(map), expected);
    for (auto& entry : model) {
        ASSERT_TRUE(map->Contains(entry.first));
        ASSERT_EQ(map->Get(entry.first), entry.second);
    }
    for (int i = 0; i < 1000; ++i) {
        int absent = int(random());
        if (model.count(absent)) continue;
        EXPECT_FALSE(map->Contains(absent));
        EXPECT_EQ(map->Get(absent), nullptr);
    }

    // Runs in order are the rotation-heavy case; 1 to 7 is the smallest that needs both kinds.
    for (int count : {7, 2000}) {
        for (int step : {1, -1}) {
            auto* ordered = new c_IntMap<c_Item*>();
            for (int i = 0; i < count; ++i) ordered->Add(step * i, nullptr);
            std::vector<int> tree_keys = checked_keys(ordered);
            EXPECT_EQ(int(tree_keys.size()), count);
            EXPECT_EQ(ordered->root->color, 1);
        }
    }
}

TEST_F(MapTest, StringMapOrdersByCharactersThenLength) {
    auto* names = new c_StringMap<c_Item*>();
    EXPECT_LT(names->Compare(String("ab"), String("abc")), 0);
    EXPECT_GT(names->Compare(String("abd"), String("abc")), 0);
    EXPECT_EQ(names->Compare(String("abc"), String("abc")), 0);
    for (const char* name : {"abd", "ab", "abc", "", "b", "a"}) names->Set(String(name), nullptr);
    EXPECT_EQ(checked_keys(names),
              (std::vector<String>{String(""), String("a"), String("ab"), String("abc"), String("abd"), String("b")}));

    // Short keys over three letters, one of them beyond 16 bits: many are prefixes of another.
    const String::Char letters[] = U"a\u00e9\U0001F600";
    std::mt19937 random(5);
    auto* map = new c_StringMap<c_Item*>();
    auto before = [](const String& a, const String& b) { return a.Compare(b) < 0; };
    std::map<String, c_Item*, decltype(before)> model(before);
    for (int i = 0; i < 3000; ++i) {
        String key;
        for (int n = int(random() % 7); n > 0; --n) key += String(&letters[random() % 3], 1);
        auto* item = new c_Item(i, i);
        bool inserted = model.count(key) == 0;
        model[key] = item;
        ASSERT_EQ(map->Set(key, item), inserted);
    }
    std::vector<String> expected;
    for (auto& entry : model) expected.push_back(entry.first);
    EXPECT_EQ(checked_keys(map), expected);
    for (auto& entry : model) ASSERT_EQ(map->Get(entry.first), entry.second);
}

TEST_F(MapTest, SetReplacesAndAddKeeps) {
    auto* map = new c_IntMap<c_Item*>();
    auto* first = new c_Item(1, 1);
    auto* second = new c_Item(1, 2);
    EXPECT_EQ(map->Get(1), nullptr);
    EXPECT_TRUE(map->Add(1, first));
    EXPECT_FALSE(map->Add(1, second));
    EXPECT_EQ(map->Get(1), first);
    EXPECT_FALSE(map->Set(1, second));
    EXPECT_EQ(map->Get(1), second);
    EXPECT_FALSE(map->Insert(1, first));
    EXPECT_EQ(map->Get(1), first);
    EXPECT_TRUE(map->Insert(2, second));
    EXPECT_EQ(map->Get(2), second);

    // Maps of maps, as the kerning table nests them.
    auto* outer = new c_IntMap<c_IntMap<c_Item*>*>();
    EXPECT_EQ(outer->Get(65), nullptr);
    outer->Add(65, new c_IntMap<c_Item*>());
    outer->Get(65)->Add(86, first);
    EXPECT_EQ(outer->Get(65)->Get(86), first);
    EXPECT_EQ(outer->Get(65)->Get(87), nullptr);
}

TEST_F(MapTest, DumpsListFieldsInTheirOrder) {
    auto* map = new c_StringMap<c_Item*>();
    auto* item = new c_Item(0, 0);
    map->Set(String("b"), nullptr);
    map->Set(String("a"), item);
    c_MapNode<String, c_Item*>* root = map->root;
    c_MapNode<String, c_Item*>* left = root->left;
    EXPECT_EQ(map->debug_dump(), String("(StringMap)\n(Map)\nroot:Node=") + dbg_address_text(root) + String("\n"));
    EXPECT_EQ(left->debug_dump(), String("(Node)\nkey:String=\"a\"\nvalue:Item=") + dbg_address_text(item) +
                                      String("\ncolor:Int=-1\nparent:Node=") + dbg_address_text(root) +
                                      String("\nleft:Node=@0\nright:Node=@0\n"));
    EXPECT_EQ((new c_IntMap<c_Item*>())->debug_dump(), String("(IntMap)\n(Map)\nroot:Node=@0\n"));
}

}  // namespace

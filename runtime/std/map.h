// Map: the generic ordered map, a red-black tree whose key order is the virtual Compare of the
// concrete IntMap or StringMap. Keys are unique; colours are red = -1 and black = 1.
//
// The root is made black by every fix-up; a lone first node stays red until the next insertion,
// which does no harm since a red node with no children breaks no rule.
#pragma once

#include <climits>
#include <cstdint>

#include "runtime/debug.h"
#include "runtime/object.h"
#include "runtime/std/element.h"

template <class K, class V>
class c_MapNode : public Object {
public:
    static constexpr const char* debug_name = "Node";
    static constexpr int RED = -1;
    static constexpr int BLACK = 1;

    K key{};
    c_MapNode* right = nullptr;
    c_MapNode* left = nullptr;
    V value{};
    int color = 0;
    c_MapNode* parent = nullptr;

    void mark_children() override {
        Object::mark_children();
        gc_grey(right);
        gc_grey(left);
        element_grey(value);
        gc_grey(parent);
    }
    String debug_dump() override {
        String text = dbg_dump_header("Node");
        dbg_dump_field(text, "key", key);
        dbg_dump_field(text, "value", value);
        dbg_dump_field(text, "color", color);
        dbg_dump_field(text, "parent", parent);
        dbg_dump_field(text, "left", left);
        dbg_dump_field(text, "right", right);
        return text;
    }

    c_MapNode(K key, V value, int color, c_MapNode* parent) {
        ZV_FUNC("Node.new");
        ZV_SELF;
        ZV_LOCAL(key);
        ZV_LOCAL(value);
        ZV_LOCAL(color);
        ZV_LOCAL(parent);
        ZV_AT this->key = key;
        ZV_AT element_store(this->value, value);
        ZV_AT this->color = color;
        ZV_AT gc_store(this->parent, parent);
    }
};

template <class K, class V>
class c_Map : public Object {
public:
    static constexpr const char* debug_name = "Map";
    using Node = c_MapNode<K, V>;

    Node* root = nullptr;

    void mark_children() override {
        Object::mark_children();
        gc_grey(root);
    }
    String debug_dump() override {
        String text = dbg_dump_header("Map");
        dbg_dump_field(text, "root", root);
        return text;
    }

    c_Map() {
        ZV_FUNC("Map.new");
        ZV_SELF;
        ZV_AT root = nullptr;
    }

    // Below zero when `lhs` orders first, zero when the keys are the same key.
    virtual int Compare(K lhs, K rhs) = 0;

    Node* FindNode(K key) {
        ZV_FUNC("Map.FindNode");
        ZV_SELF;
        ZV_LOCAL(key);
        ZV_AT Node* node = root;
        ZV_LOCAL(node);
        ZV_AT while (node) {
            ZV_BLOCK;
            ZV_AT int cmp = Compare(key, node->key);
            ZV_LOCAL(cmp);
            ZV_AT if (cmp > 0) {
                ZV_BLOCK;
                ZV_AT node = node->right;
            } else if (cmp < 0) {
                ZV_BLOCK;
                ZV_AT node = node->left;
            } else {
                ZV_BLOCK;
                ZV_AT return node;
            }
        }
        ZV_AT return nullptr;
    }

    bool Contains(K key) {
        ZV_FUNC("Map.Contains");
        ZV_SELF;
        ZV_LOCAL(key);
        ZV_AT return FindNode(key) != nullptr;
    }

    // A missing key gives the value type's zero (null for objects).
    V Get(K key) {
        ZV_FUNC("Map.Get");
        ZV_SELF;
        ZV_LOCAL(key);
        ZV_AT Node* node = FindNode(key);
        ZV_LOCAL(node);
        ZV_AT if (node) {
            ZV_BLOCK;
            ZV_AT return node->value;
        }
        ZV_AT return V{};
    }

    // True when a node was added; false when the key was present and its value replaced.
    bool Set(K key, V value) {
        ZV_FUNC("Map.Set");
        ZV_SELF;
        ZV_LOCAL(key);
        ZV_LOCAL(value);
        return Store(key, value, true);
    }

    // True when a node was added; a present key keeps its value and gives false.
    bool Add(K key, V value) {
        ZV_FUNC("Map.Add");
        ZV_SELF;
        ZV_LOCAL(key);
        ZV_LOCAL(value);
        return Store(key, value, false);
    }

    bool Insert(K key, V value) {
        ZV_FUNC("Map.Insert");
        ZV_SELF;
        ZV_LOCAL(key);
        ZV_LOCAL(value);
        ZV_AT return Set(key, value);
    }

    // Restores the red-black rules above a new red node. The two cases are mirror images,
    // chosen by the side of its grandparent the parent hangs on.
    int InsertFixup(Node* node) {
        ZV_FUNC("Map.InsertFixup");
        ZV_SELF;
        ZV_LOCAL(node);
        ZV_AT while (node->parent && node->parent->color == Node::RED && node->parent->parent) {
            ZV_BLOCK;
            ZV_AT bool parentIsLeft = node->parent == node->parent->parent->left;
            Node* Node::*outer = parentIsLeft ? &Node::right : &Node::left;
            ZV_AT Node* uncle = node->parent->parent->*outer;
            ZV_LOCAL(uncle);
            ZV_AT if (uncle && uncle->color == Node::RED) {
                ZV_BLOCK;
                ZV_AT node->parent->color = Node::BLACK;
                ZV_AT uncle->color = Node::BLACK;
                ZV_AT uncle->parent->color = Node::RED;
                ZV_AT node = uncle->parent;
            } else {
                ZV_BLOCK;
                ZV_AT if (node == node->parent->*outer) {
                    ZV_BLOCK;
                    ZV_AT node = node->parent;
                    ZV_AT parentIsLeft ? RotateLeft(node) : RotateRight(node);
                }
                ZV_AT node->parent->color = Node::BLACK;
                ZV_AT node->parent->parent->color = Node::RED;
                ZV_AT parentIsLeft ? RotateRight(node->parent->parent) : RotateLeft(node->parent->parent);
            }
        }
        ZV_AT root->color = Node::BLACK;
        ZV_AT return 0;
    }

    int RotateLeft(Node* node) {
        ZV_FUNC("Map.RotateLeft");
        ZV_SELF;
        ZV_LOCAL(node);
        Rotate(node, &Node::right, &Node::left);
        ZV_AT return 0;
    }

    int RotateRight(Node* node) {
        ZV_FUNC("Map.RotateRight");
        ZV_SELF;
        ZV_LOCAL(node);
        Rotate(node, &Node::left, &Node::right);
        ZV_AT return 0;
    }

private:
    // Set and Add: descend to the key's place; a present key is replaced only when `replace`.
    bool Store(const K& key, const V& value, bool replace) {
        ZV_HELPER;
        ZV_AT Node* node = root;
        ZV_LOCAL(node);
        ZV_AT Node* parent = nullptr;
        ZV_LOCAL(parent);
        ZV_AT int cmp = 0;
        ZV_LOCAL(cmp);
        ZV_AT while (node) {
            ZV_BLOCK;
            ZV_AT parent = node;
            ZV_AT cmp = Compare(key, node->key);
            ZV_AT if (cmp > 0) {
                ZV_BLOCK;
                ZV_AT node = node->right;
            } else if (cmp < 0) {
                ZV_BLOCK;
                ZV_AT node = node->left;
            } else {
                ZV_BLOCK;
                ZV_AT if (replace) {
                    ZV_BLOCK;
                    ZV_AT element_store(node->value, value);
                }
                ZV_AT return false;
            }
        }
        ZV_AT node = new Node(key, value, Node::RED, parent);
        ZV_AT if (parent) {
            ZV_BLOCK;
            ZV_AT if (cmp > 0) {
                ZV_BLOCK;
                ZV_AT gc_store(parent->right, node);
            } else {
                ZV_BLOCK;
                ZV_AT gc_store(parent->left, node);
            }
            ZV_AT InsertFixup(node);
        } else {
            ZV_BLOCK;
            ZV_AT gc_store(root, node);
        }
        ZV_AT return true;
    }

    // Lifts node->*up (the right child for a left rotation) into node's place; node becomes
    // that child's `down` child.
    void Rotate(Node* node, Node* Node::*up, Node* Node::*down) {
        ZV_HELPER;
        ZV_AT Node* child = node->*up;
        ZV_LOCAL(child);
        ZV_AT gc_store(node->*up, child->*down);
        ZV_AT if (child->*down) {
            ZV_BLOCK;
            ZV_AT gc_store((child->*down)->parent, node);
        }
        ZV_AT gc_store(child->parent, node->parent);
        ZV_AT if (node->parent) {
            ZV_BLOCK;
            ZV_AT if (node == node->parent->left) {
                ZV_BLOCK;
                ZV_AT gc_store(node->parent->left, child);
            } else {
                ZV_BLOCK;
                ZV_AT gc_store(node->parent->right, child);
            }
        } else {
            ZV_BLOCK;
            ZV_AT gc_store(root, child);
        }
        ZV_AT gc_store(child->*down, node);
        ZV_AT gc_store(node->parent, child);
    }
};

template <class V>
class c_IntMap : public c_Map<int, V> {
public:
    static constexpr const char* debug_name = "IntMap";

    // No fields of its own.
    String debug_dump() override { return dbg_dump_header("IntMap") + c_Map<int, V>::debug_dump(); }

    c_IntMap() {
        ZV_FUNC("IntMap.new");
        ZV_SELF;
    }

    // The difference of the keys, saturated instead of wrapped: keys more than 2^31 apart
    // (INT_MIN and 1, say) must still order by the sign, or the tree loses them.
    int Compare(int lhs, int rhs) override {
        ZV_FUNC("IntMap.Compare");
        ZV_SELF;
        ZV_LOCAL(lhs);
        ZV_LOCAL(rhs);
        ZV_AT int64_t difference = int64_t(lhs) - rhs;
        ZV_AT return difference > INT_MAX ? INT_MAX : difference < INT_MIN ? INT_MIN : int(difference);
    }
};

template <class V>
class c_StringMap : public c_Map<String, V> {
public:
    static constexpr const char* debug_name = "StringMap";

    // No fields of its own.
    String debug_dump() override { return dbg_dump_header("StringMap") + c_Map<String, V>::debug_dump(); }

    c_StringMap() {
        ZV_FUNC("StringMap.new");
        ZV_SELF;
    }

    // Character by character over the shorter length, then the shorter String first.
    int Compare(String lhs, String rhs) override {
        ZV_FUNC("StringMap.Compare");
        ZV_SELF;
        ZV_LOCAL(lhs);
        ZV_LOCAL(rhs);
        ZV_AT return lhs.Compare(rhs);
    }
};

// List: the generic doubly-linked list. It is circular around a sentinel HeadNode, so every node
// always has a successor and a predecessor and no operation tests a link for null.
//
// A removed node keeps its own _succ and _pred, so an Enumerator standing on it can still move
// on; it is recognised as removed because its successor no longer points back at it.
//
// T is the element type: an object pointer (compared by identity) or a String (compared by text).
// A list that is sorted needs a subclass that overrides Compare.
#pragma once

#include <climits>
#include <cstdint>

#include "runtime/array.h"
#include "runtime/debug.h"
#include "runtime/object.h"
#include "runtime/std/element.h"

template <class T>
class c_List;

template <class T>
class c_Node : public Object {
public:
    static constexpr const char* debug_name = "Node";

    c_Node* _succ = nullptr;
    c_Node* _pred = nullptr;
    T _data{};

    void mark_children() override {
        Object::mark_children();
        gc_grey(_succ);
        gc_grey(_pred);
        element_grey(_data);
    }
    String debug_dump() override {
        String text = dbg_dump_header("Node");
        dbg_dump_field(text, "_succ", _succ);
        dbg_dump_field(text, "_pred", _pred);
        dbg_dump_field(text, "_data", _data);
        return text;
    }

    // Links the new node in between `pred` and `succ`.
    c_Node(c_Node* succ, c_Node* pred, T data) {
        ZV_FUNC("Node.new");
        ZV_SELF;
        ZV_LOCAL(succ);
        ZV_LOCAL(pred);
        ZV_LOCAL(data);
        ZV_AT gc_store(_succ, succ);
        ZV_AT gc_store(_pred, pred);
        ZV_AT gc_store(_succ->_pred, this);
        ZV_AT gc_store(_pred->_succ, this);
        ZV_AT element_store(_data, data);
    }

    int Remove() {
        ZV_FUNC("Node.Remove");
        ZV_SELF;
        ZV_AT if (_succ->_pred != this) {
            ZV_BLOCK;
            ZV_AT error_statement(String("Illegal operation on removed node"));
        }
        ZV_AT gc_store(_succ->_pred, _pred);
        ZV_AT gc_store(_pred->_succ, _succ);
        ZV_AT return 0;
    }

protected:
    // For the sentinel, which links to itself.
    c_Node() {}
};

template <class T>
class c_HeadNode : public c_Node<T> {
public:
    static constexpr const char* debug_name = "HeadNode";

    // No fields of its own; its _data is never used.
    String debug_dump() override { return dbg_dump_header("HeadNode") + c_Node<T>::debug_dump(); }

    c_HeadNode() {
        ZV_FUNC("HeadNode.new");
        ZV_SELF;
        ZV_AT gc_store(this->_succ, this);
        ZV_AT gc_store(this->_pred, this);
    }
};

template <class T>
class c_Enumerator : public Object {
public:
    static constexpr const char* debug_name = "Enumerator";

    c_List<T>* _list = nullptr;
    c_Node<T>* _curr = nullptr;

    void mark_children() override {
        Object::mark_children();
        gc_grey(_list);
        gc_grey(_curr);
    }
    String debug_dump() override {
        String text = dbg_dump_header("Enumerator");
        dbg_dump_field(text, "_list", _list);
        dbg_dump_field(text, "_curr", _curr);
        return text;
    }

    explicit c_Enumerator(c_List<T>* list) {
        ZV_FUNC("Enumerator.new");
        ZV_SELF;
        ZV_LOCAL(list);
        ZV_AT gc_store(_list, list);
        ZV_AT gc_store(_curr, list->_head->_succ);
    }

    // Steps over nodes removed since NextObject left them, so removal during iteration is safe.
    bool HasNext() {
        ZV_FUNC("Enumerator.HasNext");
        ZV_SELF;
        ZV_AT while (_curr->_succ->_pred != _curr) {
            ZV_BLOCK;
            ZV_AT gc_store(_curr, _curr->_succ);
        }
        ZV_AT return _curr != _list->_head;
    }

    // Callers ask HasNext first; the end is not checked here.
    T NextObject() {
        ZV_FUNC("Enumerator.NextObject");
        ZV_SELF;
        ZV_AT T data = _curr->_data;
        ZV_LOCAL(data);
        ZV_AT gc_store(_curr, _curr->_succ);
        ZV_AT return data;
    }
};

template <class T>
class c_List : public Object {
public:
    static constexpr const char* debug_name = "List";
    using Node = c_Node<T>;

    c_HeadNode<T>* _head = nullptr;

    void mark_children() override {
        Object::mark_children();
        gc_grey(_head);
    }
    String debug_dump() override {
        String text = dbg_dump_header("List");
        dbg_dump_field(text, "_head", _head);
        return text;
    }

    c_List() {
        ZV_FUNC("List.new");
        ZV_SELF;
        ZV_AT gc_store(_head, new c_HeadNode<T>());
    }

    explicit c_List(Array<T> data) : c_List() {
        ZV_FUNC("List.new");
        ZV_SELF;
        ZV_LOCAL(data);
        ZV_AT for (int i = 0; i < data.Length(); ++i) {
            ZV_BLOCK;
            ZV_LOCAL(i);
            ZV_AT AddLast(data[i]);
        }
    }

    // Only the sorted instantiation's subclass gives items an order.
    virtual int Compare(T lhs, T rhs) {
        ZV_FUNC("List.Compare");
        ZV_SELF;
        ZV_LOCAL(lhs);
        ZV_LOCAL(rhs);
        ZV_AT error_statement(String("Unable to compare items"));
        return 0;
    }

    // The one equality rule of the containers: identity for objects, equal text for Strings.
    bool Equals(T lhs, T rhs) {
        ZV_FUNC("List.Equals");
        ZV_SELF;
        ZV_LOCAL(lhs);
        ZV_LOCAL(rhs);
        ZV_AT return lhs == rhs;
    }

    Node* AddLast(T data) {
        ZV_FUNC("List.AddLast");
        ZV_SELF;
        ZV_LOCAL(data);
        ZV_AT return new Node(_head, _head->_pred, data);
    }

    bool IsEmpty() {
        ZV_FUNC("List.IsEmpty");
        ZV_SELF;
        ZV_AT return _head->_succ == _head;
    }

    // The nodes are left to the collector; an enumerator still on one walks to the head.
    int Clear() {
        ZV_FUNC("List.Clear");
        ZV_SELF;
        ZV_AT gc_store(_head->_succ, _head);
        ZV_AT gc_store(_head->_pred, _head);
        ZV_AT return 0;
    }

    int Count() {
        ZV_FUNC("List.Count");
        ZV_SELF;
        ZV_AT int n = 0;
        ZV_LOCAL(n);
        ZV_AT Node* node = _head->_succ;
        ZV_LOCAL(node);
        ZV_AT while (node != _head) {
            ZV_BLOCK;
            ZV_AT node = node->_succ;
            ZV_AT n += 1;
        }
        ZV_AT return n;
    }

    T Last() {
        ZV_FUNC("List.Last");
        ZV_SELF;
        RequireItems();
        ZV_AT return _head->_pred->_data;
    }

    T RemoveFirst() {
        ZV_FUNC("List.RemoveFirst");
        ZV_SELF;
        RequireItems();
        ZV_AT return TakeData(_head->_succ);
    }

    T RemoveLast() {
        ZV_FUNC("List.RemoveLast");
        ZV_SELF;
        RequireItems();
        ZV_AT return TakeData(_head->_pred);
    }

    Node* Find(T value) {
        ZV_FUNC("List.Find");
        ZV_SELF;
        ZV_LOCAL(value);
        ZV_AT return Find(value, _head->_succ);
    }

    Node* Find(T value, Node* start) {
        ZV_FUNC("List.Find");
        ZV_SELF;
        ZV_LOCAL(value);
        ZV_LOCAL(start);
        return Search(value, start, &Node::_succ);
    }

    Node* FindLast(T value) {
        ZV_FUNC("List.FindLast");
        ZV_SELF;
        ZV_LOCAL(value);
        ZV_AT return FindLast(value, _head->_pred);
    }

    Node* FindLast(T value, Node* start) {
        ZV_FUNC("List.FindLast");
        ZV_SELF;
        ZV_LOCAL(value);
        ZV_LOCAL(start);
        return Search(value, start, &Node::_pred);
    }

    int RemoveFirst(T value) {
        ZV_FUNC("List.RemoveFirst");
        ZV_SELF;
        ZV_LOCAL(value);
        ZV_AT Node* node = Find(value);
        ZV_LOCAL(node);
        ZV_AT if (node) {
            ZV_BLOCK;
            ZV_AT node->Remove();
        }
        ZV_AT return 0;
    }

    int RemoveLast(T value) {
        ZV_FUNC("List.RemoveLast");
        ZV_SELF;
        ZV_LOCAL(value);
        ZV_AT Node* node = FindLast(value);
        ZV_LOCAL(node);
        ZV_AT if (node) {
            ZV_BLOCK;
            ZV_AT node->Remove();
        }
        ZV_AT return 0;
    }

    // The successor is saved before a removal, so every node is visited once.
    int RemoveEach(T value) {
        ZV_FUNC("List.RemoveEach");
        ZV_SELF;
        ZV_LOCAL(value);
        ZV_AT Node* node = _head->_succ;
        ZV_LOCAL(node);
        ZV_AT while (node != _head) {
            ZV_BLOCK;
            ZV_AT Node* succ = node->_succ;
            ZV_LOCAL(succ);
            ZV_AT if (Equals(node->_data, value)) {
                ZV_BLOCK;
                ZV_AT node->Remove();
            }
            ZV_AT node = succ;
        }
        ZV_AT return 0;
    }

    Array<T> ToArray() {
        ZV_FUNC("List.ToArray");
        ZV_SELF;
        ZV_AT Array<T> arr(Count());
        ZV_LOCAL(arr);
        ZV_AT int i = 0;
        ZV_LOCAL(i);
        ZV_AT c_Enumerator<T>* enumerator = ObjectEnumerator();
        ZV_LOCAL(enumerator);
        ZV_AT while (enumerator->HasNext()) {
            ZV_BLOCK;
            ZV_AT T t = enumerator->NextObject();
            ZV_LOCAL(t);
            ZV_AT arr.Set(i, t);
            ZV_AT i += 1;
        }
        ZV_AT return arr;
    }

    c_Enumerator<T>* ObjectEnumerator() {
        ZV_FUNC("List.ObjectEnumerator");
        ZV_SELF;
        ZV_AT return new c_Enumerator<T>(this);
    }

    // Bottom-up merge sort over the links: runs of `insize` are merged pairwise, doubling each
    // pass, until one pass merges at most once. No allocation; ties take from the left run, so
    // the sort is stable in both directions.
    int Sort(bool ascending) {
        ZV_FUNC("List.Sort");
        ZV_SELF;
        ZV_LOCAL(ascending);
        ZV_AT int ccsgn = -1;
        ZV_LOCAL(ccsgn);
        ZV_AT if (ascending) {
            ZV_BLOCK;
            ZV_AT ccsgn = 1;
        }
        ZV_AT int insize = 1;
        ZV_LOCAL(insize);
        ZV_AT for (;;) {
            ZV_BLOCK;
            ZV_AT int merges = 0;
            ZV_LOCAL(merges);
            ZV_AT Node* tail = _head;
            ZV_LOCAL(tail);
            ZV_AT Node* p = _head->_succ;
            ZV_LOCAL(p);
            ZV_AT while (p != _head) {
                ZV_BLOCK;
                ZV_AT merges += 1;
                ZV_AT Node* q = p->_succ;
                ZV_LOCAL(q);
                ZV_AT int qsize = insize;
                ZV_LOCAL(qsize);
                ZV_AT int psize = 1;
                ZV_LOCAL(psize);
                ZV_AT while (psize < insize && q != _head) {
                    ZV_BLOCK;
                    ZV_AT psize += 1;
                    ZV_AT q = q->_succ;
                }
                ZV_AT for (;;) {
                    ZV_BLOCK;
                    ZV_AT Node* t = nullptr;
                    ZV_LOCAL(t);
                    bool fromP = false;
                    ZV_AT if (psize > 0 && qsize > 0 && q != _head) {
                        ZV_BLOCK;
                        // Widened: a Compare of INT_MIN must still come out below zero
                        // when the sign is flipped for a descending sort.
                        ZV_AT int64_t signedCompare = int64_t(Compare(p->_data, q->_data)) * ccsgn;
                        int cc = signedCompare > INT_MAX ? INT_MAX : int(signedCompare);
                        ZV_LOCAL(cc);
                        ZV_AT fromP = cc <= 0;
                    } else if (psize > 0) {
                        ZV_BLOCK;
                        ZV_AT fromP = true;
                    } else if (qsize > 0 && q != _head) {
                        ZV_BLOCK;
                        ZV_AT fromP = false;
                    } else {
                        break;
                    }
                    ZV_AT if (fromP) {
                        ZV_BLOCK;
                        ZV_AT t = p;
                        ZV_AT p = p->_succ;
                        ZV_AT psize -= 1;
                    } else {
                        ZV_BLOCK;
                        ZV_AT t = q;
                        ZV_AT q = q->_succ;
                        ZV_AT qsize -= 1;
                    }
                    ZV_AT gc_store(t->_pred, tail);
                    ZV_AT gc_store(tail->_succ, t);
                    ZV_AT tail = t;
                }
                ZV_AT p = q;
            }
            ZV_AT gc_store(tail->_succ, _head);
            ZV_AT gc_store(_head->_pred, tail);
            ZV_AT if (merges <= 1) {
                ZV_BLOCK;
                ZV_AT return 0;
            }
            ZV_AT insize *= 2;
        }
    }

private:
    // Last, RemoveFirst and RemoveLast: the sentinel has no data to give.
    void RequireItems() {
        ZV_AT if (IsEmpty()) {
            ZV_BLOCK;
            ZV_AT error_statement(String("Illegal operation on empty list"));
        }
    }

    T TakeData(Node* node) {
        T data = node->_data;
        ZV_AT node->Remove();
        return data;
    }

    // Find and FindLast: from `start` along `link` until the sentinel. It advances the caller's
    // registered `start`, so the debugger sees where the search stands.
    Node* Search(const T& value, Node*& start, Node* Node::*link) {
        ZV_AT while (start != _head) {
            ZV_BLOCK;
            ZV_AT if (Equals(value, start->_data)) {
                ZV_BLOCK;
                ZV_AT return start;
            }
            ZV_AT start = start->*link;
        }
        ZV_AT return nullptr;
    }
};

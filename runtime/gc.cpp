#include "runtime/gc.h"

#include <sanitizer/asan_interface.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

gc_state gc = {1, 0, {0}, 0, 0, 0};

#if defined(__SANITIZE_ADDRESS__)
// Nothing is destroyed at exit by design: what is left on the lists is not a leak.
extern "C" const char* __asan_default_options() { return "detect_leaks=0"; }
#endif

namespace {

// The list sentinels: plain headers that link to themselves when their list is empty.
struct gc_sentinel : gc_object {
    gc_sentinel() : gc_object(static_storage_tag{}) { next = prev = this; }  // empty even before gc_init
};

gc_sentinel white_list, grey_list, black_list, garbage_list;

// A block whose object has been destroyed (or not yet constructed) is raw memory: its header
// words are read and written as bytes, never through gc_object. The offsets are those of the
// header's members after the virtual table pointer (checked by the collector's tests).
constexpr size_t NEXT_OFFSET = sizeof(void*);
constexpr size_t FLAGS_OFFSET = 3 * sizeof(void*);

int raw_flags(void* block) {
    int flags;
    std::memcpy(&flags, static_cast<char*>(block) + FLAGS_OFFSET, sizeof flags);
    return flags;
}

void* raw_next(void* block) {
    void* next;
    std::memcpy(&next, static_cast<char*>(block) + NEXT_OFFSET, sizeof next);
    return next;
}

void set_raw_next(void* block, void* next) {
    std::memcpy(static_cast<char*>(block) + NEXT_OFFSET, &next, sizeof next);
}

// Free blocks of 8, 16, ... 56 bytes, chained through the `next` word, indexed by size / 8.
void* pools[GC_POOL_LIMIT / 8 + 1];

// The torture build pools nothing: every block goes back to the system heap, where the
// sanitizer's quarantine catches any use after it was freed.
#ifdef ZV_GC_TORTURE
constexpr int POOLED_SIZE_LIMIT = 0;
#else
constexpr int POOLED_SIZE_LIMIT = GC_POOL_LIMIT;
#endif

// Blocks handed out by gc_allocate whose constructor has not yet run. New-expressions nest
// (an argument may itself allocate), so this is a small stack searched from the top.
struct pending_block {
    gc_object* block;
    int size;
};
constexpr int MAX_PENDING_BLOCKS = 256;
pending_block pending[MAX_PENDING_BLOCKS];
int pending_count;

inline bool is_white(const gc_object* p) { return p->colour() == gc.white_bit; }

// Flipping bit 0 turns white into the non-white colour (of this cycle) and never touches colour 3.
inline void flip_colour(gc_object* p) { p->flags ^= 1; }

inline void make_empty(gc_object* list) { list->next = list->prev = list; }
inline bool is_empty(const gc_object* list) { return list->next == list; }

inline void unlink(gc_object* p) {
    p->prev->next = p->next;
    p->next->prev = p->prev;
}

inline void append(gc_object* list, gc_object* p) {
    p->next = list;
    p->prev = list->prev;
    list->prev->next = p;
    list->prev = p;
}

// Moves every object of `from` onto the tail of `to`, keeping their order; `from` ends empty.
void splice_all(gc_object* from, gc_object* to) {
    if (is_empty(from)) return;
    gc_object* first = from->next;
    gc_object* last = from->prev;
    first->prev = to->prev;
    to->prev->next = first;
    last->next = to;
    to->prev = last;
    make_empty(from);
}

gc_object* list_of(gc_list_id id) {
    switch (id) {
        case gc_list_id::white: return &white_list;
        case gc_list_id::grey: return &grey_list;
        case gc_list_id::black: return &black_list;
        case gc_list_id::garbage: return &garbage_list;
    }
    return &white_list;
}

// Lazy destruction: destroys about `size` bytes of garbage, paid for by the allocation of `size`.
void destroy_garbage(int size) {
    int target = gc.garbage_bytes - size;
    if (target < 0) target = 0;
    if (gc.garbage_bytes <= target) return;
    do {
        if (is_empty(&garbage_list)) {
            gc.garbage_bytes = 0;
            return;
        }
        gc_object* p = garbage_list.next;
        unlink(p);
        delete p;  // the deleting destructor returns the block through gc_release_block
    } while (gc.garbage_bytes > target);
}

}  // namespace

void gc_out_of_memory() {
    std::fputs("Out of memory\n", stdout);
    std::fflush(stdout);
    std::exit(-1);
}

void gc_init() {
    pending_count = 0;
    make_empty(&white_list);
    make_empty(&grey_list);
    make_empty(&black_list);
    make_empty(&garbage_list);
}

void* gc_allocate(int bytes) {
    int size = (bytes + 7) & ~7;
    gc.new_bytes += size;
    destroy_garbage(size);

    void* p;
    int pool = size / 8;
    if (size <= POOLED_SIZE_LIMIT && pools[pool]) {
        p = pools[pool];
        pools[pool] = raw_next(p);
        ASAN_UNPOISON_MEMORY_REGION(p, size_t(size));
    } else {
        p = std::malloc(size);
        if (!p) gc_out_of_memory();
    }
    if (pending_count == MAX_PENDING_BLOCKS) gc_out_of_memory();
    pending[pending_count++] = {static_cast<gc_object*>(p), size};
    gc.live_bytes += size;
    return p;
}

gc_object::gc_object() {
    int i = pending_count - 1;
    while (i >= 0 && pending[i].block != this) --i;
    if (i < 0) {  // not from gc_allocate: a local or static object, which is never collected
        next = prev = nullptr;
        flags = 3;
        return;
    }
    flags = pending[i].size | gc.white_bit;
    append(&white_list, this);
    pending[i] = pending[--pending_count];
}

void gc_release_block(gc_object* p) {
    int size = raw_flags(p) & ~7;  // the object is already destroyed
    gc.garbage_bytes -= size;
    if (size > POOLED_SIZE_LIMIT) {
        std::free(p);
        return;
    }
    int pool = size / 8;
    set_raw_next(p, pools[pool]);
    pools[pool] = p;
    // A pooled block is not in use: the sanitizer reports any touch past its pool link.
    ASAN_POISON_MEMORY_REGION(static_cast<char*>(static_cast<void*>(p)) + NEXT_OFFSET + sizeof(void*),
                              size_t(size) - NEXT_OFFSET - sizeof(void*));
}

void* gc_object::operator new(size_t bytes) { return gc_allocate(static_cast<int>(bytes)); }

void gc_object::operator delete(void* block) { gc_release_block(static_cast<gc_object*>(block)); }

void gc_grey(gc_object* p) {
    if (!p || !is_white(p)) return;
    flip_colour(p);
    unlink(p);
    append(&grey_list, p);
}

void gc_blacken(gc_object* p) {
    if (!p || !is_white(p)) return;
    flip_colour(p);
    unlink(p);
    append(&black_list, p);
    gc.black_bytes += p->block_size();
    p->mark_children();
}

void gc_add_native_bytes(int bytes) { gc.native_bytes.fetch_add(bytes); }

void gc_trace(int budget) {
    while (gc.black_bytes < budget && !is_empty(&grey_list)) {
        gc_object* p = grey_list.next;
        unlink(p);
        append(&black_list, p);
        gc.black_bytes += p->block_size();
        p->mark_children();
    }
}

void gc_sweep() {
    // Whatever is still white was not reached this cycle.
    if (gc.live_bytes != gc.black_bytes) {
        splice_all(&white_list, &garbage_list);
        gc.garbage_bytes += gc.live_bytes - gc.black_bytes;
    }
    // The survivors carry the non-white colour; flipping the white bit makes them white again
    // for the next cycle without touching them.
    splice_all(&black_list, &white_list);
    gc.live_bytes = gc.black_bytes;
    gc.black_bytes = 0;
    gc.white_bit ^= 1;
}

void gc_full_collection() {
    gc_trace(2147483647);
    gc_sweep();
    gc_queue_roots();
}

void gc_step() {
    int n = gc.new_bytes;
    int native = gc.native_bytes.load();
    int64_t t = int64_t(n) + native;
#ifndef ZV_GC_TORTURE
    if (t <= GC_TRIGGER_BYTES) {
        // Tracing keeps pace with allocation: the whole live set is reached by the time 8 MiB
        // have been allocated since the last full collection.
        int64_t budget = n + (int64_t(gc.live_bytes - n) * n) / GC_TRIGGER_BYTES;
        gc_trace(static_cast<int>(budget));
        return;
    }
#else
    (void)t;
#endif
    // Additions made meanwhile by loader threads survive the subtraction.
    gc.native_bytes.fetch_sub(native);
    gc_full_collection();
    gc.new_bytes = 0;
#ifdef ZV_GC_TORTURE
    // Free the garbage at once, and leave everything reachable black: a store that skips the
    // barrier then leaves its object white, and the next step frees it while it is still in use.
    destroy_garbage(2147483647);
    gc_trace(2147483647);
#endif
}

bool gc_is_live_object(const void* p) {
    if (!p) return false;
    for (gc_list_id id : {gc_list_id::white, gc_list_id::grey, gc_list_id::black}) {
        if (gc_on_list(static_cast<const gc_object*>(p), id)) return true;
    }
    return false;
}

int gc_list_count(gc_list_id id) {
    gc_object* list = list_of(id);
    int count = 0;
    for (gc_object* p = list->next; p != list; p = p->next) ++count;
    return count;
}

bool gc_on_list(const gc_object* p, gc_list_id id) {
    gc_object* list = list_of(id);
    for (gc_object* q = list->next; q != list; q = q->next) {
        if (q == p) return true;
    }
    return false;
}

int gc_pool_count(int size) {
    if (size < 8 || size > GC_POOL_LIMIT) return 0;  // no pool for this size
    int count = 0;
    for (void* p = pools[size / 8]; p; p = raw_next(p)) ++count;
    return count;
}

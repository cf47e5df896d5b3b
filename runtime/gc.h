// The collector: an incremental, non-moving, tri-colour mark-and-sweep collector.
//
// Every collected object starts with the same header (virtual table, `next`, `prev`, `flags`) and
// sits on exactly one of four circular lists: white (not yet reached this cycle), grey (reached,
// children not yet traced), black (traced) and garbage (found unreachable, not yet destroyed).
// Colour bits 0-1 of `flags` say white or not-white; grey and black share the non-white colour
// and are told apart by their list. Colour 3 marks static storage that is never collected.
//
// The collector runs only inside gc_step(), which the host calls between calls into the game, so
// no managed code is on the stack while it traces: locals are never roots. Roots are the module
// globals, queued by gc_queue_roots() (supplied by the program's composition root).
//
// Insertion barrier: every store of a reference into a field, global or array element greys the
// stored object (gc_store), so a black object never points at a white one.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

struct gc_object {
    gc_object* next;
    gc_object* prev;
    int flags;  // bits 0-1: colour; bits 3-31: block size in bytes

    // Links a block fresh from gc_allocate into the white list. The header is written here and
    // not in gc_allocate because a value-initialising `new T()` zeroes the whole block before
    // the constructors run.
    gc_object();
    virtual ~gc_object() {}
    virtual void mark_children() {}

    static void* operator new(size_t bytes);
    static void operator delete(void* block);

    int colour() const { return flags & 3; }
    int block_size() const { return flags & ~7; }

protected:
    // Static storage (the shared empty arrays and the list sentinels): colour 3, on no list,
    // never collected.
    struct static_storage_tag {};
    explicit gc_object(static_storage_tag) : next(nullptr), prev(nullptr), flags(3) {}
};

constexpr int GC_TRIGGER_BYTES = 8388608;
constexpr int GC_POOL_LIMIT = 56;

// Collector state, process-wide. Exposed so tests and benchmarks can read the counters.
struct gc_state {
    int white_bit;
    int new_bytes;
    std::atomic<int> native_bytes;
    int live_bytes;
    int black_bytes;
    int garbage_bytes;
};
extern gc_state gc;

void gc_init();
void* gc_allocate(int bytes);
void gc_release_block(gc_object* p);
void gc_grey(gc_object* p);
void gc_blacken(gc_object* p);
void gc_add_native_bytes(int bytes);
void gc_trace(int budget);
void gc_sweep();
void gc_full_collection();
void gc_step();

// Supplied by the program: greys every module global of object or array type.
void gc_queue_roots();

// The write barrier for object references.
template <class T, class U>
inline void gc_store(T*& slot, U* value) {
    gc_grey(value);
    slot = value;
}

// Whether `p` is an object on the white, grey or black list (the debugger dumps nothing else).
bool gc_is_live_object(const void* p);

// List inspection for tests and benchmarks.
enum class gc_list_id { white, grey, black, garbage };
int gc_list_count(gc_list_id list);
bool gc_on_list(const gc_object* p, gc_list_id list);
int gc_pool_count(int size);

// Prints one line and ends the process with status -1; used when the system heap is exhausted.
[[noreturn]] void gc_out_of_memory();

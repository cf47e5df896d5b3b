// A native thread: Start runs Run on a detached POSIX thread.
//
// Nothing is synchronised but runState, which the main thread polls through IsRunning. The
// collector does not know the thread: whoever starts one keeps the object reachable until
// IsRunning turns false, or the thread runs on in a destroyed object.
#pragma once

#include <atomic>

#include "runtime/object.h"

class ZVThread : public Object {
public:
    std::atomic<int> runState{0};  // 0 never started, 1 running, 2 finished
    void* result = nullptr;        // not traced

    // Ends the process with status -1 when no thread can be made.
    virtual void Start();
    virtual bool IsRunning();
    virtual void* Result();
    virtual void SetResult(void* value);
    // The thread's body; subclasses override it.
    virtual void Run();
};

#include "native/thread.h"

#include <pthread.h>

#include <cstdio>
#include <cstdlib>

namespace {

void* ThreadEntry(void* argument) {
    ZVThread* thread = static_cast<ZVThread*>(argument);
    thread->Run();
    thread->runState = 2;
    return nullptr;
}

}  // namespace

void ZVThread::Start() {
    if (runState == 1) return;
    result = nullptr;
    runState = 1;
    pthread_t handle;
    if (pthread_create(&handle, nullptr, ThreadEntry, this) != 0) {
        std::puts("pthread_create failed!");
        std::fflush(stdout);
        std::exit(-1);
    }
    pthread_detach(handle);
}

bool ZVThread::IsRunning() { return runState == 1; }
void* ZVThread::Result() { return result; }
void ZVThread::SetResult(void* value) { result = value; }
void ZVThread::Run() {}

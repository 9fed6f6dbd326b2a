#include "platform/os/stack.h"

#include <pthread.h>

namespace xel {

uintptr_t g_stack_low = 0;
uintptr_t g_stack_high = 0;

namespace {

struct Job {
    int (*fn)(void*);
    void* arg;
    int result;
};

void* trampoline(void* p) {
    auto* job = static_cast<Job*>(p);
    pthread_attr_t attr;
    if (pthread_getattr_np(pthread_self(), &attr) == 0) {
        void* low = nullptr;
        size_t size = 0;
        pthread_attr_getstack(&attr, &low, &size);
        g_stack_low = reinterpret_cast<uintptr_t>(low);
        g_stack_high = g_stack_low + size;
        pthread_attr_destroy(&attr);
    }
    job->result = job->fn(job->arg);
    return nullptr;
}

} // namespace

int run_on_big_stack(int (*fn)(void*), void* arg) {
    // A thread is the one portable way to get a stack of our size; the main
    // thread only waits for it, so the run-time still runs on one thread.
    Job job{fn, arg, 0};
    pthread_attr_t attr;
    pthread_attr_init(&attr);
    pthread_attr_setstacksize(&attr, kRuntimeStackSize);
    pthread_t thread;
    if (pthread_create(&thread, &attr, trampoline, &job) != 0) {
        pthread_attr_destroy(&attr);
        return fn(arg);
    }
    pthread_attr_destroy(&attr);
    pthread_join(thread, nullptr);
    return job.result;
}

} // namespace xel

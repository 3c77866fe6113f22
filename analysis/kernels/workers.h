// The worker threads of the fast kernels.
#pragma once

#include <functional>

namespace tova::kernels {

// Runs body(0) .. body(count - 1), each on a thread of its own (body(0) on
// the calling thread), and returns when all have finished. The first
// exception of any body (or std::bad_alloc when a thread cannot be started)
// is thrown here, once all threads are joined.
//
// With a wait hook set, every body runs on a worker thread and the calling
// thread calls the hook about every 20 ms until they have all finished (a
// window host handles its messages there). The bodies and their results
// are the same either way.
void run_workers(int count, const std::function<void(int)>& body);
void set_wait_hook(void (*hook)());

}  // namespace tova::kernels

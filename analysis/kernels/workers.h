// The worker threads of the fast kernels.
#pragma once

#include <functional>

namespace tova::kernels {

// Runs body(0) .. body(count - 1), each on a thread of its own (body(0) on
// the calling thread), and returns when all have finished. The first
// exception of any body (or std::bad_alloc when a thread cannot be started)
// is thrown here, once all threads are joined.
void run_workers(int count, const std::function<void(int)>& body);

}  // namespace tova::kernels

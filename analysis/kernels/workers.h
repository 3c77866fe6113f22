// The worker threads of the fast kernels.
#pragma once

#include <functional>

namespace tova::kernels {

// Runs body(0) .. body(count - 1), each on a thread of its own (body(0) on
// the calling thread), and returns when all have finished.
void run_workers(int count, const std::function<void(int)>& body);

}  // namespace tova::kernels

#include "analysis/kernels/workers.h"

#include <cstdlib>
#include <exception>
#include <mutex>
#include <new>
#include <thread>
#include <vector>

#include "analysis/kernels/kernels.h"

namespace tova::kernels {

int resolve_thread_count(int threads) {
  if (threads > 0) return threads;
  // TOVA_THREADS: a positive decimal count; anything else is ignored.
  if (const char* text = std::getenv("TOVA_THREADS")) {
    int value = 0;
    const char* c = text;
    while (*c >= '0' && *c <= '9' && value < 1024) value = value * 10 + (*c++ - '0');
    if (*c == '\0' && c != text && value > 0) return value;
  }
  const unsigned cores = std::thread::hardware_concurrency();
  return cores > 0 ? static_cast<int>(cores) : 1;
}

void run_workers(int count, const std::function<void(int)>& body) {
  // A failure on a worker (its work space not to be had) would end the
  // process from that thread; it is carried to the caller instead, after
  // every worker has finished.
  std::exception_ptr failure;
  std::mutex failure_lock;
  auto guarded_body = [&](int part) {
    try {
      body(part);
    } catch (...) {
      const std::lock_guard<std::mutex> hold(failure_lock);
      if (!failure) failure = std::current_exception();
    }
  };
  std::vector<std::thread> threads;
  bool started = true;
  try {
    threads.reserve(count > 1 ? static_cast<size_t>(count - 1) : 0);
    for (int t = 1; t < count; ++t) threads.emplace_back(guarded_body, t);
  } catch (...) {
    started = false;  // a thread that cannot be had is memory that cannot be had
  }
  if (started && count > 0) guarded_body(0);
  for (std::thread& thread : threads) thread.join();
  if (!started && !failure) failure = std::make_exception_ptr(std::bad_alloc());
  if (failure) std::rethrow_exception(failure);
}

}  // namespace tova::kernels

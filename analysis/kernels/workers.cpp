#include "analysis/kernels/workers.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
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

namespace {
std::atomic<void (*)()> g_wait_hook{nullptr};
}  // namespace

void set_wait_hook(void (*hook)()) {
  g_wait_hook = hook;
}

void run_workers(int count, const std::function<void(int)>& body) {
  // A failure on a worker (its work space not to be had) would end the
  // process from that thread; it is carried to the caller instead, after
  // every worker has finished.
  std::exception_ptr failure;
  std::mutex mutex;
  std::condition_variable done;
  int running = 0;
  auto guarded_body = [&](int part) {
    try {
      body(part);
    } catch (...) {
      const std::lock_guard<std::mutex> hold(mutex);
      if (!failure) failure = std::current_exception();
    }
  };
  // With a wait hook every body runs on a worker and this thread keeps
  // calling the hook until they are done.
  void (*const hook)() = g_wait_hook.load();
  const bool waiting = hook != nullptr && count > 0;
  const int first_on_worker = waiting ? 0 : 1;
  std::vector<std::thread> threads;
  bool started = true;
  try {
    threads.reserve(count > first_on_worker ? static_cast<size_t>(count - first_on_worker) : 0);
    for (int t = first_on_worker; t < count; ++t) {
      if (!waiting) {
        threads.emplace_back(guarded_body, t);
        continue;
      }
      {
        const std::lock_guard<std::mutex> hold(mutex);
        ++running;
      }
      try {
        threads.emplace_back([&, t] {
          guarded_body(t);
          const std::lock_guard<std::mutex> hold(mutex);
          if (--running == 0) done.notify_one();
        });
      } catch (...) {
        const std::lock_guard<std::mutex> hold(mutex);
        --running;
        throw;
      }
    }
  } catch (...) {
    started = false;  // a thread that cannot be had is memory that cannot be had
  }
  if (waiting) {
    std::unique_lock<std::mutex> lock(mutex);
    while (!done.wait_for(lock, std::chrono::milliseconds(20), [&] { return running == 0; })) {
      lock.unlock();
      hook();
      lock.lock();
    }
  } else if (started && count > 0) {
    guarded_body(0);
  }
  for (std::thread& thread : threads) thread.join();
  if (!started && !failure) failure = std::make_exception_ptr(std::bad_alloc());
  if (failure) std::rethrow_exception(failure);
}

}  // namespace tova::kernels

#include "analysis/kernels/workers.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
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
  if (void (*hook)() = g_wait_hook.load(); hook != nullptr && count > 0) {
    std::mutex mutex;
    std::condition_variable done;
    int running = count;
    std::vector<std::thread> threads;
    threads.reserve(static_cast<size_t>(count));
    for (int t = 0; t < count; ++t) {
      threads.emplace_back([&, t] {
        body(t);
        std::lock_guard<std::mutex> lock(mutex);
        if (--running == 0) done.notify_one();
      });
    }
    std::unique_lock<std::mutex> lock(mutex);
    while (!done.wait_for(lock, std::chrono::milliseconds(20), [&] { return running == 0; })) {
      lock.unlock();
      hook();
      lock.lock();
    }
    lock.unlock();
    for (std::thread& thread : threads) thread.join();
    return;
  }
  std::vector<std::thread> threads;
  threads.reserve(count > 1 ? static_cast<size_t>(count - 1) : 0);
  for (int t = 1; t < count; ++t) threads.emplace_back(body, t);
  if (count > 0) body(0);
  for (std::thread& thread : threads) thread.join();
}

}  // namespace tova::kernels

// Thread counts and the choice of vector bodies.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>
#include <thread>

#include "analysis/kernels/kernels.h"
#include "analysis/kernels/simd_kernels.h"
#include "analysis/kernels/workers.h"

namespace tova::kernels {
namespace {

void set_env(const char* name, const char* value) {
#if defined(_WIN32)
  _putenv_s(name, value);
#else
  setenv(name, value, 1);
#endif
}
void unset_env(const char* name) {
#if defined(_WIN32)
  _putenv_s(name, "");
#else
  unsetenv(name);
#endif
}

int cores() {
  const unsigned n = std::thread::hardware_concurrency();
  return n > 0 ? static_cast<int>(n) : 1;
}

TEST(ThreadCount, AnExplicitCountWins) {
  set_env("TOVA_THREADS", "7");
  EXPECT_EQ(resolve_thread_count(3), 3);
  unset_env("TOVA_THREADS");
}

TEST(ThreadCount, EnvironmentOverridesTheCores) {
  set_env("TOVA_THREADS", "5");
  EXPECT_EQ(resolve_thread_count(0), 5);
  EXPECT_EQ(resolve_thread_count(-1), 5);
  unset_env("TOVA_THREADS");
  EXPECT_EQ(resolve_thread_count(0), cores());
}

TEST(ThreadCount, MalformedEnvironmentIsIgnored) {
  for (const char* text : {"", "0", "-2", "3x", "abc", "99999"}) {
    set_env("TOVA_THREADS", text);
    EXPECT_EQ(resolve_thread_count(0), cores()) << '"' << text << '"';
  }
  unset_env("TOVA_THREADS");
}

TEST(Workers, AWorkerOutOfMemoryReachesTheCallerAfterAllFinish) {
  // Thrown on a worker thread, it would end the process with terminate.
  std::atomic<int> finished{0};
  EXPECT_THROW(run_workers(4,
                           [&](int part) {
                             if (part == 2) throw std::bad_alloc();
                             ++finished;
                           }),
               std::bad_alloc);
  EXPECT_EQ(finished.load(), 3);
}

TEST(VectorBodies, WidestFirstAndBaselineAlwaysThere) {
  const SimdKernels* list[8];
  const int count = available_simd_kernels(list, 8);
  ASSERT_GE(count, 1);
  EXPECT_STREQ(list[count - 1]->name, "generic");
  for (int i = 1; i < count; ++i) EXPECT_GT(list[i - 1]->width, list[i]->width);
  unset_env("TOVA_SIMD");
  EXPECT_EQ(&preferred_simd_kernels(), list[0]);
}

TEST(VectorBodies, EnvironmentPicksAnAvailableSet) {
  set_env("TOVA_SIMD", "generic");
  EXPECT_STREQ(preferred_simd_kernels().name, "generic");
  EXPECT_STREQ(preferred_gower_kernels().name, "generic");
  set_env("TOVA_SIMD", "no-such-set");
  const SimdKernels* list[8];
  available_simd_kernels(list, 8);
  EXPECT_EQ(&preferred_simd_kernels(), list[0]);
  unset_env("TOVA_SIMD");
}

}  // namespace
}  // namespace tova::kernels

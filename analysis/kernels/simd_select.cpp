// Which set of vector bodies the fast kernels run.
#include <cstdlib>
#include <cstring>

#include "analysis/kernels/simd_kernels.h"

namespace tova::kernels {

int available_simd_kernels(const SimdKernels** list, int capacity) {
  int count = 0;
  auto add = [&](const SimdKernels& kernels) {
    if (count < capacity) list[count++] = &kernels;
  };
#if defined(TOVA_HAVE_AVX512)
  if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512vl") &&
      __builtin_cpu_supports("avx512dq") && __builtin_cpu_supports("avx512bw"))
    add(simd_kernels_avx512());
#endif
#if defined(TOVA_HAVE_AVX2)
  if (__builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma")) add(simd_kernels_avx2());
#endif
  add(simd_kernels_generic());
  return count;
}

const SimdKernels& preferred_simd_kernels() {
  const SimdKernels* list[4];
  const int count = available_simd_kernels(list, 4);
  if (const char* wanted = std::getenv("TOVA_SIMD")) {
    for (int i = 0; i < count; ++i) {
      if (std::strcmp(list[i]->name, wanted) == 0) return *list[i];
    }
  }
  return *list[0];
}

const SimdKernels& preferred_gower_kernels() {
  if (std::getenv("TOVA_SIMD")) return preferred_simd_kernels();
  const SimdKernels* list[4];
  const int count = available_simd_kernels(list, 4);
  for (int i = 0; i < count; ++i) {
    if (std::strcmp(list[i]->name, "avx2") == 0) return *list[i];
  }
  return *list[0];
}

}  // namespace tova::kernels

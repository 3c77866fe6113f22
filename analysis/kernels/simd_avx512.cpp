// The fast kernels' vector bodies for avx512, 16 floats per vector.
#define TOVA_SIMD_NAMESPACE avx512
#define TOVA_SIMD_NAME "avx512"
#define TOVA_SIMD_WIDTH 16
#define TOVA_SIMD_INTERLEAVE 3
#define TOVA_SIMD_PACK 2
#include "analysis/kernels/simd_kernels.inl"

namespace tova::kernels {

const SimdKernels& simd_kernels_avx512() {
  return avx512::kKernels;
}

}  // namespace tova::kernels

// The fast kernels' vector bodies for avx2, 8 floats per vector.
#define TOVA_SIMD_NAMESPACE avx2
#define TOVA_SIMD_NAME "avx2"
#define TOVA_SIMD_WIDTH 8
#define TOVA_SIMD_INTERLEAVE 2
#define TOVA_SIMD_PACK 1
#include "analysis/kernels/simd_kernels.inl"

namespace tova::kernels {

const SimdKernels& simd_kernels_avx2() {
  return avx2::kKernels;
}

}  // namespace tova::kernels

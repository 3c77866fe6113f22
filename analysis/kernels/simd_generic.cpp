// The fast kernels' vector bodies for the baseline instruction set, 4 floats per vector.
#define TOVA_SIMD_NAMESPACE generic
#define TOVA_SIMD_NAME "generic"
#define TOVA_SIMD_WIDTH 4
#define TOVA_SIMD_INTERLEAVE 2
#define TOVA_SIMD_PACK 0
#include "analysis/kernels/simd_kernels.inl"

namespace tova::kernels {

const SimdKernels& simd_kernels_generic() {
  return generic::kKernels;
}

}  // namespace tova::kernels

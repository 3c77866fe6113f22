// The vector bodies of the fast kernels. Included once per instruction set
// by a file that defines TOVA_SIMD_NAMESPACE, TOVA_SIMD_NAME and
// TOVA_SIMD_WIDTH (floats per vector), TOVA_SIMD_INTERLEAVE and
// TOVA_SIMD_PACK (packed D-correlation work for at most this many vectors
// of variables) and is compiled with that set's target flags.
//
// Every function here has internal linkage and calls no inline function of
// another header: a copy compiled for a wide instruction set must never be
// the one the linker keeps for code that runs on a narrow one.
//
// Bit-exactness. The vector code repeats the scalar rules of analysis/rules.h
// operation for operation, in double lanes where the rules evaluate in
// double. A float operation on two floats gives the same bits as the double
// operation rounded to float (double carries more than twice the float
// mantissa), so sums and squares of floats run in float lanes; sum_kl +
// s_K*s_L, whose product is not rounded, runs in double lanes.
#include <cstdint>
#include <cstring>
#include <utility>
#if TOVA_SIMD_WIDTH > 4
#include <immintrin.h>
#endif

#include "analysis/kernels/simd_kernels.h"

namespace tova::kernels::TOVA_SIMD_NAMESPACE {
namespace {

#include "analysis/kernels/simd_common.inl"
#include "analysis/kernels/simd_d_correlation.inl"
#include "analysis/kernels/simd_gower.inl"

}  // namespace

const SimdKernels kKernels = {TOVA_SIMD_NAME, kWidth,      kInterleave, TOVA_SIMD_PACK* kWidth,
                              d_correlation,  gower_means, gower_fill};

}  // namespace tova::kernels::TOVA_SIMD_NAMESPACE

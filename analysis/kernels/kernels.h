// The computational kernels of the analysis: the D-correlation and
// squared-distance matrices of the variables, and the Gower dissimilarities
// of the objects.
//
// Each kernel runs many rounding chains at once (SIMD lanes, worker threads)
// and gives the same bits as its literal loop nest, which the tests and the
// benchmark hold it to (reference/kernels_reference.h; never linked into the
// program). Each reads the prepared data and writes only its outputs.
//
// Index conventions. The analysis numbers objects, variables and packed
// positions from 1; these arrays are the same storage seen from C++:
//   object I, variable J (1-based)   -> data[(I - 1) + (J - 1) * objects]
//   matrix element (K, L) (1-based)  -> matrix[(K - 1) + (L - 1) * variables]
//   pair of objects i <= j (1-based) -> semimatrix[i + (j * j - j) / 2 - 1]
// so the packed positions run (1,1), (1,2), (2,2), (1,3), ... from index 0.
//
// Precision. Every stored real is a float. Each formula is evaluated in
// double and rounded to float where its result is stored; every running sum
// is rounded after each addition, in the order of the object pairs
// (I = 1, J = 2..n; I = 2, J = 3..n; ...) for the D-correlation and of the
// variables for the Gower dissimilarities. The whole project is built with
// -ffp-contract=off: a fused multiply-add would skip a rounding point.
//
// Threads. The fast kernels run `threads` worker threads; with threads <= 0
// they take TOVA_THREADS from the environment, else one per core. The
// results do not depend on the thread count, nor on the instruction set
// the vector code runs with (the fastest the processor has; TOVA_SIMD =
// generic, avx2 or avx512 picks one for comparisons).
#pragma once

#include <cstdint>

#include "analysis/rules.h"

namespace tova::kernels {

// The data as the preparation of the variables leaves it: ranked columns
// hold mid-ranks (the lowest group of the double-zero ranked types 0.0),
// tie_count the size of each value's tie group, range the divisor of the
// scores. Borrowed, never written.
struct PreparedData {
  int64_t objects = 0;                 // n
  int64_t variables = 0;               // m
  const float* data = nullptr;         // n x m, column-major; -1.0 is missing
  const int32_t* type = nullptr;       // m type codes
  const float* range = nullptr;        // m divisors
  const int32_t* tie_count = nullptr;  // n x m, same layout as data
  const float* period = nullptr;       // m periods of the circular types
  float pair_count = 0.0f;             // n(n - 1)/2, as the analysis stored it
};

// d_correlation and squared_distance are m x m, column-major, symmetric;
// the diagonals are 1.0 and 0.0.
void d_correlation_fast(const PreparedData& prepared, float* d_correlation, float* squared_distance,
                        int threads);

// semimatrix has n(n + 1)/2 elements, packed as above; the diagonal
// positions end as 0.0 / m.
void gower_fast(const PreparedData& prepared, float* semimatrix, int threads);

// The worker-thread count the fast kernels use for `threads` (see above).
int resolve_thread_count(int threads);

}  // namespace tova::kernels

// The threshold Jacobi eigenanalysis as first written, element by element
// with a branch per position: the cache-friendly routine of the analysis
// must give the same bits, and the tests compare the two.
#include "reference/eigen_reference.h"

#include <cmath>

#include "analysis/rules.h"

namespace tova {
namespace {

// Position of the element pairing i with k in the packed triangle.
int64_t pair_position(int64_t i, int64_t k) {
  return i < k ? packed_position(i, k) : packed_position(k, i);
}

void rotate(int64_t n, int64_t l, int64_t m, Vector<float> a, Matrix<float> v) {
  const int64_t ll = packed_position(l, l);
  const int64_t mm = packed_position(m, m);
  const int64_t lm = packed_position(l, m);
  const Rotation r = rotation_for(a(ll), a(mm), a(lm));
  for (int64_t i = 1; i <= n; ++i) {
    if (i != l && i != m) {
      const int64_t il = pair_position(i, l);
      const int64_t im = pair_position(i, m);
      rotate_pair(a(il), a(im), r.cosx, r.sinx);
    }
    rotate_pair(v(i, l), v(i, m), r.cosx, r.sinx);
  }
  rotate_corner(a(ll), a(mm), a(lm), r);
}

}  // namespace

void jacobi_eigen_reference(int32_t order, Vector<float> a, Vector<float> vectors,
                            EigenProgress& progress) {
  const int64_t n = order;
  // Column j of `vectors` is eigenvector j.
  const Matrix<float> v(vectors.data(), n, n);
  for (int64_t j = 1; j <= n; ++j) {
    for (int64_t i = 1; i <= n; ++i) v(i, j) = i == j ? 1.0f : 0.0f;
  }
  float offdiag_sum = 0.0f;
  for (int64_t i = 1; i <= n; ++i) {
    for (int64_t j = i + 1; j <= n; ++j) {
      offdiag_sum = add_square(offdiag_sum, a(packed_position(i, j)));
    }
  }
  // Also false for a sum that is not a number.
  if (offdiag_sum > 0.0f) {
    const auto [initial_norm, final_threshold] = thresholds_for(offdiag_sum, n);
    float threshold = initial_norm;
    int32_t rotated = 0;
    int64_t sweeps = 0;
    progress.started(final_threshold);
    do {
      threshold = next_level(threshold, n);
      progress.level(threshold);
      do {
        rotated = 0;
        for (int64_t l = 1; l < n; ++l) {
          for (int64_t m = l + 1; m <= n; ++m) {
            if (std::fabs(a(packed_position(l, m))) >= threshold) {
              rotated = 1;
              rotate(n, l, m, a, v);
            }
          }
        }
        ++sweeps;
      } while (rotated == 1 && sweeps < kSweepLimit);
    } while (above_final(threshold, final_threshold) && sweeps < kSweepLimit);
  }
  sort_descending(n, a, v);
}

}  // namespace tova

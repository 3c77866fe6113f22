// Threshold Jacobi eigenanalysis. Every value is stored as a float; each
// formula is evaluated in double and rounded at its store (rules.h);
// -ffp-contract=off keeps the compiler from fusing the rotation updates.
// The rotations walk the packed triangle by ranges with positions stepped
// by addition; the contiguous ranges vectorise without changing a rounding.
#include "analysis/eigen.h"

#include <cmath>
#include <cstring>
#include <utility>

#include "analysis/rules.h"

namespace tova {
namespace {

// The contiguous runs of a rotation (columns l and m above row l, and the
// two eigenvectors), four elements at a time. Vector lanes do what the
// scalar code does, operation for operation, so the roundings are the same;
// on x86-64 Linux a copy for AVX2 is chosen at load time where the
// processor has it (no FMA: the products stay separate).
#if defined(__x86_64__) && defined(__linux__) && defined(__GNUC__) && !defined(__clang__)
#define TOVA_ROTATION_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define TOVA_ROTATION_CLONES
#endif

TOVA_ROTATION_CLONES
void rotate_run(float* __restrict x, float* __restrict y, int64_t count, double c, double s) {
  typedef float Floats __attribute__((vector_size(16)));
  typedef double Doubles __attribute__((vector_size(32)));
  int64_t i = 0;
  for (; i + 4 <= count; i += 4) {
    Floats xf, yf;
    std::memcpy(&xf, x + i, sizeof xf);
    std::memcpy(&yf, y + i, sizeof yf);
    const Doubles xd = __builtin_convertvector(xf, Doubles);
    const Doubles yd = __builtin_convertvector(yf, Doubles);
    const Doubles new_x = xd * c - yd * s;
    const Doubles new_y = xd * s + yd * c;
    xf = __builtin_convertvector(new_x, Floats);
    yf = __builtin_convertvector(new_y, Floats);
    std::memcpy(x + i, &xf, sizeof xf);
    std::memcpy(y + i, &yf, sizeof yf);
  }
  for (; i < count; ++i) rotate_pair(x[i], y[i], c, s);
}

// Rows and columns l and m (l < m) turned by the angle that zeroes (l, m).
// The elements pairing i with l and with m lie, in packed storage, in
// columns l and m for i < l; in row l and column m for l < i < m; in
// column i for i > m. Each range is walked with positions that step by
// addition. Every element is computed from its own old values only, so
// the ranges may be visited in any order with the same results.
void rotate(int64_t n, int64_t l, int64_t m, float* a, float* v) {
  float* const a1 = a - 1;  // 1-based positions
  const int64_t ll = packed_position(l, l);
  const int64_t mm = packed_position(m, m);
  const int64_t lm = packed_position(l, m);
  const Rotation r = rotation_for(a1[ll], a1[mm], a1[lm]);
  const double c = r.cosx;
  const double s = r.sinx;

  float* __restrict const column_l = a1 + packed_position(0, l);  // (i, l) at column_l[i]
  float* __restrict const column_m = a1 + packed_position(0, m);
  rotate_run(column_l + 1, column_m + 1, l - 1, c, s);
  int64_t il = packed_position(l, l + 1);
  for (int64_t i = l + 1; i < m; ++i) {
    rotate_pair(a1[il], column_m[i], c, s);
    il += i;  // (l, i + 1)
  }
  il = packed_position(l, m + 1);
  const int64_t distance = m - l;  // (m, i) follows (l, i) in column i
  for (int64_t i = m + 1; i <= n; ++i) {
    rotate_pair(a1[il], a1[il + distance], c, s);
    il += i;
  }
  float* __restrict const vector_l = v + (l - 1) * n;
  float* __restrict const vector_m = v + (m - 1) * n;
  rotate_run(vector_l, vector_m, n, c, s);

  rotate_corner(a1[ll], a1[mm], a1[lm], r);
}

}  // namespace

Rotation rotation_for(float a_ll, float a_mm, float a_lm) {
  const float x = f32(0.5 * (static_cast<double>(a_ll) - a_mm));
  float y =
      f32(-static_cast<double>(a_lm) / std::sqrt(static_cast<double>(square(a_lm)) + square(x)));
  if (x < 0.0f) y = -y;
  Rotation r;
  r.sinx = f32(y / std::sqrt(2.0 * (1.0 + std::sqrt(1.0 - square(y)))));
  r.sinx2 = square(r.sinx);
  r.cosx = f32(std::sqrt(1.0 - r.sinx2));
  r.cosx2 = square(r.cosx);
  r.sincs = f32(static_cast<double>(r.sinx) * r.cosx);
  return r;
}

void rotate_corner(float& ll, float& mm, float& lm, const Rotation& r) {
  const double a_ll = ll;
  const double a_mm = mm;
  const double a_lm = lm;
  const float t = f32(2.0 * a_lm * r.sincs);
  const float new_ll = f32(a_ll * r.cosx2 + a_mm * r.sinx2 - t);
  const float new_mm = f32(a_ll * r.sinx2 + a_mm * r.cosx2 + t);
  const float new_lm =
      f32((a_ll - a_mm) * r.sincs + a_lm * (static_cast<double>(r.cosx2) - r.sinx2));
  ll = new_ll;
  mm = new_mm;
  lm = new_lm;
}

void sort_descending(int64_t n, Vector<float> a, Matrix<float> v) {
  for (int64_t i = 1; i <= n; ++i) {
    for (int64_t j = i; j <= n; ++j) {
      const int64_t ii = packed_position(i, i);
      const int64_t jj = packed_position(j, j);
      if (!(a(ii) < a(jj))) continue;
      std::swap(a(ii), a(jj));
      for (int64_t k = 1; k <= n; ++k) std::swap(v(k, i), v(k, j));
    }
  }
}

void jacobi_eigen(int32_t order, Vector<float> a, Vector<float> vectors, EigenProgress& progress) {
  const int64_t n = order;
  // Column j of `vectors` is eigenvector j.
  const Matrix<float> v(vectors.data(), n, n);
  for (int64_t j = 1; j <= n; ++j) {
    for (int64_t i = 1; i <= n; ++i) v(i, j) = i == j ? 1.0f : 0.0f;
  }
  float offdiag_sum = 0.0f;
  for (int64_t i = 1; i <= n; ++i) {
    int64_t ij = packed_position(i, i + 1);
    for (int64_t j = i + 1; j <= n; ++j) {
      offdiag_sum = add_square(offdiag_sum, a(ij));
      ij += j;  // (i, j + 1)
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
          int64_t lm = packed_position(l, l + 1);
          for (int64_t m = l + 1; m <= n; ++m) {
            if (std::fabs(a(lm)) >= threshold) {
              rotated = 1;
              rotate(n, l, m, a.data(), vectors.data());
            }
            lm += m;  // (l, m + 1)
          }
        }
        ++sweeps;
      } while (rotated == 1 && sweeps < kSweepLimit);
    } while (above_final(threshold, final_threshold) && sweeps < kSweepLimit);
  }
  sort_descending(n, a, v);
}

}  // namespace tova

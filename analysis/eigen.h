// Eigenvalues and eigenvectors of a real symmetric matrix by the cyclic
// threshold Jacobi method, in packed storage.
//
//   order    N, the order of the matrix.
//   packed   N(N+1)/2 elements: element (i, j), i <= j, at packed_position(i, j)
//            (arrays.h). On return the diagonal holds the eigenvalues in
//            descending order; the off-diagonal positions hold what the
//            rotations left there.
//   vectors  N*N elements, written: component i of eigenvector j at i + (j-1)N,
//            column j belonging to the j-th eigenvalue. Neither normalised
//            again nor sign-adjusted.
#pragma once

#include <cmath>
#include <cstdint>

#include "analysis/arrays.h"

namespace tova {

// Where the progress of the iteration goes: the stopping threshold once,
// then each new threshold level.
class EigenProgress {
 public:
  virtual ~EigenProgress() = default;
  virtual void started(float final_threshold) = 0;
  virtual void level(float threshold) = 0;
};

// Progress lines on the console (eigen_progress.cpp).
EigenProgress& console_eigen_progress();

// A guard, not part of the method: the iteration ends on the threshold rule,
// but a matrix whose rotations keep producing infinities could sweep forever.
// No finite input comes near this many sweeps.
inline constexpr int64_t kSweepLimit = 100000;

// The scalar rules of the method, shared by jacobi_eigen and the literal
// routine of the reference library, which differ only in how they walk the
// elements. The single-precision values nearest 1.414 (not the square root
// of two) and 1.0E-6.
inline constexpr float kNormFactor = 1.414f;
inline constexpr float kRelativeStop = 1.0e-6f;

// The angle that zeroes element (l, m), each value computed from the stored
// one before it.
struct Rotation {
  float sinx, sinx2, cosx, cosx2, sincs;
};
Rotation rotation_for(float a_ll, float a_mm, float a_lm);

// The new (l, l), (m, m) and (l, m), all from the old three.
void rotate_corner(float& a_ll, float& a_mm, float& a_lm, const Rotation& r);

// One element pair of a rotation: x (row or column l) and y (m) become
// x cos - y sin and x sin + y cos, each rounded at its store.
inline void rotate_pair(float& x, float& y, double c, double s) {
  const double old_x = x;
  const double old_y = y;
  x = f32(old_x * c - old_y * s);
  y = f32(old_x * s + old_y * c);
}

// The threshold schedule. The squares of the off-diagonal elements are
// summed in single precision; a positive sum gives the initial norm and the
// stopping threshold; each level is the one before divided by N, and the
// levels go on while the threshold lies above the stopping one.
inline float add_square(float sum, float element) {
  return f32(static_cast<double>(sum) + square(element));
}
struct Thresholds {
  float initial_norm;
  float final_threshold;
};
inline Thresholds thresholds_for(float offdiag_sum, int64_t n) {
  const float initial_norm = f32(kNormFactor * std::sqrt(static_cast<double>(offdiag_sum)));
  return {initial_norm,
          f32(static_cast<double>(initial_norm) * kRelativeStop / static_cast<double>(f32(n)))};
}
inline float next_level(float threshold, int64_t n) {
  return f32(threshold / static_cast<double>(f32(n)));
}
inline bool above_final(float threshold, float final_threshold) {
  return static_cast<double>(threshold) - final_threshold > 0.0;
}

// Descending order of the diagonal, the eigenvectors (columns of the n x n
// vectors) moved along. Equal values are never exchanged with each other.
void sort_descending(int64_t n, Vector<float> packed, Matrix<float> vectors);

void jacobi_eigen(int32_t order, Vector<float> packed, Vector<float> vectors,
                  EigenProgress& progress);

}  // namespace tova

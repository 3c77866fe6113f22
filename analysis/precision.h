// Single-precision storage of double-precision evaluations.
//
// Every real of the analysis is a 32-bit float when stored; each formula is
// evaluated in double and rounded once, at the store, through f32(). The
// results are defined to the last bit, so the whole project is compiled with
// -ffp-contract=off and -fno-fast-math (top-level CMakeLists.txt): no fused
// multiply-add and no reassociation may change a rounding point.
#pragma once

#include <cmath>

#include "textio/powers.h"

namespace tova {

// The one rounding point of a formula: double to single, round to nearest.
inline float f32(double value) {
  return static_cast<float>(value);
}

// A NaN operand is propagated from the first operand as the formula is
// written. The processor does that for an instruction in that order, but the
// compiler may swap the operands of a commutative operation, so sums and
// products that can meet two NaNs say it.
inline double plus(double a, double b) {
  return std::isnan(a) ? a : a + b;
}
inline double times(double a, double b) {
  return std::isnan(a) ? a : a * b;
}

// A square is the single-precision product x*x, as the run-time's rpow gives.
inline float square(float value) {
  return textio::rpow(value, 2);
}

}  // namespace tova

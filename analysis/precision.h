// Single-precision storage of double-precision evaluations.
//
// Every real of the analysis is a 32-bit float when stored; each formula is
// evaluated in double and rounded once, at the store, through f32(). The
// results are defined to the last bit, so the whole project is compiled with
// -ffp-contract=off and -fno-fast-math (top-level CMakeLists.txt): no fused
// multiply-add and no reassociation may change a rounding point.
#pragma once

#include "textio/powers.h"

namespace tova {

// The one rounding point of a formula: double to single, round to nearest.
inline float f32(double value) {
  return static_cast<float>(value);
}

// A square is the single-precision product x*x, as the run-time's rpow gives.
inline float square(float value) {
  return textio::rpow(value, 2);
}

}  // namespace tova

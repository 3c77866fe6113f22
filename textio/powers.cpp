#include "textio/powers.h"

namespace textio {

int32_t ipow(int32_t base, int32_t exponent) {
  if (exponent == 0) return 1;
  if (exponent < 0) {
    if (base == 1) return 1;
    if (base == -1) return (exponent & 1) ? -1 : 1;
    return 0;
  }
  // Products wrap modulo 2^32, as the machine's integer multiply does.
  uint32_t result = 1;
  uint32_t square = static_cast<uint32_t>(base);
  uint32_t n = static_cast<uint32_t>(exponent);
  while (n > 1) {
    if (n & 1) result *= square;
    n >>= 1;
    square *= square;
  }
  return static_cast<int32_t>(result * square);
}

namespace {

// Binary powering in which the running square and the accumulated factor are
// both stored in the element type after each double-precision product.
template <typename Real>
Real real_power(Real base, int32_t exponent) {
  if (exponent == 0) return Real(1);
  uint32_t n =
      exponent < 0 ? 0u - static_cast<uint32_t>(exponent) : static_cast<uint32_t>(exponent);
  Real result = 1;
  Real square = base;
  while (n > 1) {
    if (n & 1)
      result = static_cast<Real>(static_cast<double>(result) * static_cast<double>(square));
    n >>= 1;
    square = static_cast<Real>(static_cast<double>(square) * static_cast<double>(square));
  }
  const double product = static_cast<double>(result) * static_cast<double>(square);
  if (exponent < 0) return static_cast<Real>(1.0 / product);
  return static_cast<Real>(product);
}

}  // namespace

float rpow(float base, int32_t exponent) {
  return real_power(base, exponent);
}
double dpow(double base, int32_t exponent) {
  return real_power(base, exponent);
}

}  // namespace textio

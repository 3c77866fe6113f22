// Integer powers, with the rounding of the run-time: every product of the
// binary powering is rounded to the element type when it is stored.
#pragma once

#include <cstdint>

namespace textio {

int32_t ipow(int32_t base, int32_t exponent);
float rpow(float base, int32_t exponent);
double dpow(double base, int32_t exponent);

}  // namespace textio

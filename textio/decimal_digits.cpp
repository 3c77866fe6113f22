#include "textio/decimal_digits.h"

#include <array>

#include "textio/powers.h"

namespace textio::digits_detail {

// h0 lies within [-308, 307] for every normal double.
constexpr int32_t kMaxPower = 308;

const double* make_scale_powers() {
  static std::array<double, kMaxPower + 1> table;
  for (int32_t k = 0; k <= kMaxPower; ++k) table[k] = dpow(10.0, k);
  return table.data();
}

}  // namespace textio::digits_detail

// The plain threshold Jacobi routine, kept as the reference for the
// routine of the analysis program.
#pragma once

#include <cstdint>

#include "analysis/arrays.h"
#include "analysis/eigen.h"

namespace tova {

void jacobi_eigen_reference(int32_t order, Vector<float> packed, Vector<float> vectors,
                            EigenProgress& progress);

}  // namespace tova

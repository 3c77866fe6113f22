// The Gower dissimilarities filled column by column: the per-variable mean
// scores first (their chains run over all pairs of objects before any pair
// can take them), then each pair's terms in variable order, a vector of
// pairs at a time.
#include <cstdint>
#include <vector>

#include "analysis/kernels/kernels.h"
#include "analysis/kernels/simd_kernels.h"
#include "analysis/kernels/workers.h"
#include "analysis/rules.h"

namespace tova::kernels {
namespace {

// Computes the mean scores of `variables`, spread over the threads.
void compute_means(const PreparedData& prepared, const std::vector<int32_t>& variables, int threads,
                   const SimdKernels& kernels, std::vector<float>& mean_score) {
  const int count = static_cast<int>(variables.size());
  if (count == 0) return;
  std::vector<float> score_sum(variables.size());
  std::vector<int32_t> scored_pairs(variables.size());
  const int parts = threads < count ? threads : count;
  run_workers(parts, [&](int part) {
    // Variables part, part + parts, ...: each thread a fair share.
    std::vector<int32_t> mine;
    for (int v = part; v < count; v += parts) mine.push_back(variables[static_cast<size_t>(v)]);
    std::vector<float> sums(mine.size());
    std::vector<int32_t> counts(mine.size());
    GowerMeansWork work;
    work.prepared = &prepared;
    work.variables = mine.data();
    work.variable_count = static_cast<int32_t>(mine.size());
    work.score_sum = sums.data();
    work.scored_pairs = counts.data();
    kernels.gower_means(work);
    for (size_t i = 0; i < mine.size(); ++i) {
      const size_t at = static_cast<size_t>(part) + i * static_cast<size_t>(parts);
      score_sum[at] = sums[i];
      scored_pairs[at] = counts[i];
    }
  });
  for (size_t i = 0; i < variables.size(); ++i) {
    mean_score[static_cast<size_t>(variables[i])] = mean_of(score_sum[i], scored_pairs[i]);
  }
}

}  // namespace

void gower_fast(const PreparedData& prepared, float* semimatrix, int threads,
                const SimdKernels& kernels) {
  const int64_t m = prepared.variables;
  // A negative count scores no variable; it is still the divisor.
  const size_t columns = static_cast<size_t>(m > 0 ? m : 0);
  const int parts = resolve_thread_count(threads);
  std::vector<float> mean_score(columns, kNotComparable);
  std::vector<int32_t> mean_known(columns, 0);
  std::vector<int32_t> pending;
  for (int64_t v = 0; v < m; ++v) {
    if (is_double_zero(prepared.type[v])) pending.push_back(static_cast<int32_t>(v));
  }
  // Any other variable whose score happens to be the marker sends the fill
  // round once more with that variable's mean.
  for (;;) {
    compute_means(prepared, pending, parts, kernels, mean_score);
    for (int32_t v : pending) mean_known[static_cast<size_t>(v)] = 1;
    std::vector<int32_t> hit_marker(columns, 0);
    int64_t next_column = prepared.objects - 1;
    run_workers(parts, [&](int) {
      GowerFillWork work;
      work.prepared = &prepared;
      work.mean_score = mean_score.data();
      work.mean_known = mean_known.data();
      work.hit_marker = hit_marker.data();
      work.next_column = &next_column;
      work.semimatrix = semimatrix;
      kernels.gower_fill(work);
    });
    pending.clear();
    for (int64_t v = 0; v < m; ++v) {
      if (hit_marker[static_cast<size_t>(v)]) pending.push_back(static_cast<int32_t>(v));
    }
    if (pending.empty()) return;
  }
}

void gower_fast(const PreparedData& prepared, float* semimatrix, int threads) {
  gower_fast(prepared, semimatrix, threads, preferred_gower_kernels());
}

}  // namespace tova::kernels

// The D-correlation with every pair of variables' chains running side by
// side: vectors of partners L for one K, or of any pairs when the variables
// are few, shared by the worker threads (block_schedule.h). The vector
// bodies (simd_kernels.inl) give the six sums; the missing-pair counts and
// the correlation formula are finished here.
#include <cstdint>
#include <utility>
#include <vector>

#include "analysis/kernels/block_schedule.h"
#include "analysis/kernels/kernels.h"
#include "analysis/kernels/simd_kernels.h"
#include "analysis/kernels/workers.h"
#include "analysis/rules.h"

namespace tova::kernels {
namespace {

// The pairs of objects that contain an object missing in k or l: all pairs
// but those among the other objects.
int64_t missing_pair_count(const PreparedData& d, int64_t k, int64_t l) {
  const int64_t n = d.objects;
  const float* xk = d.data + k * n;
  const float* xl = d.data + l * n;
  int64_t complete = 0;
  for (int64_t i = 0; i < n; ++i) complete += (xk[i] != kMissing && xl[i] != kMissing) ? 1 : 0;
  return n * (n - 1) / 2 - complete * (complete - 1) / 2;
}

}  // namespace

void d_correlation_fast(const PreparedData& prepared, float* d_correlation, float* squared_distance,
                        int threads, const SimdKernels& kernels) {
  const int64_t m = prepared.variables;
  for (int64_t j = 0; j < m; ++j) {
    d_correlation[j + j * m] = 1.0f;
    squared_distance[j + j * m] = 0.0f;
  }
  // The work order puts the double-zero variables last, so that the vectors
  // of partners of the others need no means' pass until they reach them.
  std::vector<int32_t> variable_at;
  for (int pass = 0; pass < 2; ++pass) {
    for (int64_t v = 0; v < m; ++v) {
      if (is_double_zero(prepared.type[v]) == (pass == 1))
        variable_at.push_back(static_cast<int32_t>(v));
    }
  }
  // Vectors of partners L of one K; with few variables, vectors of any
  // pairs, so that they are full.
  std::vector<CorrelationTask> tasks;
  std::vector<int32_t> pair_k, pair_l;
  const bool packed = m <= kernels.pack_limit;
  if (packed) {
    // The pairs without a double-zero variable first, in vectors of their
    // own when that costs no extra vector: they need no means' pass.
    int32_t plain_pairs = 0;
    for (int pass = 0; pass < 2; ++pass) {
      for (int32_t k = 0; k + 1 < m; ++k) {
        for (int32_t l = k + 1; l < m; ++l) {
          const bool double_zero =
              is_double_zero(prepared.type[variable_at[static_cast<size_t>(k)]]) ||
              is_double_zero(prepared.type[variable_at[static_cast<size_t>(l)]]);
          if (double_zero != (pass == 1)) continue;
          pair_k.push_back(k);
          pair_l.push_back(l);
          plain_pairs += pass == 0 ? 1 : 0;
        }
      }
    }
    const int32_t pairs = static_cast<int32_t>(pair_k.size());
    const int32_t width = kernels.width;
    auto vectors = [&](int32_t count) { return (count + width - 1) / width; };
    const bool apart = vectors(plain_pairs) + vectors(pairs - plain_pairs) == vectors(pairs);
    for (int32_t first = 0; first < pairs;) {
      const int32_t end = apart && first < plain_pairs ? plain_pairs : pairs;
      const int32_t lanes = end - first < width ? end - first : width;
      tasks.push_back(CorrelationTask{pair_k[static_cast<size_t>(first)], first, lanes});
      first += lanes;
    }
  } else {
    for (int64_t k = 0; k + 1 < m; ++k) {
      for (int64_t l0 = k + 1; l0 < m; l0 += kernels.width) {
        const int64_t lanes = m - l0 < kernels.width ? m - l0 : kernels.width;
        tasks.push_back(CorrelationTask{static_cast<int32_t>(k), static_cast<int32_t>(l0),
                                        static_cast<int32_t>(lanes)});
      }
    }
  }
  // The columns of K and L of a task's lane.
  auto lane_k = [&](const CorrelationTask& task, int32_t lane) -> int64_t {
    return packed ? pair_k[static_cast<size_t>(task.l0 + lane)] : task.k;
  };
  auto lane_l = [&](const CorrelationTask& task, int32_t lane) -> int64_t {
    return packed ? pair_l[static_cast<size_t>(task.l0 + lane)] : task.l0 + lane;
  };
  if (tasks.empty()) return;
  // The tasks run in groups whose chains one loop interleaves; with several
  // workers and few tasks, one by one, so that the workers' blocks can run
  // side by side (a lone task's chains are nearly as fast). More workers
  // than groups and one would wait on each other.
  const int32_t task_count = static_cast<int32_t>(tasks.size());
  int workers = resolve_thread_count(threads);
  const int32_t group_size =
      workers > 1 && task_count < 2 * workers * kernels.interleave ? 1 : kernels.interleave;
  const int32_t groups = (task_count + group_size - 1) / group_size;
  const int64_t n = prepared.objects;
  const int64_t blocks = (n * (n - 1) / 2 + kCorrelationBlockPairs - 1) / kCorrelationBlockPairs;
  if (workers > groups + 1) workers = groups + 1;
  if (workers > blocks) workers = blocks > 0 ? static_cast<int>(blocks) : 1;
  BlockSchedule schedule(blocks, groups, workers);
  std::vector<CorrelationSums> sums(tasks.size() * static_cast<size_t>(kernels.width));
  CorrelationWork work;
  work.prepared = &prepared;
  work.variable_at = variable_at.data();
  work.pair_k = packed ? pair_k.data() : nullptr;
  work.pair_l = packed ? pair_l.data() : nullptr;
  work.tasks = tasks.data();
  work.task_count = task_count;
  work.group_size = group_size;
  work.schedule = &schedule;
  work.sums = sums.data();
  run_workers(workers, [&](int) { kernels.d_correlation(work); });

  for (size_t t = 0; t < tasks.size(); ++t) {
    for (int32_t lane = 0; lane < tasks[t].lanes; ++lane) {
      int64_t k = variable_at[static_cast<size_t>(lane_k(tasks[t], lane))];
      int64_t l = variable_at[static_cast<size_t>(lane_l(tasks[t], lane))];
      CorrelationSums s = sums[t * static_cast<size_t>(kernels.width) + static_cast<size_t>(lane)];
      // A lane whose K comes after its L in the data ran its product and
      // difference chains with the roles as written (the vector bodies know
      // the swapped lanes); the sums of the two scores come back in the
      // task's order, and the correlation formula rounds a and not b.
      if (k > l) {
        std::swap(k, l);
        std::swap(s.sum_k, s.sum_l);
        std::swap(s.sum_kk, s.sum_ll);
      }
      const float missing_pairs = counted_pairs(missing_pair_count(prepared, k, l));
      const float used_pairs =
          f32(static_cast<double>(prepared.pair_count) - static_cast<double>(missing_pairs));
      const float r = correlation(s, used_pairs);
      d_correlation[k + l * m] = r;
      d_correlation[l + k * m] = r;
      squared_distance[k + l * m] = s.squared_distance;
      squared_distance[l + k * m] = s.squared_distance;
    }
  }
}

void d_correlation_fast(const PreparedData& prepared, float* d_correlation, float* squared_distance,
                        int threads) {
  d_correlation_fast(prepared, d_correlation, squared_distance, threads, preferred_simd_kernels());
}

}  // namespace tova::kernels

// The vector bodies of the fast kernels, one set per instruction set, and
// the work descriptions the threads hand them.
//
// Each set is compiled in a file of its own with its own target flags
// (simd_generic.cpp, simd_avx2.cpp, simd_avx512.cpp); the fast kernels pick
// the widest set the processor runs. Only plain structs cross this
// boundary, so no inline function is ever compiled for a wider instruction
// set than the code that calls it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "analysis/kernels/kernels.h"

namespace tova::kernels {

// One vector of pairs of variables: K with the partners L0 .. L0 + lanes - 1,
// lanes <= the vector width; or, when the work is packed, the pairs
// L0 .. L0 + lanes - 1 of CorrelationWork::pair_k and pair_l, one per lane,
// whatever their K (so that few variables still fill whole vectors). K and
// L are columns of the work order, in which the variables can stand in
// another order than in the data (see CorrelationWork::variable_at).
struct CorrelationTask {
  int32_t k = 0;
  int32_t l0 = 0;
  int32_t lanes = 0;
};

class BlockSchedule;

// Pairs of objects per block of scores.
constexpr int kCorrelationBlockPairs = 256;

// The pairs of variables, shared by the worker threads, each of which calls
// the vector body with the same work. sums receives width entries per task,
// lane by lane; lanes past a task's count are left unspecified. The tasks
// with a double-zero lane, in their order, and then all tasks in theirs,
// run in groups of group_size (a last group may be smaller).
struct CorrelationWork {
  const PreparedData* prepared = nullptr;
  const int32_t* variable_at = nullptr;  // column of the work order -> variable
  const int32_t* pair_k = nullptr;       // packed work: the pairs, else null
  const int32_t* pair_l = nullptr;
  const CorrelationTask* tasks = nullptr;
  int32_t task_count = 0;
  int32_t group_size = 1;
  BlockSchedule* schedule = nullptr;
  CorrelationSums* sums = nullptr;
};

// A worker's next step of the D-correlation.
struct CorrelationJob {
  enum Kind : int32_t {
    kNone,     // nothing done yet (the first call)
    kReset,    // clear every task's state (attempt: which scoring)
    kBlocks,   // score each block of the run and run every group over it
    kReplace,  // the means' pass is over: the replacement of the marker
    kFinish,   // the sums' pass is over for good: copy out the sums
    kEnd       // nothing left: return
  };
  Kind kind = kNone;
  int32_t attempt = 0;  // 0: the means' pass scores ordinary variables for presence only
  bool means = false;   // kBlocks: the means' pass, else the sums'
  int64_t first_block = 0;
  int64_t block_count = 0;
  // kBlocks: group g may run over block b once progress[g * kProgressStride]
  // (the blocks the group has done) equals b; then it is one more.
  int64_t* progress = nullptr;
};
constexpr int kProgressStride = 8;  // a cache line per group

// Memory shared by the workers, 64-byte aligned and zeroed, allocated by
// the first caller (the others get the same; every worker asks for the
// same size and gives the same count of the means' pass's groups, 0 for
// none). No job is handed out before it.
void* schedule_shared(BlockSchedule* schedule, size_t bytes, int32_t means_groups);
// Reports the job done (and, scoring the sums' pass, whether an ordinary
// variable gave the not-comparable marker) and waits for the next job.
CorrelationJob schedule_next(BlockSchedule* schedule, const CorrelationJob& done, bool marker_seen);
// Lets other threads run while a worker waits for a group's progress.
void schedule_yield();

// The per-variable mean scores of the Gower dissimilarities: for each listed
// variable, score_sum and scored_pairs over the pairs of objects in the
// order i then j.
struct GowerMeansWork {
  const PreparedData* prepared = nullptr;
  const int32_t* variables = nullptr;
  int32_t variable_count = 0;
  float* score_sum = nullptr;       // one per listed variable
  int32_t* scored_pairs = nullptr;  // one per listed variable
};

// The filling of the semimatrix, column j by column j. Workers share the
// column counter next_column (taken with an atomic add, counting down from
// the last column in chunks) and each sets hit_marker[k] to 1 when variable
// k gave the not-comparable marker although mean_known[k] is 0; the fill is
// then repeated with that variable's mean.
struct GowerFillWork {
  const PreparedData* prepared = nullptr;
  const float* mean_score = nullptr;    // m
  const int32_t* mean_known = nullptr;  // m
  int32_t* hit_marker = nullptr;        // m, written only with 1
  int64_t* next_column = nullptr;
  float* semimatrix = nullptr;
};

struct SimdKernels {
  const char* name;
  int width;       // floats per vector
  int interleave;  // tasks whose chains one loop runs side by side
  int pack_limit;  // packed work for at most this many variables (0: never)
  void (*d_correlation)(const CorrelationWork&);
  void (*gower_means)(const GowerMeansWork&);
  void (*gower_fill)(const GowerFillWork&);
};

// The instruction sets built into this program, widest first; those the
// processor cannot run are left out.
int available_simd_kernels(const SimdKernels** list, int capacity);
// The widest available set, or the one TOVA_SIMD names (generic, avx2,
// avx512) when the processor runs it.
const SimdKernels& preferred_simd_kernels();
// For the Gower dissimilarities 256-bit vectors beat 512-bit ones on the
// processors measured (their double divisions): avx2 where available,
// unless TOVA_SIMD names a set.
const SimdKernels& preferred_gower_kernels();

// The fast kernels with a given set of vector bodies (the public ones use
// preferred_simd_kernels()).
void d_correlation_fast(const PreparedData& prepared, float* d_correlation, float* squared_distance,
                        int threads, const SimdKernels& kernels);
void gower_fast(const PreparedData& prepared, float* semimatrix, int threads,
                const SimdKernels& kernels);

const SimdKernels& simd_kernels_generic();
#if defined(TOVA_HAVE_AVX2)
const SimdKernels& simd_kernels_avx2();
#endif
#if defined(TOVA_HAVE_AVX512)
const SimdKernels& simd_kernels_avx512();
#endif

}  // namespace tova::kernels

// The vector bodies of the fast kernels. Included once per instruction set
// by a file that defines TOVA_SIMD_NAMESPACE, TOVA_SIMD_NAME and
// TOVA_SIMD_WIDTH (floats per vector) and is compiled with that set's
// target flags.
//
// Every function here has internal linkage and calls no inline function of
// another header: a copy compiled for a wide instruction set must never be
// the one the linker keeps for code that runs on a narrow one.
//
// Bit-exactness. The vector code repeats the scalar rules of scores.h
// operation for operation, in double lanes where the rules evaluate in
// double. A float operation on two floats gives the same bits as the double
// operation rounded to float (double carries more than twice the float
// mantissa), so sums and squares of floats run in float lanes; sum_kl +
// s_K*s_L, whose product is not rounded, runs in double lanes.
#include <cstdint>
#include <cstring>
#if TOVA_SIMD_WIDTH > 4
#include <immintrin.h>
#endif

#include "analysis/kernels/simd_kernels.h"

namespace tova::kernels::TOVA_SIMD_NAMESPACE {
namespace {

constexpr int kWidth = TOVA_SIMD_WIDTH;
typedef float vf __attribute__((vector_size(4 * kWidth)));
typedef int32_t vi __attribute__((vector_size(4 * kWidth)));
typedef uint32_t vu __attribute__((vector_size(4 * kWidth)));
typedef double vd __attribute__((vector_size(8 * kWidth)));
typedef int64_t vl __attribute__((vector_size(8 * kWidth)));
constexpr int kHalf = kWidth / 2;
typedef float vfh __attribute__((vector_size(4 * kHalf)));
typedef double vdh __attribute__((vector_size(8 * kHalf)));

#define TOVA_INLINE [[gnu::always_inline]] inline

constexpr float kMarker = 5.0f;  // the not-comparable score
constexpr float kMissingValue = -1.0f;
// The score stored for a pair of objects with a missing value: a
// signalling NaN, which no arithmetic produces.
constexpr int32_t kAbsent = 0x7fa5a5a5;

// Pairs of objects per block of scores.
constexpr int kBlockPairs = 256;
// Tasks whose chains one loop runs side by side.
constexpr int kInterleave = TOVA_SIMD_INTERLEAVE;

TOVA_INLINE vf load(const float* p) {
  vf v;
  std::memcpy(&v, p, sizeof v);
  return v;
}
TOVA_INLINE vi load(const int32_t* p) {
  vi v;
  std::memcpy(&v, p, sizeof v);
  return v;
}
TOVA_INLINE void store(float* p, vf v) {
  std::memcpy(p, &v, sizeof v);
}
TOVA_INLINE void store(int32_t* p, vi v) {
  std::memcpy(p, &v, sizeof v);
}
// The first `count` elements; the rest zero.
TOVA_INLINE vf load_first(const float* p, int count) {
  vf v = {};
  std::memcpy(&v, p, sizeof(float) * static_cast<size_t>(count));
  return v;
}
TOVA_INLINE vi load_first(const int32_t* p, int count) {
  vi v = {};
  std::memcpy(&v, p, sizeof(int32_t) * static_cast<size_t>(count));
  return v;
}
TOVA_INLINE vf splat(float x) {
  vf v = {};
  for (int q = 0; q < kWidth; ++q) v[q] = x;
  return v;
}
TOVA_INLINE vi splat(int32_t x) {
  vi v = {};
  for (int q = 0; q < kWidth; ++q) v[q] = x;
  return v;
}
TOVA_INLINE vf masked(vf v, vi mask) {
  return (vf)((vi)v & mask);
}
TOVA_INLINE vd widen(vf v) {
  return __builtin_convertvector(v, vd);
}
TOVA_INLINE vf narrow(vd v) {
  return __builtin_convertvector(v, vf);
}
TOVA_INLINE vd absolute(vd v) {
  return (vd)((vl)v & 0x7fffffffffffffffLL);
}
// Halves of a vector, by shuffles (a trip through memory would stall the
// chains that read them).
TOVA_INLINE vfh low_floats(vf v) {
#if TOVA_SIMD_WIDTH == 16
  return __builtin_shufflevector(v, v, 0, 1, 2, 3, 4, 5, 6, 7);
#elif TOVA_SIMD_WIDTH == 8
  return __builtin_shufflevector(v, v, 0, 1, 2, 3);
#else
  return __builtin_shufflevector(v, v, 0, 1);
#endif
}
TOVA_INLINE vfh high_floats(vf v) {
#if TOVA_SIMD_WIDTH == 16
  return __builtin_shufflevector(v, v, 8, 9, 10, 11, 12, 13, 14, 15);
#elif TOVA_SIMD_WIDTH == 8
  return __builtin_shufflevector(v, v, 4, 5, 6, 7);
#else
  return __builtin_shufflevector(v, v, 2, 3);
#endif
}
// Float to double and back on half vectors, by the instruction itself:
// the compiler's generic lowering splits these into quarters (the
// zero-masked forms with a full mask: the plain ones trip a false
// uninitialised-value warning).
TOVA_INLINE vdh to_double(vfh v) {
#if TOVA_SIMD_WIDTH == 16
  return (vdh)_mm512_maskz_cvtps_pd(0xff, (__m256)v);
#elif TOVA_SIMD_WIDTH == 8
  return (vdh)_mm256_cvtps_pd((__m128)v);
#else
  return __builtin_convertvector(v, vdh);
#endif
}
TOVA_INLINE vfh to_float(vdh v) {
#if TOVA_SIMD_WIDTH == 16
  return (vfh)_mm512_maskz_cvtpd_ps(0xff, (__m512d)v);
#elif TOVA_SIMD_WIDTH == 8
  return (vfh)_mm256_cvtpd_ps((__m256d)v);
#else
  return __builtin_convertvector(v, vfh);
#endif
}
TOVA_INLINE vdh low_half(vf v) {
  return to_double(low_floats(v));
}
TOVA_INLINE vdh high_half(vf v) {
  return to_double(high_floats(v));
}
TOVA_INLINE vdh round_to_float(vdh v) {
  return to_double(to_float(v));
}
TOVA_INLINE vf join(vdh low, vdh high) {
  const vfh l = to_float(low), h = to_float(high);
#if TOVA_SIMD_WIDTH == 16
  return __builtin_shufflevector(l, h, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
#elif TOVA_SIMD_WIDTH == 8
  return __builtin_shufflevector(l, h, 0, 1, 2, 3, 4, 5, 6, 7);
#else
  return __builtin_shufflevector(l, h, 0, 1, 2, 3);
#endif
}

// ---------------------------------------------------------------------------
// Scores: the rules of difference_score() for kWidth pairs of objects.

TOVA_INLINE vd tie_half(vi tie) {
  return (__builtin_convertvector(tie, vd) - 1.0) / 2.0;
}
TOVA_INLINE vf tied_rank(vf xi, vf xj, vi ti, vi tj, double range) {
  const vd d = absolute(widen(xi) - widen(xj));
  return narrow((d - tie_half(ti) - tie_half(tj)) / range);
}
TOVA_INLINE vf distance_over_range(vf xi, vf xj, double range) {
  return narrow(absolute(widen(xi) - widen(xj)) / range);
}
TOVA_INLINE vf circular(vf xi, vf xj, double period) {
  const vd d = absolute(widen(xi) - widen(xj));
  const vd c = period - d;
  const vd shorter = c <= d ? c : d;
  return narrow(2.0 * shorter / period);
}

struct Rule {
  double range;
  double period;
};

// The signed score (ordered partner) and the unsigned one.
template <int kType>
TOVA_INLINE void scores(const Rule& rule, vf xi, vf xj, vi ti, vi tj, vf& signed_score, vf& unsigned_score) {
  const vf zero = {};
  const vf marker = splat(kMarker);
  if constexpr (kType == 1) {
    unsigned_score = xi == xj ? zero : splat(1.0f);
    signed_score = unsigned_score;
  } else if constexpr (kType == 2 || kType == 3 || kType == 33) {
    vf value;
    if constexpr (kType == 2)
      value = xi == xj ? zero : tied_rank(xi, xj, ti, tj, rule.range);
    else
      value = distance_over_range(xi, xj, rule.range);
    vf score = ((xi == 0.0f) & (xj == 0.0f)) ? zero : marker;
    score = ((xi > 0.0f) & (xj > 0.0f)) ? value : score;
    unsigned_score = score;
    signed_score = ((xj > xi) & (score != marker)) ? -score : score;
  } else if constexpr (kType == 34) {
    vf score = ((xi == 0.0f) & (xj == 0.0f)) ? zero : marker;
    score = ((xi > 0.0f) & (xj > 0.0f)) ? circular(xi, xj, rule.period) : score;
    unsigned_score = score;
    signed_score = score;
  } else if constexpr (kType == 4) {
    const vf value = tied_rank(xi, xj, ti, tj, rule.range);
    unsigned_score = xi == xj ? zero : value;
    signed_score = xj > xi ? -value : unsigned_score;
  } else if constexpr (kType == 6) {
    unsigned_score = circular(xi, xj, rule.period);
    signed_score = unsigned_score;
  } else {  // 5 and 7
    unsigned_score = distance_over_range(xi, xj, rule.range);
    signed_score = narrow((widen(xi) - widen(xj)) / rule.range);
  }
}

constexpr bool uses_ties(int type) {
  return type == 2 || type == 4;
}

// ---------------------------------------------------------------------------
// D-correlation.

// A run of pairs of objects of one row: object i with j0 .. j0 + count - 1,
// at block positions first .. first + count - 1.
struct Segment {
  int64_t i;
  int64_t j0;
  int32_t count;
  int32_t first;
};

// Walks the pairs of objects in their order (i, then j), a block at a time.
struct PairCursor {
  int64_t n;
  int64_t i = 0;
  int64_t j = 1;

  // Fills up to kBlockPairs pairs; returns their number (0 at the end).
  int next(Segment* segments, int& segment_count) {
    int filled = 0;
    segment_count = 0;
    while (filled < kBlockPairs && i < n - 1) {
      const int64_t room = kBlockPairs - filled;
      const int64_t left = n - j;
      const int32_t count = static_cast<int32_t>(left < room ? left : room);
      segments[segment_count++] = Segment{i, j, count, filled};
      filled += count;
      j += count;
      if (j == n) {
        ++i;
        j = i + 1;
      }
    }
    return filled;
  }
};

// The scores of one block, row by pair of objects, column by variable;
// stride >= m + kWidth so that a vector of partners never leaves its row.
// A pair with a missing value holds kAbsent in both.
struct ScoreBlock {
  float* signed_score;
  float* unsigned_score;
  int64_t stride;
};

template <int kType>
void score_variable(const PreparedData& d, int64_t v, int64_t column_at, const Segment* segments,
                    int segment_count, const ScoreBlock& block) {
  const float* column = d.data + v * d.objects;
  const int32_t* ties = d.tie_count + v * d.objects;
  const Rule rule{d.range[v], d.period[v]};
  const vi no_ties = {};
  for (int s = 0; s < segment_count; ++s) {
    const Segment& seg = segments[s];
    const vf xi = splat(column[seg.i]);
    const vi ti = uses_ties(kType) ? splat(ties[seg.i]) : no_ties;
    for (int32_t q = 0; q < seg.count; q += kWidth) {
      const int32_t lanes = seg.count - q < kWidth ? seg.count - q : kWidth;
      const float* xp = column + seg.j0 + q;
      const vf xj = lanes == kWidth ? load(xp) : load_first(xp, lanes);
      vi tj = no_ties;
      if constexpr (uses_ties(kType)) {
        const int32_t* tp = ties + seg.j0 + q;
        tj = lanes == kWidth ? load(tp) : load_first(tp, lanes);
      }
      vf signed_score, unsigned_score;
      scores<kType>(rule, xi, xj, ti, tj, signed_score, unsigned_score);
      const vi missing = (xi == kMissingValue) | (xj == kMissingValue);
      const vf absent = (vf)splat(kAbsent);
      signed_score = missing ? absent : signed_score;
      unsigned_score = missing ? absent : unsigned_score;
      float* signed_out = block.signed_score + (seg.first + q) * block.stride + column_at;
      float* unsigned_out = block.unsigned_score + (seg.first + q) * block.stride + column_at;
      for (int32_t lane = 0; lane < lanes; ++lane) {
        signed_out[lane * block.stride] = signed_score[lane];
        unsigned_out[lane * block.stride] = unsigned_score[lane];
      }
    }
  }
}

void score_variable(const PreparedData& d, int64_t v, int64_t column_at, const Segment* segments,
                    int segment_count, const ScoreBlock& block) {
  switch (d.type[v]) {
    case 1: return score_variable<1>(d, v, column_at, segments, segment_count, block);
    case 2: return score_variable<2>(d, v, column_at, segments, segment_count, block);
    case 3:
    case 33: return score_variable<3>(d, v, column_at, segments, segment_count, block);
    case 4: return score_variable<4>(d, v, column_at, segments, segment_count, block);
    case 5:
    case 7: return score_variable<7>(d, v, column_at, segments, segment_count, block);
    case 6: return score_variable<6>(d, v, column_at, segments, segment_count, block);
    case 34: return score_variable<34>(d, v, column_at, segments, segment_count, block);
    default: return;  // other codes are rejected on reading
  }
}

bool type_unordered(int32_t type) {
  return type == 1 || type == 6 || type == 34;
}
bool type_double_zero(int32_t type) {
  return type == 2 || type == 3 || type == 33 || type == 34;
}

// The running state of one task (one vector of pairs of variables).
// sum_kl is kept as two half vectors of doubles that always hold float
// values: each step adds the unrounded product in double and rounds.
struct TaskState {
  vf sum_k, sum_l, sum_kk, sum_ll, squared_distance;
  vdh sum_kl_low, sum_kl_high;
  vf mean_k, mean_l;        // the means' chains of the second pass
  vu count_k, count_l;      // wrap like the 32-bit counts they stand for
  vf replace_k, replace_l;  // what a marker becomes: the mean, or itself
};

// What a task needs to read its scores.
struct TaskView {
  int64_t k;
  int64_t l0;
  vi partner_unordered;  // lanes whose L is unordered: K scores unsigned there
  bool k_unordered;      // then every L scores unsigned
  bool double_zero;      // some lane needs the second pass
  // A packed task has a pair of its own in each lane: K and L are the
  // columns column_k and column_l, and l_unsigned marks the lanes whose K is
  // unordered.
  vi column_k, column_l, l_unsigned;
};

// The rows a task reads: K's two scores and the partners' scores, as
// offsets into the block.
struct TaskRows {
  const float* k_signed;
  const float* k_unsigned;
  const float* partners;
  vi partner_unordered;
  vi column_k, column_l, l_unsigned;  // packed tasks
};

TOVA_INLINE TaskRows rows_of(const TaskView& v, const ScoreBlock& block) {
  return TaskRows{block.signed_score + v.k,
                  block.unsigned_score + v.k,
                  (v.k_unordered ? block.unsigned_score : block.signed_score) + v.l0,
                  v.partner_unordered,
                  v.column_k,
                  v.column_l,
                  v.l_unsigned};
}

TOVA_INLINE vf k_score(const TaskRows& r, int64_t at) {
  return r.partner_unordered ? splat(r.k_unsigned[at]) : splat(r.k_signed[at]);
}

// The scores of K and L for the pair of objects at row offset `at`. A
// packed task picks its lanes' columns out of the first 2 * kWidth of the
// row (the work order has at most that many variables then).
template <bool kPacked>
TOVA_INLINE void task_scores(const TaskRows& r, const ScoreBlock& block, int64_t at, vf& sk,
                             vf& sl) {
  if constexpr (kPacked) {
    const float* signed_row = block.signed_score + at;
    const float* unsigned_row = block.unsigned_score + at;
    const vf s0 = load(signed_row), s1 = load(signed_row + kWidth);
    const vf u0 = load(unsigned_row), u1 = load(unsigned_row + kWidth);
    sk = r.partner_unordered ? __builtin_shuffle(u0, u1, r.column_k)
                             : __builtin_shuffle(s0, s1, r.column_k);
    sl = r.l_unsigned ? __builtin_shuffle(u0, u1, r.column_l)
                      : __builtin_shuffle(s0, s1, r.column_l);
  } else {
    sk = k_score(r, at);
    sl = load(r.partners + at);
  }
}


TOVA_INLINE vi present(vf sk, vf sl) {
  return ((vi)sk != kAbsent) & ((vi)sl != kAbsent);
}

// The means' pass over one block for kTasks tasks at once (independent
// chains interleaved to hide the latency of each).
template <int kTasks, bool kPacked>
void accumulate_means(TaskState* const* states, const TaskView* const* views,
                      const ScoreBlock& block, int pairs) {
  const vf marker = splat(kMarker);
  TaskRows rows[kTasks];
  vf mean_k[kTasks], mean_l[kTasks];
  vu count_k[kTasks], count_l[kTasks];
#pragma GCC unroll 4
  for (int t = 0; t < kTasks; ++t) {
    rows[t] = rows_of(*views[t], block);
    mean_k[t] = states[t]->mean_k;
    mean_l[t] = states[t]->mean_l;
    count_k[t] = states[t]->count_k;
    count_l[t] = states[t]->count_l;
  }
  for (int p = 0; p < pairs; ++p) {
    const int64_t at = p * block.stride;
#pragma GCC unroll 4
    for (int t = 0; t < kTasks; ++t) {
      vf sk, sl;
      task_scores<kPacked>(rows[t], block, at, sk, sl);
      const vi valid = present(sk, sl);
      const vi use_k = valid & (sk != marker);
      const vi use_l = valid & (sl != marker);
      mean_k[t] += masked(sk, use_k);
      mean_l[t] += masked(sl, use_l);
      count_k[t] -= (vu)use_k;
      count_l[t] -= (vu)use_l;
    }
  }
#pragma GCC unroll 4
  for (int t = 0; t < kTasks; ++t) {
    states[t]->mean_k = mean_k[t];
    states[t]->mean_l = mean_l[t];
    states[t]->count_k = count_k[t];
    states[t]->count_l = count_l[t];
  }
}

// The sums' pass over one block for kTasks tasks at once. Skipped pairs add
// +0.0, which leaves every chain as it is: a sum that starts at +0.0 is
// never -0.0.
template <int kTasks, bool kReplace, bool kPacked>
void accumulate_sums(TaskState* const* states, const TaskView* const* views,
                     const ScoreBlock& block, int pairs) {
  const vf marker = splat(kMarker);
  TaskRows rows[kTasks];
  vf sum_k[kTasks], sum_l[kTasks], sum_kk[kTasks], sum_ll[kTasks], squared[kTasks];
  vdh kl_low[kTasks], kl_high[kTasks];
  vf replace_k[kTasks], replace_l[kTasks];
#pragma GCC unroll 4
  for (int t = 0; t < kTasks; ++t) {
    const TaskState& s = *states[t];
    rows[t] = rows_of(*views[t], block);
    sum_k[t] = s.sum_k;
    sum_l[t] = s.sum_l;
    sum_kk[t] = s.sum_kk;
    sum_ll[t] = s.sum_ll;
    squared[t] = s.squared_distance;
    kl_low[t] = s.sum_kl_low;
    kl_high[t] = s.sum_kl_high;
    replace_k[t] = s.replace_k;
    replace_l[t] = s.replace_l;
  }
  for (int p = 0; p < pairs; ++p) {
    const int64_t at = p * block.stride;
#pragma GCC unroll 4
    for (int t = 0; t < kTasks; ++t) {
      vf sk, sl;
      task_scores<kPacked>(rows[t], block, at, sk, sl);
      const vi valid = present(sk, sl);
      if constexpr (kReplace) {
        sk = sk == marker ? replace_k[t] : sk;
        sl = sl == marker ? replace_l[t] : sl;
      }
      sk = masked(sk, valid);
      sl = masked(sl, valid);
      sum_k[t] += sk;
      sum_l[t] += sl;
      sum_kk[t] += sk * sk;
      sum_ll[t] += sl * sl;
      const vf difference = sk - sl;
      squared[t] += difference * difference;
      kl_low[t] = round_to_float(kl_low[t] + low_half(sk) * low_half(sl));
      kl_high[t] = round_to_float(kl_high[t] + high_half(sk) * high_half(sl));
    }
  }
#pragma GCC unroll 4
  for (int t = 0; t < kTasks; ++t) {
    TaskState& s = *states[t];
    s.sum_k = sum_k[t];
    s.sum_l = sum_l[t];
    s.sum_kk = sum_kk[t];
    s.sum_ll = sum_ll[t];
    s.squared_distance = squared[t];
    s.sum_kl_low = kl_low[t];
    s.sum_kl_high = kl_high[t];
  }
}

template <int kTasks, bool kMeans, bool kPacked>
void run_group(TaskState* const* s, const TaskView* const* v, const ScoreBlock& block,
               int pairs) {
  bool double_zero = false;
  for (int i = 0; i < kTasks; ++i) double_zero = double_zero || v[i]->double_zero;
  if constexpr (kMeans)
    accumulate_means<kTasks, kPacked>(s, v, block, pairs);
  else if (double_zero)
    accumulate_sums<kTasks, true, kPacked>(s, v, block, pairs);
  else
    accumulate_sums<kTasks, false, kPacked>(s, v, block, pairs);
}

// Runs the tasks listed in `order` kInterleave at a time, the rest one by
// one.
template <bool kMeans, bool kPacked>
void run_block(TaskState* states, const TaskView* views, const int32_t* order, int count,
               const ScoreBlock& block, int pairs) {
  int t = 0;
  for (; t + kInterleave <= count; t += kInterleave) {
    TaskState* s[kInterleave];
    const TaskView* v[kInterleave];
    for (int i = 0; i < kInterleave; ++i) {
      s[i] = &states[order[t + i]];
      v[i] = &views[order[t + i]];
    }
    run_group<kInterleave, kMeans, kPacked>(s, v, block, pairs);
  }
  for (; t < count; ++t) {
    TaskState* const s[1] = {&states[order[t]]};
    const TaskView* const v[1] = {&views[order[t]]};
    run_group<1, kMeans, kPacked>(s, v, block, pairs);
  }
}

// One pass over every pair of objects: score the block, then feed it to the
// tasks.
template <bool kMeans>
void pass(const PreparedData& d, const int32_t* variable_at, const bool* needed,
          TaskState* states, const TaskView* views, const int32_t* order, int count,
          const ScoreBlock& block, Segment* segments, bool packed) {
  PairCursor cursor{d.objects};
  int segment_count = 0;
  for (;;) {
    const int pairs = cursor.next(segments, segment_count);
    if (pairs == 0) break;
    for (int64_t c = 0; c < d.variables; ++c) {
      if (needed[c]) score_variable(d, variable_at[c], c, segments, segment_count, block);
    }
    if (packed)
      run_block<kMeans, true>(states, views, order, count, block, pairs);
    else
      run_block<kMeans, false>(states, views, order, count, block, pairs);
  }
}

void d_correlation(const CorrelationWork& work) {
  const PreparedData& d = *work.prepared;
  const int64_t m = d.variables;
  const int count = work.task_count;
  if (count == 0) return;
  auto type_at = [&](int64_t column) { return d.type[work.variable_at[column]]; };

  TaskState* states = new TaskState[static_cast<size_t>(count)]();
  TaskView* views = new TaskView[static_cast<size_t>(count)]();
  int32_t* order = new int32_t[static_cast<size_t>(count)];
  bool* needed = new bool[static_cast<size_t>(m)]();
  // Room for a vector of partners past the last column, and for the two
  // vectors a packed task reads.
  const int64_t stride = m + kWidth > 2 * kWidth ? m + kWidth : 2 * kWidth;
  const bool packed = work.pair_k != nullptr;
  const size_t block_size = static_cast<size_t>(kBlockPairs * stride);
  float* signed_scores = new float[block_size]();
  float* unsigned_scores = new float[block_size]();
  Segment* segments = new Segment[kBlockPairs];
  const ScoreBlock block{signed_scores, unsigned_scores, stride};

  // The columns of K and L of each lane.
  auto lane_k = [&](const CorrelationTask& task, int lane) -> int64_t {
    return packed ? work.pair_k[task.l0 + lane] : task.k;
  };
  auto lane_l = [&](const CorrelationTask& task, int lane) -> int64_t {
    return packed ? work.pair_l[task.l0 + lane] : task.l0 + lane;
  };
  int means_count = 0;
  for (int t = 0; t < count; ++t) {
    const CorrelationTask& task = work.tasks[t];
    TaskView& v = views[t];
    states[t].replace_k = splat(kMarker);
    states[t].replace_l = splat(kMarker);
    v.k = task.k;
    v.l0 = task.l0;
    v.k_unordered = type_unordered(type_at(task.k));
    v.double_zero = false;
    for (int lane = 0; lane < task.lanes; ++lane) {
      const int64_t k = lane_k(task, lane), l = lane_l(task, lane);
      v.partner_unordered[lane] = type_unordered(type_at(l)) ? -1 : 0;
      v.l_unsigned[lane] = type_unordered(type_at(k)) ? -1 : 0;
      v.column_k[lane] = static_cast<int32_t>(k);
      v.column_l[lane] = static_cast<int32_t>(l);
      v.double_zero = v.double_zero || type_double_zero(type_at(k)) || type_double_zero(type_at(l));
      needed[k] = true;
      needed[l] = true;
    }
    if (v.double_zero) order[means_count++] = t;
  }
  if (means_count > 0) {
    pass<true>(d, work.variable_at, needed, states, views, order, means_count, block, segments,
               packed);
    for (int i = 0; i < means_count; ++i) {
      TaskState& s = states[order[i]];
      const CorrelationTask& task = work.tasks[order[i]];
      for (int lane = 0; lane < task.lanes; ++lane) {
        if (!type_double_zero(type_at(lane_k(task, lane))) &&
            !type_double_zero(type_at(lane_l(task, lane))))
          continue;
        s.replace_k[lane] = static_cast<float>(static_cast<double>(s.mean_k[lane]) /
                                               static_cast<int32_t>(s.count_k[lane]));
        s.replace_l[lane] = static_cast<float>(static_cast<double>(s.mean_l[lane]) /
                                               static_cast<int32_t>(s.count_l[lane]));
      }
    }
  }
  for (int t = 0; t < count; ++t) order[t] = t;
  pass<false>(d, work.variable_at, needed, states, views, order, count, block, segments, packed);

  for (int t = 0; t < count; ++t) {
    const TaskState& s = states[t];
    for (int lane = 0; lane < work.tasks[t].lanes; ++lane) {
      CorrelationSums& out = work.sums[static_cast<int64_t>(t) * kWidth + lane];
      out.sum_k = s.sum_k[lane];
      out.sum_l = s.sum_l[lane];
      out.sum_kl = join(s.sum_kl_low, s.sum_kl_high)[lane];
      out.sum_kk = s.sum_kk[lane];
      out.sum_ll = s.sum_ll[lane];
      out.squared_distance = s.squared_distance[lane];
    }
  }
  delete[] segments;
  delete[] unsigned_scores;
  delete[] signed_scores;
  delete[] needed;
  delete[] order;
  delete[] views;
  delete[] states;
}

// ---------------------------------------------------------------------------
// Gower dissimilarities.

// The unsigned scores of one variable for object i against objects j0 ..
// j0 + count - 1, written to rows[q * kWidth + lane], q = 0 .. count - 1:
// one lane of a vector of variables. A pair with a missing value gets the
// marker, since it is neither added nor counted.
template <int kType>
void score_row(const PreparedData& d, int64_t v, int64_t i, int64_t j0, int64_t count,
               int lane, float* rows) {
  const float* column = d.data + v * d.objects;
  const int32_t* ties = d.tie_count + v * d.objects;
  const Rule rule{d.range[v], d.period[v]};
  const vf xi = splat(column[i]);
  const vi no_ties = {};
  const vi ti = uses_ties(kType) ? splat(ties[i]) : no_ties;
  const vf marker = splat(kMarker);
  for (int64_t q = 0; q < count; q += kWidth) {
    const int lanes = count - q < kWidth ? static_cast<int>(count - q) : kWidth;
    const vf xj = lanes == kWidth ? load(column + j0 + q) : load_first(column + j0 + q, lanes);
    vi tj = no_ties;
    if constexpr (uses_ties(kType))
      tj = lanes == kWidth ? load(ties + j0 + q) : load_first(ties + j0 + q, lanes);
    vf signed_score, score;
    scores<kType>(rule, xi, xj, ti, tj, signed_score, score);
    score = ((xi == kMissingValue) | (xj == kMissingValue)) ? marker : score;
    float* out = rows + q * kWidth + lane;
    for (int e = 0; e < lanes; ++e) out[e * kWidth] = score[e];
  }
}

void score_row(const PreparedData& d, int64_t v, int64_t i, int64_t j0, int64_t count, int lane,
               float* rows) {
  switch (d.type[v]) {
    case 1: return score_row<1>(d, v, i, j0, count, lane, rows);
    case 2: return score_row<2>(d, v, i, j0, count, lane, rows);
    case 3:
    case 33: return score_row<3>(d, v, i, j0, count, lane, rows);
    case 4: return score_row<4>(d, v, i, j0, count, lane, rows);
    case 5:
    case 7: return score_row<7>(d, v, i, j0, count, lane, rows);
    case 6: return score_row<6>(d, v, i, j0, count, lane, rows);
    case 34: return score_row<34>(d, v, i, j0, count, lane, rows);
    default:
      for (int64_t q = 0; q < count; ++q) rows[q * kWidth + lane] = kMarker;
      return;
  }
}

// The means' chains of a vector of variables at a time, one per lane.
void gower_means(const GowerMeansWork& work) {
  const PreparedData& d = *work.prepared;
  const int64_t n = d.objects;
  float* rows = new float[static_cast<size_t>(kWidth * (n > 0 ? n : 1))];
  const vf marker = splat(kMarker);
  for (int first = 0; first < work.variable_count; first += kWidth) {
    const int group =
        work.variable_count - first < kWidth ? work.variable_count - first : kWidth;
    for (int64_t e = 0; e < kWidth * n; ++e) rows[e] = kMarker;  // unused lanes
    vf sums = {};
    vu counts = {};
    for (int64_t i = 0; i + 1 < n; ++i) {
      const int64_t count = n - 1 - i;
      for (int g = 0; g < group; ++g) score_row(d, work.variables[first + g], i, i + 1, count, g, rows);
      for (int64_t q = 0; q < count; ++q) {
        const vf score = load(rows + q * kWidth);
        const vi use = score != marker;
        sums += masked(score, use);
        counts -= (vu)use;
      }
    }
    for (int g = 0; g < group; ++g) {
      work.score_sum[first + g] = sums[g];
      work.scored_pairs[first + g] = static_cast<int32_t>(counts[g]);
    }
  }
  delete[] rows;
}

// Adds variable v's terms to the pairs (i, j), i = 0 .. j - 1, of column j.
template <int kType>
void fill_variable(const PreparedData& d, int64_t v, int64_t j, float mean, float* sums,
                   int32_t* missing, int32_t* hit) {
  const float* column = d.data + v * d.objects;
  const int32_t* ties = d.tie_count + v * d.objects;
  const Rule rule{d.range[v], d.period[v]};
  const vf xj = splat(column[j]);
  const vi no_ties = {};
  const vi tj = uses_ties(kType) ? splat(ties[j]) : no_ties;
  const vf marker = splat(kMarker);
  const vf replacement = splat(mean);
  vi markers = {};
  for (int64_t i = 0; i < j; i += kWidth) {
    const int lanes = j - i < kWidth ? static_cast<int>(j - i) : kWidth;
    vf xi, sum;
    vi ti = no_ties, miss;
    if (lanes == kWidth) {
      xi = load(column + i);
      if constexpr (uses_ties(kType)) ti = load(ties + i);
      sum = load(sums + i);
      miss = load(missing + i);
    } else {
      xi = load_first(column + i, lanes);
      if constexpr (uses_ties(kType)) ti = load_first(ties + i, lanes);
      sum = load_first(sums + i, lanes);
      miss = load_first(missing + i, lanes);
    }
    vf signed_score, score;
    scores<kType>(rule, xi, xj, ti, tj, signed_score, score);
    const vi is_missing = xi == kMissingValue;
    const vi is_marker = (score == marker) & ~is_missing;
    markers |= is_marker;
    sum += masked(is_marker ? replacement : score, ~is_missing);
    miss -= is_missing;
    if (lanes == kWidth) {
      store(sums + i, sum);
      store(missing + i, miss);
    } else {
      for (int lane = 0; lane < lanes; ++lane) {
        sums[i + lane] = sum[lane];
        missing[i + lane] = miss[lane];
      }
    }
  }
  for (int lane = 0; lane < kWidth; ++lane) {
    if (markers[lane]) *hit = 1;
  }
}

void fill_variable(const PreparedData& d, int64_t v, int64_t j, float mean, float* sums,
                   int32_t* missing, int32_t* hit) {
  switch (d.type[v]) {
    case 1: return fill_variable<1>(d, v, j, mean, sums, missing, hit);
    case 2: return fill_variable<2>(d, v, j, mean, sums, missing, hit);
    case 3:
    case 33: return fill_variable<3>(d, v, j, mean, sums, missing, hit);
    case 4: return fill_variable<4>(d, v, j, mean, sums, missing, hit);
    case 5:
    case 7: return fill_variable<7>(d, v, j, mean, sums, missing, hit);
    case 6: return fill_variable<6>(d, v, j, mean, sums, missing, hit);
    case 34: return fill_variable<34>(d, v, j, mean, sums, missing, hit);
    default: return;
  }
}

// Columns taken from the shared counter at a time.
constexpr int64_t kColumnChunk = 8;

void gower_fill(const GowerFillWork& work) {
  const PreparedData& d = *work.prepared;
  const int64_t n = d.objects;
  const int64_t m = d.variables;
  int32_t* missing = new int32_t[static_cast<size_t>(n > 0 ? n : 1)];
  int32_t* hits = new int32_t[static_cast<size_t>(m > 0 ? m : 1)]();
  for (;;) {
    const int64_t last = __atomic_fetch_sub(work.next_column, kColumnChunk, __ATOMIC_RELAXED);
    if (last < 0) break;
    const int64_t first = last - kColumnChunk + 1 > 0 ? last - kColumnChunk + 1 : 0;
    for (int64_t j = last; j >= first; --j) {
      // Column j holds the pairs (i, j), i < j, then the diagonal (j, j).
      float* sums = work.semimatrix + j * (j + 1) / 2;
      for (int64_t i = 0; i < j; ++i) {
        sums[i] = 0.0f;
        missing[i] = 0;
      }
      for (int64_t v = 0; v < m; ++v) {
        if (d.data[j + v * n] == kMissingValue) {
          for (int64_t i = 0; i < j; ++i) ++missing[i];
          continue;
        }
        fill_variable(d, v, j, work.mean_score[v], sums, missing, &hits[v]);
      }
      const float divisor = static_cast<float>(m);
      for (int64_t i = 0; i < j; i += kWidth) {
        const int lanes = j - i < kWidth ? static_cast<int>(j - i) : kWidth;
        if (lanes == kWidth) {
          const vi count = load(missing + i);
          store(sums + i, load(sums + i) / __builtin_convertvector(static_cast<int32_t>(m) - count, vf));
        } else {
          for (int lane = 0; lane < lanes; ++lane)
            sums[i + lane] = sums[i + lane] / static_cast<float>(m - missing[i + lane]);
        }
      }
      sums[j] = 0.0f / divisor;
    }
  }
  for (int64_t v = 0; v < m; ++v) {
    if (hits[v] && !work.mean_known[v]) __atomic_store_n(&work.hit_marker[v], 1, __ATOMIC_RELAXED);
  }
  delete[] hits;
  delete[] missing;
}

}  // namespace

const SimdKernels kKernels = {TOVA_SIMD_NAME, kWidth, TOVA_SIMD_PACK ? 2 * kWidth : 0,
                               d_correlation, gower_means, gower_fill};

}  // namespace tova::kernels::TOVA_SIMD_NAMESPACE

// The D-correlation chains, a vector of pairs of variables at a time.
// Part of the vector bodies: included by simd_kernels.inl inside its
// namespaces, after simd_common.inl.

// The score stored for a pair of objects with a missing value: a
// signalling NaN, which no arithmetic produces.
constexpr int32_t kAbsent = 0x7fa5a5a5;

// Pairs of objects per block of scores.
constexpr int kBlockPairs = 256;
// Tasks whose chains one loop runs side by side.
constexpr int kInterleave = TOVA_SIMD_INTERLEAVE;

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

// The scores of one block, row by pair of objects: the signed scores of
// the columns, then at `half` the unsigned ones, each region padded so that
// a vector of partners never leaves it. A pair with a missing value holds
// kAbsent in both. The scores are computed column by column into `columns`
// (pairs contiguous, signed then unsigned per column) and turned into rows
// a square of kWidth x kWidth at a time.
struct ScoreBlock {
  float* signed_score;
  float* unsigned_score;  // signed_score + half
  int64_t stride;
  float* columns;
  int64_t column_groups;  // columns / kWidth, rounded up
};

// Pairs of objects per column, with room for a vector past the block.
constexpr int64_t kColumnStride = kBlockPairs + kWidth;

// Element (r, c) of the square r[0..kWidth) to (c, r): log2(kWidth) rounds
// of interleaving rows q and q + kWidth/2, each of which rotates the bits
// of the element's row-and-column number by one.
TOVA_INLINE vf interleave_low(vf a, vf b) {
#if TOVA_SIMD_WIDTH == 16
  return __builtin_shufflevector(a, b, 0, 16, 1, 17, 2, 18, 3, 19, 4, 20, 5, 21, 6, 22, 7, 23);
#elif TOVA_SIMD_WIDTH == 8
  return __builtin_shufflevector(a, b, 0, 8, 1, 9, 2, 10, 3, 11);
#else
  return __builtin_shufflevector(a, b, 0, 4, 1, 5);
#endif
}
TOVA_INLINE vf interleave_high(vf a, vf b) {
#if TOVA_SIMD_WIDTH == 16
  return __builtin_shufflevector(a, b, 8, 24, 9, 25, 10, 26, 11, 27, 12, 28, 13, 29, 14, 30, 15,
                                 31);
#elif TOVA_SIMD_WIDTH == 8
  return __builtin_shufflevector(a, b, 4, 12, 5, 13, 6, 14, 7, 15);
#else
  return __builtin_shufflevector(a, b, 2, 6, 3, 7);
#endif
}
TOVA_INLINE void transpose(vf* r) {
#pragma GCC unroll 4
  for (int round = 1; round < kWidth; round *= 2) {
    vf next[kWidth];
#pragma GCC unroll 16
    for (int q = 0; q < kHalf; ++q) {
      next[2 * q] = interleave_low(r[q], r[q + kHalf]);
      next[2 * q + 1] = interleave_high(r[q], r[q + kHalf]);
    }
#pragma GCC unroll 16
    for (int q = 0; q < kWidth; ++q) r[q] = next[q];
  }
}

// The rows of the first `pairs` pairs from the columns.
void columns_to_rows(const ScoreBlock& block, int pairs) {
  const int64_t half = block.unsigned_score - block.signed_score;
  for (int p0 = 0; p0 < pairs; p0 += kWidth) {
    for (int64_t g = 0; g < block.column_groups; ++g) {
      for (int kind = 0; kind < 2; ++kind) {
        vf r[kWidth];
#pragma GCC unroll 16
        for (int q = 0; q < kWidth; ++q)
          r[q] = load(block.columns + ((g * kWidth + q) * 2 + kind) * kColumnStride + p0);
        transpose(r);
        float* out = block.signed_score + kind * half + g * kWidth + p0 * block.stride;
#pragma GCC unroll 16
        for (int q = 0; q < kWidth; ++q) store(out + q * block.stride, r[q]);
      }
    }
  }
}

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
      // Whole vectors: lanes past the segment are overwritten by the next
      // one or lie past the block's pairs.
      float* out = block.columns + column_at * 2 * kColumnStride + seg.first + q;
      store(out, signed_score);
      store(out + kColumnStride, unsigned_score);
    }
  }
}

void score_variable(const PreparedData& d, int64_t v, int64_t column_at, const Segment* segments,
                    int segment_count, const ScoreBlock& block) {
  switch (d.type[v]) {
    case 1:
      return score_variable<1>(d, v, column_at, segments, segment_count, block);
    case 2:
      return score_variable<2>(d, v, column_at, segments, segment_count, block);
    case 3:
    case 33:
      return score_variable<3>(d, v, column_at, segments, segment_count, block);
    case 4:
      return score_variable<4>(d, v, column_at, segments, segment_count, block);
    case 5:
    case 7:
      return score_variable<7>(d, v, column_at, segments, segment_count, block);
    case 6:
      return score_variable<6>(d, v, column_at, segments, segment_count, block);
    case 34:
      return score_variable<34>(d, v, column_at, segments, segment_count, block);
    default:
      return;  // other codes are rejected on reading
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
  // Lanes whose K comes after L in the data: the formula's K is the task's L.
  vi swapped;
};

// The rows a task reads: K's two scores and the partners' scores, as
// offsets into the block.
struct TaskRows {
  const float* k_signed;
  const float* k_unsigned;
  const float* partners;
  vi partner_unordered;
  vi column_k, column_l, l_unsigned;  // packed tasks
  vi swapped;
};

TOVA_INLINE TaskRows rows_of(const TaskView& v, const ScoreBlock& block) {
  return TaskRows{block.signed_score + v.k,
                  block.unsigned_score + v.k,
                  (v.k_unordered ? block.unsigned_score : block.signed_score) + v.l0,
                  v.partner_unordered,
                  v.column_k,
                  v.column_l,
                  v.l_unsigned,
                  v.swapped};
}

TOVA_INLINE vf k_score(const TaskRows& r, int64_t at) {
  return r.partner_unordered ? splat(r.k_unsigned[at]) : splat(r.k_signed[at]);
}

// The elements `index` of the 2 * kWidth elements of a then b. Packed work
// runs only with 512-bit vectors, where this is one instruction.
TOVA_INLINE vf pick(vf a, vf b, vi index) {
#if TOVA_SIMD_WIDTH == 16
  return (vf)_mm512_permutex2var_ps((__m512)a, (__m512i)index, (__m512)b);
#else
  vf picked = {};
  for (int q = 0; q < kWidth; ++q) {
    const int i = index[q] & (2 * kWidth - 1);
    picked[q] = i < kWidth ? a[i] : b[i - kWidth];
  }
  return picked;
#endif
}

// How a task finds its scores in a row: K's splatted and a vector of
// partners; or, packed, each lane's pair picked out of the row, from one
// vector of signed and one of unsigned scores when the work order has at
// most kWidth variables (the index then says which), else from two of each.
enum Layout { kPartners, kPackedNarrow, kPackedWide };

// The scores of K and L for the pair of objects at row offset `at`.
template <int kLayout>
TOVA_INLINE void task_scores(const TaskRows& r, const ScoreBlock& block, int64_t at, vf& sk,
                             vf& sl) {
  const float* signed_row = block.signed_score + at;
  const float* unsigned_row = block.unsigned_score + at;
  if constexpr (kLayout == kPackedNarrow) {
    const vf s = load(signed_row), u = load(unsigned_row);
    sk = pick(s, u, r.column_k);
    sl = pick(s, u, r.column_l);
  } else if constexpr (kLayout == kPackedWide) {
    const vf s0 = load(signed_row), s1 = load(signed_row + kWidth);
    const vf u0 = load(unsigned_row), u1 = load(unsigned_row + kWidth);
    sk = r.partner_unordered ? pick(u0, u1, r.column_k) : pick(s0, s1, r.column_k);
    sl = r.l_unsigned ? pick(u0, u1, r.column_l) : pick(s0, s1, r.column_l);
  } else {
    sk = k_score(r, at);
    sl = load(r.partners + at);
  }
}

TOVA_INLINE vi present(vf sk, vf sl) {
  return ((vi)sk != kAbsent) & ((vi)sl != kAbsent);
}

// The means' pass over one block for kTasks tasks at once (independent
// chains interleaved to hide the latency of each). Unguarded, a task whose
// chains end the block with a NaN keeps its state as it was and has its
// bit set in the result, for a guarded run of the block.
template <int kTasks, int kLayout, bool kGuard>
unsigned accumulate_means(TaskState* const* states, const TaskView* const* views,
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
      task_scores<kLayout>(rows[t], block, at, sk, sl);
      const vi valid = present(sk, sl);
      const vi use_k = valid & (sk != marker);
      const vi use_l = valid & (sl != marker);
      mean_k[t] = first_nan<kGuard>(mean_k[t], mean_k[t] + masked(sk, use_k));
      mean_l[t] = first_nan<kGuard>(mean_l[t], mean_l[t] + masked(sl, use_l));
      count_k[t] -= (vu)use_k;
      count_l[t] -= (vu)use_l;
    }
  }
  unsigned again = 0;
#pragma GCC unroll 4
  for (int t = 0; t < kTasks; ++t) {
    if (!kGuard && any_set((mean_k[t] != mean_k[t]) | (mean_l[t] != mean_l[t]))) {
      again |= 1u << t;
      continue;
    }
    states[t]->mean_k = mean_k[t];
    states[t]->mean_l = mean_l[t];
    states[t]->count_k = count_k[t];
    states[t]->count_l = count_l[t];
  }
  return again;
}

// The sums' pass over one block for kTasks tasks at once, unguarded as the
// means' pass. Skipped pairs add +0.0, which leaves every chain as it is: a
// sum that starts at +0.0 is never -0.0.
template <int kTasks, bool kReplace, int kLayout, bool kGuard>
unsigned accumulate_sums(TaskState* const* states, const TaskView* const* views,
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
      task_scores<kLayout>(rows[t], block, at, sk, sl);
      const vi valid = present(sk, sl);
      if constexpr (kReplace) {
        sk = sk == marker ? replace_k[t] : sk;
        sl = sl == marker ? replace_l[t] : sl;
      }
      sk = masked(sk, valid);
      sl = masked(sl, valid);
      sum_k[t] = first_nan<kGuard>(sum_k[t], sum_k[t] + sk);
      sum_l[t] = first_nan<kGuard>(sum_l[t], sum_l[t] + sl);
      sum_kk[t] = first_nan<kGuard>(sum_kk[t], sum_kk[t] + sk * sk);
      sum_ll[t] = first_nan<kGuard>(sum_ll[t], sum_ll[t] + sl * sl);
      // s_K - s_L and s_K * s_L with the formula's K first: in a swapped
      // lane that is the task's L. Both orders of the difference have the
      // same square.
      const vf first = rows[t].swapped ? sl : sk;
      const vf difference = first_nan<kGuard>(first, sk - sl);
      squared[t] = first_nan<kGuard>(squared[t], squared[t] + difference * difference);
      const vdh product_low = first_nan<kGuard>(low_half(first), low_half(sk) * low_half(sl));
      const vdh product_high = first_nan<kGuard>(high_half(first), high_half(sk) * high_half(sl));
      kl_low[t] = first_nan<kGuard>(kl_low[t], round_to_float(kl_low[t] + product_low));
      kl_high[t] = first_nan<kGuard>(kl_high[t], round_to_float(kl_high[t] + product_high));
    }
  }
  unsigned again = 0;
#pragma GCC unroll 4
  for (int t = 0; t < kTasks; ++t) {
    if constexpr (!kGuard) {
      const vf kl = join(kl_low[t], kl_high[t]);
      const vi nan = (sum_k[t] != sum_k[t]) | (sum_l[t] != sum_l[t]) | (sum_kk[t] != sum_kk[t]) |
                     (sum_ll[t] != sum_ll[t]) | (squared[t] != squared[t]) | (kl != kl);
      if (any_set(nan)) {
        again |= 1u << t;
        continue;
      }
    }
    TaskState& s = *states[t];
    s.sum_k = sum_k[t];
    s.sum_l = sum_l[t];
    s.sum_kk = sum_kk[t];
    s.sum_ll = sum_ll[t];
    s.squared_distance = squared[t];
    s.sum_kl_low = kl_low[t];
    s.sum_kl_high = kl_high[t];
  }
  return again;
}

template <int kTasks, bool kMeans, int kLayout, bool kGuard>
unsigned accumulate(TaskState* const* s, const TaskView* const* v, const ScoreBlock& block,
                    int pairs) {
  bool double_zero = false;
  for (int i = 0; i < kTasks; ++i) double_zero = double_zero || v[i]->double_zero;
  if constexpr (kMeans)
    return accumulate_means<kTasks, kLayout, kGuard>(s, v, block, pairs);
  else if (double_zero)
    return accumulate_sums<kTasks, true, kLayout, kGuard>(s, v, block, pairs);
  else
    return accumulate_sums<kTasks, false, kLayout, kGuard>(s, v, block, pairs);
}

// The block unguarded; a task whose chains met a NaN runs it again, guarded.
template <int kTasks, bool kMeans, int kLayout>
void run_group(TaskState* const* s, const TaskView* const* v, const ScoreBlock& block, int pairs) {
  const unsigned again = accumulate<kTasks, kMeans, kLayout, false>(s, v, block, pairs);
  for (int i = 0; i < kTasks; ++i) {
    if ((again & (1u << i)) == 0) continue;
    TaskState* const one[1] = {s[i]};
    const TaskView* const view[1] = {v[i]};
    accumulate<1, kMeans, kLayout, true>(one, view, block, pairs);
  }
}

// Runs the tasks listed in `order` kInterleave at a time, the rest one by
// one.
template <bool kMeans, int kLayout>
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
    run_group<kInterleave, kMeans, kLayout>(s, v, block, pairs);
  }
  for (; t < count; ++t) {
    TaskState* const s[1] = {&states[order[t]]};
    const TaskView* const v[1] = {&views[order[t]]};
    run_group<1, kMeans, kLayout>(s, v, block, pairs);
  }
}

// One pass over every pair of objects: score the block, then feed it to the
// tasks.
template <bool kMeans>
void pass(const PreparedData& d, const int32_t* variable_at, const bool* needed, TaskState* states,
          const TaskView* views, const int32_t* order, int count, const ScoreBlock& block,
          Segment* segments, Layout layout) {
  PairCursor cursor{d.objects};
  int segment_count = 0;
  for (;;) {
    const int pairs = cursor.next(segments, segment_count);
    if (pairs == 0) break;
    for (int64_t c = 0; c < d.variables; ++c) {
      if (needed[c]) score_variable(d, variable_at[c], c, segments, segment_count, block);
    }
    columns_to_rows(block, pairs);
    if (layout == kPackedNarrow)
      run_block<kMeans, kPackedNarrow>(states, views, order, count, block, pairs);
    else if (layout == kPackedWide)
      run_block<kMeans, kPackedWide>(states, views, order, count, block, pairs);
    else
      run_block<kMeans, kPartners>(states, views, order, count, block, pairs);
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
  // Whole squares of columns; a region of a row has room for a vector of
  // partners past its last column.
  const int64_t groups = (m + kWidth - 1) / kWidth;
  const int64_t half = groups * kWidth + kWidth;
  const bool packed = work.pair_k != nullptr;
  const Layout layout = !packed ? kPartners : m <= kWidth ? kPackedNarrow : kPackedWide;
  float* rows = new float[static_cast<size_t>(kBlockPairs * 2 * half)]();
  // Columns past m and those not needed stay zero.
  float* columns = new float[static_cast<size_t>(groups * kWidth * 2 * kColumnStride)]();
  Segment* segments = new Segment[kBlockPairs];
  const ScoreBlock block{rows, rows + half, 2 * half, columns, groups};

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
      // The narrow packed rows pick a lane's unsigned score from the
      // second vector.
      const int32_t k_offset = layout == kPackedNarrow && v.partner_unordered[lane] ? kWidth : 0;
      const int32_t l_offset = layout == kPackedNarrow && v.l_unsigned[lane] ? kWidth : 0;
      v.column_k[lane] = static_cast<int32_t>(k) + k_offset;
      v.column_l[lane] = static_cast<int32_t>(l) + l_offset;
      v.swapped[lane] = work.variable_at[k] > work.variable_at[l] ? -1 : 0;
      v.double_zero = v.double_zero || type_double_zero(type_at(k)) || type_double_zero(type_at(l));
      needed[k] = true;
      needed[l] = true;
    }
    if (v.double_zero) order[means_count++] = t;
  }
  if (means_count > 0) {
    pass<true>(d, work.variable_at, needed, states, views, order, means_count, block, segments,
               layout);
    for (int i = 0; i < means_count; ++i) {
      TaskState& s = states[order[i]];
      const CorrelationTask& task = work.tasks[order[i]];
      for (int lane = 0; lane < task.lanes; ++lane) {
        if (!type_double_zero(type_at(lane_k(task, lane))) &&
            !type_double_zero(type_at(lane_l(task, lane))))
          continue;
        // Counts converted to real (float) before the division.
        const float count_k = static_cast<float>(static_cast<int32_t>(s.count_k[lane]));
        const float count_l = static_cast<float>(static_cast<int32_t>(s.count_l[lane]));
        s.replace_k[lane] = static_cast<float>(static_cast<double>(s.mean_k[lane]) / count_k);
        s.replace_l[lane] = static_cast<float>(static_cast<double>(s.mean_l[lane]) / count_l);
      }
    }
  }
  for (int t = 0; t < count; ++t) order[t] = t;
  pass<false>(d, work.variable_at, needed, states, views, order, count, block, segments, layout);

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
  delete[] columns;
  delete[] rows;
  delete[] needed;
  delete[] order;
  delete[] views;
  delete[] states;
}

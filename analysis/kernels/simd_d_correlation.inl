// The D-correlation chains, a vector of pairs of variables at a time.
// Part of the vector bodies: included by simd_kernels.inl inside its
// namespaces, after simd_common.inl.

// The score stored for a pair of objects with a missing value: a
// signalling NaN, which no arithmetic produces.
constexpr int32_t kAbsent = 0x7fa5a5a5;

constexpr int kBlockPairs = kCorrelationBlockPairs;
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

  // The cursor at the pair with number p (0: the pair (0, 1)).
  static PairCursor at(int64_t n, int64_t p) {
    // The pairs before row i number i(2n - i - 1)/2; the root of that
    // quadratic gives i, give or take one.
    auto row_start = [n](int64_t row) { return row * (2 * n - row - 1) / 2; };
    const double b = static_cast<double>(2 * n - 1);
    int64_t i =
        static_cast<int64_t>((b - __builtin_sqrt(b * b - 8.0 * static_cast<double>(p))) / 2);
    if (i < 0) i = 0;
    if (i > n - 2) i = n - 2;
    while (i > 0 && row_start(i) > p) --i;
    while (i < n - 2 && row_start(i + 1) <= p) ++i;
    return PairCursor{n, i, i + 1 + (p - row_start(i))};
  }

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

// The scores of one block, row by pair of objects. The scores are computed
// column by column into `columns` (pairs contiguous), one column a slot,
// and turned into rows a square of kWidth x kWidth slots at a time, slot s
// at offset s of a row; slots of a last part square may be copied one by
// one instead. A pair with a missing value holds kAbsent.
//
// Work in vectors of partners has the signed scores of the work order's
// columns at slots 0.., the unsigned ones at `half`, each region padded so
// that a vector of partners never leaves it. Packed work has a slot for
// each score some lane reads, in any order (an unordered variable has one
// score for both).
struct ScoreBlock {
  float* signed_score;    // the rows
  float* unsigned_score;  // signed_score + half, for vectors of partners
  int64_t stride;
  float* columns;
  const int32_t* squares;  // the first slot / kWidth of each square
  int square_count;
  int32_t copied_first, copied_count;  // slots copied one by one
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
  for (int p0 = 0; p0 < pairs; p0 += kWidth) {
    for (int g = 0; g < block.square_count; ++g) {
      const int64_t first = static_cast<int64_t>(block.squares[g]) * kWidth;
      vf r[kWidth];
#pragma GCC unroll 16
      for (int q = 0; q < kWidth; ++q)
        r[q] = load(block.columns + (first + q) * kColumnStride + p0);
      transpose(r);
      float* out = block.signed_score + first + p0 * block.stride;
#pragma GCC unroll 16
      for (int q = 0; q < kWidth; ++q) store(out + q * block.stride, r[q]);
    }
  }
  for (int32_t slot = block.copied_first; slot < block.copied_first + block.copied_count; ++slot) {
    const float* column = block.columns + slot * kColumnStride;
    for (int p = 0; p < pairs; ++p) block.signed_score[slot + p * block.stride] = column[p];
  }
}

// A variable scored for its presence only: 0.0, kAbsent where missing.
constexpr int kPresence = 0;

// The scores of variable v into the columns signed_out and unsigned_out
// (either may be null: not read; they may be the same). With marker_seen,
// a score equal to the not-comparable marker sets it.
template <int kType>
void score_variable(const PreparedData& d, int64_t v, float* signed_out, float* unsigned_out,
                    const Segment* segments, int segment_count, bool* marker_seen) {
  const float* column = d.data + v * d.objects;
  const int32_t* ties = d.tie_count + v * d.objects;
  const Rule rule{d.range[v], d.period[v]};
  const vi no_ties = {};
  vi markers = {};
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
      vf signed_score = {}, unsigned_score = {};
      if constexpr (kType != kPresence)
        scores<kType>(rule, xi, xj, ti, tj, signed_score, unsigned_score);
      const vi missing = (xi == kMissing) | (xj == kMissing);
      const vf absent = (vf)splat(kAbsent);
      signed_score = missing ? absent : signed_score;
      unsigned_score = missing ? absent : unsigned_score;
      if (marker_seen)
        markers |= (signed_score == kNotComparable) | (unsigned_score == kNotComparable);
      // Whole vectors: lanes past the segment are overwritten by the next
      // one or lie past the block's pairs.
      if (signed_out) store(signed_out + seg.first + q, signed_score);
      if (unsigned_out && unsigned_out != signed_out)
        store(unsigned_out + seg.first + q, unsigned_score);
    }
  }
  if (marker_seen && any_set(markers)) *marker_seen = true;
}

// How the scores of a pass are made. The means' pass needs the scores of
// the double-zero variables and only the presence of the others, whose
// scores are never the marker with the ranges the preparation gives; the
// sums' pass after such a means' pass watches the others for the marker
// (then the kernel runs again with every score in the means' pass).
enum Scoring { kEveryScore, kPresenceOfOrdinary, kWatchOrdinary };

void score_variable(const PreparedData& d, int64_t v, float* signed_out, float* unsigned_out,
                    const Segment* segments, int segment_count, Scoring scoring,
                    bool* marker_seen) {
  const int32_t type = d.type[v];
  auto go = [&]<int kType>() {
    bool* seen = scoring == kWatchOrdinary && !is_double_zero(type) ? marker_seen : nullptr;
    score_variable<kType>(d, v, signed_out, unsigned_out, segments, segment_count, seen);
  };
  if (scoring == kPresenceOfOrdinary && !is_double_zero(type)) return go.operator()<kPresence>();
  switch (type) {
    case 1:
      return go.operator()<1>();
    case 2:
      return go.operator()<2>();
    case 3:
    case 33:
      return go.operator()<3>();
    case 4:
      return go.operator()<4>();
    case 5:
    case 7:
      return go.operator()<7>();
    case 6:
      return go.operator()<6>();
    case 34:
      return go.operator()<34>();
    default:
      return;  // other codes are rejected on reading
  }
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
  // A packed task has a pair of its own in each lane: its scores of K and
  // L are at the row offsets column_k and column_l; k_upper and l_upper
  // mark the offsets from 2 * kWidth on (wide rows).
  vi column_k, column_l, k_upper, l_upper;
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
  vi column_k, column_l, k_upper, l_upper;  // packed tasks
  vi swapped;
};

TOVA_INLINE TaskRows rows_of(const TaskView& v, const ScoreBlock& block) {
  return TaskRows{block.signed_score + v.k,
                  block.unsigned_score + v.k,
                  (v.k_unordered ? block.unsigned_score : block.signed_score) + v.l0,
                  v.partner_unordered,
                  v.column_k,
                  v.column_l,
                  v.k_upper,
                  v.l_upper,
                  v.swapped};
}

TOVA_INLINE vf k_score(const TaskRows& r, int64_t at) {
  return r.partner_unordered ? splat(r.k_unsigned[at]) : splat(r.k_signed[at]);
}

// The elements `index` of the 2 * kWidth elements of a then b. Packed work
// runs with 512-bit vectors, where this is one instruction, and with
// 256-bit ones for at most a vector of variables.
TOVA_INLINE vf pick(vf a, vf b, vi index) {
#if TOVA_SIMD_WIDTH == 16
  return (vf)_mm512_permutex2var_ps((__m512)a, (__m512i)index, (__m512)b);
#elif TOVA_SIMD_WIDTH == 8
  const vf from_a = (vf)_mm256_permutevar8x32_ps((__m256)a, (__m256i)index);
  const vf from_b = (vf)_mm256_permutevar8x32_ps((__m256)b, (__m256i)index);
  return (index & kWidth) != 0 ? from_b : from_a;
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
// partners; or, packed, each lane's scores picked out of the first two
// vectors of the row (at most 2 * kWidth slots), or of four.
enum Layout { kPartners, kPackedNarrow, kPackedWide };

// The scores of K and L for the pair of objects at row offset `at`.
template <int kLayout>
TOVA_INLINE void task_scores(const TaskRows& r, const ScoreBlock& block, int64_t at, vf& sk,
                             vf& sl) {
  const float* row = block.signed_score + at;
  if constexpr (kLayout == kPackedNarrow) {
    const vf v0 = load(row), v1 = load(row + kWidth);
    sk = pick(v0, v1, r.column_k);
    sl = pick(v0, v1, r.column_l);
  } else if constexpr (kLayout == kPackedWide) {
    const vf v0 = load(row), v1 = load(row + kWidth);
    const vf v2 = load(row + 2 * kWidth), v3 = load(row + 3 * kWidth);
    sk = r.k_upper ? pick(v2, v3, r.column_k) : pick(v0, v1, r.column_k);
    sl = r.l_upper ? pick(v2, v3, r.column_l) : pick(v0, v1, r.column_l);
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
  const vf marker = splat(kNotComparable);
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
// sum that starts at +0.0 is never -0.0. Bit t of kReplace: task t replaces
// the marker (the others have no double-zero lane, their marker stays).
template <int kTasks, unsigned kReplace, int kLayout, bool kGuard>
unsigned accumulate_sums(TaskState* const* states, const TaskView* const* views,
                         const ScoreBlock& block, int pairs) {
  const vf marker = splat(kNotComparable);
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
      if ((kReplace >> t) & 1u) {
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

// The sums' pass with the replacing tasks of `replace` (one body per set).
template <int kTasks, int kLayout, bool kGuard, unsigned... kSets>
unsigned accumulate_sums(unsigned replace, std::integer_sequence<unsigned, kSets...>,
                         TaskState* const* s, const TaskView* const* v, const ScoreBlock& block,
                         int pairs) {
  using Body = unsigned (*)(TaskState* const*, const TaskView* const*, const ScoreBlock&, int);
  static constexpr Body kBodies[] = {&accumulate_sums<kTasks, kSets, kLayout, kGuard>...};
  return kBodies[replace](s, v, block, pairs);
}

template <int kTasks, bool kMeans, int kLayout, bool kGuard>
unsigned accumulate(TaskState* const* s, const TaskView* const* v, const ScoreBlock& block,
                    int pairs) {
  if constexpr (kMeans) {
    return accumulate_means<kTasks, kLayout, kGuard>(s, v, block, pairs);
  } else {
    unsigned replace = 0;
    for (int i = 0; i < kTasks; ++i) replace |= v[i]->double_zero ? 1u << i : 0u;
    return accumulate_sums<kTasks, kLayout, kGuard>(
        replace, std::make_integer_sequence<unsigned, 1u << kTasks>{}, s, v, block, pairs);
  }
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

// Waits until a group has run over `blocks` blocks: polls, and after a
// while lets other threads run (the worker it waits for may need the core).
void await_progress(const int64_t* progress, int64_t blocks) {
  for (int polls = 0; __atomic_load_n(progress, __ATOMIC_ACQUIRE) != blocks; ++polls) {
    if (polls < 4000) {
#if defined(__x86_64__) || defined(__i386__)
      __builtin_ia32_pause();
#endif
    } else {
      schedule_yield();
    }
  }
}

// Scores the next block of the cursor into the rows of `block`; returns its
// number of pairs.
int score_block(const PreparedData& d, const int32_t* variable_at, float* const* signed_columns,
                float* const* unsigned_columns, const ScoreBlock& block, Segment* segments,
                PairCursor& cursor, Scoring scoring, bool* marker_seen) {
  int segment_count = 0;
  const int pairs = cursor.next(segments, segment_count);
  for (int64_t c = 0; c < d.variables; ++c) {
    if (signed_columns[c] || unsigned_columns[c])
      score_variable(d, variable_at[c], signed_columns[c], unsigned_columns[c], segments,
                     segment_count, scoring, marker_seen);
  }
  columns_to_rows(block, pairs);
  return pairs;
}

// Feeds the `pairs` pairs of a scored block to the tasks listed in `order`.
template <bool kMeans>
void run_chains(TaskState* states, const TaskView* views, const int32_t* order, int count,
                const ScoreBlock& block, int pairs, Layout layout) {
  if (layout == kPackedNarrow)
    run_block<kMeans, kPackedNarrow>(states, views, order, count, block, pairs);
  else if (layout == kPackedWide)
    run_block<kMeans, kPackedWide>(states, views, order, count, block, pairs);
  else
    run_block<kMeans, kPartners>(states, views, order, count, block, pairs);
}

void d_correlation(const CorrelationWork& work) {
  const PreparedData& d = *work.prepared;
  const int64_t m = d.variables;
  const int count = work.task_count;
  if (count == 0) return;
  auto type_at = [&](int64_t column) { return d.type[work.variable_at[column]]; };

  TaskView* views = new TaskView[static_cast<size_t>(count)]();
  int32_t* order = new int32_t[static_cast<size_t>(count)];
  int32_t* means_order = new int32_t[static_cast<size_t>(count)];
  const bool packed = work.pair_k != nullptr;
  // The columns of K and L of each lane.
  auto lane_k = [&](const CorrelationTask& task, int lane) -> int64_t {
    return packed ? work.pair_k[task.l0 + lane] : task.k;
  };
  auto lane_l = [&](const CorrelationTask& task, int lane) -> int64_t {
    return packed ? work.pair_l[task.l0 + lane] : task.l0 + lane;
  };
  // The slots of each column's signed and unsigned scores; -1: not read.
  int32_t* slot_signed = new int32_t[static_cast<size_t>(m)];
  int32_t* slot_unsigned = new int32_t[static_cast<size_t>(m)];
  for (int64_t c = 0; c < m; ++c) slot_signed[c] = slot_unsigned[c] = -1;
  const int64_t groups = (m + kWidth - 1) / kWidth;
  const int64_t half = groups * kWidth + kWidth;
  int32_t slots = 0;
  // The slot of a score a packed lane reads, taken on first use.
  auto slot_of = [&](int64_t c, bool unsigned_score) {
    int32_t& slot = unsigned_score ? slot_unsigned[c] : slot_signed[c];
    if (slot < 0) {
      slot = slots++;
      if (is_unordered(type_at(c))) slot_signed[c] = slot_unsigned[c] = slot;
    }
    return slot;
  };
  int means_count = 0;
  for (int t = 0; t < count; ++t) {
    const CorrelationTask& task = work.tasks[t];
    TaskView& v = views[t];
    v.k = task.k;
    v.l0 = task.l0;
    v.k_unordered = is_unordered(type_at(task.k));
    v.double_zero = false;
    for (int lane = 0; lane < task.lanes; ++lane) {
      const int64_t k = lane_k(task, lane), l = lane_l(task, lane);
      v.partner_unordered[lane] = is_unordered(type_at(l)) ? -1 : 0;
      if (packed) {
        v.column_k[lane] = slot_of(k, is_unordered(type_at(l)));
        v.column_l[lane] = slot_of(l, is_unordered(type_at(k)));
        v.k_upper[lane] = v.column_k[lane] >= 2 * kWidth ? -1 : 0;
        v.l_upper[lane] = v.column_l[lane] >= 2 * kWidth ? -1 : 0;
      } else {
        slot_signed[k] = static_cast<int32_t>(k);
        slot_signed[l] = static_cast<int32_t>(l);
        slot_unsigned[k] = static_cast<int32_t>(half + k);
        slot_unsigned[l] = static_cast<int32_t>(half + l);
      }
      v.swapped[lane] = work.variable_at[k] > work.variable_at[l] ? -1 : 0;
      v.double_zero = v.double_zero || is_double_zero(type_at(k)) || is_double_zero(type_at(l));
    }
    if (v.double_zero) means_order[means_count++] = t;
  }
  const Layout layout = !packed ? kPartners : slots <= 2 * kWidth ? kPackedNarrow : kPackedWide;
  const int64_t stride = !packed ? 2 * half : layout == kPackedNarrow ? 2 * kWidth : 4 * kWidth;
  // The squares of slots to transpose: for vectors of partners those of
  // the two regions; packed, the slots in order, a last part square of at
  // most two slots copied one by one.
  int32_t* squares = new int32_t[static_cast<size_t>(stride / kWidth)];
  int square_count = 0;
  int32_t copied_first = 0, copied_count = 0;
  if (!packed) {
    for (int64_t g = 0; g < groups; ++g) {
      squares[square_count++] = static_cast<int32_t>(g);
      squares[square_count++] = static_cast<int32_t>(half / kWidth + g);
    }
  } else {
    for (int32_t first = 0; first < slots; first += kWidth) {
      if (slots - first <= 2) {
        copied_first = first;
        copied_count = slots - first;
      } else {
        squares[square_count++] = first / kWidth;
      }
    }
  }
  float* columns = new float[static_cast<size_t>(stride * kColumnStride)]();
  float** signed_columns = new float*[static_cast<size_t>(m)];
  float** unsigned_columns = new float*[static_cast<size_t>(m)];
  for (int64_t c = 0; c < m; ++c) {
    signed_columns[c] = slot_signed[c] < 0 ? nullptr : columns + slot_signed[c] * kColumnStride;
    unsigned_columns[c] =
        slot_unsigned[c] < 0 ? nullptr : columns + slot_unsigned[c] * kColumnStride;
  }
  Segment* segments = new Segment[kBlockPairs];
  for (int t = 0; t < count; ++t) order[t] = t;

  // Rows of kBlockPairs pairs, the worker's own; slots that are not read
  // stay zero. The tasks' states are shared by the workers.
  float* rows = new float[static_cast<size_t>(kBlockPairs * stride)]();
  const ScoreBlock block{rows,    rows + half,  stride,       columns,
                         squares, square_count, copied_first, copied_count};
  const int32_t means_groups = (means_count + work.group_size - 1) / work.group_size;
  TaskState* states = static_cast<TaskState*>(
      schedule_shared(work.schedule, sizeof(TaskState) * count, means_groups));

  CorrelationJob job;
  bool marker_seen = false;
  for (;;) {
    job = schedule_next(work.schedule, job, marker_seen);
    marker_seen = false;
    if (job.kind == CorrelationJob::kEnd) break;
    switch (job.kind) {
      case CorrelationJob::kReset:
        for (int t = 0; t < count; ++t) {
          states[t] = TaskState{};
          states[t].replace_k = splat(kNotComparable);
          states[t].replace_l = splat(kNotComparable);
        }
        break;
      case CorrelationJob::kBlocks: {
        // The means' pass first scores the ordinary variables for their
        // presence only; the sums' pass after it watches them for the
        // marker.
        const Scoring scoring = job.attempt > 0   ? kEveryScore
                                : job.means       ? kPresenceOfOrdinary
                                : means_count > 0 ? kWatchOrdinary
                                                  : kEveryScore;
        const int32_t* listed = job.means ? means_order : order;
        const int32_t listed_count = job.means ? means_count : count;
        PairCursor cursor = PairCursor::at(d.objects, job.first_block * kBlockPairs);
        for (int64_t b = job.first_block; b < job.first_block + job.block_count; ++b) {
          const int pairs = score_block(d, work.variable_at, signed_columns, unsigned_columns,
                                        block, segments, cursor, scoring, &marker_seen);
          for (int32_t first = 0, g = 0; first < listed_count; first += work.group_size, ++g) {
            const int32_t in_group =
                listed_count - first < work.group_size ? listed_count - first : work.group_size;
            int64_t* progress = job.progress + g * kProgressStride;
            await_progress(progress, b);
            if (job.means)
              run_chains<true>(states, views, listed + first, in_group, block, pairs, layout);
            else
              run_chains<false>(states, views, listed + first, in_group, block, pairs, layout);
            __atomic_store_n(progress, b + 1, __ATOMIC_RELEASE);
          }
        }
        break;
      }
      case CorrelationJob::kReplace:
        for (int i = 0; i < means_count; ++i) {
          TaskState& s = states[means_order[i]];
          const CorrelationTask& task = work.tasks[means_order[i]];
          for (int lane = 0; lane < task.lanes; ++lane) {
            if (!is_double_zero(type_at(lane_k(task, lane))) &&
                !is_double_zero(type_at(lane_l(task, lane))))
              continue;
            // Counts converted to real (float) before the division.
            const float count_k = static_cast<float>(static_cast<int32_t>(s.count_k[lane]));
            const float count_l = static_cast<float>(static_cast<int32_t>(s.count_l[lane]));
            s.replace_k[lane] = static_cast<float>(static_cast<double>(s.mean_k[lane]) / count_k);
            s.replace_l[lane] = static_cast<float>(static_cast<double>(s.mean_l[lane]) / count_l);
          }
        }
        break;
      case CorrelationJob::kFinish:
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
        break;
      default:
        break;
    }
  }
  delete[] rows;
  delete[] segments;
  delete[] unsigned_columns;
  delete[] signed_columns;
  delete[] columns;
  delete[] squares;
  delete[] slot_unsigned;
  delete[] slot_signed;
  delete[] means_order;
  delete[] order;
  delete[] views;
}

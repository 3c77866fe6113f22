// The Gower dissimilarities, a vector of pairs of objects at a time.
// Part of the vector bodies: included by simd_kernels.inl inside its
// namespaces, after simd_common.inl.

// The unsigned scores of one variable for object i against objects j0 ..
// j0 + count - 1, written to rows[q * kWidth + lane], q = 0 .. count - 1:
// one lane of a vector of variables. A pair with a missing value gets the
// marker, since it is neither added nor counted.
template <int kType>
void score_row(const PreparedData& d, int64_t v, int64_t i, int64_t j0, int64_t count, int lane,
               float* rows) {
  const float* column = d.data + v * d.objects;
  const int32_t* ties = d.tie_count + v * d.objects;
  const Rule rule{d.range[v], d.period[v]};
  const vf xi = splat(column[i]);
  const vi no_ties = {};
  const vi ti = uses_ties(kType) ? splat(ties[i]) : no_ties;
  const vf marker = splat(kNotComparable);
  for (int64_t q = 0; q < count; q += kWidth) {
    const int lanes = count - q < kWidth ? static_cast<int>(count - q) : kWidth;
    const vf xj = lanes == kWidth ? load(column + j0 + q) : load_first(column + j0 + q, lanes);
    vi tj = no_ties;
    if constexpr (uses_ties(kType))
      tj = lanes == kWidth ? load(ties + j0 + q) : load_first(ties + j0 + q, lanes);
    vf signed_score, score;
    scores<kType>(rule, xi, xj, ti, tj, signed_score, score);
    score = ((xi == kMissing) | (xj == kMissing)) ? marker : score;
    float* out = rows + q * kWidth + lane;
    for (int e = 0; e < lanes; ++e) out[e * kWidth] = score[e];
  }
}

void score_row(const PreparedData& d, int64_t v, int64_t i, int64_t j0, int64_t count, int lane,
               float* rows) {
  switch (d.type[v]) {
    case 1:
      return score_row<1>(d, v, i, j0, count, lane, rows);
    case 2:
      return score_row<2>(d, v, i, j0, count, lane, rows);
    case 3:
    case 33:
      return score_row<3>(d, v, i, j0, count, lane, rows);
    case 4:
      return score_row<4>(d, v, i, j0, count, lane, rows);
    case 5:
    case 7:
      return score_row<7>(d, v, i, j0, count, lane, rows);
    case 6:
      return score_row<6>(d, v, i, j0, count, lane, rows);
    case 34:
      return score_row<34>(d, v, i, j0, count, lane, rows);
    default:
      for (int64_t q = 0; q < count; ++q) rows[q * kWidth + lane] = kNotComparable;
      return;
  }
}

// Adds one row's scores (rows[q * kWidth + lane]) to the means' chains.
template <bool kGuard>
void add_row(const float* rows, int64_t count, vf& sums, vu& counts) {
  const vf marker = splat(kNotComparable);
  for (int64_t q = 0; q < count; ++q) {
    const vf score = load(rows + q * kWidth);
    const vi use = score != marker;
    sums = first_nan<kGuard>(sums, sums + masked(score, use));
    counts -= (vu)use;
  }
}

// The means' chains of a vector of variables at a time, one per lane.
void gower_means(const GowerMeansWork& work) {
  const PreparedData& d = *work.prepared;
  const int64_t n = d.objects;
  float* rows = new float[static_cast<size_t>(kWidth * (n > 0 ? n : 1))];
  for (int first = 0; first < work.variable_count; first += kWidth) {
    const int group = work.variable_count - first < kWidth ? work.variable_count - first : kWidth;
    for (int64_t e = 0; e < kWidth * n; ++e) rows[e] = kNotComparable;  // unused lanes
    vf sums = {};
    vu counts = {};
    for (int64_t i = 0; i + 1 < n; ++i) {
      const int64_t count = n - 1 - i;
      for (int g = 0; g < group; ++g)
        score_row(d, work.variables[first + g], i, i + 1, count, g, rows);
      const vf sums_before = sums;
      const vu counts_before = counts;
      add_row<false>(rows, count, sums, counts);
      if (any_nan(sums)) {  // again, guarded
        sums = sums_before;
        counts = counts_before;
        add_row<true>(rows, count, sums, counts);
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
template <int kType, bool kGuard>
void fill_variable(const PreparedData& d, int64_t v, int64_t j, float mean, float* sums,
                   int32_t* missing, int32_t* hit) {
  const float* column = d.data + v * d.objects;
  const int32_t* ties = d.tie_count + v * d.objects;
  const Rule rule{d.range[v], d.period[v]};
  const vf xj = splat(column[j]);
  const vi no_ties = {};
  const vi tj = uses_ties(kType) ? splat(ties[j]) : no_ties;
  const vf marker = splat(kNotComparable);
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
    const vi is_missing = xi == kMissing;
    const vi is_marker = (score == marker) & ~is_missing;
    markers |= is_marker;
    sum = first_nan<kGuard>(sum, sum + masked(is_marker ? replacement : score, ~is_missing));
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

template <bool kGuard>
void fill_variable(const PreparedData& d, int64_t v, int64_t j, float mean, float* sums,
                   int32_t* missing, int32_t* hit) {
  switch (d.type[v]) {
    case 1:
      return fill_variable<1, kGuard>(d, v, j, mean, sums, missing, hit);
    case 2:
      return fill_variable<2, kGuard>(d, v, j, mean, sums, missing, hit);
    case 3:
    case 33:
      return fill_variable<3, kGuard>(d, v, j, mean, sums, missing, hit);
    case 4:
      return fill_variable<4, kGuard>(d, v, j, mean, sums, missing, hit);
    case 5:
    case 7:
      return fill_variable<7, kGuard>(d, v, j, mean, sums, missing, hit);
    case 6:
      return fill_variable<6, kGuard>(d, v, j, mean, sums, missing, hit);
    case 34:
      return fill_variable<34, kGuard>(d, v, j, mean, sums, missing, hit);
    default:
      return;
  }
}

// The sums of the pairs (i, j), i < j, over the variables in order, and
// their missing counts.
template <bool kGuard>
void fill_column(const GowerFillWork& work, int64_t j, float* sums, int32_t* missing,
                 int32_t* hits) {
  const PreparedData& d = *work.prepared;
  const int64_t n = d.objects;
  for (int64_t i = 0; i < j; ++i) {
    sums[i] = 0.0f;
    missing[i] = 0;
  }
  for (int64_t v = 0; v < d.variables; ++v) {
    if (d.data[j + v * n] == kMissing) {
      for (int64_t i = 0; i < j; ++i) ++missing[i];
      continue;
    }
    fill_variable<kGuard>(d, v, j, work.mean_score[v], sums, missing, &hits[v]);
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
      fill_column<false>(work, j, sums, missing, hits);
      vi nan = {};
      for (int64_t i = 0; i < j; i += kWidth) {
        const vf sum =
            j - i < kWidth ? load_first(sums + i, static_cast<int>(j - i)) : load(sums + i);
        nan |= sum != sum;
      }
      if (any_set(nan)) fill_column<true>(work, j, sums, missing, hits);  // again, guarded
      const float divisor = static_cast<float>(m);
      for (int64_t i = 0; i < j; i += kWidth) {
        const int lanes = j - i < kWidth ? static_cast<int>(j - i) : kWidth;
        if (lanes == kWidth) {
          const vi count = load(missing + i);
          store(sums + i,
                load(sums + i) / __builtin_convertvector(static_cast<int32_t>(m) - count, vf));
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

// The vector types, loads and conversions, and the score rules for a
// vector of pairs of objects.
// Part of the vector bodies: included by simd_kernels.inl inside its
// namespaces.

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
// The result of an operation whose first operand, as the formula is
// written, is `first`: guarded, that operand where it is a NaN. The
// instruction returns its first source's NaN, but the compiler may have
// swapped the operands of a sum or a product. Whether a result is a NaN
// does not depend on that order, only which NaN it is: the bodies run a
// block unguarded and run it again guarded when a chain ends as a NaN.
template <bool kGuard, class V>
TOVA_INLINE V first_nan(V first, V result) {
  if constexpr (kGuard)
    return first != first ? first : result;
  else
    return result;
}
template <class M>
TOVA_INLINE bool any_set(M mask) {
  auto any = mask[0];
  for (int q = 1; q < static_cast<int>(sizeof mask / sizeof mask[0]); ++q) any |= mask[q];
  return any != 0;
}
template <class V>
TOVA_INLINE bool any_nan(V v) {
  return any_set(v != v);
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
  // c < d rather than c <= d: one instruction, and c = d has one score.
  const vd shorter = c < d ? c : d;
  return narrow(2.0 * shorter / period);
}

constexpr int32_t kSignBit = INT32_MIN;

struct Rule {
  double range;
  double period;
  // The range is finite and not zero, and a quotient's NaN is the
  // dividend's (x86; some processors give every NaN one sign).
#if defined(__x86_64__) || defined(__i386__)
  bool sign_passes = range - range == 0.0 && range != 0.0;
#else
  bool sign_passes = false;
#endif
};

// The signed score (ordered partner) and the unsigned one.
template <int kType>
TOVA_INLINE void scores(const Rule& rule, vf xi, vf xj, vi ti, vi tj, vf& signed_score,
                        vf& unsigned_score) {
  const vf zero = {};
  const vf marker = splat(kNotComparable);
  if constexpr (kType == 1) {
    unsigned_score = xi == xj ? zero : splat(1.0f);
    signed_score = unsigned_score;
  } else if constexpr (kType == kRankedTiesDoubleZero || kType == kRankedDoubleZero ||
                       kType == kIntervalDoubleZero) {
    vf value;
    if constexpr (kType == 2)
      value = xi == xj ? zero : tied_rank(xi, xj, ti, tj, rule.range);
    else
      value = distance_over_range(xi, xj, rule.range);
    vf score = ((xi == 0.0f) & (xj == 0.0f)) ? zero : marker;
    score = ((xi > 0.0f) & (xj > 0.0f)) ? value : score;
    unsigned_score = score;
    signed_score = ((xj > xi) & (score != marker)) ? -score : score;
  } else if constexpr (kType == kCircularDoubleZero) {
    vf score = ((xi == 0.0f) & (xj == 0.0f)) ? zero : marker;
    score = ((xi > 0.0f) & (xj > 0.0f)) ? circular(xi, xj, rule.period) : score;
    unsigned_score = score;
    signed_score = score;
  } else if constexpr (kType == 4) {
    const vf value = tied_rank(xi, xj, ti, tj, rule.range);
    unsigned_score = xi == xj ? zero : value;
    signed_score = xj > xi ? -value : unsigned_score;
  } else if constexpr (kType == kCircular) {
    unsigned_score = circular(xi, xj, rule.period);
    signed_score = unsigned_score;
  } else {  // 5 and 7
    const vd difference = widen(xi) - widen(xj);
    unsigned_score = narrow(absolute(difference) / rule.range);
    // Rounding is symmetric, so by a finite non-zero range the signed
    // quotient is the unsigned one with the difference's sign (a NaN
    // difference passes through both with its payload). By zero or an
    // infinity a quotient may be a new NaN, whose sign is its own.
    if (rule.sign_passes)
      signed_score = (vf)((vi)unsigned_score ^ ((vi)narrow(difference) & splat(kSignBit)));
    else
      signed_score = narrow(difference / rule.range);
  }
}

constexpr bool uses_ties(int type) {
  return type == 2 || type == 4;
}

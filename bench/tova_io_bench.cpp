// Timing of the result-file path and of the eigenanalysis: a MATRIX.DIS-like
// record of list-directed reals written through the statement protocol to a
// file, F9.4 listing records to /dev/null, the conversions alone (fast and
// plain), and the Jacobi routine (fast and plain) at three orders.
//
//   tova_io_bench [--quick] [--io | --jacobi]
//     --quick: n = 1000 objects, no Jacobi at 500; --io / --jacobi: one half only
#include <sys/stat.h>
#include <time.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/arrays.h"
#include "analysis/eigen.h"
#include "reference/eigen_reference.h"
#include "support/output_reference.h"
#include "textio/edit_output.h"
#include "textio/format_table.h"
#include "textio/io_api.h"
#include "textio/record_buffer.h"
#include "textio/statement.h"

namespace {

// Times are the CPU time of this thread (user and system): on a machine
// shared with other work, wall time says more about the neighbours.
struct Clock {
  using time_point = double;
  static double now() {
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
  }
};

double seconds_since(double start) {
  return Clock::now() - start;
}

// Dissimilarities as the Gower answer writes them: mostly in (0, 1), some
// exact zeros and ones.
std::vector<float> dissimilarities(size_t count) {
  std::mt19937_64 random(20261209);
  std::uniform_real_distribution<double> uniform(0.0, 1.0);
  std::vector<float> values(count);
  for (float& v : values) {
    const double u = uniform(random);
    v = u < 0.01 ? 0.0f : u > 0.99 ? 1.0f : static_cast<float>(uniform(random));
  }
  return values;
}

textio::OpenSpecifiers replace_file() {
  textio::OpenSpecifiers specifiers;
  specifiers.status = "REPLACE";
  return specifiers;
}

long file_size(const std::string& path) {
  struct stat s;
  return stat(path.c_str(), &s) == 0 ? static_cast<long>(s.st_size) : -1;
}

void print_rate(const char* what, double seconds, size_t values, double bytes) {
  std::printf("%-44s %8.3f s %8.1f ns/value %8.1f MB/s\n", what, seconds, 1e9 * seconds / values,
              bytes / 1e6 / seconds);
}

void bench_matrix_file(const std::vector<float>& values) {
  const std::string path = "/tmp/tova_io_bench_matrix.dis";
  const auto start = Clock::now();
  textio::open_unit(8, path, replace_file());
  {
    textio::WriteStatement write(textio::unit(8));
    for (const float v : values) write.real(v);
  }
  textio::close_unit(8);
  const double seconds = seconds_since(start);
  const long bytes = file_size(path);
  print_rate("MATRIX.DIS record, list-directed, to file", seconds, values.size(),
             static_cast<double>(bytes));
  std::remove(path.c_str());
}

void bench_listing(const std::vector<float>& values, size_t per_record) {
  static const textio::FormatTable format = textio::compile_format("(2X,'ROW ',I4/(10F9.4))");
  const auto start = Clock::now();
  textio::open_unit(9, "/dev/null", replace_file());
  size_t written = 0;
  for (size_t row = 0; written < values.size(); ++row) {
    textio::WriteStatement write(textio::unit(9), &format);
    write.integer(static_cast<int32_t>(row + 1));
    for (size_t k = 0; k < per_record && written < values.size(); ++k)
      write.real(values[written++]);
  }
  textio::close_unit(9);
  const double seconds = seconds_since(start);
  // 9 bytes per value, 2 per line end every 10 values, the ROW lines.
  const double bytes = 9.0 * values.size() + 0.2 * values.size();
  print_rate("F9.4 listing rows (10F9.4), to /dev/null", seconds, values.size(), bytes);
}

template <class Convert>
double time_conversion(const std::vector<float>& values, Convert convert, size_t& bytes) {
  textio::RecordBuffer out;
  const auto start = Clock::now();
  for (const float v : values) {
    convert(out, v);
    if (out.length() > (1u << 20)) {
      bytes += out.length();
      out.clear();
    }
  }
  bytes += out.length();
  return seconds_since(start);
}

void bench_conversions(const std::vector<float>& values) {
  struct Case {
    const char* name;
    void (*fast)(textio::RecordBuffer&, float);
    void (*plain)(textio::RecordBuffer&, float);
  };
  const Case cases[] = {
      {"list-directed real", [](textio::RecordBuffer& o, float v) { textio::list_real(o, v); },
       [](textio::RecordBuffer& o, float v) { textio::reference::list_real(o, v); }},
      {"F9.4", [](textio::RecordBuffer& o, float v) { textio::edit_fixed(o, v, false, 9, 4); },
       [](textio::RecordBuffer& o, float v) { textio::reference::edit_fixed(o, v, false, 9, 4); }},
      {"E15.7",
       [](textio::RecordBuffer& o, float v) { textio::edit_exponent(o, v, false, 15, 7, 2); },
       [](textio::RecordBuffer& o, float v) {
         textio::reference::edit_exponent(o, v, false, 15, 7, 2);
       }},
  };
  std::printf("\nconversions alone (%zu values)     plain ns   fast ns   speed-up\n",
              values.size());
  for (const Case& c : cases) {
    size_t plain_bytes = 0, fast_bytes = 0;
    const double plain = time_conversion(values, c.plain, plain_bytes);
    const double fast = time_conversion(values, c.fast, fast_bytes);
    std::printf("  %-32s %8.1f %9.1f %9.2fx%s\n", c.name, 1e9 * plain / values.size(),
                1e9 * fast / values.size(), plain / fast,
                plain_bytes == fast_bytes ? "" : "  (byte counts differ!)");
  }
}

class CountingProgress : public tova::EigenProgress {
 public:
  void started(float final_threshold) override { lines.push_back(final_threshold); }
  void level(float threshold) override { lines.push_back(threshold); }
  std::vector<float> lines;
};

// A correlation matrix of random data: `order` variables, 2 x order objects.
std::vector<float> random_correlation(int32_t order) {
  const int32_t objects = 2 * order;
  std::mt19937_64 random(static_cast<uint64_t>(order) * 7919);
  std::normal_distribution<double> normal;
  std::vector<double> data(static_cast<size_t>(order) * objects);
  for (double& x : data) x = normal(random);
  for (int32_t k = 0; k < order; ++k) {
    double* column = &data[static_cast<size_t>(k) * objects];
    double mean = 0, norm = 0;
    for (int32_t i = 0; i < objects; ++i) mean += column[i];
    mean /= objects;
    for (int32_t i = 0; i < objects; ++i) norm += (column[i] - mean) * (column[i] - mean);
    norm = std::sqrt(norm);
    for (int32_t i = 0; i < objects; ++i) column[i] = (column[i] - mean) / norm;
  }
  std::vector<float> packed(static_cast<size_t>(tova::packed_size(order)));
  for (int64_t j = 1; j <= order; ++j) {
    for (int64_t i = 1; i <= j; ++i) {
      double r = 0;
      for (int32_t k = 0; k < objects; ++k) {
        r += data[(i - 1) * objects + k] * data[(j - 1) * objects + k];
      }
      packed[tova::packed_position(i, j) - 1] = static_cast<float>(r);
    }
  }
  return packed;
}

void bench_jacobi(int32_t order, bool with_plain) {
  const std::vector<float> input = random_correlation(order);
  const int64_t n = order;
  auto run = [&](auto routine, std::vector<float>& packed, std::vector<float>& vectors,
                 CountingProgress& progress) {
    packed = input;
    vectors.assign(static_cast<size_t>(n * n), 0.0f);
    const auto start = Clock::now();
    routine(order, tova::Vector<float>(packed.data(), tova::packed_size(n)),
            tova::Vector<float>(vectors.data(), n * n), progress);
    return seconds_since(start);
  };
  std::vector<float> fast_a, fast_v, plain_a, plain_v;
  CountingProgress fast_p, plain_p;
  const double fast = run([](int32_t o, tova::Vector<float> a, tova::Vector<float> v,
                             tova::EigenProgress& p) { tova::jacobi_eigen(o, a, v, p); },
                          fast_a, fast_v, fast_p);
  if (!with_plain) {
    std::printf("  m = %4d %12s %9.3f s\n", order, "-", fast);
    return;
  }
  const double plain = run(tova::jacobi_eigen_reference, plain_a, plain_v, plain_p);
  const bool same = fast_a == plain_a && fast_v == plain_v && fast_p.lines == plain_p.lines;
  std::printf("  m = %4d %10.3f s %9.3f s %8.2fx  %s\n", order, plain, fast, plain / fast,
              same ? "identical" : "DIFFERENT");
}

}  // namespace

int main(int argc, char** argv) {
  bool quick = false, io = true, jacobi = true;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--quick") quick = true;
    if (arg == "--io") jacobi = false;
    if (arg == "--jacobi") io = false;
  }
  const size_t objects = quick ? 1000 : 4000;
  const size_t pairs = objects * (objects - 1) / 2;
  const std::vector<float> values = dissimilarities(io ? pairs : 0);
  if (io) {
    std::printf("result files (n = %zu objects, %zu values)\n", objects, pairs);
    bench_matrix_file(values);
    bench_listing(std::vector<float>(values.begin(), values.begin() + pairs / 8), objects);
    bench_conversions(std::vector<float>(values.begin(), values.begin() + pairs / 4));
  }
  if (!jacobi) return 0;
  std::printf("\nJacobi eigenanalysis          plain        fast   speed-up\n");
  for (const int32_t order : {100, 300, 500}) {
    if (quick && order == 500) continue;
    bench_jacobi(order, true);
  }
  return 0;
}

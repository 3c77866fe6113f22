// Times the plain and the fast kernels side by side on reproducible data
// sets and prints, per size, the wall time, the speed-up over the plain
// path, the peak resident memory of the run and whether the results are
// bit-identical.
//
//   tova_bench [--full | --gower | --csv PATH | --sweep N M,M,... [THREADS]]
//
// --full adds the plain D-correlation at n = 5000, m = 50 (several
// minutes); --gower times only the fast Gower kernel (for peers.sh); --csv
// writes the Gower data set as CSV for bench/peers.sh and exits; --sweep
// times only the fast D-correlation at n = N for each listed m (5% missing)
// with every available instruction set (or the one TOVA_SIMD names), on
// THREADS threads (default 1).
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

#include "analysis/kernels/simd_kernels.h"
#include "bench/bench_data.h"
#include "reference/kernels_reference.h"

namespace {

using tova::bench::BenchData;
namespace kernels = tova::kernels;

// A field of /proc/self/status in MiB: VmHWM, the peak resident set since
// the last reset, or VmRSS, the present one (Linux).
double status_mib(const char* field) {
  std::FILE* f = std::fopen("/proc/self/status", "r");
  if (!f) return 0.0;
  char line[256];
  double kib = 0.0;
  while (std::fgets(line, sizeof line, f)) {
    const size_t length = std::strlen(field);
    if (std::strncmp(line, field, length) == 0) kib = std::strtod(line + length, nullptr);
  }
  std::fclose(f);
  return kib / 1024.0;
}

// Lowers the peak to the present resident set, so that each run's peak is
// its own.
void reset_peak() {
  if (std::FILE* f = std::fopen("/proc/self/clear_refs", "w")) {
    std::fputs("5", f);
    std::fclose(f);
  }
}

struct Timing {
  double seconds;  // wall
  double cpu;      // all threads of the process
  double peak;     // MiB resident at the peak
  double growth;   // MiB the peak lies above the resident set at the start
};

double process_cpu_seconds() {
  timespec t;
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

Timing measure(const std::function<void()>& run) {
  reset_peak();
  const double resident = status_mib("VmRSS:");
  const double cpu_start = process_cpu_seconds();
  const auto start = std::chrono::steady_clock::now();
  run();
  const auto end = std::chrono::steady_clock::now();
  return Timing{std::chrono::duration<double>(end - start).count(),
                process_cpu_seconds() - cpu_start, status_mib("VmHWM:"),
                status_mib("VmHWM:") - resident};
}

void print_header() {
  std::printf("%-14s %-20s %-16s %8s %8s %9s %9s %8s %10s\n", "work", "size", "path", "wall s",
              "cpu s", "speed-up", "peak MiB", "+MiB", "bits");
}

void print_row(const char* work, const std::string& size, const std::string& path, const Timing& t,
               double plain_seconds, const char* bits) {
  char ratio[32] = "-";
  if (plain_seconds > 0.0) std::snprintf(ratio, sizeof ratio, "%.1fx", plain_seconds / t.seconds);
  std::printf("%-14s %-20s %-16s %8.3f %8.3f %9s %9.1f %8.1f %10s\n", work, size.c_str(),
              path.c_str(), t.seconds, t.cpu, ratio, t.peak, t.growth, bits);
  std::fflush(stdout);
}

void bench_d_correlation(int64_t n, int64_t m, double missing, bool run_plain) {
  const BenchData b = tova::bench::make_bench_data(n, m, missing, 20260101);
  const kernels::PreparedData d = b.view();
  const std::string size =
      "n=" + std::to_string(n) + " m=" + std::to_string(m) +
      (missing > 0 ? " " + std::to_string(static_cast<int>(missing * 100)) + "%miss" : "");
  const size_t mm = static_cast<size_t>(m * m);
  std::vector<float> plain_r(mm), plain_d(mm), fast_r(mm), fast_d(mm);
  double plain_seconds = 0.0;
  if (run_plain) {
    const Timing t =
        measure([&] { kernels::d_correlation_plain(d, plain_r.data(), plain_d.data()); });
    plain_seconds = t.seconds;
    print_row("D-correlation", size, "plain", t, 0.0, "reference");
  }
  const kernels::SimdKernels& simd = kernels::preferred_simd_kernels();
  for (int threads : {1, 2}) {
    const Timing t = measure(
        [&] { kernels::d_correlation_fast(d, fast_r.data(), fast_d.data(), threads, simd); });
    const bool same = std::memcmp(plain_r.data(), fast_r.data(), mm * sizeof(float)) == 0 &&
                      std::memcmp(plain_d.data(), fast_d.data(), mm * sizeof(float)) == 0;
    print_row("D-correlation", size,
              std::string("fast ") + simd.name + " " + std::to_string(threads) + "t", t,
              plain_seconds, run_plain ? (same ? "identical" : "DIFFER") : "-");
  }
}

void bench_gower(int64_t n, int64_t m, double missing, bool run_plain) {
  const BenchData b = tova::bench::make_bench_data(n, m, missing, 20260102);
  const kernels::PreparedData d = b.view();
  const std::string size =
      "n=" + std::to_string(n) + " m=" + std::to_string(m) +
      (missing > 0 ? " " + std::to_string(static_cast<int>(missing * 100)) + "%miss" : "");
  const size_t size_t_elements = static_cast<size_t>(n * (n + 1) / 2);
  std::vector<float> plain(run_plain ? size_t_elements : 0), fast(size_t_elements);
  Timing tp{0.0, 0.0, 0.0, 0.0};
  if (run_plain) {
    tp = measure([&] { kernels::gower_plain(d, plain.data()); });
    print_row("Gower", size, "plain", tp, 0.0, "reference");
  }
  const kernels::SimdKernels& simd = kernels::preferred_gower_kernels();
  for (int threads : {1, 2}) {
    const Timing t = measure([&] { kernels::gower_fast(d, fast.data(), threads, simd); });
    const bool same =
        run_plain && std::memcmp(plain.data(), fast.data(), size_t_elements * sizeof(float)) == 0;
    print_row("Gower", size, std::string("fast ") + simd.name + " " + std::to_string(threads) + "t",
              t, tp.seconds, run_plain ? (same ? "identical" : "DIFFER") : "-");
  }
}

// The fast D-correlation alone, for each m and instruction set.
void sweep_d_correlation(int64_t n, const char* list, int threads) {
  const kernels::SimdKernels* sets[4];
  const int set_count = kernels::available_simd_kernels(sets, 4);
  for (const char* m_text = list; *m_text != '\0';) {
    char* end = nullptr;
    const int64_t m = std::strtoll(m_text, &end, 10);
    if (end == m_text || m < 1) break;
    m_text = *end == ',' ? end + 1 : end;
    const BenchData b = tova::bench::make_bench_data(n, m, 0.05, 20260101);
    const std::string size = "n=" + std::to_string(n) + " m=" + std::to_string(m) + " 5%miss";
    std::vector<float> r(static_cast<size_t>(m * m)), d2(static_cast<size_t>(m * m));
    for (int s = 0; s < set_count; ++s) {
      const char* only = std::getenv("TOVA_SIMD");
      if (only && std::strcmp(only, sets[s]->name) != 0) continue;
      const Timing t = measure(
          [&] { kernels::d_correlation_fast(b.view(), r.data(), d2.data(), threads, *sets[s]); });
      print_row("D-correlation", size,
                std::string("fast ") + sets[s]->name + " " + std::to_string(threads) + "t", t, 0.0,
                "-");
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  bool full = false;
  bool gower_only = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--full") == 0) {
      full = true;
    } else if (std::strcmp(argv[i], "--gower") == 0) {
      gower_only = true;
    } else if (std::strcmp(argv[i], "--sweep") == 0 && i + 2 < argc) {
      print_header();
      sweep_d_correlation(std::atoll(argv[i + 1]), argv[i + 2],
                          i + 3 < argc ? std::atoi(argv[i + 3]) : 1);
      return 0;
    } else if (std::strcmp(argv[i], "--csv") == 0 && i + 1 < argc) {
      tova::bench::write_csv(argv[i + 1], 4000, 30, 0.05, 20260102);
      return 0;
    } else {
      std::fprintf(
          stderr,
          "usage: tova_bench [--full | --gower | --csv PATH | --sweep N M,M,... [THREADS]]\n");
      return 2;
    }
  }
  std::printf("speed-up: plain wall time over fast wall time, same process\n");
  std::printf(
      "peak MiB: resident high-water mark of the process during the run (data and\n"
      "  outputs included); +MiB: how far it rose during the run (work storage)\n");
  std::printf("vector bodies: %s; cores: %d\n", kernels::preferred_simd_kernels().name,
              kernels::resolve_thread_count(0));
  print_header();
  if (gower_only) {
    bench_gower(4000, 30, 0.05, false);
    return 0;
  }
  bench_d_correlation(2000, 20, 0.0, true);
  bench_d_correlation(5000, 50, 0.05, full);
  bench_gower(4000, 30, 0.05, true);
  if (!full) std::printf("(plain D-correlation at n=5000 m=50 runs with --full)\n");
  return 0;
}

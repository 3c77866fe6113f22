// The result files. Each list-directed WRITE is exactly one record.
#include "analysis/result_files.h"

#include <algorithm>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "analysis/kernels/kernels.h"
#include "analysis/tova.h"
#include "textio/edit_output.h"
#include "textio/io_api.h"

namespace tova {

using textio::unit;
using textio::WriteStatement;

namespace {

constexpr int32_t kLoadsUnit = 10;
constexpr int32_t kMatrixUnit = 2;

textio::OpenSpecifiers replaced_when_complete() {
  textio::OpenSpecifiers specifiers;
  specifiers.status = "REPLACE";
  return specifiers;
}

constexpr int kBlocksPerThread = 3;

// The blocks of one record in flight: block b is converted into slot
// b % slots once block b - slots has been handed over.
class BlockRing {
 public:
  BlockRing(const float* data, int64_t count, int64_t block_values, int slots)
      : data_(data),
        count_(count),
        block_values_(block_values),
        blocks_((count + block_values - 1) / block_values),
        slots_(static_cast<size_t>(std::min<int64_t>(slots, blocks_))) {
    const auto room = static_cast<size_t>(std::min(count, block_values)) * textio::kListRealRoom;
    for (Slot& slot : slots_) slot.text = std::make_unique_for_overwrite<char[]>(room);
  }

  // A helper thread: converts blocks until none is left or `stop`.
  void help() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
      room_.wait(lock, [this] { return stop_ || next_claim_ >= blocks_ || claimable(); });
      if (stop_ || next_claim_ >= blocks_) return;
      convert_next(lock);
    }
  }

  // The calling thread: hands every block over in order, converting blocks
  // itself while the next one is not ready.
  void hand_over(textio::WriteStatement& values) {
    std::unique_lock<std::mutex> lock(mutex_);
    while (next_write_ < blocks_) {
      Slot& slot = slot_of(next_write_);
      if (slot.ready) {
        lock.unlock();
        values.list_items(std::string_view(slot.text.get(), slot.length));
        lock.lock();
        slot.ready = false;
        ++next_write_;
        room_.notify_all();
      } else if (claimable()) {
        convert_next(lock);
      } else {
        ready_.wait(lock);
      }
    }
  }

  void stop() {
    {
      const std::lock_guard<std::mutex> hold(mutex_);
      stop_ = true;
    }
    room_.notify_all();
  }

 private:
  struct Slot {
    std::unique_ptr<char[]> text;
    size_t length = 0;
    bool ready = false;
  };

  Slot& slot_of(int64_t block) { return slots_[static_cast<size_t>(block) % slots_.size()]; }
  bool claimable() const {
    return next_claim_ < blocks_ && next_claim_ < next_write_ + static_cast<int64_t>(slots_.size());
  }

  // Claims the next block, converts it without the lock and marks it ready.
  void convert_next(std::unique_lock<std::mutex>& lock) {
    const int64_t block = next_claim_++;
    Slot& slot = slot_of(block);
    lock.unlock();
    const int64_t first = block * block_values_;
    const int64_t last = std::min(count_, first + block_values_);
    slot.length =
        textio::list_reals_text(data_ + first, static_cast<size_t>(last - first), slot.text.get());
    lock.lock();
    slot.ready = true;
    ready_.notify_one();
  }

  const float* data_;
  int64_t count_;
  int64_t block_values_;
  int64_t blocks_;
  std::vector<Slot> slots_;
  std::mutex mutex_;
  std::condition_variable room_;   // a slot was handed over, or stop
  std::condition_variable ready_;  // a block was converted
  int64_t next_claim_ = 0;
  int64_t next_write_ = 0;
  bool stop_ = false;
};

// Stops and joins the helpers however the hand-over ends: a failed
// statement may leave it by an exception (the run's end as tests observe
// it); the process's own end leaves no frame behind to worry about.
class Helpers {
 public:
  explicit Helpers(BlockRing& ring) : ring_(ring) {}
  ~Helpers() {
    ring_.stop();
    for (std::thread& thread : threads_) thread.join();
  }
  Helpers(const Helpers&) = delete;
  Helpers& operator=(const Helpers&) = delete;

  // Starts up to `count` helpers; fewer when threads cannot be had.
  void start(int count) {
    try {
      for (int t = 0; t < count; ++t) threads_.emplace_back([this] { ring_.help(); });
    } catch (const std::system_error&) {
    } catch (const std::bad_alloc&) {
    }
  }

 private:
  BlockRing& ring_;
  std::vector<std::thread> threads_;
};

}  // namespace

void write_reals_in_blocks(WriteStatement& values, const float* data, int64_t count, int threads,
                           int64_t block_values) {
  if (count <= 0) return;
  block_values = std::max<int64_t>(block_values, 1);
  const int64_t blocks = (count + block_values - 1) / block_values;
  const int used = static_cast<int>(
      std::min<int64_t>(kernels::resolve_thread_count(threads), std::max<int64_t>(blocks, 1)));
  BlockRing ring(data, count, block_values, used * kBlocksPerThread);
  Helpers helpers(ring);
  helpers.start(used - 1);
  ring.hand_over(values);
}

void write_loads(std::string_view data_title, int32_t n, Ordination& r) {
  textio::open_unit(kLoadsUnit, kLoadsFileName, replaced_when_complete());
  WriteStatement(unit(kLoadsUnit)).character(" PCA loadings from  ").character(data_title);
  if (r.positive_count > api::kLoadsColumns) r.positive_count = api::kLoadsColumns;
  WriteStatement(unit(kLoadsUnit)).integer(n).integer(r.positive_count);
  // Loading of variable i on component j: row i, column j.
  const Matrix<float> loadings(r.vectors.data(), n, n);
  for (int64_t i = 1; i <= n; ++i) {
    for (int64_t j = 1; j <= r.positive_count; ++j) {
      r.percentages(j) = loadings(i, j);
    }
    {
      WriteStatement row(unit(kLoadsUnit));
      for (int64_t j = 1; j <= r.positive_count; ++j) row.real(r.percentages(j));
    }
    write_variable_loadings(static_cast<int32_t>(i), r.percentages, r.positive_count);
  }
  textio::close_unit(kLoadsUnit);
}

void write_matrix_dis(std::string_view data_title, int32_t object_count, int64_t triangle_size,
                      Vector<float> semimatrix, int threads) {
  textio::open_unit(kMatrixUnit, kMatrixFileName, replaced_when_complete());
  WriteStatement(unit(kMatrixUnit)).character(" SEMIMATRIX FROM ").character(data_title);
  WriteStatement(unit(kMatrixUnit)).integer(object_count);
  {
    WriteStatement values(unit(kMatrixUnit));
    write_reals_in_blocks(values, semimatrix.data(), triangle_size, threads);
  }
  textio::close_unit(kMatrixUnit);
}

}  // namespace tova

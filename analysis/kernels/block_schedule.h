// The worker threads' schedule of the D-correlation. The blocks of pairs of
// objects are handed out in their order, one at a time: a worker scores its
// block into its own rows and runs every group of tasks over it, each group
// once the worker with the block before has run it there. So the scores
// stay in the cache of the worker that made them, only the tasks' running
// states pass between workers, and every worker has work however few the
// tasks; each chain still sees every pair of objects in order. The steps
// between the passes run on one worker while the others wait.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

#include "analysis/kernels/simd_kernels.h"

namespace tova::kernels {

class BlockSchedule {
 public:
  // `blocks` blocks of pairs of objects per pass, `groups` groups of tasks
  // (the means' pass has as many or fewer), `workers` workers.
  BlockSchedule(int64_t blocks, int32_t groups, int workers);
  ~BlockSchedule();
  BlockSchedule(const BlockSchedule&) = delete;
  BlockSchedule& operator=(const BlockSchedule&) = delete;

  // See schedule_shared and schedule_next.
  void* shared(size_t bytes, int32_t means_groups);
  CorrelationJob next(const CorrelationJob& done, bool marker_seen);

 private:
  enum Phase { kResetPhase, kMeansPass, kReplacePhase, kSumsPass, kFinishPhase, kEndPhase };

  void begin(Phase phase);
  void end_pass();
  void finish(const CorrelationJob& done, bool marker_seen);
  bool pick(CorrelationJob& job);

  const int64_t blocks_;
  int32_t means_groups_ = 0;  // 0: no means' pass
  const int64_t blocks_per_job_;
  void* memory_ = nullptr;

  std::mutex mutex_;
  std::condition_variable changed_;
  int sleepers_ = 0;

  Phase phase_ = kResetPhase;
  int32_t attempt_ = 0;
  bool serial_taken_ = false;
  bool marker_seen_ = false;
  // The pass under way: the next block to hand out, the blocks done, and
  // each group's progress (a cache line each).
  int64_t next_block_ = 0;
  int64_t blocks_done_ = 0;
  std::vector<int64_t> progress_;
  size_t progress_first_ = 0;  // the counters start on a cache line
};

}  // namespace tova::kernels

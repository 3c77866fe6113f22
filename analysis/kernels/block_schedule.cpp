#include "analysis/kernels/block_schedule.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <thread>

namespace tova::kernels {
namespace {

constexpr std::align_val_t kAlignment{64};
// Blocks per job of a lone worker: it waits for nobody, and the schedule's
// lock then costs nothing. With several, every job is one block, so that
// the next worker's block follows right behind.
constexpr int64_t kLoneWorkerBlocks = 64;

}  // namespace

BlockSchedule::BlockSchedule(int64_t blocks, int32_t groups, int workers)
    : blocks_(blocks), blocks_per_job_(workers > 1 ? 1 : kLoneWorkerBlocks) {
  // One more line, so that the counters can start on a line of their own.
  progress_.assign(static_cast<size_t>(groups + 1) * kProgressStride, 0);
  const uintptr_t at = reinterpret_cast<uintptr_t>(progress_.data());
  progress_first_ = static_cast<size_t>(((at + 63) / 64 * 64 - at) / sizeof(int64_t));
}

BlockSchedule::~BlockSchedule() {
  if (memory_) ::operator delete(memory_, kAlignment);
}

void* BlockSchedule::shared(size_t bytes, int32_t means_groups) {
  const std::lock_guard<std::mutex> hold(mutex_);
  if (!memory_) {
    memory_ = ::operator new(bytes, kAlignment);
    std::memset(memory_, 0, bytes);
    means_groups_ = means_groups;
  }
  return memory_;
}

void BlockSchedule::begin(Phase phase) {
  phase_ = phase;
  serial_taken_ = false;
  next_block_ = 0;
  blocks_done_ = 0;
  std::fill(progress_.begin(), progress_.end(), 0);
  if (sleepers_ > 0) changed_.notify_all();
  if ((phase == kMeansPass || phase == kSumsPass) && blocks_ == 0) end_pass();
}

void BlockSchedule::end_pass() {
  if (phase_ == kMeansPass) {
    begin(kReplacePhase);
  } else if (attempt_ == 0 && means_groups_ > 0 && marker_seen_) {
    // An ordinary variable gave the marker after all: the means' pass again
    // with every score.
    attempt_ = 1;
    begin(kResetPhase);
  } else {
    begin(kFinishPhase);
  }
}

void BlockSchedule::finish(const CorrelationJob& done, bool marker_seen) {
  switch (done.kind) {
    case CorrelationJob::kBlocks:
      marker_seen_ = marker_seen_ || marker_seen;
      blocks_done_ += done.block_count;
      if (blocks_done_ == blocks_) end_pass();
      return;
    case CorrelationJob::kReset:
      return begin(means_groups_ > 0 ? kMeansPass : kSumsPass);
    case CorrelationJob::kReplace:
      return begin(kSumsPass);
    case CorrelationJob::kFinish:
      return begin(kEndPhase);
    default:
      return;
  }
}

bool BlockSchedule::pick(CorrelationJob& job) {
  job = CorrelationJob{};
  job.attempt = attempt_;
  switch (phase_) {
    case kResetPhase:
    case kReplacePhase:
    case kFinishPhase:
      if (serial_taken_) return false;
      serial_taken_ = true;
      job.kind = phase_ == kResetPhase     ? CorrelationJob::kReset
                 : phase_ == kReplacePhase ? CorrelationJob::kReplace
                                           : CorrelationJob::kFinish;
      return true;
    case kMeansPass:
    case kSumsPass:
      if (next_block_ == blocks_) return false;
      job.kind = CorrelationJob::kBlocks;
      job.means = phase_ == kMeansPass;
      job.first_block = next_block_;
      job.block_count =
          blocks_ - next_block_ < blocks_per_job_ ? blocks_ - next_block_ : blocks_per_job_;
      next_block_ += job.block_count;
      job.progress = progress_.data() + progress_first_;
      return true;
    case kEndPhase:
      job.kind = CorrelationJob::kEnd;
      return true;
  }
  return false;
}

CorrelationJob BlockSchedule::next(const CorrelationJob& done, bool marker_seen) {
  std::unique_lock<std::mutex> lock(mutex_);
  finish(done, marker_seen);
  CorrelationJob job;
  while (!pick(job)) {
    // Until the phase changes (the pass's last block or the serial step
    // done elsewhere).
    const Phase seen = phase_;
    const int32_t attempt = attempt_;
    ++sleepers_;
    changed_.wait(lock, [&] { return phase_ != seen || attempt_ != attempt; });
    --sleepers_;
  }
  return job;
}

void* schedule_shared(BlockSchedule* schedule, size_t bytes, int32_t means_groups) {
  return schedule->shared(bytes, means_groups);
}

CorrelationJob schedule_next(BlockSchedule* schedule, const CorrelationJob& done,
                             bool marker_seen) {
  return schedule->next(done, marker_seen);
}

void schedule_yield() {
  std::this_thread::yield();
}

}  // namespace tova::kernels

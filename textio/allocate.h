// ALLOCATE and DEALLOCATE of the program's dynamic arrays.
#pragma once

#include <cstdint>
#include <span>

namespace textio {

inline constexpr uint32_t kArrayAllocated = 1u;
inline constexpr uint32_t kArrayPointerTarget = 2u;
inline constexpr uint32_t kArrayKindPointer = 1u << 2;
inline constexpr uint32_t kArrayKindAllocatable = 2u << 2;

struct ArrayDimension {
  int64_t extent;  // a negative extent counts as 0
  int64_t lower_bound = 1;
  int64_t stride = 1;
};

struct ArrayDescriptor {
  void* base = nullptr;                    // (void*)-1 for a size-0 allocation
  int64_t element_length = 0;              // bytes per element (character arrays)
  uint32_t flags = kArrayKindAllocatable;  // bits 29-31: rank
  uint32_t type_code = 0;                  // as for I/O items
  void* base_copy = nullptr;
  uint64_t size_bits = 0;
  ArrayDimension dims[7] = {};

  int32_t rank() const { return static_cast<int32_t>(flags >> 29); }
  void set_rank(int32_t rank) { flags = (flags & 0x1FFFFFFFu) | (uint32_t(rank) << 29); }
  bool allocated() const { return (flags & kArrayAllocated) != 0; }
};

// Each descriptor of the list in turn; memory is zero-filled. Failures:
// 10047 already allocated, 10004 no memory (also for a byte size that
// overflows), 10045 not allocated, 10046 partial deallocation.
// A request is refused with 10004 before any memory is touched when it and
// the arrays still allocated would pass what the machine can hold: physical
// memory plus swap, or the address-space limit (ulimit -v) when lower. With `stat`
// the code is stored there (0 on success) and nothing is reported.
void allocate(std::span<ArrayDescriptor* const> list, int32_t* stat = nullptr);
void deallocate(std::span<ArrayDescriptor* const> list, int32_t* stat = nullptr);

}  // namespace textio

// ALLOCATE and DEALLOCATE: zero-filled heap memory described by an array
// descriptor; size-0 arrays allocate nothing.
#include "textio/allocate.h"

#include <cstdlib>
#include <limits>

#include "textio/file_layer.h"
#include "textio/io_error.h"
#include "textio/report.h"

namespace textio {
namespace {

void* const kEmptyArray = reinterpret_cast<void*>(static_cast<intptr_t>(-1));

// Bytes the descriptor describes; false when the product overflows.
bool descriptor_bytes(const ArrayDescriptor& d, uint64_t* bytes) {
  uint64_t element = static_cast<uint64_t>((d.type_code >> 15) & 0x1FFu);
  if ((d.type_code & 0xFFu) == 6 || element == 0) {
    element = d.element_length > 0 ? static_cast<uint64_t>(d.element_length) : 0;
  }
  unsigned __int128 total = element;
  for (int32_t k = 0; k < d.rank(); ++k) {
    const int64_t extent = d.dims[k].extent;
    total *= extent > 0 ? static_cast<uint64_t>(extent) : 0u;
    if (total > std::numeric_limits<uint64_t>::max() / 16) return false;
  }
  *bytes = static_cast<uint64_t>(total);
  return true;
}

// Bytes of the arrays allocated and not yet released.
uint64_t g_bytes_held = 0;

// With overcommitting systems a request far beyond memory is granted and
// the process killed once it touches the pages; so a request that, with the
// arrays already held, passes what the machine can hold at all is refused
// before anything is touched.
bool machine_can_hold(uint64_t bytes) {
  const uint64_t limit = platform::memory_limit();
  return limit == 0 || (bytes <= limit && g_bytes_held <= limit - bytes);
}

// Returns false when the failure went to `stat`.
bool fail(int32_t code, int32_t* stat) {
  if (stat != nullptr) {
    *stat = code;
    return false;
  }
  // Outside any statement: no statement line would be true.
  fatal_report("FORTRAN Runtime Error:", runtime_message(code), false);
}

}  // namespace

void allocate(std::span<ArrayDescriptor* const> list, int32_t* stat) {
  if (stat != nullptr) *stat = 0;
  for (ArrayDescriptor* d : list) {
    if (d->allocated()) {
      fail(kAlreadyAllocated, stat);
      return;
    }
    uint64_t bytes = 0;
    if (!descriptor_bytes(*d, &bytes) || bytes > static_cast<uint64_t>(PTRDIFF_MAX) - 4) {
      fail(kBufferAllocationFailed, stat);
      return;
    }
    void* base = kEmptyArray;
    if (bytes > 0) {
      const uint64_t rounded = (bytes + 3) / 4 * 4;
      base = machine_can_hold(rounded) ? std::calloc(1, static_cast<size_t>(rounded)) : nullptr;
      if (base == nullptr) {
        fail(kBufferAllocationFailed, stat);
        return;
      }
      g_bytes_held += rounded;
    }
    d->base = d->base_copy = base;
    d->flags |= kArrayAllocated;
    if ((d->flags & (3u << 2)) == kArrayKindPointer) d->flags |= kArrayPointerTarget;
    d->size_bits = bytes * 8;
  }
}

void deallocate(std::span<ArrayDescriptor* const> list, int32_t* stat) {
  if (stat != nullptr) *stat = 0;
  for (ArrayDescriptor* d : list) {
    if (!d->allocated()) {
      fail(kDeallocateUnallocated, stat);
      return;
    }
    uint64_t bytes = 0;
    if (!descriptor_bytes(*d, &bytes) || bytes * 8 != d->size_bits) {
      fail(kDeallocatePortion, stat);
      return;
    }
    if (d->base != kEmptyArray) {
      std::free(d->base);
      g_bytes_held -= (bytes + 3) / 4 * 4;
    }
    d->flags &= ~(kArrayAllocated | kArrayPointerTarget);
    d->base = d->base_copy = nullptr;
    d->size_bits = 0;
  }
}

}  // namespace textio

#include "platform/Memory.h"

#include <malloc.h>

namespace plat {

namespace {
constexpr int kLargeBlockBytes = 256 * 1024;
}  // namespace

// An explicit bound also ends the allocator's own raising of it.
void KeepLargeBlocksMapped() { mallopt(M_MMAP_THRESHOLD, kLargeBlockBytes); }

}  // namespace plat

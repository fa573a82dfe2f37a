#pragma once
// Blocks for value objects: each thread keeps freed blocks of the small sizes (up to 1 MiB of them) and
// hands them out again before asking malloc, so that decoding and freeing trees of many small values
// costs a few instructions per value instead of a trip through the allocator.
//
// Nothing is shared between threads: a block freed on one thread joins that thread's cache, whichever
// thread made it (all blocks come from malloc). A thread's cache is bounded and given back to malloc
// when the thread ends. Under AddressSanitizer there is no cache, so that every use after free shows.
#include <cstddef>

namespace Ostrel::valueCache {

// A block of at least `size` octets, suitably aligned for any value object; throws std::bad_alloc.
void* allocate(std::size_t size);
// Gives back a block that allocate(size) returned, with the same size.
void release(void* block, std::size_t size) noexcept;
// Gives the calling thread's cached blocks back to malloc (for measurements of the heap a decode needs).
void trim() noexcept;

}  // namespace Ostrel::valueCache

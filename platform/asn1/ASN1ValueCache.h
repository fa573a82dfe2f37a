#pragma once
// Blocks for value objects: each thread keeps freed blocks of the small sizes (up to 1 MiB of them) and
// hands them out again, so that decoding and freeing trees of many small values costs a few
// instructions per value instead of a trip through an allocator.
//
// Small blocks come from the value pages (ASN1ValuePages.h) in batches, and go back there all at once
// when a thread's cache is full or the thread ends; larger ones come from malloc. A block freed on one
// thread joins that thread's cache, whichever thread made it. Under AddressSanitizer every block comes
// from malloc and goes back to free, so that every use after free shows.
#include <cstddef>

namespace Ostrel::valueCache {

// A block of at least `size` octets; throws std::bad_alloc. A small block is aligned to the largest
// power of two up to 64 that divides its size rounded up to 8, so any object of that size fits it.
void* allocate(std::size_t size);
// A block of `larger` octets that starts with the `size` octets of `block` (one that allocate(size)
// returned, or nullptr with size 0), which is given back; throws std::bad_alloc and keeps `block`.
// Large blocks grow in place where malloc can, without copying or touching fresh pages twice.
void* grow(void* block, std::size_t size, std::size_t larger);
// Gives back a block that allocate(size) returned, with the same size.
void release(void* block, std::size_t size) noexcept;
// Gives the calling thread's cached blocks back, and unmaps what no block needs (for measurements of
// the memory a decode needs).
void trim() noexcept;
// Octets of the pages that small blocks are cut from and that hold any now, handed out, cached or not
// yet cut (0 without the cache): the memory that malloc does not see.
std::size_t pageOctets() noexcept;

}  // namespace Ostrel::valueCache

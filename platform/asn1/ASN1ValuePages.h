#pragma once
// Where the blocks of small value objects live: pages of 64 KiB, each cut into blocks of one size,
// taken from segments of 2 MiB that the process maps for itself. Shared by all threads behind one
// lock, and reached only in batches: each thread's value cache takes a batch of blocks when it has
// none of a size, and gives back all it holds when it holds too many.
//
// A block freed into its page is handed out again before the page's untouched room; a page whose
// blocks are all back is free for blocks of any size, and a segment whose pages are all free is given
// back to the system (one is kept to spare the next decode the mapping). Segments after the first
// ask for transparent huge pages, so that a tree of a million values costs a few hundred page faults
// instead of tens of thousands.
#include <cstddef>

namespace Ostrel::valuePages {

// Blocks in steps of kStep octets up to kLargest; larger ones come from malloc.
constexpr std::size_t kStep = 8;
constexpr std::size_t kLargest = 128;
constexpr std::size_t kClasses = kLargest / kStep;

// The size class of a block of 1 to kLargest octets, and the octets of a block of that class.
constexpr std::size_t classOf(std::size_t size) {
    return (size + kStep - 1) / kStep - 1;
}
constexpr std::size_t octetsOf(std::size_t sizeClass) {
    return (sizeClass + 1) * kStep;
}

// A free block, chained to the next one.
struct FreeBlock {
    FreeBlock* next;
};

// Up to `count` (at least 1) blocks of the class, chained, with `taken` set to how many; throws
// std::bad_alloc when not even one can be had.
FreeBlock* take(std::size_t sizeClass, std::size_t count, std::size_t& taken);
// Gives back `count` chains of blocks of any classes, each block one that take() handed out.
void give(FreeBlock* const* chains, std::size_t count) noexcept;
// Octets of the pages that hold blocks of some class now (blocks in use, cached, or not yet cut),
// for measurements of the memory a decode needs.
std::size_t pageOctets() noexcept;
// Unmaps the spare segment too (for measurements).
void trim() noexcept;

}  // namespace Ostrel::valuePages

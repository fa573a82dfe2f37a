#pragma once
// Live heap bytes of this program, seen in front of the C library's allocator: malloc, calloc, realloc,
// the aligned allocators and free (operator new and delete reach them too). Each block counts with
// the room malloc_usable_size reports for it, so the counts include what the allocator rounds up.
#include <cstddef>

namespace bench::heap {

// Starts counting from zero live bytes; blocks freed while counting that were made before count as
// nothing.
void start();
// Stops counting.
void stop();
// The live bytes now and the largest number of live bytes since start().
std::size_t live();
std::size_t peak();

// Counters for OpenSSL's own allocation functions (CRYPTO_set_mem_functions), kept apart from the
// ones above: installs them (once, before OpenSSL allocates anything) and resets them.
void startOpenSSL();
std::size_t peakOpenSSL();

}  // namespace bench::heap

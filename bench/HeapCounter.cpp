// Counts live heap bytes by standing in front of glibc's allocator: each function records the usable
// size of the block and passes on to glibc's own entry point. Single-threaded use only (the heap
// benchmark decodes on one thread), so plain counters suffice.
#include "HeapCounter.h"

#include <malloc.h>
#include <openssl/crypto.h>

#include <cerrno>
#include <cstdlib>

extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* block, std::size_t size);
void* __libc_memalign(std::size_t alignment, std::size_t size);
void __libc_free(void* block);
}

namespace {

struct Counter {
    bool on = false;
    std::size_t live = 0;
    std::size_t peak = 0;

    void add(void* block) {
        if (!on || !block) return;
        live += malloc_usable_size(block);
        if (live > peak) peak = live;
    }
    void remove(void* block) {
        if (!on || !block) return;
        const std::size_t size = malloc_usable_size(block);
        live = size > live ? 0 : live - size;  // a block made before start() counts as nothing
    }
    void reset() {
        live = 0;
        peak = 0;
        on = true;
    }
};

Counter program;
Counter openssl;

void* countedMalloc(std::size_t size, const char*, int) {
    void* block = __libc_malloc(size);
    openssl.add(block);
    return block;
}
void* countedRealloc(void* block, std::size_t size, const char*, int) {
    openssl.remove(block);
    void* moved = __libc_realloc(block, size);
    if (moved || size) openssl.add(moved ? moved : block);
    return moved;
}
void countedFree(void* block, const char*, int) {
    openssl.remove(block);
    __libc_free(block);
}

}  // namespace

namespace bench::heap {

void start() {
    program.reset();
}
void stop() {
    program.on = false;
}
std::size_t live() {
    return program.live;
}
std::size_t peak() {
    return program.peak;
}

void startOpenSSL() {
    static const bool installed = CRYPTO_set_mem_functions(countedMalloc, countedRealloc, countedFree) == 1;
    if (!installed) std::abort();  // OpenSSL allocated before: its counts would be wrong
    openssl.reset();
}
std::size_t peakOpenSSL() {
    return openssl.peak;
}

}  // namespace bench::heap

extern "C" {

void* malloc(std::size_t size) {
    void* block = __libc_malloc(size);
    program.add(block);
    return block;
}
void* calloc(std::size_t count, std::size_t size) {
    void* block = __libc_calloc(count, size);
    program.add(block);
    return block;
}
void* realloc(void* block, std::size_t size) {
    program.remove(block);
    void* moved = __libc_realloc(block, size);
    if (moved || size) program.add(moved ? moved : block);  // realloc(p, 0) may free p
    return moved;
}
void free(void* block) {
    program.remove(block);
    __libc_free(block);
}
void* memalign(std::size_t alignment, std::size_t size) {
    void* block = __libc_memalign(alignment, size);
    program.add(block);
    return block;
}
void* aligned_alloc(std::size_t alignment, std::size_t size) {
    return memalign(alignment, size);
}
int posix_memalign(void** out, std::size_t alignment, std::size_t size) {
    void* block = memalign(alignment, size);
    if (!block) return ENOMEM;
    *out = block;
    return 0;
}

}  // extern "C"

// Sees every allocation of the program: under a sanitizer through its malloc hook, otherwise by
// standing in front of the C library's allocator (malloc, calloc and realloc record the size and pass
// on to glibc's own functions; operator new reaches malloc too).
#include "support/AllocationProbe.h"

#include <atomic>
#include <cstdlib>

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define ZENTRIK_PROBE_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer) || __has_feature(memory_sanitizer)
#define ZENTRIK_PROBE_SANITIZER 1
#endif
#endif

namespace {
std::atomic<bool> armed{false};
std::atomic<std::size_t> largestSeen{0};
std::atomic<bool> seenAny{false};

void record(std::size_t size) {
    seenAny.store(true, std::memory_order_relaxed);
    if (!armed.load(std::memory_order_relaxed)) return;
    std::size_t current = largestSeen.load(std::memory_order_relaxed);
    while (size > current && !largestSeen.compare_exchange_weak(current, size, std::memory_order_relaxed)) {
    }
}
}  // namespace

#ifdef ZENTRIK_PROBE_SANITIZER

extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*mallocHook)(const volatile void*,
                                                                            std::size_t),
                                                         void (*freeHook)(const volatile void*));

namespace {
void onMalloc(const volatile void*, std::size_t size) {
    record(size);
}
void onFree(const volatile void*) {}
const bool hooked = __sanitizer_install_malloc_and_free_hooks(&onMalloc, &onFree) != 0;
}  // namespace

#else

extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* block, std::size_t size);

void* malloc(std::size_t size) {
    record(size);
    return __libc_malloc(size);
}
void* calloc(std::size_t count, std::size_t size) {
    record(count * size);
    return __libc_calloc(count, size);
}
void* realloc(void* block, std::size_t size) {
    record(size);
    return __libc_realloc(block, size);
}
}

namespace {
const bool hooked = true;
}  // namespace

#endif

namespace hardening_test {

AllocationProbe::AllocationProbe() {
    largestSeen.store(0);
    armed.store(true);
}

AllocationProbe::~AllocationProbe() {
    armed.store(false);
}

std::size_t AllocationProbe::largest() const {
    return largestSeen.load();
}

bool AllocationProbe::available() {
    if (!hooked) return false;
    // An allocation the optimiser cannot drop: the probe must have seen it.
    seenAny.store(false);
    void* volatile block = std::malloc(64);
    std::free(block);
    return seenAny.load();
}

}  // namespace hardening_test

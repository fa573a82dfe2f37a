#include "zentrik/platform/asn1/ASN1ValueCache.h"

#include <cstdlib>
#include <new>

#if defined(__SANITIZE_ADDRESS__)
#define ZENTRIK_VALUE_CACHE 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(memory_sanitizer)
#define ZENTRIK_VALUE_CACHE 0
#endif
#endif
#ifndef ZENTRIK_VALUE_CACHE
#define ZENTRIK_VALUE_CACHE 1
#endif

namespace Ostrel::valueCache {

namespace {

void* fromMalloc(std::size_t size) {
    void* block = std::malloc(size);
    if (!block) throw std::bad_alloc();
    return block;
}

#if ZENTRIK_VALUE_CACHE

// Sizes in steps of 8 octets up to kLargest; larger blocks bypass the cache.
constexpr std::size_t kStep = 8;
constexpr std::size_t kLargest = 128;
constexpr std::size_t kClasses = kLargest / kStep;
// Octets of blocks kept per thread: the values of a tree of some ten thousand elements, so that
// decoding one such tree after another reuses the blocks of the last instead of going to malloc.
constexpr std::size_t kKeptOctets = std::size_t(1) << 20;

struct FreeBlock {
    FreeBlock* next;
};

// Where a thread's cache stands: nothing cached yet, caching (the reaper below will empty the lists
// when the thread ends), or emptied for good (values freed later go to free()).
enum class State : unsigned char { fresh, caching, gone };

// The thread's lists: trivially destructible, so that reaching them needs no guard.
struct Lists {
    FreeBlock* heads[kClasses];
    std::size_t keptOctets;
    State state;
};
thread_local Lists lists{};

// Gives the cached blocks back to malloc.
void freeAll() noexcept {
    for (FreeBlock*& head : lists.heads)
        while (head) {
            FreeBlock* next = head->next;
            std::free(head);
            head = next;
        }
    lists.keptOctets = 0;
}

struct Reaper {
    bool armed = false;
    ~Reaper() {
        lists.state = State::gone;
        freeAll();
    }
};
thread_local Reaper reaper;

// The first block a thread caches arms its reaper; a thread whose cache is gone caches nothing.
[[gnu::noinline]] bool startCaching() noexcept {
    if (lists.state == State::gone) return false;
    reaper.armed = true;
    lists.state = State::caching;
    return true;
}

std::size_t classOf(std::size_t size) {
    return (size + kStep - 1) / kStep - 1;
}

#endif

}  // namespace

void* allocate(std::size_t size) {
#if ZENTRIK_VALUE_CACHE
    if (size == 0 || size > kLargest) return fromMalloc(size);
    const std::size_t k = classOf(size);
    if (FreeBlock* block = lists.heads[k]) {
        lists.heads[k] = block->next;
        lists.keptOctets -= (k + 1) * kStep;
        return block;
    }
    return fromMalloc((k + 1) * kStep);
#else
    return fromMalloc(size);
#endif
}

void release(void* block, std::size_t size) noexcept {
#if ZENTRIK_VALUE_CACHE
    if (size - 1 < kLargest && block) {  // sizes 1 to kLargest (0 wraps around)
        Lists& own = lists;
        const std::size_t k = classOf(size);
        const std::size_t kept = own.keptOctets + (k + 1) * kStep;
        if (kept <= kKeptOctets && (own.state == State::caching || startCaching())) {
            auto* freed = static_cast<FreeBlock*>(block);
            freed->next = own.heads[k];
            own.heads[k] = freed;
            own.keptOctets = kept;
            return;
        }
    }
#else
    (void)size;
#endif
    std::free(block);
}

void trim() noexcept {
#if ZENTRIK_VALUE_CACHE
    freeAll();
#endif
}

}  // namespace Ostrel::valueCache

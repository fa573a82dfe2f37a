#include "zentrik/platform/asn1/ASN1ValueCache.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include "zentrik/platform/asn1/ASN1ValuePages.h"

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

using valuePages::classOf;
using valuePages::FreeBlock;
using valuePages::kLargest;
using valuePages::octetsOf;

// Octets of blocks kept per thread: the values of a tree of some ten thousand elements, so that
// decoding one such tree after another reuses the blocks of the last without taking the pages' lock.
constexpr std::size_t kKeptOctets = std::size_t(1) << 20;
// Larger blocks come from malloc, and the largest one freed, up to this size, is kept for the next
// request it fits without wasting more than half: a component list that grows to the same size decode
// after decode then does not make malloc grow and shrink its heap, and fault its pages in, each time.
constexpr std::size_t kLargeKept = std::size_t(1) << 20;
// Octets of blocks taken from the pages at a time.
constexpr std::size_t kBatchOctets = std::size_t(8) << 10;

// Where a thread's cache stands: nothing cached yet, caching (the reaper below will give the blocks
// back when the thread ends), or emptied for good (blocks go straight to and from the pages).
enum class State : unsigned char { fresh, caching, gone };

// The thread's lists: trivially destructible, so that reaching them needs no guard.
struct Lists {
    FreeBlock* heads[valuePages::kClasses];
    std::size_t keptOctets;
    void* large;
    std::size_t largeOctets;
    State state;
};
thread_local Lists lists{};

// Gives every cached block back to its page.
void giveAll() noexcept {
    valuePages::give(lists.heads, valuePages::kClasses);
    for (FreeBlock*& head : lists.heads) head = nullptr;
    lists.keptOctets = 0;
    std::free(lists.large);
    lists.large = nullptr;
}

struct Reaper {
    bool armed = false;
    ~Reaper() {
        lists.state = State::gone;
        giveAll();
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

// No block of the class is cached: a batch from the pages, one to hand out and the rest cached.
[[gnu::noinline]] void* refill(std::size_t k) {
    const bool caching = lists.state == State::caching || startCaching();
    std::size_t taken = 0;
    FreeBlock* chain = valuePages::take(k, caching ? kBatchOctets / octetsOf(k) : 1, taken);
    lists.heads[k] = chain->next;
    lists.keptOctets += (taken - 1) * octetsOf(k);
    return chain;
}

// The cache holds more than it keeps, or is gone: everything goes back to the pages, the freed block
// with it.
[[gnu::noinline]] void overflow(FreeBlock* freed, std::size_t k) noexcept {
    freed->next = lists.heads[k];
    lists.heads[k] = freed;
    giveAll();
}

[[gnu::noinline]] void* allocateLarge(std::size_t size) {
    void* kept = lists.large;
    if (kept && size <= lists.largeOctets && lists.largeOctets / 2 <= size) {
        lists.large = nullptr;
        return kept;
    }
    return fromMalloc(size);
}

[[gnu::noinline]] void releaseLarge(void* block, std::size_t size) noexcept {
    if (block && size <= kLargeKept && (!lists.large || size >= lists.largeOctets) &&
        (lists.state == State::caching || startCaching())) {
        std::free(lists.large);
        lists.large = block;
        lists.largeOctets = size;
        return;
    }
    std::free(block);
}

#endif

}  // namespace

void* allocate(std::size_t size) {
#if ZENTRIK_VALUE_CACHE
    if (size - 1 >= kLargest) return allocateLarge(size);  // 0 wraps around
    const std::size_t k = classOf(size);
    if (FreeBlock* block = lists.heads[k]) {
        lists.heads[k] = block->next;
        lists.keptOctets -= octetsOf(k);
        return block;
    }
    return refill(k);
#else
    return fromMalloc(size);
#endif
}

void release(void* block, std::size_t size) noexcept {
#if ZENTRIK_VALUE_CACHE
    if (size - 1 < kLargest && block) {  // sizes 1 to kLargest (0 wraps around)
        Lists& own = lists;
        const std::size_t k = classOf(size);
        auto* freed = static_cast<FreeBlock*>(block);
        const std::size_t kept = own.keptOctets + octetsOf(k);
        if (kept <= kKeptOctets && (own.state == State::caching || startCaching())) {
            freed->next = own.heads[k];
            own.heads[k] = freed;
            own.keptOctets = kept;
            return;
        }
        overflow(freed, k);
        return;
    }
    if (size > kLargest) return releaseLarge(block, size);
#else
    (void)size;
#endif
    std::free(block);
}

void* grow(void* block, std::size_t size, std::size_t larger) {
    if (block && size > valuePages::kLargest) {  // from malloc, with the cache or without
        void* grown = std::realloc(block, larger);
        if (!grown) throw std::bad_alloc();
        return grown;
    }
    void* grown = allocate(larger);
    if (block) std::memcpy(grown, block, size);
    release(block, size);
    return grown;
}

void trim() noexcept {
#if ZENTRIK_VALUE_CACHE
    giveAll();
    valuePages::trim();
#endif
}

std::size_t pageOctets() noexcept {
#if ZENTRIK_VALUE_CACHE
    return valuePages::pageOctets();
#else
    return 0;
#endif
}

}  // namespace Ostrel::valueCache

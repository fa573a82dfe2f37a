#include "zentrik/platform/asn1/ASN1ValuePages.h"

#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <new>

#if defined(__linux__)
#include <sys/mman.h>
#endif
#if defined(__unix__)
#include <pthread.h>
#endif

namespace Ostrel::valuePages {

namespace {

constexpr std::size_t kPageOctets = std::size_t(64) << 10;
constexpr std::size_t kSegmentOctets = std::size_t(2) << 20;
constexpr std::size_t kPagesPerSegment = kSegmentOctets / kPageOctets;

struct Segment;

// A page of one size class: blocks given back, untouched room from `room` to `end`, and its place in
// the list of pages of its class that have blocks to hand out.
struct Page {
    FreeBlock* freed;
    char* room;
    char* end;
    Page* previous;
    Page* next;
    std::uint32_t used;  // blocks handed out and not given back
    std::uint8_t sizeClass;
    bool inUse;  // holds blocks of sizeClass
    bool listed;
};

// The head of a segment, at its start; page 0's blocks begin after it.
struct Segment {
    Page pages[kPagesPerSegment];
    Segment* previous;
    Segment* next;
    std::uint32_t pagesInUse;
};
constexpr std::size_t kHeadOctets = (sizeof(Segment) + 63) / 64 * 64;

// A doubly linked list through the `previous` and `next` members.
template <typename T>
void unlink(T*& head, T* item) noexcept {
    if (item->previous) item->previous->next = item->next;
    else head = item->next;
    if (item->next) item->next->previous = item->previous;
    item->previous = item->next = nullptr;
}

template <typename T>
void push(T*& head, T* item) noexcept {
    item->previous = nullptr;
    item->next = head;
    if (head) head->previous = item;
    head = item;
}

Segment* segmentOf(const void* block) noexcept {
    return reinterpret_cast<Segment*>(reinterpret_cast<std::uintptr_t>(block) & ~(kSegmentOctets - 1));
}

Page* pageOf(const void* block) noexcept {
    Segment* segment = segmentOf(block);
    const std::size_t index = (reinterpret_cast<std::uintptr_t>(block) & (kSegmentOctets - 1)) / kPageOctets;
    return &segment->pages[index];
}

#if defined(__linux__)
// Maps twice the segment's size and gives back what lies outside the aligned segment.
void* mapSegment(bool huge) noexcept {
    void* mapped = mmap(nullptr, 2 * kSegmentOctets, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED) return nullptr;
    const auto start = reinterpret_cast<std::uintptr_t>(mapped);
    const std::uintptr_t aligned = (start + kSegmentOctets - 1) & ~(kSegmentOctets - 1);
    if (aligned > start) munmap(mapped, aligned - start);
    const std::uintptr_t after = aligned + kSegmentOctets;
    if (start + 2 * kSegmentOctets > after) munmap(reinterpret_cast<void*>(after), start + 2 * kSegmentOctets - after);
#if defined(MADV_HUGEPAGE)
    if (huge) madvise(reinterpret_cast<void*>(aligned), kSegmentOctets, MADV_HUGEPAGE);
#else
    (void)huge;
#endif
    return reinterpret_cast<void*>(aligned);
}

void unmapSegment(void* segment) noexcept {
    munmap(segment, kSegmentOctets);
}
#else
void* mapSegment(bool) noexcept {
    return std::aligned_alloc(kSegmentOctets, kSegmentOctets);
}

void unmapSegment(void* segment) noexcept {
    std::free(segment);
}
#endif

class Heap {
public:
    FreeBlock* take(std::size_t sizeClass, std::size_t count, std::size_t& taken) {
        const std::lock_guard<std::mutex> hold(lock_);
        FreeBlock* chain = nullptr;
        taken = 0;
        while (taken < count) {
            Page* page = pagesWithRoom_[sizeClass];
            if (!page && !(page = newPage(sizeClass))) break;
            cut(*page, count, chain, taken);
        }
        if (!taken) throw std::bad_alloc();
        return chain;
    }

    void give(FreeBlock* const* chains, std::size_t count) noexcept {
        const std::lock_guard<std::mutex> hold(lock_);
        for (std::size_t i = 0; i < count; ++i)
            for (FreeBlock* chain = chains[i]; chain;) {
                FreeBlock* block = chain;
                chain = chain->next;
                giveBack(block);
            }
    }

    std::size_t pageOctets() noexcept {
        const std::lock_guard<std::mutex> hold(lock_);
        return pagesInUse_ * kPageOctets;
    }

    // Around fork(): the child must not inherit the lock held by a thread it does not have.
    void lockForFork() { lock_.lock(); }
    void unlockAfterFork() { lock_.unlock(); }

    void trim() noexcept {
        const std::lock_guard<std::mutex> hold(lock_);
        if (spare_) unmapSegment(spare_);
        spare_ = nullptr;
    }

private:
    // Hands out blocks of the page: those given back first, then untouched room.
    void cut(Page& page, std::size_t count, FreeBlock*& chain, std::size_t& taken) noexcept {
        const std::size_t octets = octetsOf(page.sizeClass);
        const auto roomLeft = [&page, octets] {
            return page.end - page.room >= static_cast<std::ptrdiff_t>(octets);
        };
        for (; taken < count && (page.freed || roomLeft()); ++taken, ++page.used) {
            FreeBlock* block = page.freed;
            if (block) {
                page.freed = block->next;
            } else {
                block = reinterpret_cast<FreeBlock*>(page.room);
                page.room += octets;
            }
            block->next = chain;
            chain = block;
        }
        if (!page.freed && !roomLeft()) unlist(page);
    }

    void giveBack(FreeBlock* block) noexcept {
        Page& page = *pageOf(block);
        block->next = page.freed;
        page.freed = block;
        if (--page.used == 0) {
            freePage(page);
            return;
        }
        if (!page.listed) list(page);
    }

    void list(Page& page) noexcept {
        push(pagesWithRoom_[page.sizeClass], &page);
        page.listed = true;
    }

    void unlist(Page& page) noexcept {
        unlink(pagesWithRoom_[page.sizeClass], &page);
        page.listed = false;
    }

    // A page for blocks of the class, from a segment with a free page, the spare one or a new one.
    Page* newPage(std::size_t sizeClass) noexcept {
        Segment* segment = segmentsWithRoom_ ? segmentsWithRoom_ : newSegment();
        if (!segment) return nullptr;
        std::size_t index = 0;
        while (segment->pages[index].inUse) ++index;
        Page& page = segment->pages[index];
        char* start = reinterpret_cast<char*>(segment) + index * kPageOctets;
        page = Page{nullptr, index ? start : start + kHeadOctets, start + kPageOctets, nullptr, nullptr, 0,
                    static_cast<std::uint8_t>(sizeClass), true, false};
        list(page);
        ++pagesInUse_;
        if (++segment->pagesInUse == kPagesPerSegment) unlink(segmentsWithRoom_, segment);
        return &page;
    }

    Segment* newSegment() noexcept {
        void* memory = spare_;
        spare_ = nullptr;
        if (!memory && !(memory = mapSegment(mappedOnce_))) return nullptr;
        mappedOnce_ = true;
        auto* segment = new (memory) Segment{};
        push(segmentsWithRoom_, segment);
        return segment;
    }

    void freePage(Page& page) noexcept {
        if (page.listed) unlist(page);
        page.inUse = false;
        --pagesInUse_;
        Segment* segment = segmentOf(&page);  // the page's head lies in its segment's
        if (segment->pagesInUse-- == kPagesPerSegment) push(segmentsWithRoom_, segment);
        if (segment->pagesInUse) return;
        unlink(segmentsWithRoom_, segment);
        if (spare_) unmapSegment(spare_);
        spare_ = segment;
    }

    std::mutex lock_;
    Page* pagesWithRoom_[kClasses] = {};
    Segment* segmentsWithRoom_ = nullptr;
    void* spare_ = nullptr;
    std::size_t pagesInUse_ = 0;
    bool mappedOnce_ = false;  // the first segment takes small pages: a program that decodes a
                               // little holds a little
};

// Never destroyed: values may be freed by destructors of static objects and of threads that end
// after the program's own statics are gone.
Heap& heap() {
    alignas(Heap) static unsigned char storage[sizeof(Heap)];
    static Heap* made = [] {
        Heap* fresh = new (storage) Heap();
#if defined(__unix__)
        pthread_atfork([] { heap().lockForFork(); }, [] { heap().unlockAfterFork(); },
                       [] { heap().unlockAfterFork(); });
#endif
        return fresh;
    }();
    return *made;
}

}  // namespace

FreeBlock* take(std::size_t sizeClass, std::size_t count, std::size_t& taken) {
    return heap().take(sizeClass, count, taken);
}

void give(FreeBlock* const* chains, std::size_t count) noexcept {
    heap().give(chains, count);
}

std::size_t pageOctets() noexcept {
    return heap().pageOctets();
}

void trim() noexcept {
    heap().trim();
}

}  // namespace Ostrel::valuePages

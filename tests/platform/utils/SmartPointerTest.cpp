#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "zentrik/platform/utils/SmartPointer.h"

using Velmora::SmartPointer;

namespace {
struct Tracked {
    explicit Tracked(std::atomic<int>& alive) : alive_(alive) { ++alive_; }
    virtual ~Tracked() { --alive_; }
    std::atomic<int>& alive_;
};
struct Derived : Tracked {
    using Tracked::Tracked;
};
std::atomic<int> deleterCalls{0};
void countingDeleter(Tracked* t) {
    ++deleterCalls;
    delete t;
}
}  // namespace

TEST(SmartPointer, CountsHandlesAndDeletesWithTheLast) {
    std::atomic<int> alive{0};
    {
        SmartPointer<Tracked> a(new Tracked(alive));
        EXPECT_EQ(a.useCount(), 1);
        SmartPointer<Tracked> b = a;
        EXPECT_EQ(a.useCount(), 2);
        SmartPointer<Tracked> c(std::move(b));
        EXPECT_EQ(a.useCount(), 2);
        EXPECT_FALSE(b);
        a.reset();
        EXPECT_EQ(alive, 1);
    }
    EXPECT_EQ(alive, 0);
}

TEST(SmartPointer, UsesTheDeleterAndConvertsToTheBase) {
    std::atomic<int> alive{0};
    deleterCalls = 0;
    {
        SmartPointer<Derived> derived(new Derived(alive));
        SmartPointer<Tracked> base = derived;
        EXPECT_EQ(base.useCount(), 2);
        SmartPointer<Tracked> withDeleter(new Tracked(alive), &countingDeleter);
    }
    EXPECT_EQ(alive, 0);
    EXPECT_EQ(deleterCalls, 1);
}

TEST(SmartPointer, NotOwnedObjectsSurviveTheirHandles) {
    std::atomic<int> alive{0};
    Tracked local(alive);
    {
        SmartPointer<Tracked> view(&local, nullptr, false);
        SmartPointer<Tracked> copy = view;
        EXPECT_EQ(copy.useCount(), -2);  // negative: the handles do not own it
    }
    EXPECT_EQ(alive, 1);
}

TEST(SmartPointer, CountsCorrectlyUnderManyThreads) {
    std::atomic<int> alive{0};
    {
        SmartPointer<Tracked> shared(new Tracked(alive));
        std::vector<std::thread> threads;
        for (int t = 0; t < 8; ++t)
            threads.emplace_back([shared] {
                for (int i = 0; i < 20000; ++i) {
                    SmartPointer<Tracked> copy = shared;
                    SmartPointer<Tracked> another = copy;
                }
            });
        for (auto& t : threads) t.join();
        EXPECT_EQ(shared.useCount(), 1);
        EXPECT_EQ(alive, 1);
    }
    EXPECT_EQ(alive, 0);
}

// Value objects take their blocks from a per-thread cache of freed blocks: values made on one
// thread must work and be freed on another, also after the thread that made them has ended.
#include <gtest/gtest.h>

#if defined(__unix__)
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <csignal>
#endif

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "zentrik/platform/asn1/ASN1.h"
#include "zentrik/platform/asn1/ASN1ValueCache.h"

using namespace Ostrel;

namespace {

// A SEQUENCE of `count` INTEGERs 0 .. count-1 and strings, made on the calling thread.
std::unique_ptr<ASN1Sequence> makeTree(int count) {
    auto tree = std::make_unique<ASN1Sequence>();
    for (int i = 0; i < count; ++i) {
        tree->appendComponent(std::make_unique<ASN1Integer>(i));
        tree->appendComponent(std::make_unique<ASN1PrintableString>(("n" + std::to_string(i)).c_str()));
    }
    return tree;
}

bool intact(const ASN1Sequence& tree, int count) {
    if (tree.getNumberOfComponents() != static_cast<unsigned int>(2 * count)) return false;
    for (int i = 0; i < count; ++i) {
        const auto* number = static_cast<const ASN1Integer*>(tree.getComponent(2 * i));
        const auto* text = static_cast<const ASN1PrintableString*>(tree.getComponent(2 * i + 1));
        if (number->getValue() != Velmora::BigNumber(i) ||
            text->getValue() != Velmora::String(("n" + std::to_string(i)).c_str()))
            return false;
    }
    return true;
}

TEST(ASN1ValueCache, ValuesMadeOnOneThreadAreUsedAndFreedOnAnother) {
    constexpr int kCount = 300;  // more values than a thread's cache keeps
    std::vector<std::unique_ptr<ASN1Sequence>> made;
    std::thread maker([&made] {
        for (int round = 0; round < 4; ++round) made.push_back(makeTree(kCount));
    });
    maker.join();  // the maker's cache is gone; its values live on
    std::thread user([&made] {
        for (auto& tree : made) {
            EXPECT_TRUE(intact(*tree, kCount));
            tree.reset();
            // Blocks freed here are handed out again here: new values must not overlap live ones.
            auto again = makeTree(kCount);
            EXPECT_TRUE(intact(*again, kCount));
        }
    });
    user.join();
}

// Blocks of `size` octets, `count` of them, each filled with its own index.
std::vector<unsigned char*> fill(std::size_t size, std::size_t count) {
    std::vector<unsigned char*> blocks;
    for (std::size_t i = 0; i < count; ++i) {
        auto* block = static_cast<unsigned char*>(valueCache::allocate(size));
        std::fill(block, block + size, static_cast<unsigned char>(i));
        blocks.push_back(block);
    }
    return blocks;
}

TEST(ASN1ValueCache, PagesAreGivenBackAndFreedBlocksReusedAroundOnesStillInUse) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "every block comes from malloc under AddressSanitizer";
#endif
    valueCache::trim();
    const std::size_t before = valueCache::pageOctets();
    constexpr std::size_t kCount = 200000;  // 9.6 MB of 48-octet blocks: far beyond a thread's cache
    std::vector<unsigned char*> blocks = fill(48, kCount);
    const std::size_t full = valueCache::pageOctets() - before;
    EXPECT_GE(full, kCount * 48);
    // One block in a hundred stays: every page keeps some, and the rest must be handed out again
    // instead of new pages being cut.
    for (int round = 0; round < 3; ++round) {
        for (std::size_t i = 0; i < kCount; ++i)
            if (i % 100) valueCache::release(blocks[i], 48);
        std::vector<unsigned char*> again = fill(48, kCount);
        for (std::size_t i = 0; i < kCount; ++i)
            if (i % 100) blocks[i] = again[i];
            else valueCache::release(again[i], 48);
        EXPECT_LE(valueCache::pageOctets() - before, full + full / 50) << "round " << round;
    }
    for (std::size_t i = 0; i < kCount; ++i)
        ASSERT_EQ(blocks[i][47], static_cast<unsigned char>(i)) << i;
    for (unsigned char* block : blocks) valueCache::release(block, 48);
    valueCache::trim();
    EXPECT_EQ(valueCache::pageOctets(), before);
}

TEST(ASN1ValueCache, ThreadsFreeingEachOthersBlocksLoseNone) {
    constexpr std::size_t kCount = 60000;  // more than a thread's cache: blocks go back to the pages
    std::vector<unsigned char*> made[2];
    std::thread makers[2];
    for (int t = 0; t < 2; ++t) makers[t] = std::thread([&made, t] { made[t] = fill(24 + 16 * t, kCount); });
    for (auto& maker : makers) maker.join();
    std::thread freers[2];
    for (int t = 0; t < 2; ++t)
        freers[t] = std::thread([&made, t] {
            const std::size_t size = 24 + 16 * (1 - t);
            for (int round = 0; round < 3; ++round) {
                std::vector<unsigned char*> mine = fill(size, kCount);  // while the other frees
                for (std::size_t i = 0; i < kCount; ++i)
                    EXPECT_EQ(mine[i][size - 1], static_cast<unsigned char>(i));
                for (unsigned char* block : mine) valueCache::release(block, size);
            }
            for (std::size_t i = 0; i < kCount; ++i) {
                EXPECT_EQ(made[1 - t][i][size - 1], static_cast<unsigned char>(i));
                valueCache::release(made[1 - t][i], size);
            }
        });
    for (auto& freer : freers) freer.join();
}

#if defined(__unix__)
// A child made by fork() while another thread takes and gives back pages: whatever the other thread
// held, the child must be able to take pages of its own.
TEST(ASN1ValueCache, AChildOfForkMakesValuesWhileAnotherThreadWasBusy) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "the sanitizer's own allocator may hang a child of a fork with threads running";
#endif
    std::atomic<bool> stop{false};
    std::thread busy([&stop] {
        while (!stop)
            for (unsigned char* block : fill(32, 40000)) valueCache::release(block, 32);
    });
    bool allFinished = true;
    for (int round = 0; round < 40 && allFinished; ++round) {
        const pid_t child = fork();
        if (child == 0) {
            const std::vector<unsigned char*> blocks = fill(64, 40000);  // beyond its cache: takes pages
            _exit(blocks.back()[63] == static_cast<unsigned char>(39999) ? 0 : 1);
        }
        int status = -1;
        for (int waited = 0; waited < 1000 && waitpid(child, &status, WNOHANG) == 0; ++waited)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (waitpid(child, &status, WNOHANG) == 0) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            allFinished = false;
        }
        EXPECT_TRUE(allFinished) << "the child hung in round " << round;
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "round " << round;
    }
    stop = true;
    busy.join();
}
#endif

TEST(ASN1ValueCache, BlocksOfEverySizeComeBackUsable) {
    for (std::size_t size = 1; size <= 200; ++size) {
        SCOPED_TRACE("size " + std::to_string(size));
        const std::vector<unsigned char*> blocks = fill(size, 100);
        for (int i = 0; i < 100; ++i) {
            EXPECT_EQ(blocks[static_cast<std::size_t>(i)][size - 1], static_cast<unsigned char>(i));
            valueCache::release(blocks[static_cast<std::size_t>(i)], size);
        }
    }
}

}  // namespace

// Value objects take their blocks from a per-thread cache of freed blocks: values made on one
// thread must work and be freed on another, also after the thread that made them has ended.
#include <gtest/gtest.h>

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

TEST(ASN1ValueCache, BlocksOfEverySizeComeBackUsable) {
    for (std::size_t size = 1; size <= 200; ++size) {
        SCOPED_TRACE("size " + std::to_string(size));
        std::vector<unsigned char*> blocks;
        for (int i = 0; i < 100; ++i) {
            auto* block = static_cast<unsigned char*>(valueCache::allocate(size));
            std::fill(block, block + size, static_cast<unsigned char>(i));
            blocks.push_back(block);
        }
        for (int i = 0; i < 100; ++i) {
            EXPECT_EQ(blocks[static_cast<std::size_t>(i)][size - 1], static_cast<unsigned char>(i));
            valueCache::release(blocks[static_cast<std::size_t>(i)], size);
        }
    }
}

}  // namespace

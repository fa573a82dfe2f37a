#include <gtest/gtest.h>

#include <thread>
#include <typeinfo>
#include <vector>

#include "zentrik/coders/Base64Coder.h"
#include "zentrik/coders/Coder.h"
#include "zentrik/coders/NullCoder.h"
#include "zentrik/coders/QPCoder.h"

using namespace Velmora;

enum class Kind { base64, quotedPrintable, null };

TEST(CoderRegistryTest, NamesChooseTheCoder) {
    const std::pair<const char*, Kind> cases[] = {
        {"base64", Kind::base64},
        {"BASE64", Kind::base64},
        {"Base64", Kind::base64},
        {"quoted-printable", Kind::quotedPrintable},
        {"Quoted-Printable", Kind::quotedPrintable},
        {"QUOTED-PRINTABLE", Kind::quotedPrintable},
        {"", Kind::null},
        {"base-64", Kind::null},
        {" base64", Kind::null},
        {"base64 ", Kind::null},
        {"quoted printable", Kind::null},
        {"double", Kind::null},
    };
    for (const auto& [name, kind] : cases) {
        SmartPointer<Coder> coder = Coder::getInstance(name);
        ASSERT_TRUE(coder) << name;
        switch (kind) {
            case Kind::base64: {
                auto* b64 = dynamic_cast<Base64Coder*>(coder.get());
                ASSERT_NE(b64, nullptr) << name;
                EXPECT_TRUE(b64->breaksLines());
                EXPECT_EQ(coder->encode(ByteArray("M")), ByteArray("TQ==\r\n"));
                break;
            }
            case Kind::quotedPrintable: {
                auto* qp = dynamic_cast<QPCoder*>(coder.get());
                ASSERT_NE(qp, nullptr) << name;
                EXPECT_TRUE(qp->usesCRLFSoftBreaks());
                break;
            }
            case Kind::null: {
                const Coder& chosen = *coder;
                EXPECT_EQ(typeid(chosen), typeid(NullCoder)) << name;
                EXPECT_EQ(coder->encode(ByteArray("M")), ByteArray("M"));
                break;
            }
        }
    }
}

TEST(CoderRegistryTest, EveryCallMakesANewCoder) {
    SmartPointer<Coder> a = Coder::getInstance("base64");
    SmartPointer<Coder> b = Coder::getInstance("base64");
    EXPECT_NE(a.get(), b.get());
    EXPECT_EQ(a.useCount(), 1);
}

TEST(CoderRegistryTest, FirstUseFromSeveralThreads) {
    std::vector<std::thread> threads;
    std::vector<int> right(16, 0);
    for (int t = 0; t < 16; ++t) {
        threads.emplace_back([t, &right] {
            for (int i = 0; i < 200; ++i) {
                SmartPointer<Coder> coder = Coder::getInstance(t % 2 ? "Base64" : "quoted-printable");
                const bool ok = t % 2 ? dynamic_cast<Base64Coder*>(coder.get()) != nullptr
                                      : dynamic_cast<QPCoder*>(coder.get()) != nullptr;
                right[static_cast<std::size_t>(t)] += ok ? 1 : 0;
            }
        });
    }
    for (auto& thread : threads) thread.join();
    for (int count : right) EXPECT_EQ(count, 200);
}

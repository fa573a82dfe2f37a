// Several threads encode and decode different values at the same moment, and ask Coder::getInstance
// for their coders for the first time together (each test runs in a process of its own, so this is
// the first call of the process). Run under ThreadSanitizer by the tsan preset; any shared state
// without synchronisation shows up there, wrong results show up everywhere.
#include <gtest/gtest.h>

#include <atomic>
#include <latch>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "hardening/HardeningSupport.h"
#include "zentrik/asn1/BERCoder.h"
#include "zentrik/asn1/DERCoder.h"
#include "zentrik/coders/Base64Coder.h"
#include "zentrik/coders/Coder.h"
#include "zentrik/coders/DoubleCoder.h"
#include "zentrik/coders/QPCoder.h"
#include "zentrik/coders/URLCoder.h"
#include "zentrik/iou/ASN1IOUObject.h"
#include "zentrik/platform/asn1/ASN1.h"

namespace hardening_test {
namespace {

using namespace Ostrel;
using Velmora::Base64Coder;
using Velmora::ByteArrayInputStream;
using Velmora::ByteArrayOutputStream;
using Velmora::Coder;
using Velmora::DoubleCoder;
using Velmora::QPCoder;
using Velmora::SmartPointer;
using Velmora::String;
using Velmora::URLCoder;
using Velmora::URLNameValueField;
using Velmora::URLNameValues;

constexpr int kThreads = 8;
constexpr int kRounds = 40;

// A value of its own for each thread and round: a structure of most value kinds.
std::unique_ptr<ASN1Object> valueFor(int thread, int round) {
    auto seq = std::make_unique<ASN1Sequence>();
    seq->appendComponent(std::make_unique<ASN1Integer>(static_cast<std::int64_t>(thread) * 1000003 - round));
    seq->appendComponent(std::make_unique<ASN1ObjectIdentifier>(
        ("1.3.6.1.4.1." + std::to_string(thread) + "." + std::to_string(round)).c_str()));
    seq->appendComponent(std::make_unique<ASN1UTF8String>(("thread " + std::to_string(thread)).c_str()));
    seq->appendComponent(
        std::make_unique<ASN1OctetString>(ByteArray(std::string(round + thread, 'x').c_str())));
    seq->appendComponent(std::make_unique<ASN1Boolean>(round % 2 == 0));
    seq->appendComponent(std::make_unique<ASN1Enumerated>(-thread - round));
    auto set = std::make_unique<ASN1Set>();
    set->appendComponent(std::make_unique<ASN1PrintableString>(("r" + std::to_string(round)).c_str()));
    set->appendComponent(std::make_unique<ASN1Null>());
    set->setExplicitTag(static_cast<unsigned int>(thread));
    seq->appendComponent(std::move(set));
    return seq;
}

ByteArray dataFor(int thread, int round) {
    ByteArray data;
    for (int i = 0; i < 200 + thread * 37 + round; ++i)
        data.append(static_cast<unsigned char>(i * 31 + thread));
    return data;
}

// One thread's work: its own coders by name, then rounds of its own values through every coder.
// Returns the number of wrong results.
int work(int thread, std::latch& start) {
    static const char* const names[] = {"base64", "Quoted-Printable", "BASE64", "anything else"};
    start.arrive_and_wait();
    int wrong = 0;
    SmartPointer<Coder> byName = Coder::getInstance(names[thread % 4]);
    SmartPointer<Coder> other = Coder::getInstance(names[(thread + 1) % 4]);
    for (int round = 0; round < kRounds; ++round) {
        const auto value = valueFor(thread, round);
        const ByteArray der = DERCoder::encode(value.get());
        wrong += DERCoder::encode(DERCoder::decode(der).get()) != der ? 1 : 0;
        const ByteArray ber = BERCoder::encode(value.get());
        wrong += BERCoder::encode(BERCoder::decode(ber).get()) != ber ? 1 : 0;
        {
            ByteArrayInputStream in(ber);
            SmartPointer<ASN1IOUObject> top = BERCoder::decodeIOU(in);
            int components = 0;
            for (; components < 6; ++components)
                if (!top->getNextComponent()) break;
            if (SmartPointer<ASN1IOUObject> tagged = top->getNextExplicitComponent()) {
                wrong += tagged->getValue() == nullptr ? 1 : 0;
                ++components;
            }
            wrong += top->getNextComponent() ? 1 : 0;
            wrong += components != 7 ? 1 : 0;
        }

        const ByteArray data = dataFor(thread, round);
        wrong += byName->decode(byName->encode(data)) != data ? 1 : 0;
        wrong += other->decode(other->encode(data)) != data ? 1 : 0;
        Base64Coder base64(round % 2 == 0);
        wrong += base64.decode(base64.encode(data)) != data ? 1 : 0;
        QPCoder qp(round % 2 == 0);
        wrong += qp.decode(qp.encode(data)) != data ? 1 : 0;
        DoubleCoder twice;
        wrong += twice.decode(twice.encode(data)) != data ? 1 : 0;

        URLNameValues fields;
        fields.addURLNameValueField(URLNameValueField(String("t" + std::to_string(thread)),
                                                      String("r" + std::to_string(round) + " value")));
        URLCoder url;
        wrong += url.decode(url.encode(fields)) != fields ? 1 : 0;
    }
    return wrong;
}

TEST(ConcurrencyTest, ThreadsCodeDifferentValuesAtOnceAndMeetInTheCoderRegistry) {
    std::latch start(kThreads);
    std::vector<std::thread> threads;
    std::vector<int> wrong(kThreads, -1);
    std::vector<std::string> failures(kThreads);
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            try {
                wrong[t] = work(t, start);
            } catch (const Velmora::Exception& e) {
                failures[t] = e.what();
            } catch (const std::exception& e) {
                failures[t] = e.what();
            }
        });
    }
    for (std::thread& t : threads) t.join();
    for (int t = 0; t < kThreads; ++t) {
        SCOPED_TRACE("thread " + std::to_string(t));
        EXPECT_EQ(failures[t], "");
        EXPECT_EQ(wrong[t], 0);
    }
}

// Values handed between threads: one thread decodes, others encode the shared result at once, each
// copy of a SmartPointer released on its own thread.
TEST(ConcurrencyTest, ADecodedValueIsSharedReadOnlyBetweenThreads) {
    const auto original = valueFor(3, 5);
    const ByteArray der = DERCoder::encode(original.get());
    const SmartPointer<ASN1Object> shared = DERCoder::decode(der);
    const String text = shared->toString();
    std::latch start(kThreads);
    std::vector<std::thread> threads;
    std::atomic<int> wrong{0};
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, copy = shared] {
            start.arrive_and_wait();
            for (int i = 0; i < kRounds; ++i) {
                SmartPointer<ASN1Object> mine = copy;
                if (DERCoder::encode(mine.get()) != der) ++wrong;
                if (mine->toString() != text) ++wrong;
            }
        });
    }
    for (std::thread& t : threads) t.join();
    EXPECT_EQ(wrong.load(), 0);
    EXPECT_EQ(shared.useCount(), 1);
}

// One coder object, reached through a subclass, decodes and encodes on many threads at once: the
// coders hold no state of a call, so no call sees another's nesting depth or buffers.
class SharedCoder : public DERCoder {
  public:
    ASN1Object* decodeOne(const ByteArray& octets) const {
        ByteArrayInputStream in(octets);
        ASN1Object* value = nullptr;
        decode(in, value);
        return value;
    }
    ByteArray encodeOne(const ASN1Object& value) const {
        ByteArrayOutputStream out;
        encode(out, &value);
        return out.getByteArray();
    }
};

TEST(ConcurrencyTest, OneCoderObjectServesManyThreadsAtOnce) {
    // Nested 150 levels deep, so that depths counted in the coder would add up past the limit.
    std::unique_ptr<ASN1Object> deep = std::make_unique<ASN1Sequence>();
    for (int level = 0; level < 150; ++level) {
        auto outer = std::make_unique<ASN1Sequence>();
        outer->appendComponent(std::move(deep));
        deep = std::move(outer);
    }
    const ByteArray der = DERCoder::encode(deep.get());
    const SharedCoder coder;
    constexpr int kSharing = 16;
    std::latch start(kSharing);
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kSharing; ++t) {
        threads.emplace_back([&] {
            start.arrive_and_wait();
            for (int i = 0; i < kRounds / 4; ++i) {
                try {
                    const std::unique_ptr<ASN1Object> value(coder.decodeOne(der));
                    if (coder.encodeOne(*value) != der) ++wrong;
                } catch (const Velmora::Exception&) {
                    ++wrong;
                }
            }
        });
    }
    for (std::thread& t : threads) t.join();
    EXPECT_EQ(wrong.load(), 0);
}

}  // namespace
}  // namespace hardening_test

// --strict for Base64: the alphabet of 64 characters, "=" padding only where a final group of 2 or
// 3 characters calls for it and nothing but line ends after it, unused bits zero, no final group of
// 1 character. Lines end with LF or CR LF, anywhere; no other character passes, blanks included.
#include <array>

#include "StrictText.h"

namespace zcoders {

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// Value of each octet as a Base64 character, -1 for the others.
constexpr std::array<signed char, 256> kValue = [] {
    std::array<signed char, 256> t{};
    t.fill(-1);
    for (int v = 0; v < 64; ++v) t[static_cast<unsigned char>(kAlphabet[v])] = static_cast<signed char>(v);
    return t;
}();

class Base64Checker final : public TextChecker {
  public:
    using TextChecker::TextChecker;

    void finish() override {
        if (crOpen_) fault(crAt_, "CR not followed by LF");
        if (phase_ == Phase::padding) fault(end(), "incomplete padding: a second '=' is missing");
        if (phase_ == Phase::done) return;
        if (inGroup_ == 1) fault(lastAt_, "a final group of one character holds no octet");
        if (inGroup_ > 1) checkUnusedBits();
    }

  protected:
    void scan(const unsigned char* text, std::size_t count) override {
        for (std::size_t i = 0; i < count; ++i) {
            const unsigned char c = text[i];
            if (crOpen_) {
                if (c != '\n') fault(crAt_, "CR not followed by LF");
                crOpen_ = false;
            } else if (kValue[c] >= 0 && phase_ == Phase::digits) {
                i = takeDigits(text, count, i) - 1;
            } else {
                takeOther(c, at(i));
            }
        }
    }

  private:
    enum class Phase {
        digits,   // groups of characters
        padding,  // one '=' of the two after a group of 2
        done,     // the padding is complete: only line ends may follow
    };

    // The run of characters from text[i] on; returns where it stops.
    std::size_t takeDigits(const unsigned char* text, std::size_t count, std::size_t i) {
        std::size_t j = i;
        while (j < count && kValue[text[j]] >= 0) ++j;
        inGroup_ = static_cast<unsigned>((inGroup_ + (j - i)) % 4);
        last_ = kValue[text[j - 1]];
        lastAt_ = at(j - 1);
        return j;
    }

    void takeOther(unsigned char c, std::uint64_t offset) {
        if (c == '\n') return;
        if (c == '\r') {
            crOpen_ = true;
            crAt_ = offset;
        } else if (c == '=') {
            takeEquals(offset);
        } else if (kValue[c] < 0) {
            fault(offset, describeOctet(c) + " is not a Base64 character");
        } else if (phase_ == Phase::padding) {
            fault(offset, "incomplete padding: " + describeOctet(c) + " where a second '=' belongs");
        } else {
            fault(offset, describeOctet(c) + " after the padding, which ends the text");
        }
    }

    void takeEquals(std::uint64_t offset) {
        if (phase_ == Phase::padding) {
            phase_ = Phase::done;
            return;
        }
        if (phase_ == Phase::done) fault(offset, "excess padding: '=' after the padding is complete");
        if (inGroup_ == 0) fault(offset, "misplaced padding: '=' cannot start a group of four characters");
        if (inGroup_ == 1) fault(offset, "misplaced padding: '=' after the first character of a group");
        checkUnusedBits();
        phase_ = inGroup_ == 2 ? Phase::padding : Phase::done;
    }

    // The last character of a final group of 2 or 3 carries bits that no octet takes: they must be 0.
    void checkUnusedBits() const {
        const int unused = inGroup_ == 2 ? 0x0F : 0x03;
        if ((last_ & unused) == 0) return;
        fault(lastAt_, std::string("'") + kAlphabet[last_] +
                           "' carries bits that no octet takes (an encoder writes '" +
                           kAlphabet[last_ & ~unused] + "')");
    }

    Phase phase_ = Phase::digits;
    unsigned inGroup_ = 0;      // characters of the group under way, 0 to 3
    int last_ = 0;              // the value of the last character
    std::uint64_t lastAt_ = 0;  // and its offset
    bool crOpen_ = false;       // a CR whose LF is still to come
    std::uint64_t crAt_ = 0;
};

}  // namespace

std::unique_ptr<TextChecker> makeBase64Checker(std::string inputName) {
    return std::make_unique<Base64Checker>(std::move(inputName));
}

}  // namespace zcoders

// --strict for quoted-printable: "=" only before two hexadecimal digits (either case) or a soft line
// break ("=" LF, "=" CR LF); printable ASCII, space, TAB, LF and CR stand for themselves (a CR alone
// too, as Python's encoder writes it), any other octet must be escaped. A soft break "=" LF must not
// be directly followed by CR or LF, which the library's decoder would take as part of the break.
#include <array>
#include <string_view>

#include "StrictText.h"

namespace zcoders {

namespace {

// The octets that may stand for themselves in plain text (line ends and '=' are looked at one by one).
constexpr std::array<bool, 256> kLiteral = [] {
    std::array<bool, 256> t{};
    for (int c = 0x20; c <= 0x7E; ++c) t[static_cast<std::size_t>(c)] = c != '=';
    t['\t'] = t['\n'] = t['\r'] = true;
    return t;
}();

constexpr std::array<bool, 256> kHex = [] {
    std::array<bool, 256> t{};
    for (const char c : std::string_view("0123456789ABCDEFabcdef")) t[static_cast<unsigned char>(c)] = true;
    return t;
}();

inline bool isHex(unsigned char c) {
    return kHex[c];
}

// From text[i] on, past the octets that stand for themselves and the whole escapes "=XY".
inline std::size_t skipPlain(const unsigned char* text, std::size_t count, std::size_t i) {
    for (;;) {
        while (i < count && kLiteral[text[i]]) ++i;
        if (i + 2 >= count || text[i] != '=' || !isHex(text[i + 1]) || !isHex(text[i + 2])) return i;
        i += 3;
    }
}

class QPChecker final : public TextChecker {
  public:
    using TextChecker::TextChecker;

    void finish() override {
        if (state_ == State::equals || state_ == State::firstDigit || state_ == State::softCR)
            fault(equalsAt_, kBadEscape);
    }

  protected:
    void scan(const unsigned char* text, std::size_t count) override {
        for (std::size_t i = 0; i < count; ++i) {
            if (state_ == State::plain) {
                i = skipPlain(text, count, i);
                if (i == count) break;
            }
            take(text[i], at(i));
        }
    }

  private:
    enum class State {
        plain,
        equals,      // "="
        firstDigit,  // "=" and one hexadecimal digit
        softCR,      // "=" CR, its LF to come
        softLF,      // "=" LF: no line end may follow at once
    };
    static constexpr const char* kBadEscape = "'=' is not followed by two hexadecimal digits or a line break";

    void take(unsigned char c, std::uint64_t offset) {
        switch (state_) {
            case State::plain:
                takePlain(c, offset);
                break;
            case State::equals:
                takeAfterEquals(c);
                break;
            case State::firstDigit:
                if (!isHex(c)) fault(equalsAt_, kBadEscape);
                state_ = State::plain;
                break;
            case State::softCR:
                if (c != '\n') fault(equalsAt_, kBadEscape);
                state_ = State::plain;
                break;
            case State::softLF:
                if (c == '\r' || c == '\n')
                    fault(offset,
                          "a line end right after a soft line break ('=' LF) would be taken as part of it");
                state_ = State::plain;
                if (!kLiteral[c]) takePlain(c, offset);
                break;
        }
    }

    void takePlain(unsigned char c, std::uint64_t offset) {
        if (c == '=') {
            state_ = State::equals;
            equalsAt_ = offset;
        } else {
            fault(offset, describeOctet(c) +
                              " cannot stand for itself in quoted-printable text (write =" + hexOf(c) + ")");
        }
    }

    void takeAfterEquals(unsigned char c) {
        if (isHex(c)) {
            state_ = State::firstDigit;
        } else if (c == '\n') {
            state_ = State::softLF;
        } else if (c == '\r') {
            state_ = State::softCR;
        } else {
            fault(equalsAt_, kBadEscape);
        }
    }

    State state_ = State::plain;
    std::uint64_t equalsAt_ = 0;  // the '=' of the escape under way
};

}  // namespace

std::unique_ptr<TextChecker> makeQPChecker(std::string inputName) {
    return std::make_unique<QPChecker>(std::move(inputName));
}

}  // namespace zcoders

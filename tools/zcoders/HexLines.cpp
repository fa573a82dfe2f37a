#include "HexLines.h"

#include <utility>

namespace zcoders {

void appendHex(std::string& text, const unsigned char* octets, std::size_t count, bool spaced) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    for (std::size_t i = 0; i < count; ++i) {
        if (spaced && (i > 0 || !text.empty())) text += ' ';
        text += kDigits[octets[i] >> 4];
        text += kDigits[octets[i] & 0x0F];
    }
}

HexLines::HexLines(std::function<void(const std::string&)> write, std::size_t perLine, std::uint64_t limit)
    : write_(std::move(write)), perLine_(perLine == 0 ? 1 : perLine), limit_(limit) {}

void HexLines::feed(const unsigned char* octets, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i, ++seen_) {
        if (seen_ >= limit_) {
            seen_ += count - i;
            return;
        }
        appendHex(line_, octets + i, 1, true);
        if (++onLine_ == perLine_) {
            write_(line_);
            line_.clear();
            onLine_ = 0;
        }
    }
}

void HexLines::finish() {
    if (onLine_ > 0) write_(line_);
    if (seen_ > limit_) write_("... " + std::to_string(seen_ - limit_) + " more octets (--full shows them)");
    line_.clear();
    onLine_ = 0;
}

}  // namespace zcoders

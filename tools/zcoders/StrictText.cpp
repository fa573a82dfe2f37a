#include "StrictText.h"

namespace zcoders {

StrictTextError::StrictTextError(const std::string& inputName, std::uint64_t offset,
                                 const std::string& message)
    : std::runtime_error(inputName + ": offset " + std::to_string(offset) + ": " + message),
      offset_(offset),
      detail_(message) {}

std::string hexOf(unsigned char octet) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    return {kDigits[octet >> 4], kDigits[octet & 0x0F]};
}

std::string describeOctet(unsigned char octet) {
    if (octet >= 0x20 && octet <= 0x7E) return std::string("'") + static_cast<char>(octet) + "'";
    return "octet 0x" + hexOf(octet);
}

std::size_t CheckedInputStream::readFromSource(unsigned char* destination, std::size_t count) {
    const std::size_t got = FilteredInputStream::readFromSource(destination, count);
    checker_->check(destination, got);
    return got;
}

void CheckedInputStream::finish() {
    Velmora::ByteArray rest;
    while (hasData()) {
        *this >> rest;
        if (rest.isEmpty()) break;
    }
    checker_->finish();
}

}  // namespace zcoders

#pragma once
// A strict, independent check that octets are one element in canonical DER, as the library writes it
// back: definite minimal lengths, minimal tag numbers, BOOLEAN 00/FF, minimal INTEGER and ENUMERATED
// (at most four octets), primitive strings, BIT STRINGs with zero padding, minimal OBJECT IDENTIFIER
// subidentifiers, valid UTF-8 and UCS-2 texts, SET components in ascending order of their encodings.
// It errs on the side of "not canonical": the fuzz target only compares octets when this says yes.
#include <cstddef>
#include <cstdint>

namespace zentrik_fuzz {

class CanonicalDER {
  public:
    // Whether [data, data + size) is exactly one canonical element.
    static bool isCanonical(const unsigned char* data, std::size_t size) {
        std::size_t used = 0;
        return element(data, size, 0, used) && used == size;
    }

  private:
    static constexpr unsigned int kDeepest = 150;  // well below the decoder's own limit

    static bool readLength(const unsigned char* p, std::size_t size, std::size_t& at, std::uint64_t& length) {
        if (at >= size) return false;
        const unsigned char first = p[at++];
        if (first < 0x80) {
            length = first;
            return true;
        }
        const unsigned int k = first & 0x7F;
        if (k == 0 || k > 4 || size - at < k) return false;  // indefinite, or beyond 32 bits
        if (p[at] == 0) return false;                        // a leading zero octet
        length = 0;
        for (unsigned int i = 0; i < k; ++i) length = (length << 8) | p[at++];
        return length >= 0x80;  // the short form would have done
    }

    static bool readTagNumber(const unsigned char* p, std::size_t size, std::size_t& at) {
        if (at >= size || p[at] == 0x80) return false;  // a leading zero group
        std::uint64_t number = 0;
        for (;;) {
            if (at >= size) return false;
            const unsigned char group = p[at++];
            number = (number << 7) | (group & 0x7F);
            if (number > 0xFFFFFFFFu) return false;
            if (!(group & 0x80)) break;
        }
        return number >= 31;
    }

    static bool minimalTwosComplement(const unsigned char* c, std::size_t n) {
        if (n == 0) return false;
        if (n == 1) return true;
        return !((c[0] == 0x00 && !(c[1] & 0x80)) || (c[0] == 0xFF && (c[1] & 0x80)));
    }

    static bool bitString(const unsigned char* c, std::size_t n) {
        if (n == 0 || c[0] > 7) return false;
        if (n == 1) return c[0] == 0;
        return (c[n - 1] & ((1u << c[0]) - 1)) == 0;
    }

    static bool objectIdentifier(const unsigned char* c, std::size_t n) {
        if (n == 0 || (c[n - 1] & 0x80)) return false;
        bool first = true;
        bool startOfSubidentifier = true;
        std::uint64_t value = 0;
        for (std::size_t i = 0; i < n; ++i) {
            if (startOfSubidentifier && c[i] == 0x80) return false;
            value = (value << 7) | (c[i] & 0x7F);
            if (value > 0xFFFFFFFFu) return false;
            startOfSubidentifier = !(c[i] & 0x80);
            if (startOfSubidentifier) {
                if (first && value >= 80 && value - 80 > 0x7FFFFFFFu) return false;
                first = false;
                value = 0;
            }
        }
        return true;
    }

    static bool utf8(const unsigned char* c, std::size_t n) {
        std::size_t i = 0;
        while (i < n) {
            const unsigned char b = c[i];
            std::size_t extra;
            std::uint32_t cp;
            if (b < 0x80) {
                ++i;
                continue;
            } else if ((b & 0xE0) == 0xC0) {
                extra = 1;
                cp = b & 0x1F;
            } else if ((b & 0xF0) == 0xE0) {
                extra = 2;
                cp = b & 0x0F;
            } else if ((b & 0xF8) == 0xF0) {
                extra = 3;
                cp = b & 0x07;
            } else {
                return false;
            }
            if (n - i <= extra) return false;
            for (std::size_t k = 1; k <= extra; ++k) {
                if ((c[i + k] & 0xC0) != 0x80) return false;
                cp = (cp << 6) | (c[i + k] & 0x3F);
            }
            static constexpr std::uint32_t smallest[4] = {0, 0x80, 0x800, 0x10000};
            if (cp < smallest[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
            i += extra + 1;
        }
        return true;
    }

    // Two octets per character, no surrogate halves at all (pairs and lone halves are left out).
    static bool ucs2(const unsigned char* c, std::size_t n) {
        if (n % 2) return false;
        for (std::size_t i = 0; i < n; i += 2)
            if (c[i] >= 0xD8 && c[i] <= 0xDF) return false;
        return true;
    }

    // Octet-by-octet unsigned order, a prefix first: the order of the DER SET.
    static bool notAfter(const unsigned char* a, std::size_t an, const unsigned char* b, std::size_t bn) {
        for (std::size_t i = 0; i < an && i < bn; ++i)
            if (a[i] != b[i]) return a[i] < b[i];
        return an <= bn;
    }

    static bool element(const unsigned char* p, std::size_t size, unsigned int depth, std::size_t& used) {
        if (depth > kDeepest || size == 0) return false;
        std::size_t at = 0;
        const unsigned char id = p[at++];
        const bool tagged = (id & 0x80) != 0;
        if (tagged && (id & 0x1F) == 0x1F && !readTagNumber(p, size, at)) return false;
        std::uint64_t length = 0;
        if (!readLength(p, size, at, length) || length > size - at) return false;
        const unsigned char* c = p + at;
        const std::size_t n = static_cast<std::size_t>(length);
        used = at + n;
        if (tagged) return true;  // kept as its encoding, contents untouched
        switch (id) {
            case 0x01:
                return n == 1 && (c[0] == 0x00 || c[0] == 0xFF);
            case 0x02:
                return minimalTwosComplement(c, n);
            case 0x03:
                return bitString(c, n);
            case 0x04:
                return true;
            case 0x05:
                return n == 0;
            case 0x06:
                return objectIdentifier(c, n);
            case 0x0A:
                return n <= 4 && minimalTwosComplement(c, n);
            case 0x0C:
                return utf8(c, n);
            case 0x1C:
            case 0x1E:
                return ucs2(c, n);
            case 0x12:
            case 0x13:
            case 0x14:
            case 0x16:
            case 0x17:
            case 0x18:
            case 0x1A:
                return true;
            case 0x30:
            case 0x31: {
                std::size_t offset = 0;
                const unsigned char* previous = nullptr;
                std::size_t previousSize = 0;
                while (offset < n) {
                    std::size_t componentSize = 0;
                    if (!element(c + offset, n - offset, depth + 1, componentSize)) return false;
                    if (id == 0x31 && previous &&
                        !notAfter(previous, previousSize, c + offset, componentSize))
                        return false;
                    previous = c + offset;
                    previousSize = componentSize;
                    offset += componentSize;
                }
                return true;
            }
            default:
                return false;
        }
    }
};

}  // namespace zentrik_fuzz

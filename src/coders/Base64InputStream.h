#pragma once
#include "zentrik/coders/Base64Coder.h"
#include "zentrik/platform/utils/InputStream.h"

namespace Velmora {

/// Reads Base64 text from a source stream, which the caller owns, and hands out the decoded octets.
/// Each read gathers text up to a line end (CR LF), decodes it and pushes the rest of the text back
/// onto the source, so the filter itself holds nothing between reads.
class ZENTRIK_API Base64InputStream : public FilteredInputStream {
  public:
    /// A filter decoding the text of `source`, which must outlive it.
    explicit Base64InputStream(InputStream& source);
    /// Another filter on the same source, with the octets `other` holds pushed back.
    Base64InputStream(const Base64InputStream& other);

    Base64InputStream& operator=(const Base64InputStream&) = delete;
    ~Base64InputStream() override;

    /// Not supported: always throws UtilsException 31; read single octets with operator>>(ByteArray&).
    InputStream& operator>>(unsigned char& octet) override;
    /// The octets pushed back onto this stream if there are any, as they are; else the next decoded piece.
    InputStream& operator>>(ByteArray& out) override;
    using InputStream::operator>>;

  protected:
    /// Decoded octets for readBlob and read; what does not fit is pushed back onto this stream.
    std::size_t readFromSource(unsigned char* destination, std::size_t count) override;

  private:
    // Decodes whole groups of the text that the source holds in memory, read in place; 0 when there
    // is none, or when a '=' or an unfinished group comes first (left to decodeNextPiece).
    std::size_t decodeInPlace(unsigned char* destination, std::size_t count);
    // Pushes decoded octets that a read did not take back onto this stream, for the next read.
    void keepForLater(const unsigned char* octets, std::size_t count);
    // Gathers the next piece of text from the source, pushes back what lies past the cut and
    // decodes the rest (possibly to nothing).
    ByteArray decodeNextPiece();

    Base64Coder coder;
};

}  // namespace Velmora

#pragma once
// PEM blocks read one at a time from a stream of text: memory holds one block, whatever the number
// of blocks.

#include <string>
#include <utility>

#include "OctetReader.h"
#include "zentrik/platform/utils/ByteArray.h"

namespace zcoders {

// Whether `start`, the first octets of an input, is PEM text: white space, then "-----BEGIN".
bool looksLikePEM(const Velmora::ByteArray& start);

class PemBlocks {
  public:
    // `file` names the input in failures.
    PemBlocks(OctetReader& reader, std::string file) : reader_(reader), file_(std::move(file)) {}

    // Reads the next block, skipping any text before its BEGIN line: its label ("CERTIFICATE") and
    // decoded data. False when no block is left. Throws a LocatedFailure at the block's BEGIN line
    // when it has no END line or no data.
    bool next(std::string& label, Velmora::ByteArray& data);

  private:
    // Reads the next line without its line end; false at the end of the text.
    bool readLine(std::string& line);

    OctetReader& reader_;
    std::string file_;
};

}  // namespace zcoders

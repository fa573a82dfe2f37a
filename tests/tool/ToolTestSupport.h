#pragma once
// Runs the built zcoders binary (and peer programs) in a temporary folder and collects what they write.

#include <cstdint>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

namespace zcoders_test {

// What a finished program left behind.
struct Result {
    bool exited = false;  // ended by exit() rather than by a signal
    int status = -1;      // its exit status when it exited
    std::string out;
    std::string err;
};

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempDir {
  public:
    TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    ~TempDir();

    std::filesystem::path path(const std::string& name) const { return dir_ / name; }
    // Writes `octets` to a file in the folder and returns its path.
    std::string file(const std::string& name, const std::string& octets) const;

  private:
    std::filesystem::path dir_;
};

std::string zcodersPath();
std::string samplesDir();
// The sample certificate, DER and PEM.
std::string sampleDER();
std::string samplePEM();

// A word for the shell, single-quoted.
std::string shellQuote(const std::string& word);

// An input the tool cannot decode: a name for the case, the command line, the input and a part of
// the first line of the report it should give.
struct BadInput {
    std::string name;
    std::vector<std::string> arguments;
    std::string input;
    std::string reportPart;
};
void PrintTo(const BadInput& input, std::ostream* out);

// Runs zcoders with `arguments`; standard input is `input` when given, else empty.
Result runTool(const std::vector<std::string>& arguments, const std::string& input = {});
// Runs a shell command line (for peers and pipelines); standard input is `input`.
Result runShell(const std::string& commandLine, const std::string& input = {});

// Expects the tool to have exited with status 1 and a report whose first line is "zcoders: error ..."
// and holds `reportPart`.
void expectErrorReport(const Result& result, const std::string& reportPart);

bool haveProgram(const std::string& name);

std::string readFile(const std::filesystem::path& path);
void writeFile(const std::filesystem::path& path, const std::string& octets);

// Octets from hexadecimal digits (spaces ignored), and back to upper-case digits without spaces.
std::string fromHex(const std::string& hex);
std::string toHex(const std::string& octets);

// Reproducible pseudo-random octets.
std::string randomOctets(std::size_t count, std::uint64_t seed);

// The lines of a text, without their line ends.
std::vector<std::string> lines(const std::string& text);

// A DER element: identifier, definite length in minimal form, contents.
std::string der(unsigned char identifier, const std::string& contents);

// One line of `openssl asn1parse` output: offset, depth, header length, length, form and type.
struct ParsedElement {
    std::size_t offset = 0;
    unsigned int depth = 0;
    std::size_t headerLength = 0;
    long long length = 0;  // -1 for "inf"
    bool constructed = false;
    std::string type;   // "SEQUENCE", "INTEGER", "cont [ 0 ]", ...
    std::string value;  // what follows the type's colon, if anything
};
// Parses `openssl asn1parse -inform DER -in FILE OPTIONS` (empty when openssl fails).
std::vector<ParsedElement> opensslParse(const std::string& file, const std::string& options = "");

// Whether the binaries run under AddressSanitizer (memory use is then not the program's own).
constexpr bool kSanitized =
#if defined(__SANITIZE_ADDRESS__)
    true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    true;
#else
    false;
#endif
#else
    false;
#endif

}  // namespace zcoders_test

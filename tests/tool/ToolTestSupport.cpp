#include "ToolTestSupport.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

namespace zcoders_test {

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "zcoders-test-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("cannot make a temporary folder");
    dir_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
}

std::string TempDir::file(const std::string& name, const std::string& octets) const {
    writeFile(path(name), octets);
    return path(name).string();
}

std::string zcodersPath() {
    return ZCODERS_PATH;
}
std::string samplesDir() {
    return ZENTRIK_SAMPLES_DIR;
}
std::string sampleDER() {
    return samplesDir() + "/certificate.der";
}
std::string samplePEM() {
    return samplesDir() + "/certificate.pem";
}

void PrintTo(const BadInput& input, std::ostream* out) {
    *out << input.name;
}

void expectErrorReport(const Result& result, const std::string& reportPart) {
    ASSERT_TRUE(result.exited);
    EXPECT_EQ(result.status, 1);
    const std::vector<std::string> report = lines(result.err);
    ASSERT_FALSE(report.empty());
    // "zcoders: error N (...)", or located: "zcoders: FILE: offset N: MESSAGE [error N, OPERATION]".
    const std::string& line = report[0];
    const std::size_t offset = line.find(": offset ");
    const bool located = line.rfind("zcoders: ", 0) == 0 && offset != std::string::npos &&
                         offset + 9 < line.size() &&
                         std::isdigit(static_cast<unsigned char>(line[offset + 9])) &&
                         line.find(" [error ", offset) != std::string::npos && line.back() == ']';
    EXPECT_TRUE(line.rfind("zcoders: error ", 0) == 0 || located) << result.err;
    EXPECT_NE(report[0].find(reportPart), std::string::npos) << result.err;
}

std::string shellQuote(const std::string& word) {
    std::string quoted = "'";
    for (char c : word) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    return quoted + "'";
}

Result runShell(const std::string& commandLine, const std::string& input) {
    TempDir dir;
    const std::string in = dir.file("stdin", input);
    const std::string out = dir.path("stdout").string();
    const std::string err = dir.path("stderr").string();
    const std::string full =
        "( " + commandLine + " ) < " + shellQuote(in) + " > " + shellQuote(out) + " 2> " + shellQuote(err);
    const int raw = std::system(full.c_str());
    Result result;
    // The shell reports a child killed by a signal as status 128 + signal.
    result.exited = raw != -1 && WIFEXITED(raw) && WEXITSTATUS(raw) < 128;
    result.status = raw != -1 && WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    result.out = readFile(out);
    result.err = readFile(err);
    return result;
}

Result runTool(const std::vector<std::string>& arguments, const std::string& input) {
    std::string commandLine = shellQuote(zcodersPath());
    for (const std::string& argument : arguments) commandLine += " " + shellQuote(argument);
    return runShell(commandLine, input);
}

bool haveProgram(const std::string& name) {
    return std::system(("command -v " + shellQuote(name) + " >/dev/null 2>&1").c_str()) == 0;
}

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeFile(const std::filesystem::path& path, const std::string& octets) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(octets.data(), static_cast<std::streamsize>(octets.size()));
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

std::string fromHex(const std::string& hex) {
    std::string octets;
    int high = -1;
    for (char c : hex) {
        if (c == ' ') continue;
        const int digit = std::stoi(std::string(1, c), nullptr, 16);
        if (high < 0) {
            high = digit;
        } else {
            octets += static_cast<char>(high * 16 + digit);
            high = -1;
        }
    }
    return octets;
}

std::string toHex(const std::string& octets) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string hex;
    for (unsigned char c : octets) {
        hex += kDigits[c >> 4];
        hex += kDigits[c & 15];
    }
    return hex;
}

std::string randomOctets(std::size_t count, std::uint64_t seed) {
    std::string octets(count, '\0');
    std::uint64_t state = seed * 0x9E3779B97F4A7C15ull + 1;
    std::size_t i = 0;
    while (i < count) {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        for (int k = 0; k < 8 && i < count; ++k, ++i) octets[i] = static_cast<char>(state >> (8 * k));
    }
    return octets;
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> result;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        result.push_back(line);
    }
    return result;
}

std::string der(unsigned char identifier, const std::string& contents) {
    std::string element(1, static_cast<char>(identifier));
    const std::size_t n = contents.size();
    if (n < 0x80) {
        element += static_cast<char>(n);
    } else {
        std::string length;
        for (std::size_t rest = n; rest; rest >>= 8)
            length.insert(length.begin(), static_cast<char>(rest & 0xFF));
        element += static_cast<char>(0x80 | length.size());
        element += length;
    }
    return element + contents;
}

std::vector<ParsedElement> opensslParse(const std::string& file, const std::string& options) {
    const Result parsed = runShell("openssl asn1parse -inform DER -in " + shellQuote(file) + " " + options);
    std::vector<ParsedElement> elements;
    if (parsed.status != 0) return elements;
    // "    4:d=1  hl=4 l= 749 cons: SEQUENCE          " and "   13:d=2  hl=2 l=  11 prim: INTEGER  :05A4".
    // Read by hand: the lines of long strings are too long for a backtracking regular expression.
    for (const std::string& line : lines(parsed.out)) {
        const std::size_t colon = line.find(':');
        const std::size_t depth = line.find("d=");
        const std::size_t header = line.find("hl=");
        const std::size_t length = line.find(" l=");
        const std::size_t form = line.find(": ", length == std::string::npos ? 0 : length);
        if (colon == std::string::npos || depth == std::string::npos || header == std::string::npos ||
            length == std::string::npos || form == std::string::npos || form < 4)
            continue;
        ParsedElement element;
        element.offset = std::stoull(line.substr(0, colon));
        element.depth = static_cast<unsigned int>(std::stoul(line.substr(depth + 2)));
        element.headerLength = std::stoull(line.substr(header + 3));
        const std::string lengthText =
            line.substr(length + 3, line.find_first_of("cp", length + 3) - length - 3);
        element.length = lengthText.find("inf") != std::string::npos ? -1 : std::stoll(lengthText);
        element.constructed = line.compare(form - 4, 4, "cons") == 0;
        std::string rest = line.substr(form + 2);
        const std::size_t valueColon = rest.find(':');
        if (valueColon != std::string::npos) {
            element.value = rest.substr(valueColon + 1);
            rest.erase(valueColon);
        }
        const std::size_t hexDump = rest.find("[HEX DUMP]");
        if (hexDump != std::string::npos) rest.erase(hexDump);
        rest.erase(rest.find_last_not_of(' ') + 1);
        element.type = rest;
        elements.push_back(element);
    }
    return elements;
}

}  // namespace zcoders_test

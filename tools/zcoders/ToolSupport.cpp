#include "ToolSupport.h"

#include <unistd.h>

#include <cstdio>
#include <utility>

#include "HexLines.h"

#include "zentrik/platform/utils/Exception.h"

namespace zcoders {

namespace {

// Files smaller than this are done before progress would be worth showing.
constexpr long long kProgressThreshold = 1 << 20;
constexpr auto kProgressInterval = std::chrono::milliseconds(100);

}  // namespace

void fail(ToolFailure number, const std::string& command, const std::string& message) {
    throw Velmora::Exception(Velmora::Exception::LIB_GENERAL, number, Velmora::String("zcoders " + command),
                             Velmora::String(message));
}

Input openInput(const std::string& path) {
    Input input;
    if (path.empty() || path == "-")
        input.stream = std::make_unique<Velmora::FileInputStream>(Velmora::FileInputStream::standardInput());
    else
        input.stream = std::make_unique<Velmora::FileInputStream>(path);
    input.size = input.stream->size();
    return input;
}

std::string inputName(const std::string& path) {
    return path.empty() || path == "-" ? "standard input" : path;
}

Velmora::ByteArray readAll(Velmora::InputStream& in) {
    Velmora::ByteArray all;
    Velmora::ByteArray chunk;
    for (;;) {
        in >> chunk;
        if (chunk.isEmpty() && !in.hasData()) break;
        all += chunk;
    }
    return all;
}

void writeText(Velmora::OutputStream& out, std::string_view text) {
    out.write(text.data(), text.size());
}

std::string hexOctets(const unsigned char* octets, std::size_t count) {
    std::string text;
    text.reserve(count * 3);
    appendHex(text, octets, count, true);
    return text;
}

std::string countOf(std::uint64_t count, const char* singular, const char* plural) {
    return std::to_string(count) + " " + (count == 1 ? singular : plural);
}

// Progress

Progress::Progress(std::string command, long long total) : command_(std::move(command)) {
    enabled_ = total >= kProgressThreshold && ::isatty(STDERR_FILENO) == 1;
    total_ = total > 0 ? static_cast<std::uint64_t>(total) : 0;
}

Progress::~Progress() {
    finish();
}

void Progress::update(std::uint64_t done) {
    if (!enabled_) return;
    const int percent = static_cast<int>(std::min<std::uint64_t>(done, total_) * 100 / total_);
    const auto now = std::chrono::steady_clock::now();
    if (percent == lastPercent_ || (shown_ && now - lastShown_ < kProgressInterval)) return;
    lastPercent_ = percent;
    lastShown_ = now;
    shown_ = true;
    constexpr double kMiB = 1024.0 * 1024.0;
    std::fprintf(stderr, "\rzcoders %s: %3d%% (%.1f of %.1f MiB)", command_.c_str(), percent,
                 static_cast<double>(done) / kMiB, static_cast<double>(total_) / kMiB);
    std::fflush(stderr);
}

void Progress::finish() {
    if (!shown_) return;
    std::fprintf(stderr, "\r\033[K");
    std::fflush(stderr);
    shown_ = false;
}

std::size_t ProgressInputStream::readFromSource(unsigned char* destination, std::size_t count) {
    const std::size_t got = FilteredInputStream::readFromSource(destination, count);
    delivered_ += got;
    progress_->update(delivered_);
    return got;
}

}  // namespace zcoders

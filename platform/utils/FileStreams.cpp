#include "zentrik/platform/utils/FileStreams.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <system_error>
#include <utility>

#include "zentrik/platform/utils/Exception.h"

namespace Velmora {

namespace {

constexpr std::size_t kBufferSize = 64 * 1024;

// "what: the system's text for error"
String systemFailure(const std::string& what, int error) {
    return String(what + ": " + std::generic_category().message(error));
}

int openFile(const std::string& path, int flags, const char* operation) {
    int fd;
    do {
        fd = ::open(path.c_str(), flags | O_CLOEXEC, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        const int error = errno;
        throw UtilsException(8, operation, systemFailure("cannot open " + path, error));
    }
    return fd;
}

// Reads what the system hands out, up to `count`; 0 at the end of the file (remembered).
std::size_t readDescriptor(int fd, unsigned char* destination, std::size_t count, bool& atEnd) {
    ssize_t got;
    do {
        got = ::read(fd, destination, std::min<std::size_t>(count, std::size_t{1} << 30));
    } while (got < 0 && errno == EINTR);
    if (got < 0) {
        const int error = errno;
        throw UtilsException(9, "FileInputStream::readFromSource(unsigned char*, std::size_t)",
                             systemFailure("cannot read", error));
    }
    if (got == 0) atEnd = true;
    return static_cast<std::size_t>(got);
}

// Writes all of `count` octets, however the system splits them.
void writeDescriptor(int fd, const unsigned char* bytes, std::size_t count, const char* operation) {
    while (count > 0) {
        const ssize_t done = ::write(fd, bytes, count);
        if (done < 0) {
            if (errno == EINTR) continue;
            const int error = errno;
            throw UtilsException(10, operation, systemFailure("cannot write", error));
        }
        bytes += done;
        count -= static_cast<std::size_t>(done);
    }
}

}  // namespace

// FileInputStream

FileInputStream::FileInputStream(const std::string& path)
    : FileInputStream(openFile(path, O_RDONLY, "FileInputStream::FileInputStream(const std::string&)"),
                      true) {}

FileInputStream::FileInputStream(int descriptor, bool owned) : fd_(descriptor), owned_(owned) {}

FileInputStream FileInputStream::standardInput() {
    return FileInputStream(STDIN_FILENO, false);
}

FileInputStream::FileInputStream(FileInputStream&& other) noexcept
    : InputStream(other),
      fd_(std::exchange(other.fd_, -1)),
      owned_(std::exchange(other.owned_, false)),
      atEnd_(std::exchange(other.atEnd_, true)),
      buffer_(std::move(other.buffer_)),
      begin_(std::exchange(other.begin_, 0)),
      end_(std::exchange(other.end_, 0)) {}

FileInputStream::~FileInputStream() {
    close();
}

void FileInputStream::close() {
    if (fd_ >= 0 && owned_) ::close(fd_);  // nothing useful can be done about a failure here
    fd_ = -1;
    owned_ = false;
    atEnd_ = true;
    begin_ = end_ = 0;
}

long long FileInputStream::size() const {
    struct stat status {};
    if (fd_ < 0 || ::fstat(fd_, &status) != 0 || !S_ISREG(status.st_mode)) return -1;
    return static_cast<long long>(status.st_size);
}

bool FileInputStream::fill() {
    if (atEnd_ || fd_ < 0) return false;
    if (buffer_.empty()) buffer_.resize(kBufferSize);
    begin_ = 0;
    end_ = readDescriptor(fd_, buffer_.data(), buffer_.size(), atEnd_);
    return end_ > 0;
}

std::size_t FileInputStream::readFromSource(unsigned char* destination, std::size_t count) {
    if (count == 0) return 0;
    if (begin_ == end_) {
        // Large requests skip the buffer and go straight into the destination.
        if (count >= kBufferSize)
            return atEnd_ || fd_ < 0 ? 0 : readDescriptor(fd_, destination, count, atEnd_);
        if (!fill()) return 0;
    }
    const std::size_t n = std::min(count, end_ - begin_);
    std::memcpy(destination, buffer_.data() + begin_, n);
    begin_ += n;
    return n;
}

bool FileInputStream::sourceHasData() {
    return begin_ < end_ || fill();
}

// FileOutputStream

FileOutputStream::FileOutputStream(const std::string& path)
    : FileOutputStream(openFile(path, O_WRONLY | O_CREAT | O_TRUNC,
                                "FileOutputStream::FileOutputStream(const std::string&)"),
                       true) {}

FileOutputStream::FileOutputStream(int descriptor, bool owned) : fd_(descriptor), owned_(owned) {
    buffer_.reserve(kBufferSize);
}

FileOutputStream FileOutputStream::standardOutput() {
    return FileOutputStream(STDOUT_FILENO, false);
}

FileOutputStream::FileOutputStream(FileOutputStream&& other) noexcept
    : OutputStream(other),
      fd_(std::exchange(other.fd_, -1)),
      owned_(std::exchange(other.owned_, false)),
      buffer_(std::move(other.buffer_)) {}

FileOutputStream::~FileOutputStream() {
    if (fd_ < 0) return;
    try {
        flush();
    } catch (const Exception&) {
        // A destructor cannot report it; close() is the place to learn of a failed write.
    }
    if (owned_) ::close(fd_);
}

void FileOutputStream::flush() {
    if (buffer_.empty()) return;
    if (fd_ < 0) throw UtilsException(10, "FileOutputStream::flush()", "the stream is closed");
    try {
        writeDescriptor(fd_, buffer_.data(), buffer_.size(), "FileOutputStream::flush()");
    } catch (...) {
        buffer_.clear();  // reported once; the destructor does not try again
        throw;
    }
    buffer_.clear();
}

void FileOutputStream::close() {
    if (fd_ < 0) return;
    const int fd = fd_;
    const bool owned = owned_;
    try {
        flush();
    } catch (...) {
        fd_ = -1;
        if (owned) ::close(fd);
        throw;
    }
    fd_ = -1;
    owned_ = false;
    if (owned && ::close(fd) != 0 && errno != EINTR) {
        const int error = errno;
        throw UtilsException(10, "FileOutputStream::close()", systemFailure("cannot close", error));
    }
}

void FileOutputStream::writeBytes(const unsigned char* bytes, std::size_t count) {
    if (fd_ < 0)
        throw UtilsException(10, "FileOutputStream::writeBytes(const unsigned char*, std::size_t)",
                             "the stream is closed");
    if (count == 0) return;
    if (buffer_.size() + count > kBufferSize) {
        flush();
        if (count >= kBufferSize) {
            writeDescriptor(
                fd_, bytes, count,
                "FileOutputStream::writeBytes(const unsigned char*, std::size_t)");  // large writes skip the
                                                                                     // buffer
            return;
        }
    }
    buffer_.insert(buffer_.end(), bytes, bytes + count);
}

}  // namespace Velmora

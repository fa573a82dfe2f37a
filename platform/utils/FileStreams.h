#pragma once
#include <cstddef>
#include <string>
#include <vector>

#include "zentrik/platform/utils/InputStream.h"
#include "zentrik/platform/utils/OutputStream.h"

namespace Velmora {

/// Reads a file, or standard input, through a fixed buffer: memory stays bounded whatever the size.
class ZENTRIK_API FileInputStream : public InputStream {
  public:
    explicit FileInputStream(const std::string& path);  ///< UtilsException when it cannot be opened
    /// Standard input (not closed by the stream).
    static FileInputStream standardInput();
    /// Takes the file over; `other` is left at its end, with no file.
    FileInputStream(FileInputStream&& other) noexcept;

    FileInputStream(const FileInputStream&) = delete;
    FileInputStream& operator=(const FileInputStream&) = delete;
    ~FileInputStream() override;

    void close() override;
    /// The file's size when it is a regular file, else -1.
    long long size() const;

  protected:
    std::size_t readFromSource(unsigned char* destination, std::size_t count) override;
    bool sourceHasData() override;

  private:
    explicit FileInputStream(int descriptor, bool owned);
    bool fill();

    int fd_ = -1;
    bool owned_ = false;
    bool atEnd_ = false;
    std::vector<unsigned char> buffer_;
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
};

/// Writes a file, or standard output, through a fixed buffer.
class ZENTRIK_API FileOutputStream : public OutputStream {
  public:
    explicit FileOutputStream(const std::string& path);  ///< creates or truncates; UtilsException on failure
    /// Standard output (not closed by the stream).
    static FileOutputStream standardOutput();
    /// Takes the file and what is buffered over.
    FileOutputStream(FileOutputStream&& other) noexcept;

    FileOutputStream(const FileOutputStream&) = delete;
    FileOutputStream& operator=(const FileOutputStream&) = delete;
    ~FileOutputStream() override;  ///< flushes; failures there are ignored

    void close() override;
    void flush() override;  ///< UtilsException when the system refuses the write

  protected:
    void writeBytes(const unsigned char* bytes, std::size_t count) override;

  private:
    explicit FileOutputStream(int descriptor, bool owned);

    int fd_ = -1;
    bool owned_ = false;
    std::vector<unsigned char> buffer_;
};

}  // namespace Velmora

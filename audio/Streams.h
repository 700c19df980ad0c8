// Byte streams for the components: an abstract seekable stream, a file on disk and a
// block of memory. Errors are raised as EACSException with the system's reason.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class Stream {
  public:
    virtual ~Stream() = default;
    // Reads up to count bytes; fewer only at the end of the stream.
    virtual int64_t read(void* buffer, int64_t count) = 0;
    // Writes all count bytes or raises "Stream write error".
    virtual void write(const void* buffer, int64_t count) = 0;
    // whence: SEEK_SET, SEEK_CUR or SEEK_END. Returns the new position.
    virtual int64_t seek(int64_t offset, int whence) = 0;
    virtual int64_t position() = 0;
    virtual int64_t size() = 0;
};

class FileStream : public Stream {
  public:
    enum class Mode { Read, Create };
    FileStream(const std::string& path, Mode mode);
    ~FileStream() override;
    FileStream(const FileStream&) = delete;
    FileStream& operator=(const FileStream&) = delete;

    int64_t read(void* buffer, int64_t count) override;
    void write(const void* buffer, int64_t count) override;
    int64_t seek(int64_t offset, int whence) override;
    int64_t position() override;
    int64_t size() override;
    // Whether the file is a regular file, so that what was written can be rewritten.
    bool regularFile();
    // Closes the file; raises when the system reports that written data was lost.
    void close();
    const std::string& path() const { return m_path; }

  private:
    std::string m_path;
    int m_fd = -1;
};

class MemoryStream : public Stream {
  public:
    MemoryStream() = default;
    explicit MemoryStream(std::vector<uint8_t> bytes) : m_bytes(std::move(bytes)) {}

    int64_t read(void* buffer, int64_t count) override;
    void write(const void* buffer, int64_t count) override;
    int64_t seek(int64_t offset, int whence) override;
    int64_t position() override { return m_position; }
    int64_t size() override { return static_cast<int64_t>(m_bytes.size()); }
    const std::vector<uint8_t>& bytes() const { return m_bytes; }

  private:
    std::vector<uint8_t> m_bytes;
    int64_t m_position = 0;
};

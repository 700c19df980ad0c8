// Plain POSIX file work for the tag module: descriptors that close themselves, whole reads
// and writes, and replacing a file's content atomically.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <cstddef>
#include <functional>
#include <string>

class UniqueFd {
  public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : m_fd(fd) {}
    ~UniqueFd() { reset(); }
    UniqueFd(UniqueFd&& other) noexcept : m_fd(other.release()) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept;
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;

    int get() const { return m_fd; }
    explicit operator bool() const { return m_fd >= 0; }
    int release();
    void reset();
    // Closes the descriptor and tells whether the close succeeded (a failed close can be the
    // first report of a failed write).
    bool close();

  private:
    int m_fd = -1;
};

// Opens an existing regular file for reading; an empty descriptor for anything else (missing
// files, folders, pipes). The open never blocks.
UniqueFd openRegularFile(const std::string& path, struct stat& info);

// Reads up to count bytes at offset; returns the number read (short only at the end of the
// file), or -1 on an error.
ssize_t readAt(int fd, void* buffer, size_t count, off_t offset);
bool writeAll(int fd, const void* data, size_t count);
// Copies everything from offset to the end of the input file onto the output.
bool copyToEnd(int in, off_t offset, int out);

// Whether this process may change the file: it can write it, or it owns it and so could make
// it writable.
bool mayModify(const std::string& path, const struct stat& info);

// Gives the file at path (a regular file, symbolic links resolved beforehand) the content
// that fill writes to the descriptor it is given. The new content goes to a temporary file
// created exclusively next to the original, is flushed to disk, takes the original's
// permission bits (and, where allowed, its owner) and is then renamed over the original. On
// any failure, fill's included, the original stays as it was and the temporary file is gone.
bool replaceFile(const std::string& path, const struct stat& original,
                 const std::function<bool(int out)>& fill);

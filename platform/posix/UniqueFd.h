// A file descriptor that closes itself, and a write that does not stop short.
#pragma once

#include <unistd.h>

#include <cerrno>
#include <cstddef>

class UniqueFd {
  public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : m_fd(fd) {}
    ~UniqueFd() { reset(); }
    UniqueFd(UniqueFd&& other) noexcept : m_fd(other.release()) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept {
        if (this != &other) {
            reset();
            m_fd = other.release();
        }
        return *this;
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;

    int get() const { return m_fd; }
    explicit operator bool() const { return m_fd >= 0; }
    int release() {
        const int fd = m_fd;
        m_fd = -1;
        return fd;
    }
    void reset() {
        if (m_fd >= 0) ::close(m_fd);
        m_fd = -1;
    }
    // Closes the descriptor and tells whether the close succeeded (a failed close can be the
    // first report of a failed write).
    bool close() {
        if (m_fd < 0) return false;
        const int result = ::close(m_fd);
        m_fd = -1;
        return result == 0;
    }

  private:
    int m_fd = -1;
};

// Writes all count bytes, going on after interruptions and short writes. False on an error,
// with errno telling which (EIO where the system wrote nothing without saying why).
inline bool writeAll(int fd, const void* data, std::size_t count) {
    std::size_t done = 0;
    while (done < count) {
        const ssize_t n = ::write(fd, static_cast<const char*>(data) + done, count - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = EIO;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

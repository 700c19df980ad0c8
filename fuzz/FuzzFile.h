// Puts fuzzer input where a file-reading component can open it by name, without the disk.
#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <string>

class FuzzFile {
  public:
    FuzzFile(const uint8_t* data, size_t size) {
        m_fd = memfd_create("fuzz-input", MFD_CLOEXEC);
        if (m_fd < 0) return;
        size_t done = 0;
        while (done < size) {
            const ssize_t put = ::write(m_fd, data + done, size - done);
            if (put <= 0) break;
            done += static_cast<size_t>(put);
        }
        ::lseek(m_fd, 0, SEEK_SET);
    }
    ~FuzzFile() {
        if (m_fd >= 0) ::close(m_fd);
    }
    FuzzFile(const FuzzFile&) = delete;
    FuzzFile& operator=(const FuzzFile&) = delete;

    bool ok() const { return m_fd >= 0; }
    std::string path() const { return "/proc/self/fd/" + std::to_string(m_fd); }

  private:
    int m_fd = -1;
};

// A file written beside the one it will replace: removed again unless it took that file's
// place, so a failed or abandoned write leaves no stray file behind.
#pragma once

#include <unistd.h>

#include <string>
#include <utility>

class TemporaryFile {
  public:
    explicit TemporaryFile(std::string path) : m_path(std::move(path)) {}
    ~TemporaryFile() {
        if (!m_path.empty()) ::unlink(m_path.c_str());
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    const std::string& path() const { return m_path; }
    // The file has its final name now: nothing to remove.
    void keep() { m_path.clear(); }

  private:
    std::string m_path;
};

#include "PendingFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "ACS_Classes.h"

PendingFile::PendingFile(const std::string& path)
    : m_path(path),
      m_stream(std::make_unique<FileStream>(partPath(path), FileStream::Mode::create)) {}

PendingFile::~PendingFile() {
    discard();
}

void PendingFile::commit() {
    if (!m_stream) return;
    try {
        m_stream->close();
    } catch (...) {
        discard();
        throw;
    }
    m_stream.reset();
    if (std::rename(partPath(m_path).c_str(), m_path.c_str()) != 0) {
        const std::string reason = std::strerror(errno);
        std::remove(partPath(m_path).c_str());
        throw EACSException("Cannot create file \"" + m_path + "\": " + reason);
    }
}

void PendingFile::discard() {
    if (!m_stream) return;
    m_stream.reset();
    std::remove(partPath(m_path).c_str());
}

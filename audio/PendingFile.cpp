#include "PendingFile.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "ACS_Classes.h"
#include "AtomicReplace.h"

namespace {

// Where a write to path would land: a link is followed, so that the file it names is
// replaced and the link stays.
std::string resolvedTarget(const std::string& path) {
    std::error_code error;
    const std::filesystem::path target = std::filesystem::canonical(path, error);
    return error ? path : target.string();
}

}  // namespace

PendingFile::PendingFile(const std::string& path) : m_path(resolvedTarget(path)) {
    struct stat info {};
    m_direct = ::stat(m_path.c_str(), &info) == 0 && !S_ISREG(info.st_mode);
    m_stream = std::make_unique<FileStream>(m_direct ? m_path : partPath(m_path),
                                            FileStream::Mode::create);
}

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
    if (m_direct) return;
    takePermissionsOf(m_path, partPath(m_path));
    if (std::rename(partPath(m_path).c_str(), m_path.c_str()) != 0) {
        const std::string reason = std::strerror(errno);
        std::remove(partPath(m_path).c_str());
        throw EACSException("Cannot create file \"" + m_path + "\": " + reason);
    }
}

void PendingFile::discard() {
    if (!m_stream) return;
    m_stream.reset();
    if (!m_direct) std::remove(partPath(m_path).c_str());
}

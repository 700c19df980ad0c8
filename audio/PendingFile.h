// An output file that appears under its name only when it is complete. The encoding sinks
// write into "<name>.part" beside it and rename that over the name at the end of a good
// run, so a run that is stopped or fails leaves neither a truncated file nor a damaged
// earlier one behind: the part file is removed instead. A name that leads (through links)
// to something other than a regular file, a pipe or a device, is written directly: renaming
// over it would replace it. The file put in place keeps the permissions of the one it replaces.
#pragma once

#include <memory>
#include <string>

#include "Streams.h"

class PendingFile {
  public:
    // Creates the part file; raises as FileStream does.
    explicit PendingFile(const std::string& path);
    ~PendingFile();  // discards what was not committed
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    FileStream& stream() { return *m_stream; }
    // Closes the part file and puts it in place of the named file; raises on failure, and
    // then the part file is gone too.
    void commit();
    // Closes and removes the part file.
    void discard();

    static std::string partPath(const std::string& path) { return path + ".part"; }
    // Whether the output goes straight to the named file (not a regular one).
    bool direct() const { return m_direct; }

  private:
    std::string m_path;  // the file to replace: the name with its links followed
    bool m_direct = false;
    std::unique_ptr<FileStream> m_stream;
};

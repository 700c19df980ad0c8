// An output file that appears under its name only when it is complete. The encoding sinks
// write into "<name>.part" beside it and rename that over the name at the end of a good
// run, so a run that is stopped or fails leaves neither a truncated file nor a damaged
// earlier one behind: the part file is removed instead.
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

  private:
    std::string m_path;
    std::unique_ptr<FileStream> m_stream;
};

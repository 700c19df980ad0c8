// The INI file on disk: whole-file reads, a stamp that tells whether the file changed since it
// was read, and replacement of its content in one atomic step.
#pragma once

#include <sys/types.h>

#include <ctime>
#include <string>
#include <string_view>

namespace quillon::inifile {

// Identifies one version of a file: a rewrite by anyone changes at least one of the fields.
struct FileStamp {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};
    timespec changed{};

    bool operator==(const FileStamp& other) const;
};

FileStamp stampOf(const std::string& path);

enum class ReadStatus { ok, missing, failed };

// Reads the whole file into text. missing: nothing at the path (text is emptied); failed: the
// path holds something that cannot be read as a regular file (text is left alone, error says
// why).
ReadStatus readWholeFile(const std::string& path, std::string& text, FileStamp& stamp,
                         std::string& error);

// Gives the file the new content, or leaves it exactly as it was: the bytes go to a new file
// created exclusively in the same folder, are flushed to disk, and the new file is renamed
// over the old one, taking over its permission bits (and owner, where the process may). A
// file that does not exist yet is created with the permissions the umask allows. A symbolic
// link is followed, so the file it names is replaced and the link stays. A file without any
// write permission bit, or one this process may not write, counts as read-only and is not
// replaced. False on any failure, with the reason in error.
bool replaceFile(const std::string& path, std::string_view bytes, std::string& error);

}  // namespace quillon::inifile

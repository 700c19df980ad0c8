// Replacing a file's content in one atomic step, for everything that rewrites a user's file
// (the settings file, MP3 files whose tag changes): the file has either its old content or
// the whole new content, whatever happens during the write.
#pragma once

#include <sys/stat.h>

#include <functional>
#include <string>

// Gives target the content that fill writes to the descriptor it is handed. The content
// goes to a new file created exclusively in target's folder, named temporaryPrefix, random
// characters and temporarySuffix; it is flushed to disk, takes over original's permission
// bits (and owner, or at least group, where the process may give them), and is renamed over
// target. original is the existing file's status, or null for a file that does not exist yet,
// which is then created with the permissions the umask allows. On any failure, fill's
// included (it returns false with errno set), target stays as it was, the new file is gone
// and error tells which step failed and why.
bool replaceAtomically(const std::string& target, const struct stat* original,
                       const std::string& temporaryPrefix, const std::string& temporarySuffix,
                       const std::function<bool(int out)>& fill, std::string& error);

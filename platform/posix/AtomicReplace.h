// Replacing a file's content in one atomic step, for everything that rewrites a user's file
// (the settings file, MP3 files whose tag changes): the file has either its old content or
// the whole new content, whatever happens during the write. And the steps it is made of, for
// writers that stream into a file of their own beside the target and rename it into place.
#pragma once

#include <sys/stat.h>

#include <functional>
#include <string>

#include "UniqueFd.h"

// A new file created exclusively as prefix, random characters and suffix (mode 0666 less the
// umask), with its path in `name`; an invalid descriptor, errno set, when none could be made.
UniqueFd createUniqueFile(const std::string& prefix, const std::string& suffix, std::string& name);

// Gives the open file the owner and group of `original` where the process may (only a
// privileged process may give a file away, and a group only to one of the user's groups),
// and its permission bits; false, errno set, when the bits cannot be set.
bool takeOverPermissions(int fd, const struct stat& original);

// For a file about to be renamed over `replaced`: gives the file at `path` the owner and
// permission bits of the regular file at `replaced`, so that a file the user kept private, or
// shared with a group, stays so. Nothing happens when there is no such file or nothing can be
// set: the new file then has the usual permissions of a new file, no reason to lose it.
void takePermissionsOf(const std::string& replaced, const std::string& path);

// Makes a rename into the folder that holds `path` durable; a failure is not reported, as the
// rename has happened by then.
void syncFolderOf(const std::string& path);

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

// Plain POSIX file work for the tag module: descriptors that close themselves, whole reads
// and writes, and replacing a file's content atomically.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <cstddef>
#include <functional>
#include <string>

#include "UniqueFd.h"

// Opens an existing regular file for reading; an empty descriptor for anything else (missing
// files, folders, pipes). The open never blocks.
UniqueFd openRegularFile(const std::string& path, struct stat& info);

// Reads up to count bytes at offset; returns the number read (short only at the end of the
// file), or -1 on an error.
ssize_t readAt(int fd, void* buffer, size_t count, off_t offset);
// Copies everything from offset to the end of the input file onto the output.
bool copyToEnd(int in, off_t offset, int out);

// Whether this process may change the file: it can write it, or it owns it and so could make
// it writable.
bool mayModify(const std::string& path, const struct stat& info);

// Gives the file at path (a regular file, symbolic links resolved beforehand) the content
// that fill writes to the descriptor it is given, atomically (see AtomicReplace.h); the new
// content is written beside it under the file's name with "~" and random characters
// appended. On any failure, fill's included, the original stays as it was.
bool replaceFile(const std::string& path, const struct stat& original,
                 const std::function<bool(int out)>& fill);

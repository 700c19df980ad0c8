// A skin as a folder of files: packing a folder into a skin file and unpacking a skin file
// into a folder, for the command line and for building the shipped skin. No Qt here.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "SkinReader.h"

// A folder that cannot be packed, a skin file that cannot be unpacked, or a file that cannot
// be written; the text says which and why.
struct SkinDirectoryError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Every file of the folder (sub-folders are not entered), sorted by name, with the first
// *.ini moved last, as the description goes last in a skin. Throws when the folder has no
// *.ini file or more files than a skin can hold.
std::vector<SkinEntry> ReadSkinDirectory(const std::filesystem::path& folder);

// The whole file; throws SkinDirectoryError when it cannot be read.
std::vector<std::uint8_t> ReadWholeFile(const std::filesystem::path& file);

// Writes the file under a temporary name in the same folder and renames it into place, so
// that the file is either whole or untouched.
void WriteFileAtomically(const std::filesystem::path& file, std::span<const std::uint8_t> bytes);

// Writes each entry of the skin file into the folder (created if missing) under its
// (lower-cased) name. Nothing is written when the skin file is damaged or too old, or when an
// entry name is not a plain file name; when a write fails, the files written so far are
// removed. An entry whose name stands twice is written once, from its first occurrence (the
// one lookups find); the names skipped are returned.
std::vector<std::string> UnpackSkinFile(std::span<const std::uint8_t> skinFile,
                                        const std::filesystem::path& folder);

// Removing a file a job made and no longer wants (a partial output, a temporary copy): a file
// already gone, or one the system will not remove, is no reason to stop or to trouble the user.
#pragma once

#include <filesystem>
#include <string>
#include <system_error>

inline void removeQuietly(const std::string& path) {
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
}

#include "SafeFileName.h"

std::string trimmedName(std::string_view name) {
    auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    while (!name.empty() && blank(name.front()))
        name.remove_prefix(1);
    while (!name.empty() && blank(name.back()))
        name.remove_suffix(1);
    return std::string(name);
}

std::string safeFileName(std::string_view name) {
    std::string safe(name);
    for (char& c : safe)
        if (c == '/' || c == '\0') c = '_';
    if (safe == "." || safe == "..") safe.assign(safe.size(), '_');
    return safe;
}

std::string outputPath(const std::string& folder, std::string_view rowName) {
    return folder + "/" + safeFileName(trimmedName(rowName));
}

#include "SafeFileName.h"

#include <algorithm>
#include <filesystem>

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

std::vector<std::string> outputComponents(std::string_view rowName) {
    std::vector<std::string> components;
    std::size_t at = 0;
    while (at <= rowName.size()) {
        const std::size_t slash = std::min(rowName.find('/', at), rowName.size());
        std::string component = safeFileName(trimmedName(rowName.substr(at, slash - at)));
        if (!component.empty()) components.push_back(std::move(component));
        at = slash + 1;
    }
    return components;
}

std::string outputPath(const std::string& folder, std::string_view rowName) {
    const std::vector<std::string> components = outputComponents(rowName);
    if (components.empty()) return folder + "/";
    std::string path = folder;
    for (std::size_t i = 0; i < components.size(); ++i) {
        if (i > 0) {
            // The folder so far: made now, as the file's writer expects its folder to exist.
            // A failure shows when the file cannot be created.
            std::error_code error;
            std::filesystem::create_directory(path, error);
        }
        path += "/" + components[i];
    }
    return path;
}

std::string flatRowName(std::string_view name) {
    std::string flat(name);
    for (char& c : flat)
        if (c == '/' || c == '\0') c = '_';
    return flat;
}

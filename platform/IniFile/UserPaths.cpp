#include "UserPaths.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace quillon::paths {

namespace {

namespace fs = std::filesystem;

// An environment variable that names an absolute path, or empty.
fs::path absoluteVariable(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || *value != '/') return {};
    return fs::path(value);
}

fs::path workingDirectory() {
    std::error_code error;
    fs::path here = fs::current_path(error);
    return error ? fs::path("/") : here;
}

// The working directory's entry when it exists (of any kind: a settings.ini that cannot be
// read is still the user's and is reported as such, not passed over), else the fallback.
fs::path hereOr(const char* name, const fs::path& fallback) {
    const fs::path here = workingDirectory() / name;
    std::error_code error;
    if (fs::symlink_status(here, error).type() != fs::file_type::not_found && !error) return here;
    return fallback;
}

}  // namespace

fs::path homeFolder() {
    if (fs::path home = absoluteVariable("HOME"); !home.empty()) return home;
    if (const passwd* entry = ::getpwuid(::getuid());
        entry != nullptr && entry->pw_dir != nullptr && entry->pw_dir[0] == '/')
        return fs::path(entry->pw_dir);
    return fs::path("/");
}

fs::path configHome() {
    if (fs::path base = absoluteVariable("XDG_CONFIG_HOME"); !base.empty()) return base;
    return homeFolder() / ".config";
}

fs::path dataHome() {
    if (fs::path base = absoluteVariable("XDG_DATA_HOME"); !base.empty()) return base;
    return homeFolder() / ".local" / "share";
}

fs::path settingsFile() {
    return hereOr("settings.ini", configHome() / "quillon" / "settings.ini");
}

fs::path discFolder() {
    return hereOr("discs", dataHome() / "quillon" / "discs");
}

fs::path userDirFromText(const std::string& text, const std::string& name, const fs::path& home) {
    const std::string key = "XDG_" + name + "_DIR=";
    std::istringstream lines(text);
    std::string line;
    fs::path found;
    while (std::getline(lines, line)) {
        const size_t start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line.compare(start, key.size(), key) != 0) continue;
        std::string value = line.substr(start + key.size());
        while (!value.empty() &&
               (value.back() == ' ' || value.back() == '\t' || value.back() == '\r'))
            value.pop_back();
        // The file's form is "$HOME/Folder" or "/absolute/Folder", in double quotes.
        if (value.size() < 2 || value.front() != '"' || value.back() != '"') continue;
        value = value.substr(1, value.size() - 2);
        std::string unescaped;
        for (size_t i = 0; i < value.size(); ++i) {
            if (value[i] == '\\' && i + 1 < value.size()) ++i;
            unescaped += value[i];
        }
        // The file is read by a shell, so a later line overrides an earlier one.
        if (unescaped == "$HOME")
            found = home;
        else if (unescaped.rfind("$HOME/", 0) == 0)
            found = home / unescaped.substr(6);
        else if (!unescaped.empty() && unescaped.front() == '/')
            found = fs::path(unescaped);
    }
    return found;
}

fs::path musicFolder() {
    const fs::path home = homeFolder();
    std::ifstream file(configHome() / "user-dirs.dirs", std::ios::binary);
    if (file) {
        std::ostringstream text;
        text << file.rdbuf();
        if (fs::path music = userDirFromText(text.str(), "MUSIC", home); !music.empty())
            return music;
    }
    return home;
}

}  // namespace quillon::paths

// Where the program keeps the user's things, decided the way Linux desktop programs do, with the
// old place kept for those who already have it:
//
// - The settings file is "settings.ini" of the working directory when one is there (people who
//   start the program from its own folder keep their settings). Otherwise it is
//   $XDG_CONFIG_HOME/quillon/settings.ini, $XDG_CONFIG_HOME defaulting to ~/.config. The file
//   and its folder need not exist: they are made by the first save.
// - The folder of disc images is "discs" of the working directory when there is one, else
//   $XDG_DATA_HOME/quillon/discs, $XDG_DATA_HOME defaulting to ~/.local/share.
// - The music folder, the default output folder of a new user, is the XDG_MUSIC_DIR line of
//   $XDG_CONFIG_HOME/user-dirs.dirs (what xdg-user-dir MUSIC tells), else $HOME.
//
// A base variable that is empty or not an absolute path is ignored, as the XDG rules ask.
// Every answer is an absolute path. The program and quillon-cli both ask here, so they agree.
#pragma once

#include <filesystem>
#include <string>

namespace quillon::paths {

std::filesystem::path settingsFile();
std::filesystem::path discFolder();
std::filesystem::path musicFolder();

// The home folder: $HOME, else the password database's, else the root folder.
std::filesystem::path homeFolder();
// $XDG_CONFIG_HOME and $XDG_DATA_HOME with their defaults.
std::filesystem::path configHome();
std::filesystem::path dataHome();

// The value of the last usable XDG_<name>_DIR line of a user-dirs.dirs text ("$HOME/" expanded,
// quotes and shell escapes removed), or empty when there is no usable line.
std::filesystem::path userDirFromText(const std::string& text, const std::string& name,
                                      const std::filesystem::path& home);

}  // namespace quillon::paths

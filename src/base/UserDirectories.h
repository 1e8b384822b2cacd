#pragma once

#include <filesystem>

namespace tavlen {

// The folders of the user's account, by the XDG base-directory rules. Every result is an absolute path, never one
// relative to the working directory.

// $HOME when it is absolute, else the account's home directory from the user database, else "/".
std::filesystem::path userHomeDirectory();

// $XDG_DATA_HOME when it is absolute, else <home>/.local/share.
std::filesystem::path userDataDirectory();

// $XDG_CONFIG_HOME when it is absolute, else <home>/.config.
std::filesystem::path userConfigDirectory();

} // namespace tavlen

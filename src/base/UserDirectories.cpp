#include "UserDirectories.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace tavlen {

namespace {

// The variable's value when it names an absolute path; the XDG rules ignore a relative one.
const char* absoluteVariable(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr && value[0] == '/' ? value : nullptr;
}

} // namespace

std::filesystem::path userHomeDirectory()
{
    if (const char* home = absoluteVariable("HOME")) {
        return home;
    }
    std::string buffer(16384, '\0');
    passwd entry = {};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr &&
        found->pw_dir != nullptr && found->pw_dir[0] == '/') {
        return found->pw_dir;
    }
    return "/";
}

std::filesystem::path userDataDirectory()
{
    if (const char* dataHome = absoluteVariable("XDG_DATA_HOME")) {
        return dataHome;
    }
    return userHomeDirectory() / ".local" / "share";
}

std::filesystem::path userConfigDirectory()
{
    if (const char* configHome = absoluteVariable("XDG_CONFIG_HOME")) {
        return configHome;
    }
    return userHomeDirectory() / ".config";
}

} // namespace tavlen

#pragma once

#include "LoginItemServicing.h"

#include <filesystem>
#include <string>

namespace tavlen {

// The login item as an XDG autostart entry that starts the running program with --launched-at-login. The desktop
// keeps the entry (Startup Applications may hide or delete it), so its state is read from the file every time.
class MainAppLoginItemService final : public LoginItemServicing
{
public:
    // entryFile: $XDG_CONFIG_HOME/autostart/<bundle identifier>.desktop; program: the executable to start.
    MainAppLoginItemService(std::filesystem::path entryFile, std::filesystem::path program);

    static std::filesystem::path defaultEntryFile(const std::string& bundleIdentifier);

    // The entry's text for a program path.
    static std::string entryText(const std::filesystem::path& program);

    // Absent: not registered; hidden or switched off by the desktop: not registered; starting a program that
    // no longer exists: not found; otherwise enabled.
    LoginItemStatus status() const override;
    void registerLoginItem() override;
    void unregisterLoginItem() override;
    void openSystemSettings() override;

    const std::filesystem::path& entryFile() const { return m_entryFile; }

private:
    std::filesystem::path m_entryFile;
    std::filesystem::path m_program;
};

} // namespace tavlen

#include "MainAppLoginItemService.h"

#include "SystemServiceError.h"
#include "UserDirectories.h"

#include <QProcess>
#include <QString>

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <optional>
#include <sstream>
#include <system_error>

namespace tavlen {

namespace {

// An Exec argument quoted as the desktop entry rules ask: inside double quotes, '"', '`', '$' and '\' take a
// backslash; '%' doubles since field codes start with it.
std::string quoteExecArgument(const std::string& argument)
{
    std::string quoted = "\"";
    for (const char c : argument) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') {
            quoted += '\\';
        } else if (c == '%') {
            quoted += '%';
        }
        quoted += c;
    }
    return quoted + "\"";
}

// The first argument of an Exec value written by quoteExecArgument, or a plain first word.
std::optional<std::string> firstExecArgument(const std::string& exec)
{
    std::string argument;
    if (exec.empty() || exec.front() != '"') {
        return exec.substr(0, exec.find(' '));
    }
    for (std::size_t i = 1; i < exec.size(); ++i) {
        const char c = exec[i];
        if (c == '"') {
            return argument;
        }
        if (c == '\\' && i + 1 < exec.size()) {
            argument += exec[++i];
        } else if (c == '%' && i + 1 < exec.size() && exec[i + 1] == '%') {
            argument += exec[++i];
        } else {
            argument += c;
        }
    }
    return std::nullopt;
}

std::string describeFailure(const std::string& action, const std::filesystem::path& path, int error)
{
    return action + " " + path.string() + ": " + std::strerror(error) + ".";
}

} // namespace

MainAppLoginItemService::MainAppLoginItemService(std::filesystem::path entryFile, std::filesystem::path program)
    : m_entryFile(std::move(entryFile))
    , m_program(std::move(program))
{}

std::filesystem::path MainAppLoginItemService::defaultEntryFile(const std::string& bundleIdentifier)
{
    return userConfigDirectory() / "autostart" / (bundleIdentifier + ".desktop");
}

std::string MainAppLoginItemService::entryText(const std::filesystem::path& program)
{
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Tavlen\n"
           "Comment=Watch web pages and record values read from them\n"
           "Exec=" +
           quoteExecArgument(program.string()) +
           " --launched-at-login\n"
           "Icon=org.tavlen.Tavlen\n"
           "Terminal=false\n"
           "X-GNOME-Autostart-enabled=true\n";
}

LoginItemStatus MainAppLoginItemService::status() const
{
    std::error_code error;
    std::ifstream file(m_entryFile);
    if (!std::filesystem::is_regular_file(m_entryFile, error) || !file) {
        return LoginItemStatus::notRegistered;
    }
    std::optional<std::string> program;
    bool inEntry = false;
    for (std::string line; std::getline(file, line);) {
        if (!line.empty() && line.front() == '[') {
            inEntry = line == "[Desktop Entry]";
        } else if (!inEntry) {
            continue;
        } else if (line == "Hidden=true" || line == "X-GNOME-Autostart-enabled=false") {
            return LoginItemStatus::notRegistered;
        } else if (line.rfind("Exec=", 0) == 0) {
            program = firstExecArgument(line.substr(5));
        }
    }
    if (!program || program->empty() || ::access(program->c_str(), X_OK) != 0) {
        return LoginItemStatus::notFound;
    }
    return LoginItemStatus::enabled;
}

void MainAppLoginItemService::registerLoginItem()
{
    std::error_code error;
    std::filesystem::create_directories(m_entryFile.parent_path(), error);
    if (error) {
        throw SystemServiceError(describeFailure("Could not create", m_entryFile.parent_path(), error.value()));
    }
    // Written beside the entry and renamed over it, so the desktop never reads half an entry.
    const auto partial = std::filesystem::path(m_entryFile.string() + ".partial");
    {
        std::ofstream file(partial, std::ios::binary | std::ios::trunc);
        file << entryText(m_program);
        file.flush();
        if (!file) {
            const int failure = errno;
            std::filesystem::remove(partial, error);
            throw SystemServiceError(describeFailure("Could not write", m_entryFile, failure));
        }
    }
    std::filesystem::rename(partial, m_entryFile, error);
    if (error) {
        const int failure = error.value();
        std::filesystem::remove(partial, error);
        throw SystemServiceError(describeFailure("Could not write", m_entryFile, failure));
    }
}

void MainAppLoginItemService::unregisterLoginItem()
{
    std::error_code error;
    std::filesystem::remove(m_entryFile, error);
    if (error) {
        throw SystemServiceError(describeFailure("Could not remove", m_entryFile, error.value()));
    }
}

void MainAppLoginItemService::openSystemSettings()
{
    std::error_code error;
    std::filesystem::create_directories(m_entryFile.parent_path(), error);
    QProcess::startDetached(QStringLiteral("xdg-open"), {QString::fromStdString(m_entryFile.parent_path().string())});
}

} // namespace tavlen

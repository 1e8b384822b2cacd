#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <string>

namespace tavlen::test {

// Debian's Chromium started headless in a process group of its own, with a user-data directory of the test's
// and Tavlen's extension loaded unpacked. Chromium reads native-messaging manifests from
// <userDataDirectory>/NativeMessagingHosts, where the browser client's registration for "chromium" writes them
// when XDG_CONFIG_HOME is the directory's parent. Stopped by killing the whole group; every process it left is
// reaped (the test program becomes their subreaper), so nothing outlives the test. Should the test program die,
// the browser is killed with it.
class ChromiumProcess
{
public:
    // The browser: $TAVLEN_CHROMIUM, else /usr/lib/chromium/chromium.
    static std::filesystem::path executable();
    // The extension's folder in the source tree.
    static std::filesystem::path extensionDirectory();

    // Starts at once; stderr (with the extension's console lines) goes to log.
    ChromiumProcess(const std::filesystem::path& userDataDirectory, const std::filesystem::path& log);
    // stop(), reporting a failure to the running test.
    ~ChromiumProcess();
    ChromiumProcess(const ChromiumProcess&) = delete;
    ChromiumProcess& operator=(const ChromiumProcess&) = delete;

    pid_t processGroup() const { return m_pid; }

    bool running() const { return m_running; }

    // Kills the group and reaps every process it left; false (with a test failure) when one is still there after
    // the bound.
    bool stop(std::chrono::seconds bound = std::chrono::seconds(20));

    // The extension's console lines so far, for a failure message or a report.
    std::string extensionLog() const;
    // The last lines of everything the browser wrote, for a failure message.
    std::string logTail(std::size_t lines) const;

private:
    std::filesystem::path m_log;
    pid_t m_pid = -1;
    bool m_running = false;
};

} // namespace tavlen::test

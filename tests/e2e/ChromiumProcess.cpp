#include "ChromiumProcess.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <stdexcept>
#include <thread>
#include <vector>

extern char** environ;

namespace tavlen::test {

namespace fs = std::filesystem;

namespace {

// Reaps every exited child, the browser's orphans included; true when no child is left at all.
bool reapChildren()
{
    for (;;) {
        const pid_t pid = ::waitpid(-1, nullptr, WNOHANG);
        if (pid > 0) {
            continue;
        }
        return pid < 0 && errno == ECHILD;
    }
}

bool groupExists(pid_t group)
{
    return ::kill(-group, 0) == 0 || errno != ESRCH;
}

} // namespace

fs::path ChromiumProcess::executable()
{
    const char* chosen = std::getenv("TAVLEN_CHROMIUM");
    return chosen && *chosen ? fs::path(chosen) : fs::path("/usr/lib/chromium/chromium");
}

fs::path ChromiumProcess::extensionDirectory()
{
    return fs::path(TAVLEN_SOURCE_DIR) / "extension";
}

ChromiumProcess::ChromiumProcess(const fs::path& userDataDirectory, const fs::path& log)
    : m_log(log)
{
    if (!fs::exists(executable())) {
        throw std::runtime_error("Chromium is not installed at " + executable().string() +
                                 ": run scripts/setup (it installs the chromium package)");
    }
    // Processes the browser leaves behind become this program's children, so they can be reaped and counted.
    ::prctl(PR_SET_CHILD_SUBREAPER, 1);
    const std::string extension = extensionDirectory().string();
    std::vector<std::string> arguments = {
        executable().string(),
        "--headless=new",
        "--no-sandbox", // required as root, harmless otherwise
        "--disable-gpu",
        "--disable-quic",
        "--no-first-run",
        "--no-default-browser-check",
        "--disable-background-networking",
        "--disable-component-update",
        "--disable-sync",
        "--disable-dev-shm-usage",
        "--password-store=basic",
        "--user-data-dir=" + userDataDirectory.string(),
        "--load-extension=" + extension,
        "--disable-extensions-except=" + extension,
        "--screen-info={0,0 1920x1080}",
        "--silent-debugger-extension-api",
        "--enable-logging=stderr",
        "--v=0",
        "about:blank",
    };
    std::vector<char*> argv;
    for (auto& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    const std::string logPath = log.string();
    // fork and exec by hand: the child needs a session of its own and to die with this program even when the
    // program crashes; posix_spawn cannot ask for the second. Only system calls between fork and exec.
    m_pid = ::fork();
    if (m_pid < 0) {
        throw std::runtime_error(std::string("starting Chromium: ") + std::strerror(errno));
    }
    if (m_pid == 0) {
        ::setsid();
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        const int input = ::open("/dev/null", O_RDONLY);
        const int output = ::open(logPath.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
        if (input < 0 || output < 0 || ::dup2(input, STDIN_FILENO) < 0 || ::dup2(output, STDOUT_FILENO) < 0 ||
            ::dup2(output, STDERR_FILENO) < 0) {
            ::_exit(127);
        }
        ::execve(argv[0], argv.data(), environ);
        ::_exit(127);
    }
    m_running = true;
}

ChromiumProcess::~ChromiumProcess()
{
    stop();
}

bool ChromiumProcess::stop(std::chrono::seconds bound)
{
    if (!m_running) {
        return true;
    }
    m_running = false;
    ::kill(-m_pid, SIGKILL);
    // A native-messaging host may run in a group of its own: it ends when its standard input closes with the
    // browser. Polling is the only way to learn that processes that are not our children have ended.
    const auto deadline = std::chrono::steady_clock::now() + bound;
    for (;;) {
        const bool noChildren = reapChildren();
        if (noChildren && !groupExists(m_pid)) {
            return true;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            ADD_FAILURE() << "Chromium left processes behind (group " << m_pid << ")";
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

std::string ChromiumProcess::logTail(std::size_t lines) const
{
    std::ifstream file(m_log);
    std::vector<std::string> kept;
    std::string line;
    while (std::getline(file, line)) {
        kept.push_back(line);
        if (kept.size() > lines) {
            kept.erase(kept.begin());
        }
    }
    std::string tail;
    for (const auto& each : kept) {
        tail += each + "\n";
    }
    return tail;
}

std::string ChromiumProcess::extensionLog() const
{
    std::ifstream file(m_log);
    std::string line;
    std::string lines;
    while (std::getline(file, line)) {
        const auto at = line.find("[tavlen-test-extension]");
        if (at == std::string::npos) {
            continue;
        }
        // INFO:CONSOLE lines end with the quoted source: keep only the message.
        const auto end = line.rfind("\", source: ");
        lines += line.substr(at, end == std::string::npos || end < at ? std::string::npos : end - at) + "\n";
    }
    return lines;
}

} // namespace tavlen::test

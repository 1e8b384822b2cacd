#include "HostHarness.h"

#include "BrowserConnectionDirectory.h"
#include "MainBundle.h"
#include "ShippedConfiguration.h"
#include "Uuid.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <fstream>

extern char** environ;

namespace tavlen::test {

namespace fs = std::filesystem;

namespace {

// The browser client under test reads the bridge resources from the main bundle: the built one.
class BundleEnvironment : public ::testing::Environment
{
public:
    void SetUp() override { overrideMainBundleDirectory(fs::path(TAVLEN_BUNDLE_DIR)); }
};

[[maybe_unused]] const auto* const bundleEnvironment = ::testing::AddGlobalTestEnvironment(new BundleEnvironment);

int remainingMilliseconds(std::chrono::steady_clock::time_point deadline)
{
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

} // namespace

TestBundle::TestBundle()
    : m_identifier("org.tavlen.test." + Uuid::random().lowercaseString())
    , m_root(m_temporary / "Tavlen")
    , m_rendezvous(browserConnectionDirectory(m_identifier))
{
    const fs::path built(TAVLEN_BUNDLE_DIR);
    fs::create_directories(m_root / "Helpers");
    fs::copy(built / "Resources", m_root / "Resources", fs::copy_options::recursive);
    std::ofstream(m_root / "Info.json") << R"({"CFBundleIdentifier":")" << m_identifier
                                        << R"(","CFBundleShortVersionString":"0.1.0"})";
    // A hard link is a path of its own (the host finds its bundle from it) without copying the program.
    std::error_code error;
    fs::create_hard_link(built / "Helpers" / "TavlenBrowserHost", hostPath(), error);
    if (error) {
        fs::copy_file(built / "Helpers" / "TavlenBrowserHost", hostPath());
    }
}

TestBundle::~TestBundle()
{
    std::error_code error;
    fs::remove_all(m_rendezvous, error);
}

std::string TestBundle::origin() const
{
    return "chrome-extension://" + shippedConfiguration().allowedExtensionIDs.at(0) + "/";
}

HostProcess::HostProcess(const fs::path& executable, const std::vector<std::string>& arguments)
{
    int input[2];
    int output[2];
    if (::pipe2(input, O_CLOEXEC) != 0 || ::pipe2(output, O_CLOEXEC) != 0) {
        throw std::runtime_error("pipe");
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, input[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
    std::vector<std::string> argv = {executable.string()};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    std::vector<char*> pointers;
    for (auto& argument : argv) {
        pointers.push_back(argument.data());
    }
    pointers.push_back(nullptr);
    const int result = ::posix_spawn(&m_pid, argv[0].c_str(), &actions, nullptr, pointers.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(input[0]);
    ::close(output[1]);
    m_input = input[1];
    m_output = output[0];
    if (result != 0) {
        throw std::runtime_error(std::string("posix_spawn: ") + std::strerror(result));
    }
    m_pidFD = static_cast<int>(::syscall(SYS_pidfd_open, m_pid, 0));
}

HostProcess::~HostProcess()
{
    if (!m_status) {
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, nullptr, 0);
    }
    closeInput();
    ::close(m_output);
    if (m_pidFD >= 0) {
        ::close(m_pidFD);
    }
}

void HostProcess::writeBytes(const std::string& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(m_input, bytes.data() + done, bytes.size() - done);
        if (n <= 0) {
            ADD_FAILURE() << "writing to the host: " << std::strerror(errno);
            return;
        }
        done += static_cast<std::size_t>(n);
    }
}

void HostProcess::writeFrame(const std::string& body)
{
    writeBytes(frameLength(static_cast<std::uint32_t>(body.size())) + body);
}

void HostProcess::closeInput()
{
    if (m_input >= 0) {
        ::close(m_input);
        m_input = -1;
    }
}

bool HostProcess::readExactly(char* buffer, std::size_t size, bool& atEnd)
{
    const auto deadline = std::chrono::steady_clock::now() + hostTimeout;
    std::size_t done = 0;
    atEnd = false;
    while (done < size) {
        pollfd ready{m_output, POLLIN, 0};
        if (::poll(&ready, 1, remainingMilliseconds(deadline)) <= 0) {
            ADD_FAILURE() << "the host wrote nothing in time";
            return false;
        }
        const ssize_t n = ::read(m_output, buffer + done, size - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            atEnd = true;
            return done == 0;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

std::optional<std::string> HostProcess::readFrame()
{
    char header[4];
    bool atEnd = false;
    if (!readExactly(header, 4, atEnd)) {
        ADD_FAILURE() << "the host's output ended inside a frame length";
        return std::nullopt;
    }
    if (atEnd) {
        return std::nullopt;
    }
    std::uint32_t length = 0;
    std::memcpy(&length, header, 4);
    std::string body(length, '\0');
    if (!readExactly(body.data(), length, atEnd) || atEnd) {
        ADD_FAILURE() << "the host's output ended inside a frame body";
        return std::nullopt;
    }
    return body;
}

std::string HostProcess::readAll()
{
    std::string all;
    const auto deadline = std::chrono::steady_clock::now() + hostTimeout;
    for (;;) {
        pollfd ready{m_output, POLLIN, 0};
        if (::poll(&ready, 1, remainingMilliseconds(deadline)) <= 0) {
            ADD_FAILURE() << "the host did not close its output in time";
            return all;
        }
        char buffer[4096];
        const ssize_t n = ::read(m_output, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return all;
        }
        all.append(buffer, static_cast<std::size_t>(n));
    }
}

int HostProcess::waitForExit()
{
    if (!m_status) {
        pollfd ready{m_pidFD, POLLIN, 0};
        if (m_pidFD >= 0 && ::poll(&ready, 1, static_cast<int>(hostTimeout.count() * 1000)) <= 0) {
            return -1;
        }
        int status = 0;
        if (::waitpid(m_pid, &status, 0) != m_pid) {
            return -1;
        }
        m_status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    return *m_status;
}

AcceptedConnections::~AcceptedConnections()
{
    for (int fd : m_fds) {
        ::close(fd);
    }
}

void AcceptedConnections::add(int fd)
{
    limitReceiveWait(fd);
    std::lock_guard guard(m_mutex);
    m_fds.push_back(fd);
    m_changed.notify_all();
}

int AcceptedConnections::waitFor(std::size_t n)
{
    std::unique_lock guard(m_mutex);
    if (!m_changed.wait_for(guard, hostTimeout, [&] { return m_fds.size() > n; })) {
        return -1;
    }
    return m_fds[n];
}

std::size_t AcceptedConnections::count()
{
    std::lock_guard guard(m_mutex);
    return m_fds.size();
}

void limitReceiveWait(int fd)
{
    timeval timeout{static_cast<time_t>(hostTimeout.count()), 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
}

std::string frameLength(std::uint32_t length)
{
    std::string bytes(4, '\0');
    std::memcpy(bytes.data(), &length, 4);
    return bytes;
}

} // namespace tavlen::test

#pragma once

#include "TemporaryDirectory.h"

#include <sys/types.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace tavlen::test {

inline constexpr std::chrono::seconds hostTimeout{30};

// A bundle of our own in a temporary directory: Info.json with a fresh bundle identifier, the built bundle's
// Resources and the built host in Helpers, so the host's rendezvous directory is the test's, never a real
// Tavlen's. The rendezvous directory is removed with the bundle.
class TestBundle
{
public:
    TestBundle();
    ~TestBundle();
    TestBundle(const TestBundle&) = delete;
    TestBundle& operator=(const TestBundle&) = delete;

    const std::string& identifier() const { return m_identifier; }

    const std::filesystem::path& root() const { return m_root; }

    std::filesystem::path hostPath() const { return m_root / "Helpers" / "TavlenBrowserHost"; }

    std::filesystem::path resource(const std::string& name) const { return m_root / "Resources" / (name + ".json"); }

    const std::filesystem::path& rendezvous() const { return m_rendezvous; }

    std::filesystem::path socketPath() const { return m_rendezvous / "bridge.sock"; }

    // "chrome-extension://<the first allowed identifier>/".
    std::string origin() const;

private:
    TemporaryDirectory m_temporary;
    std::string m_identifier;
    std::filesystem::path m_root;
    std::filesystem::path m_rendezvous;
};

// The host started as Chrome starts it: argv[0] the executable path as given, standard input and output piped
// to the test, which plays Chrome.
class HostProcess
{
public:
    HostProcess(const std::filesystem::path& executable, const std::vector<std::string>& arguments);
    ~HostProcess();
    HostProcess(const HostProcess&) = delete;
    HostProcess& operator=(const HostProcess&) = delete;

    void writeBytes(const std::string& bytes);
    void writeFrame(const std::string& body);
    void closeInput();

    // The next frame the host wrote; nullopt at the end of its output. Fails the test on a timeout or a frame
    // cut short.
    std::optional<std::string> readFrame();
    // Everything the host writes until it closes its output.
    std::string readAll();
    // The exit status, or -1 when the host did not end in time or ended by a signal.
    int waitForExit();

    // The test's ends of the host's standard input and output, owned by this object.
    int inputFD() const { return m_input; }
    int outputFD() const { return m_output; }

private:
    bool readExactly(char* buffer, std::size_t size, bool& atEnd);

    pid_t m_pid = -1;
    int m_pidFD = -1;
    int m_input = -1;
    int m_output = -1;
    std::optional<int> m_status;
};

// Descriptors a listener accepted, in order; closed with the object.
class AcceptedConnections
{
public:
    ~AcceptedConnections();
    void add(int fd);
    // The n-th accepted descriptor (from 0), or -1 when none came in time.
    int waitFor(std::size_t n);
    std::size_t count();

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<int> m_fds;
};

// Gives fd a receive timeout, so a lost frame fails a test instead of hanging it.
void limitReceiveWait(int fd);

// The 4-byte host-order length of a frame.
std::string frameLength(std::uint32_t length);

} // namespace tavlen::test

#include "BrowserHost.h"

#include "BridgeFailure.h"
#include "BrowserChannel.h"
#include "BrowserConnectionDirectory.h"
#include "BrowserListener.h"
#include "BrowserMessage.h"
#include "HostHarness.h"
#include "JsonWriter.h"
#include "ShippedConfiguration.h"
#include "TemporaryDirectory.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <functional>
#include <iostream>
#include <memory>

namespace tavlen {
namespace {

namespace fs = std::filesystem;
using test::HostProcess;
using test::TestBundle;

constexpr uid_t otherUser = 65534;
constexpr const char* connectionID = "9F2C4E1A-7B3D-4C5E-8A6F-0D1E2F3A4B5C";
constexpr const char* requestID = "0B7E5A3C-1D2F-4E6A-8B9C-7D6E5F4A3B2C";

std::string encoded(const BrowserMessage& message)
{
    return writeJson(message.encode(test::shippedConfiguration().protocolVersion));
}

// Valid JSON that our encoder would never write (spaces after separators), so only an unchanged relay keeps it.
std::string respaced(const BrowserMessage& message)
{
    std::string text = encoded(message);
    std::string spaced;
    for (char c : text) {
        spaced += c;
        if (c == ',' || c == ':') {
            spaced += ' ';
        }
    }
    return spaced;
}

std::string hello()
{
    return respaced(BrowserMessage{BrowserMessage::Hello{"profile-a1", "Work", "2.3.0"}});
}

std::string statusRequest()
{
    return respaced(BrowserMessage{BrowserMessage::Request{
        connectionID,
        std::nullopt,
        1,
        BrowserRequest{requestID, BrowserCommand::status, std::nullopt, std::nullopt, std::nullopt}}});
}

std::string noticeFrame(std::string_view code, std::string_view message)
{
    return encoded(BrowserMessage{BrowserMessage::Unavailable{std::string(code), std::string(message)}});
}

// Tavlen's side: a listener in the test bundle's rendezvous directory.
struct FakeTavlen
{
    explicit FakeTavlen(const TestBundle& bundle)
        : listener(bundle.rendezvous())
    {
        listener.start([this](int fd) { accepted.add(fd); });
    }

    test::AcceptedConnections accepted;
    BrowserListener listener;
};

TEST(BrowserHostTest, missingOrForeignOriginEndsWithOneAndWritesNothing)
{
    TestBundle bundle;
    FakeTavlen tavlen(bundle);
    const std::string allowed = bundle.origin();
    const std::string identifier = allowed.substr(19, allowed.size() - 20);
    const std::vector<std::pair<const char*, std::vector<std::string>>> cases = {
        {"no argument", {}},
        {"empty origin", {""}},
        {"identifier not allowed", {"chrome-extension://" + std::string(32, 'a') + "/"}},
        {"allowed identifier without the closing slash", {"chrome-extension://" + identifier}},
        {"allowed identifier with a path", {allowed + "x"}},
        {"allowed identifier in upper case", {"chrome-extension://" + std::string(32, 'A') + "/"}},
        {"origin second, after another argument", {"--flag", allowed}},
    };
    for (const auto& [name, arguments] : cases) {
        SCOPED_TRACE(name);
        HostProcess host(bundle.hostPath(), arguments);
        EXPECT_EQ(host.readAll(), "");
        EXPECT_EQ(host.waitForExit(), 1);
    }
    EXPECT_EQ(tavlen.accepted.count(), 0u);
}

TEST(BrowserHostTest, missingOrBrokenResourcesEndWithOneAndWriteNothing)
{
    const std::vector<std::pair<const char*, std::function<void(const TestBundle&)>>> cases = {
        {"config missing", [](const TestBundle& b) { fs::remove(b.resource("config")); }},
        {"config not JSON", [](const TestBundle& b) { std::ofstream(b.resource("config")) << "{"; }},
        {"config without limits", [](const TestBundle& b) { std::ofstream(b.resource("config")) << "{}"; }},
        {"schema missing (the validator cannot be built)",
         [](const TestBundle& b) { fs::remove(b.resource("schema")); }},
    };
    for (const auto& [name, damage] : cases) {
        SCOPED_TRACE(name);
        TestBundle bundle;
        const std::string origin = bundle.origin();
        damage(bundle);
        FakeTavlen tavlen(bundle);
        HostProcess host(bundle.hostPath(), {origin});
        EXPECT_EQ(host.readAll(), "");
        EXPECT_EQ(host.waitForExit(), 1);
    }
}

// Runs a listener in a child process whose effective user is another one, while file access still goes through
// as root, so the socket file belongs to this user but the listening peer does not. Killed on destruction.
class ForeignListener
{
public:
    explicit ForeignListener(const fs::path& socketPath)
    {
        int ready[2];
        if (::pipe(ready) != 0) {
            return;
        }
        const sockaddr_un address = makeSocketAddress(socketPath);
        m_pid = ::fork();
        if (m_pid == 0) {
            ::alarm(60);
            ::syscall(SYS_setresuid, 0, otherUser, 0);
            ::syscall(SYS_setfsuid, 0);
            const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
            if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
                ::chmod(address.sun_path, 0600) != 0 || ::listen(fd, 8) != 0) {
                ::_exit(1);
            }
            ::write(ready[1], "r", 1);
            for (;;) {
                const int connection = ::accept(fd, nullptr, nullptr);
                (void)connection; // kept open: the host must refuse it on its own
            }
        }
        ::close(ready[1]);
        char byte = 0;
        m_ready = ::read(ready[0], &byte, 1) == 1;
        ::close(ready[0]);
    }

    ~ForeignListener()
    {
        // Never kill(-1, …) after a failed fork: that would signal every process we may signal.
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
    }

    bool isReady() const { return m_ready; }

private:
    pid_t m_pid = -1;
    bool m_ready = false;
};

struct UnreachableCase
{
    const char* name;
    // Prepares the rendezvous; may return something to keep alive while the host runs.
    std::function<std::shared_ptr<void>(const TestBundle&)> prepare;
    bool needsRoot = false;
};

TEST(BrowserHostTest, unreachableTavlenGetsOneAppUnavailableFrameAndExitZero)
{
    const auto socketOnly = [](const TestBundle& b) {
        // A socket file nobody listens on any more, changed by the row afterwards.
        ensureConnectionDirectory(b.rendezvous());
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const sockaddr_un address = makeSocketAddress(b.socketPath());
        ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
        ::chmod(b.socketPath().c_str(), 0600);
        return fd;
    };
    const std::vector<UnreachableCase> cases = {
        {"Tavlen not running, no directory yet", [](const TestBundle&) { return nullptr; }},
        {"socket left by a crashed Tavlen",
         [&](const TestBundle& b) {
             ::close(socketOnly(b));
             return nullptr;
         }},
        {"socket with mode 0666",
         [&](const TestBundle& b) -> std::shared_ptr<void> {
             auto tavlen = std::make_shared<FakeTavlen>(b);
             ::chmod(b.socketPath().c_str(), 0666);
             return tavlen;
         }},
        {"socket owned by another user",
         [&](const TestBundle& b) -> std::shared_ptr<void> {
             auto tavlen = std::make_shared<FakeTavlen>(b);
             ::lchown(b.socketPath().c_str(), otherUser, otherUser);
             return tavlen;
         },
         true},
        {"listening peer of another user",
         [&](const TestBundle& b) -> std::shared_ptr<void> {
             ensureConnectionDirectory(b.rendezvous());
             auto foreign = std::make_shared<ForeignListener>(b.socketPath());
             EXPECT_TRUE(foreign->isReady());
             return foreign;
         },
         true},
        {"regular file named bridge.sock",
         [&](const TestBundle& b) {
             ensureConnectionDirectory(b.rendezvous());
             std::ofstream(b.socketPath()) << "";
             ::chmod(b.socketPath().c_str(), 0600);
             return nullptr;
         }},
        {"directory with mode 0755",
         [&](const TestBundle& b) -> std::shared_ptr<void> {
             auto tavlen = std::make_shared<FakeTavlen>(b);
             ::chmod(b.rendezvous().c_str(), 0755);
             return tavlen;
         }},
        {"symbolic link in place of the directory",
         [&](const TestBundle& b) {
             fs::create_directory_symlink(b.root(), b.rendezvous());
             return nullptr;
         }},
    };
    const std::string expected = noticeFrame(bridge_code::appUnavailable, bridge_text::appUnavailable);
    EXPECT_EQ(expected,
              R"({"code":"app_unavailable","message":"Open Tavlen to connect Chrome.","type":"unavailable","v":1})");
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        if (row.needsRoot && geteuid() != 0) {
            std::cout << "[ skipped ] " << row.name << ": needs root to act as another user\n";
            continue;
        }
        TestBundle bundle;
        auto keepAlive = row.prepare(bundle);
        HostProcess host(bundle.hostPath(), {bundle.origin()});
        EXPECT_EQ(host.readFrame(), expected);
        EXPECT_EQ(host.readFrame(), std::nullopt);
        EXPECT_EQ(host.waitForExit(), 0);
        if (fs::is_symlink(bundle.rendezvous())) {
            fs::remove(bundle.rendezvous());
        }
    }
}

struct ConnectCase
{
    const char* name;
    // Prepares the rendezvous directory (not yet created); may return something to keep alive while connecting.
    std::function<std::shared_ptr<void>(const fs::path&)> prepare;
    std::optional<std::string_view> failure; // nullopt: connects
    bool needsRoot = false;
};

TEST(BrowserHostTest, connectToAppSocketChecksDirectorySocketAndPeer)
{
    const auto listening = [](const fs::path& p) -> std::shared_ptr<void> {
        auto listener = std::make_shared<BrowserListener>(p);
        listener->start([](int fd) { ::close(fd); });
        return listener;
    };
    const std::vector<ConnectCase> cases = {
        {"Tavlen listening", listening, std::nullopt},
        {"no directory yet: created, but no socket",
         [](const fs::path&) { return nullptr; },
         bridge_text::chromeDisconnected},
        {"directory with mode 0755",
         [&](const fs::path& p) {
             auto listener = listening(p);
             ::chmod(p.c_str(), 0755);
             return listener;
         },
         bridge_text::directoryUnsafe},
        {"directory of another user",
         [&](const fs::path& p) {
             auto listener = listening(p);
             EXPECT_EQ(::chown(p.c_str(), otherUser, otherUser), 0);
             return listener;
         },
         bridge_text::directoryUnsafe,
         true},
        {"symbolic link to a listening directory",
         [&](const fs::path& p) {
             auto listener = listening(p.string() + "-real");
             fs::create_directory_symlink(p.string() + "-real", p);
             return listener;
         },
         bridge_text::directoryUnsafe},
        {"socket with mode 0666",
         [&](const fs::path& p) {
             auto listener = listening(p);
             ::chmod((p / "bridge.sock").c_str(), 0666);
             return listener;
         },
         bridge_text::chromeDisconnected},
        {"socket owned by another user",
         [&](const fs::path& p) {
             auto listener = listening(p);
             EXPECT_EQ(::lchown((p / "bridge.sock").c_str(), otherUser, otherUser), 0);
             return listener;
         },
         bridge_text::chromeDisconnected,
         true},
        {"symbolic link named bridge.sock, to a listening socket",
         [&](const fs::path& p) {
             auto listener = listening(p.string() + "-real");
             ensureConnectionDirectory(p);
             fs::create_symlink(p.string() + "-real/bridge.sock", p / "bridge.sock");
             return listener;
         },
         bridge_text::chromeDisconnected},
        {"regular file named bridge.sock",
         [](const fs::path& p) {
             ensureConnectionDirectory(p);
             ::close(::open((p / "bridge.sock").c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0600));
             return nullptr;
         },
         bridge_text::chromeDisconnected},
        {"listening peer of another user",
         [](const fs::path& p) -> std::shared_ptr<void> {
             ensureConnectionDirectory(p);
             auto foreign = std::make_shared<ForeignListener>(p / "bridge.sock");
             EXPECT_TRUE(foreign->isReady());
             return foreign;
         },
         bridge_text::chromeDisconnected,
         true},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        if (row.needsRoot && geteuid() != 0) {
            std::cout << "[ skipped ] " << row.name << ": needs root to act as another user\n";
            continue;
        }
        test::TemporaryDirectory temporary;
        const fs::path directory = temporary / "rendezvous";
        auto keepAlive = row.prepare(directory);
        try {
            const int fd = connectToAppSocket(directory);
            EXPECT_FALSE(row.failure.has_value());
            ::close(fd);
        } catch (const BridgeFailure& failure) {
            ASSERT_TRUE(row.failure.has_value()) << failure.what();
            EXPECT_EQ(failure.message(), *row.failure);
            EXPECT_EQ(failure.code(), std::nullopt);
        }
        if (fs::is_directory(fs::symlink_status(directory))) {
            ::chown(directory.c_str(), getuid(), getgid()); // let the temporary directory go
        }
    }

    // A socket at a path of 104 bytes (105 with its NUL): Linux binds it, the rule refuses it.
    test::TemporaryDirectory temporary;
    const fs::path longDirectory = temporary / std::string(91 - temporary.path().string().size(), 'd');
    ensureConnectionDirectory(longDirectory);
    const std::string socketPath = (longDirectory / "bridge.sock").string();
    ASSERT_EQ(socketPath.size(), 104u);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, socketPath.c_str(), socketPath.size() + 1);
    const int longSocket = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ASSERT_EQ(::bind(longSocket, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::chmod(socketPath.c_str(), 0600), 0);
    ASSERT_EQ(::listen(longSocket, 8), 0);
    try {
        ::close(connectToAppSocket(longDirectory));
        ADD_FAILURE() << "a socket path of 104 bytes was used";
    } catch (const BridgeFailure& failure) {
        EXPECT_EQ(failure.message(), bridge_text::pathTooLong);
    }
    ::close(longSocket);
}

TEST(BrowserHostTest, relaysFramesByteForByteUntilChromeCloses)
{
    TestBundle bundle;
    FakeTavlen tavlen(bundle);
    HostProcess host(bundle.hostPath(), {bundle.origin(), "ignored", "arguments"});
    const int socket = tavlen.accepted.waitFor(0);
    ASSERT_GE(socket, 0);

    const std::string ping = respaced(BrowserMessage{BrowserMessage::Ping{connectionID}});
    const std::string pong = R"({"v":1,"type":"pong","connectionId":"9f2c4e1a-7b3d-4c5e-8a6f-0d1e2f3a4b5c"})";
    host.writeFrame(hello());
    host.writeFrame(pong);
    EXPECT_EQ(readFrame(socket, 1 << 20), hello());
    EXPECT_EQ(readFrame(socket, 1 << 20), pong);

    writeFrame(socket, statusRequest());
    writeFrame(socket, ping);
    EXPECT_EQ(host.readFrame(), statusRequest());
    EXPECT_EQ(host.readFrame(), ping);

    host.writeFrame(pong);
    host.closeInput();
    EXPECT_EQ(readFrame(socket, 1 << 20), pong); // sent just before Chrome went away
    EXPECT_EQ(readFrame(socket, 1 << 20), std::nullopt);
    EXPECT_EQ(host.readFrame(), std::nullopt);
    EXPECT_EQ(host.waitForExit(), 0);
}

TEST(BrowserHostTest, tavlenClosingEndsTheHostWithZeroAfterItsLastFrame)
{
    TestBundle bundle;
    FakeTavlen tavlen(bundle);
    HostProcess host(bundle.hostPath(), {bundle.origin()});
    const int socket = tavlen.accepted.waitFor(0);
    ASSERT_GE(socket, 0);
    const std::string last =
        noticeFrame("incompatible_protocol", "Update Tavlen and the extension to compatible versions.");
    writeFrame(socket, last);
    ::shutdown(socket, SHUT_RDWR);
    EXPECT_EQ(host.readFrame(), last);
    EXPECT_EQ(host.readFrame(), std::nullopt);
    EXPECT_EQ(host.waitForExit(), 0);
}

struct ViolationCase
{
    const char* name;
    bool fromChrome;
    std::string bytes; // written raw, frame length included
    int exitStatus;
    std::optional<std::string> chromeGets; // the one frame Chrome receives before the end, if any
    bool chromeClosesAtOnce = false;       // Chrome closes its end of standard input right after the bytes
};

TEST(BrowserHostTest, framesBreakingTheRulesEndTheHostAsTheTableSays)
{
    const auto frame = [](const std::string& body) {
        return test::frameLength(static_cast<std::uint32_t>(body.size())) + body;
    };
    const std::string incompatible = noticeFrame(bridge_code::incompatibleProtocol, bridge_text::incompatibleProtocol);
    const std::string welcome = encoded(BrowserMessage{BrowserMessage::Welcome{connectionID, "0.1.0", true}});
    std::string otherVersion = hello();
    otherVersion.replace(otherVersion.find("\"v\": 1"), 6, "\"v\": 2");
    const std::vector<ViolationCase> cases = {
        {"welcome from Chrome: kind not allowed toward Tavlen", true, frame(welcome), 1, std::nullopt},
        {"response from Tavlen: kind not allowed toward Chrome",
         false,
         frame(encoded(BrowserMessage{
             BrowserMessage::Response{connectionID,
                                      std::nullopt,
                                      BrowserResponse{requestID,
                                                      BrowserStatus::initial(test::shippedConfiguration().limits),
                                                      true,
                                                      std::nullopt,
                                                      std::nullopt}}})),
         1,
         std::nullopt},
        {"hello from Tavlen", false, frame(hello()), 1, std::nullopt},
        {"not JSON from Chrome: notice, then 1", true, frame("{\"v\":1,"), 1, incompatible},
        {"not JSON from Chrome, then its input closes at once: still the notice, then 1",
         true,
         frame("{\"v\":1,") + frame(hello()),
         1,
         incompatible,
         true},
        {"other protocol version from Chrome: notice, then 1", true, frame(otherVersion), 1, incompatible},
        {"undeclared key from Chrome: notice, then 1",
         true,
         frame(R"({"v":1,"type":"ping","connectionId":"9F2C4E1A-7B3D-4C5E-8A6F-0D1E2F3A4B5C","extra":1})"),
         1,
         incompatible},
        {"not JSON from Tavlen: 1, Chrome told nothing", false, frame("[]"), 1, std::nullopt},
        {"zero length from Chrome: its channel ends, 0", true, test::frameLength(0) + "x", 0, std::nullopt},
        {"length above resultBytes from Chrome: its channel ends, 0",
         true,
         test::frameLength(32u * 1024 * 1024 + 1),
         0,
         std::nullopt},
        {"length above requestBytes from Tavlen: the socket channel ends, 0",
         false,
         test::frameLength(1024 * 1024 + 1),
         0,
         std::nullopt},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        TestBundle bundle;
        FakeTavlen tavlen(bundle);
        HostProcess host(bundle.hostPath(), {bundle.origin()});
        const int socket = tavlen.accepted.waitFor(0);
        ASSERT_GE(socket, 0);
        if (row.fromChrome) {
            host.writeBytes(row.bytes);
            if (row.chromeClosesAtOnce) {
                host.closeInput();
            }
        } else {
            ASSERT_EQ(::write(socket, row.bytes.data(), row.bytes.size()), static_cast<ssize_t>(row.bytes.size()));
        }
        if (row.chromeGets) {
            EXPECT_EQ(host.readFrame(), *row.chromeGets);
        }
        EXPECT_EQ(host.readFrame(), std::nullopt);
        EXPECT_EQ(host.waitForExit(), row.exitStatus);
        // Tavlen never sees a frame that broke the rules, only the end of the connection.
        char byte = 0;
        EXPECT_LE(::read(socket, &byte, 1), 0);
    }
}

TEST(BrowserHostTest, hostReachedThroughASymbolicLinkUsesTheBundleOfTheRealExecutable)
{
    TestBundle real;
    TestBundle other; // has its own identifier; its Helpers entry is a link to the real bundle's host
    FakeTavlen tavlen(real);
    fs::remove(other.hostPath());
    fs::create_symlink(real.hostPath(), other.hostPath());

    HostProcess host(other.hostPath(), {real.origin()});
    const int socket = tavlen.accepted.waitFor(0);
    ASSERT_GE(socket, 0);
    host.writeFrame(hello());
    EXPECT_EQ(readFrame(socket, 1 << 20), hello());
    host.closeInput();
    EXPECT_EQ(host.waitForExit(), 0);
    EXPECT_FALSE(fs::exists(other.rendezvous()));
}

} // namespace
} // namespace tavlen

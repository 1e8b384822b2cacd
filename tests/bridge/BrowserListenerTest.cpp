#include "BrowserListener.h"

#include "BridgeFailure.h"
#include "BrowserConnectionDirectory.h"
#include "TemporaryDirectory.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <future>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tavlen {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr auto generousTimeout = 20s;
constexpr uid_t otherUser = 65534;

// Descriptors handed to onAccept, in order.
class Accepted
{
public:
    ~Accepted()
    {
        for (int fd : m_fds) {
            ::close(fd);
        }
    }

    BrowserListener::AcceptHandler handler(std::function<void(int)> also = {})
    {
        return [this, also](int fd) {
            if (also) {
                also(fd);
            }
            std::lock_guard guard(m_mutex);
            m_fds.push_back(fd);
            m_changed.notify_all();
        };
    }

    // The n-th accepted descriptor (from 0), waiting for it; -1 after the timeout.
    int waitFor(std::size_t n)
    {
        std::unique_lock guard(m_mutex);
        if (!m_changed.wait_for(guard, generousTimeout, [&] { return m_fds.size() > n; })) {
            return -1;
        }
        return m_fds[n];
    }

    std::size_t count()
    {
        std::lock_guard guard(m_mutex);
        return m_fds.size();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<int> m_fds;
};

int connectTo(const fs::path& socketPath)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const sockaddr_un address = makeSocketAddress(socketPath);
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// Whether another open file description can take the owner lock right now.
bool lockIsFree(const fs::path& lockPath)
{
    const int fd = ::open(lockPath.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    const bool free = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    ::close(fd);
    return free;
}

std::string failureOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const BridgeFailure& failure) {
        return failure.message();
    }
    return "no failure";
}

struct StartFailureCase
{
    const char* name;
    // Prepares the rendezvous directory (not yet created); may return something to keep alive during start.
    std::function<std::shared_ptr<void>(const fs::path&)> prepare;
    std::string_view failure;
};

TEST(BrowserListenerTest, startRefusesWhatIsUnsafeOrTaken)
{
    const auto makeDirectory = [](const fs::path& p) { ::mkdir(p.c_str(), 0700); };
    const std::vector<StartFailureCase> cases = {
        {"directory with mode 0755",
         [&](const fs::path& p) {
             makeDirectory(p);
             ::chmod(p.c_str(), 0755);
             return nullptr;
         },
         bridge_text::directoryUnsafe},
        {"lock file with mode 0644",
         [&](const fs::path& p) {
             makeDirectory(p);
             ::close(::open((p / "owner.lock").c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644));
             ::chmod((p / "owner.lock").c_str(), 0644);
             return nullptr;
         },
         bridge_text::connectionOwnedElsewhere},
        {"lock file held by another owner",
         [&](const fs::path& p) -> std::shared_ptr<void> {
             makeDirectory(p);
             auto other = std::make_shared<BrowserListener>(p);
             other->start([](int fd) { ::close(fd); });
             return other;
         },
         bridge_text::connectionOwnedElsewhere},
        {"symbolic link named owner.lock",
         [&](const fs::path& p) {
             makeDirectory(p);
             ::close(::open((p / "target").c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0600));
             fs::create_symlink(p / "target", p / "owner.lock");
             return nullptr;
         },
         bridge_text::lockUnavailable},
        {"regular file named bridge.sock",
         [&](const fs::path& p) {
             makeDirectory(p);
             ::close(::open((p / "bridge.sock").c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0600));
             return nullptr;
         },
         bridge_text::invalidMessage},
        {"directory named bridge.sock",
         [&](const fs::path& p) {
             makeDirectory(p);
             fs::create_directory(p / "bridge.sock");
             return nullptr;
         },
         bridge_text::invalidMessage},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        test::TemporaryDirectory temporary;
        const fs::path directory = temporary / "rendezvous";
        auto keepAlive = row.prepare(directory);
        BrowserListener listener(directory);
        EXPECT_EQ(failureOf([&] { listener.start([](int fd) { ::close(fd); }); }), row.failure);
        if (!keepAlive && fs::exists(directory / "owner.lock") && !fs::is_symlink(directory / "owner.lock")) {
            // A failed start leaves the lock file closed, so its lock is not held.
            ::chmod((directory / "owner.lock").c_str(), 0600);
            EXPECT_TRUE(lockIsFree(directory / "owner.lock"));
        }
    }

    test::TemporaryDirectory temporary;
    const fs::path longDirectory = temporary / std::string(100 - temporary.path().string().size(), 'd');
    BrowserListener listener(longDirectory);
    EXPECT_EQ(failureOf([&] { listener.start([](int fd) { ::close(fd); }); }), bridge_text::pathTooLong);
}

TEST(BrowserListenerTest, acceptsConnectionsOfTheUserAndStopReleasesEverything)
{
    test::TemporaryDirectory temporary;
    const fs::path directory = temporary / "rendezvous";
    Accepted accepted;
    BrowserListener listener(directory);
    listener.start(accepted.handler());

    struct stat info
    {};

    ASSERT_EQ(::lstat((directory / "bridge.sock").c_str(), &info), 0);
    EXPECT_TRUE(S_ISSOCK(info.st_mode));
    EXPECT_EQ(info.st_mode & 07777, 0600u);
    ASSERT_EQ(::lstat((directory / "owner.lock").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0600u);
    EXPECT_FALSE(lockIsFree(directory / "owner.lock"));

    for (std::size_t i = 0; i < 2; ++i) {
        const int client = connectTo(directory / "bridge.sock");
        ASSERT_GE(client, 0);
        const int server = accepted.waitFor(i);
        ASSERT_GE(server, 0);
        ASSERT_EQ(::write(client, "hi", 2), 2);
        char buffer[2] = {};
        ASSERT_EQ(::read(server, buffer, 2), 2);
        EXPECT_EQ(std::string(buffer, 2), "hi");
        ::close(client);
    }

    listener.stop();
    listener.stop();
    EXPECT_FALSE(fs::exists(fs::symlink_status(directory / "bridge.sock")));
    EXPECT_TRUE(fs::exists(directory / "owner.lock"));
    EXPECT_TRUE(lockIsFree(directory / "owner.lock"));
    EXPECT_EQ(connectTo(directory / "bridge.sock"), -1);

    // The same listener, and a new one, can take the lock again and accept.
    listener.start(accepted.handler());
    EXPECT_FALSE(lockIsFree(directory / "owner.lock"));
    int client = connectTo(directory / "bridge.sock");
    EXPECT_GE(client, 0);
    EXPECT_GE(accepted.waitFor(2), 0);
    ::close(client);
    listener.stop();
    BrowserListener another(directory);
    another.start(accepted.handler());
    client = connectTo(directory / "bridge.sock");
    EXPECT_GE(accepted.waitFor(3), 0);
    ::close(client);
}

TEST(BrowserListenerTest, destroyingTheListenerNeverWaitsForABusyOnAccept)
{
    test::TemporaryDirectory temporary;
    const fs::path directory = temporary / "rendezvous";
    auto entered = std::make_shared<std::promise<void>>();
    auto release = std::make_shared<std::promise<void>>();
    auto listener = std::make_unique<BrowserListener>(directory);
    // onAccept waits for the thread that destroys the listener, as a hand-off to a busy main thread does.
    listener->start([entered, released = release->get_future().share()](int fd) {
        entered->set_value();
        released.wait();
        ::close(fd);
    });
    const int client = connectTo(directory / "bridge.sock");
    ASSERT_GE(client, 0);
    ASSERT_EQ(entered->get_future().wait_for(generousTimeout), std::future_status::ready);

    auto destroyed = std::async(std::launch::async, [&listener] { listener.reset(); });
    const bool returned = destroyed.wait_for(generousTimeout) == std::future_status::ready;
    release->set_value();
    destroyed.wait();
    EXPECT_TRUE(returned);
    EXPECT_FALSE(fs::exists(fs::symlink_status(directory / "bridge.sock")));
    EXPECT_TRUE(lockIsFree(directory / "owner.lock"));
    ::close(client);
}

TEST(BrowserListenerTest, stopOfAListenerNeverStartedDoesNothing)
{
    test::TemporaryDirectory temporary;
    BrowserListener listener(temporary / "rendezvous");
    listener.stop();
    listener.stop();
    EXPECT_FALSE(fs::exists(temporary / "rendezvous"));
}

TEST(BrowserListenerTest, leftoverSocketOfTheUserIsReplaced)
{
    test::TemporaryDirectory temporary;
    const fs::path directory = temporary / "rendezvous";
    ensureConnectionDirectory(directory);
    {
        // A socket file left by a run that crashed: bound, then closed without unlinking.
        const int stale = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const sockaddr_un address = makeSocketAddress(directory / "bridge.sock");
        ASSERT_EQ(::bind(stale, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
        ::close(stale);
    }
    Accepted accepted;
    BrowserListener listener(directory);
    listener.start(accepted.handler());
    const int client = connectTo(directory / "bridge.sock");
    ASSERT_GE(client, 0);
    EXPECT_GE(accepted.waitFor(0), 0);
    ::close(client);
}

// Runs body in a child process whose effective user is another one while file access still goes through as this
// (root) user, so the child reaches the private socket but its peer credentials name the other user. Gives the
// child's exit status.
int runAsOtherUser(const std::function<int()>& body)
{
    const pid_t child = ::fork();
    if (child == 0) {
        ::alarm(30);
        if (::syscall(SYS_setresuid, 0, otherUser, 0) != 0) {
            ::_exit(90);
        }
        ::syscall(SYS_setfsuid, 0);
        ::_exit(body());
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

TEST(BrowserListenerTest, peerOfAnotherUserIsClosedWithoutReachingOnAccept)
{
    if (geteuid() != 0) {
        GTEST_SKIP() << "needs root to connect as another user";
    }
    test::TemporaryDirectory temporary;
    const fs::path directory = temporary / "rendezvous";
    Accepted accepted;
    BrowserListener listener(directory);
    listener.start(accepted.handler());
    const std::string socketPath = (directory / "bridge.sock").string();
    const sockaddr_un address = makeSocketAddress(socketPath);

    const int status = runAsOtherUser([&address] {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
            return 91;
        }
        char byte = 0;
        const ssize_t n = ::read(fd, &byte, 1); // the listener closes the connection
        return n == 0 ? 0 : 92;
    });
    EXPECT_EQ(status, 0);

    // Connections are handled in order, so once this one arrives the foreign one has been dealt with.
    const int client = connectTo(socketPath);
    ASSERT_GE(client, 0);
    EXPECT_GE(accepted.waitFor(0), 0);
    EXPECT_EQ(accepted.count(), 1u);
    ::close(client);
}

// Whether the thread behind syscallFile (its open /proc/self/task/<tid>/syscall) sleeps in a futex wait.
bool isWaitingOnFutex(int syscallFile)
{
    char text[256] = {};
    if (::pread(syscallFile, text, sizeof text - 1, 0) <= 0) {
        return false;
    }
    // "<number> <arg1> <arg2> ...": arg2 is the futex operation, hexadecimal. No streams here: the process has no
    // descriptors to spare, and the sanitizers' checks of stream objects need some.
    char* end = nullptr;
    const long number = std::strtol(text, &end, 10);
    std::strtoul(end, &end, 16);
    const long op = static_cast<long>(std::strtoul(end, &end, 16) & 0x7f);
    return number == SYS_futex && (op == 0 || op == 9);
}

TEST(BrowserListenerTest, acceptLoopSurvivesRunningOutOfDescriptors)
{
    if (!fs::exists("/proc/self/task/" + std::to_string(::gettid()) + "/syscall")) {
        GTEST_SKIP() << "/proc/<pid>/task/<tid>/syscall is not available";
    }
    test::TemporaryDirectory temporary;
    const fs::path directory = temporary / "rendezvous";
    rlimit original{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &original), 0);
    std::vector<int> filler;
    std::atomic<int> acceptThreadSyscall = -1;

    Accepted accepted;
    BrowserListener listener(directory);
    // On the first connection, use up every descriptor the process may open, so the loop's next accept() fails
    // with EMFILE at once.
    listener.start(accepted.handler([&](int) {
        if (acceptThreadSyscall >= 0) {
            return;
        }
        const int syscallFile =
            ::open(("/proc/self/task/" + std::to_string(::gettid()) + "/syscall").c_str(), O_RDONLY | O_CLOEXEC);
        rlimit low = original;
        low.rlim_cur = 256;
        ::setrlimit(RLIMIT_NOFILE, &low);
        for (int fd; (fd = ::dup(0)) >= 0;) {
            filler.push_back(fd);
        }
        acceptThreadSyscall = syscallFile;
    }));
    const int first = connectTo(directory / "bridge.sock");
    const int second = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ASSERT_GE(first, 0);
    ASSERT_GE(accepted.waitFor(0), 0);

    // The loop has hit EMFILE and rests between attempts (an ended loop would idle in a futex wait as well, and
    // would then never accept the second connection below).
    const auto start = std::chrono::steady_clock::now();
    while (!isWaitingOnFutex(acceptThreadSyscall)) {
        ASSERT_LT(std::chrono::steady_clock::now() - start, generousTimeout);
        std::this_thread::yield();
    }
    const sockaddr_un address = makeSocketAddress(directory / "bridge.sock");
    ASSERT_EQ(::connect(second, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    for (int fd : filler) {
        ::close(fd);
    }
    ::setrlimit(RLIMIT_NOFILE, &original);

    EXPECT_GE(accepted.waitFor(1), 0);
    ::close(acceptThreadSyscall);
    ::close(first);
    ::close(second);
}

} // namespace
} // namespace tavlen

#include "FakeChrome.h"

#include "BoundedWait.h"
#include "BrowserChannel.h"
#include "BrowserConnectionDirectory.h"
#include "ShippedConfiguration.h"
#include "WireParser.h"
#include "WireSnapshotParts.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cmath>
#include <stdexcept>

namespace tavlen::test {

namespace {

constexpr std::size_t frameLimit = 64 * 1024 * 1024;

std::string origin()
{
    return "chrome-extension://" + shippedConfiguration().allowedExtensionIDs.at(0) + "/";
}

int connectedSocket(const std::filesystem::path& path)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const sockaddr_un address = makeSocketAddress(path);
    if (fd < 0 || ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ADD_FAILURE() << "cannot connect to " << path;
    }
    return fd;
}

} // namespace

// What the channel's handlers share with the driver; they may outlive it.
struct FakeChrome::Inbox
{
    std::mutex mutex;
    std::deque<BrowserMessage> messages;
    bool ended = false;
    bool answersPings = true;
    Responder responder;
    std::weak_ptr<BrowserChannel> channel;
    WireParser parser; // used on the channel's reader thread only

    void reply(const BrowserMessage& message)
    {
        if (const auto open = channel.lock()) {
            open->send(message.encodedBytes(shippedConfiguration().protocolVersion));
        }
    }

    void receive(const BrowserFrame& frame)
    {
        std::optional<BrowserMessage> message;
        try {
            // The extension decodes what it is sent; the host has checked it already.
            const auto root = parser.parse(frame);
            if (!root) {
                throw std::runtime_error("not JSON");
            }
            WireSnapshotParts parts;
            message = BrowserMessage::decode(*root, shippedConfiguration().protocolVersion, parts);
        } catch (const std::exception& error) {
            ADD_FAILURE() << "the host relayed a frame the extension cannot read: " << error.what();
            return;
        }
        std::unique_lock guard(mutex);
        if (const auto* ping = std::get_if<BrowserMessage::Ping>(&message->payload); ping && answersPings) {
            guard.unlock();
            reply(BrowserMessage{BrowserMessage::Pong{ping->connectionID}});
            return;
        }
        const auto kind = message->kind();
        if (responder && (kind == BrowserMessage::Kind::request || kind == BrowserMessage::Kind::cancel)) {
            const auto answerer = responder;
            guard.unlock();
            if (auto response = answerer(*message)) {
                const auto connection = message->connectionID().value_or("");
                const auto* request = std::get_if<BrowserMessage::Request>(&message->payload);
                const auto* cancel = std::get_if<BrowserMessage::Cancel>(&message->payload);
                const auto execution = request ? request->executionID : std::optional(cancel->executionID);
                reply(BrowserMessage{BrowserMessage::Response{connection, execution, *response}});
                return;
            }
            guard.lock();
        }
        messages.push_back(std::move(*message));
    }
};

FakeChrome::FakeChrome(const TestBundle& bundle, Route route)
    : m_inbox(std::make_shared<Inbox>())
{
    // Writing to a host that has ended must fail the write, not stop the test program.
    ::signal(SIGPIPE, SIG_IGN);
    // The channel gets descriptors of its own and closes them once it has stopped using them.
    int readFD = -1;
    int writeFD = -1;
    if (route == Route::throughHost) {
        m_host.emplace(bundle.hostPath(), std::vector<std::string>{origin()});
        readFD = ::dup(m_host->outputFD());
        writeFD = ::dup(m_host->inputFD());
    } else {
        readFD = writeFD = connectedSocket(bundle.socketPath());
    }
    m_channel = BrowserChannel::make(readFD, writeFD, true, frameLimit, frameLimit, 4 * frameLimit);
    m_inbox->channel = m_channel;
    m_channel->start([inbox = m_inbox](BrowserFrame frame) { inbox->receive(frame); },
                     [inbox = m_inbox] {
                         const std::lock_guard guard(inbox->mutex);
                         inbox->ended = true;
                     });
}

FakeChrome::~FakeChrome()
{
    // Closing wakes a reader blocked on the socket; a host is killed with its process, which ends its output.
    m_channel->close();
}

void FakeChrome::setAnswersPings(bool answers)
{
    const std::lock_guard guard(m_inbox->mutex);
    m_inbox->answersPings = answers;
}

void FakeChrome::setResponder(Responder responder)
{
    const std::lock_guard guard(m_inbox->mutex);
    m_inbox->responder = std::move(responder);
}

bool FakeChrome::hasResponder() const
{
    const std::lock_guard guard(m_inbox->mutex);
    return static_cast<bool>(m_inbox->responder);
}

void FakeChrome::send(const BrowserMessage& message)
{
    sendFrame(message.encodedBytes(shippedConfiguration().protocolVersion));
}

void FakeChrome::sendFrame(std::string bytes)
{
    EXPECT_TRUE(m_channel->send(std::move(bytes))) << "the host's input is closed";
}

BrowserMessage::Welcome
FakeChrome::hello(const std::string& profileID, const std::string& profileName, const std::string& version)
{
    send(BrowserMessage{BrowserMessage::Hello{profileID, profileName, version}});
    const auto welcome = nextOf<BrowserMessage::Welcome>();
    if (!welcome) {
        return {};
    }
    m_connectionID = welcome->connectionID;
    return *welcome;
}

void FakeChrome::sendStatus(const BrowserStatus& status, const std::optional<std::string>& executionID)
{
    send(BrowserMessage{BrowserMessage::Status{m_connectionID, executionID, status}});
}

void FakeChrome::respond(const std::optional<std::string>& executionID, const BrowserResponse& response)
{
    send(BrowserMessage{BrowserMessage::Response{m_connectionID, executionID, response}});
}

std::optional<BrowserMessage> FakeChrome::next(std::chrono::milliseconds limit)
{
    const bool arrived = waitUntil(
        [&] {
            const std::lock_guard guard(m_inbox->mutex);
            return !m_inbox->messages.empty() || m_inbox->ended;
        },
        limit);
    const std::lock_guard guard(m_inbox->mutex);
    if (m_inbox->messages.empty()) {
        if (!arrived) {
            ADD_FAILURE() << "Tavlen sent nothing in time";
        }
        return std::nullopt;
    }
    BrowserMessage message = std::move(m_inbox->messages.front());
    m_inbox->messages.pop_front();
    return message;
}

bool FakeChrome::isQuiet() const
{
    const std::lock_guard guard(m_inbox->mutex);
    return m_inbox->messages.empty();
}

bool FakeChrome::waitForEnd(std::chrono::milliseconds limit)
{
    return waitUntil([&] { return hasEnded(); }, limit);
}

bool FakeChrome::hasEnded() const
{
    const std::lock_guard guard(m_inbox->mutex);
    return m_inbox->ended;
}

void FakeChrome::failUnexpected(const std::optional<BrowserMessage>& message)
{
    if (message) {
        ADD_FAILURE() << "Tavlen sent an unexpected " << BrowserMessage::kindName(message->kind());
    }
}

} // namespace tavlen::test

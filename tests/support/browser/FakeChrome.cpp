#include "FakeChrome.h"

#include "Base64.h"
#include "BoundedWait.h"
#include "BrowserChannel.h"
#include "BrowserConnectionDirectory.h"
#include "Png.h"
#include "ShippedConfiguration.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cmath>

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

    void reply(const BrowserMessage& message)
    {
        if (const auto open = channel.lock()) {
            open->send(message.encodedBytes(shippedConfiguration().protocolVersion));
        }
    }

    void receive(const std::string& frame)
    {
        std::optional<BrowserMessage> message;
        try {
            message = BrowserMessage::decode(nlohmann::json::parse(frame), shippedConfiguration().protocolVersion);
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
    m_channel->start([inbox = m_inbox](std::string frame) { inbox->receive(frame); },
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

BrowserSnapshot
fakeSnapshot(const BrowserCaptureSettings& viewport, const std::string& url, const std::string& snapshotID)
{
    const auto width = static_cast<double>(viewport.width);
    const auto height = static_cast<double>(viewport.height);
    RgbaImage image;
    image.width = static_cast<std::uint32_t>(std::lround(width * viewport.deviceScaleFactor));
    image.height = static_cast<std::uint32_t>(std::lround(height * viewport.deviceScaleFactor));
    image.pixels.assign(static_cast<std::size_t>(image.width) * image.height * 4, 0xEE);

    BrowserSnapshot snapshot;
    snapshot.url = url;
    snapshot.geometry = {width, height, 0, 0, 0, 0, viewport.mobile ? viewport.deviceScaleFactor : 1, 1};
    snapshot.contentRect = {0, 0, width, height};
    snapshot.imageWidth = image.width;
    snapshot.imageHeight = image.height;
    snapshot.imageBase64 = base64Encode(encodePng(image));
    snapshot.snapshotID = snapshotID;
    snapshot.capturedAt = "2026-03-01T10:00:00.300Z";

    BrowserPageTree::Node page;
    page.id = "n1";
    page.kind = "element";
    page.frameId = "main";
    page.bounds = snapshot.contentRect;
    page.visibility = {true, true, std::nullopt, "none", "none"};
    page.source = "dom";
    page.role = "document";
    snapshot.pageTree.snapshotId = snapshotID;
    snapshot.pageTree.startedAt = "2026-03-01T10:00:00.000Z";
    snapshot.pageTree.finishedAt = "2026-03-01T10:00:00.250Z";
    snapshot.pageTree.status = "complete";
    snapshot.pageTree.nodes = {page};
    return snapshot;
}

BrowserStatus fakeStatus(const std::string& state, const std::optional<std::string>& sessionID)
{
    return BrowserStatus{state, sessionID, false, 20, std::nullopt, std::nullopt};
}

std::optional<BrowserResponse> FakeExtension::answer(const BrowserMessage& message)
{
    const std::lock_guard guard(m_mutex);
    if (const auto* cancel = std::get_if<BrowserMessage::Cancel>(&message.payload)) {
        m_status = fakeStatus("idle");
        return BrowserResponse{cancel->requestID, m_status, true, std::nullopt, std::nullopt};
    }
    const auto* request = std::get_if<BrowserMessage::Request>(&message.payload);
    if (!request) {
        return std::nullopt;
    }
    BrowserResponse response{request->request.requestID, m_status, true, std::nullopt, std::nullopt};
    switch (request->request.command) {
    case BrowserCommand::status:
        break;
    case BrowserCommand::start:
        m_status = fakeStatus("active", "session-" + std::to_string(++m_sessions));
        m_viewport = request->request.viewport.value_or(m_viewport);
        m_url = request->request.url.value_or("");
        response.status = m_status;
        break;
    case BrowserCommand::capturePage:
        response.snapshot = fakeSnapshot(m_viewport, m_url, "snapshot-" + std::to_string(m_sessions));
        break;
    }
    return response;
}

FakeChrome::Responder FakeExtension::responder()
{
    return [this](const BrowserMessage& message) { return answer(message); };
}

} // namespace tavlen::test

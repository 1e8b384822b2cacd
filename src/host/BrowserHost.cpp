#include "BrowserHost.h"

#include "BridgeFailure.h"
#include "BrowserConnectionDirectory.h"
#include "BrowserMessage.h"
#include "JsonParse.h"
#include "JsonWriter.h"
#include "MainBundle.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace tavlen {

namespace {

constexpr int exitFailure = 1;
constexpr int exitEnded = 0;

// Ends the whole process at once, from whichever thread decides it: the other threads may be blocked in read()
// on standard input, so nothing is unwound.
[[noreturn]] void endHost(int status)
{
    std::_Exit(status);
}

std::string unavailableNotice(std::string_view code, std::string_view message, std::int64_t protocolVersion)
{
    const BrowserMessage notice{BrowserMessage::Unavailable{std::string(code), std::string(message)}};
    return writeJson(notice.encode(protocolVersion));
}

bool isAllowedOrigin(std::string_view origin, const BrowserConfiguration& configuration)
{
    for (const auto& identifier : configuration.allowedExtensionIDs) {
        if (origin == "chrome-extension://" + identifier + "/") {
            return true;
        }
    }
    return false;
}

} // namespace

std::string hostBundleIdentifier(const char* argv0)
{
    std::ifstream file(bundleDirectoryOfExecutable(argv0) / "Info.json", std::ios::binary);
    if (!file) {
        return std::string(fallbackBundleIdentifier);
    }
    const std::string text{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    const auto info = parseJson(text);
    if (!info || !info->is_object()) {
        return std::string(fallbackBundleIdentifier);
    }
    const auto identifier = info->find("CFBundleIdentifier");
    if (identifier == info->end() || !identifier->is_string()) {
        return std::string(fallbackBundleIdentifier);
    }
    return identifier->get<std::string>();
}

int connectToAppSocket(const std::filesystem::path& directory)
{
    ensureConnectionDirectory(directory);
    const auto socketPath = directory / bridgeSocketFileName;

    struct stat info
    {};

    if (::lstat(socketPath.c_str(), &info) != 0 || !S_ISSOCK(info.st_mode) || info.st_uid != getuid() ||
        (info.st_mode & 07777) != 0600) {
        throw BridgeFailure(bridge_text::chromeDisconnected);
    }
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        throw BridgeFailure(bridge_text::chromeDisconnected);
    }
    try {
        const sockaddr_un address = makeSocketAddress(socketPath);
        ucred peer{};
        socklen_t size = sizeof peer;
        if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
            ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0 || size != sizeof peer ||
            peer.uid != getuid()) {
            throw BridgeFailure(bridge_text::chromeDisconnected);
        }
    } catch (...) {
        ::close(fd);
        throw;
    }
    return fd;
}

BrowserHostRelay::BrowserHostRelay(const BrowserConfiguration& configuration,
                                   BrowserWireValidator validator,
                                   int socketFD)
    : m_validator(std::move(validator))
    , m_protocolVersion(configuration.protocolVersion)
{
    const auto& limits = configuration.limits;
    const auto size = [](std::int64_t value) { return value > 0 ? static_cast<std::size_t>(value) : 0; };
    m_chrome = BrowserChannel::make(STDIN_FILENO,
                                    STDOUT_FILENO,
                                    false,
                                    size(limits.resultBytes),
                                    size(limits.requestBytes),
                                    size(limits.queueBytes));
    m_socket = BrowserChannel::make(
        socketFD, socketFD, true, size(limits.requestBytes), size(limits.resultBytes), size(limits.queueBytes));
}

void BrowserHostRelay::start()
{
    m_chrome->start([this](BrowserFrame frame) { relayChromeToApp(std::move(frame)); }, [this] { onChromeClosed(); });
    m_socket->start([this](BrowserFrame frame) { relayAppToChrome(std::move(frame)); }, [this] { onSocketClosed(); });
}

void BrowserHostRelay::relayChromeToApp(BrowserFrame frame)
{
    if (m_ending) {
        return;
    }
    std::optional<BrowserMessage::Kind> kind;
    try {
        kind = m_fromChrome.check(m_validator, frame);
    } catch (const std::exception&) {
    }
    if (!kind) {
        m_ending = true;
        std::string notice;
        try {
            notice = unavailableNotice(
                bridge_code::incompatibleProtocol, bridge_text::incompatibleProtocol, m_protocolVersion);
        } catch (const std::exception&) {
            endHost(exitFailure);
        }
        // Ends right after the notice has been written. A refused notice has closed the Chrome channel, whose
        // close handler ends the host instead.
        if (m_chrome->send(std::move(notice))) {
            m_chrome->runOnWriter([] { endHost(exitFailure); });
            // Read nothing more: an end of standard input right behind the bad frame would close the channel,
            // which skips the queued notice, and end the host with 0 before the writer ends it with 1.
            for (;;) {
                ::pause();
            }
        }
        return;
    }
    if (!BrowserMessage::travelsToTavlen(*kind)) {
        endHost(exitFailure);
    }
    m_socket->send(std::move(frame));
}

void BrowserHostRelay::relayAppToChrome(BrowserFrame frame)
{
    if (m_ending) {
        return;
    }
    try {
        if (!BrowserMessage::travelsToChrome(m_fromApp.check(m_validator, frame))) {
            endHost(exitFailure);
        }
    } catch (const std::exception&) {
        endHost(exitFailure);
    }
    m_chrome->send(std::move(frame));
}

void BrowserHostRelay::onChromeClosed()
{
    // Frames Chrome sent before it went away still reach Tavlen; then the socket closes and the host ends.
    m_socket->runOnWriter([socket = m_socket] {
        socket->close();
        endHost(exitEnded);
    });
}

void BrowserHostRelay::onSocketClosed()
{
    // Frames Tavlen sent before it closed, such as its last word on why, still reach Chrome.
    m_chrome->runOnWriter([] { endHost(exitEnded); });
}

void hostMain(int argc, char** argv)
{
    std::signal(SIGPIPE, SIG_IGN);

    std::optional<BrowserConfiguration> configuration;
    try {
        configuration = BrowserConfiguration::load();
    } catch (const std::exception&) {
        endHost(exitFailure);
    }
    if (argc < 2 || !isAllowedOrigin(argv[1], *configuration)) {
        endHost(exitFailure);
    }

    const auto directory = browserConnectionDirectory(hostBundleIdentifier(argv[0]));
    int socketFD = -1;
    try {
        socketFD = connectToAppSocket(directory);
    } catch (const std::exception&) {
        try {
            writeFrame(STDOUT_FILENO,
                       unavailableNotice(
                           bridge_code::appUnavailable, bridge_text::appUnavailable, configuration->protocolVersion));
        } catch (const std::exception&) {
            endHost(exitFailure);
        }
        endHost(exitEnded);
    }

    std::optional<BrowserWireValidator> validator;
    try {
        validator = BrowserWireValidator::load();
    } catch (const std::exception&) {
        endHost(exitFailure);
    }

    // Lives until the process ends; every end goes through endHost.
    auto* relay = new BrowserHostRelay(*configuration, std::move(*validator), socketFD);
    relay->start();
    for (;;) {
        ::pause();
    }
}

} // namespace tavlen

#include "RawHttpServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <string_view>

namespace tavlen::test {

namespace {

constexpr std::size_t largestRequestHead = 64 * 1024;

int listenOnLoopback(int& port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        throw std::runtime_error("socket failed");
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof(address);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 || ::listen(fd, 64) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        ::close(fd);
        throw std::runtime_error("the raw server could not listen");
    }
    port = ntohs(address.sin_port);
    return fd;
}

bool writeAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

std::string statusText(int status)
{
    switch (status) {
    case 200:
        return "OK";
    case 301:
        return "Moved Permanently";
    case 302:
        return "Found";
    case 404:
        return "Not Found";
    case 500:
        return "Internal Server Error";
    default:
        return "Status";
    }
}

} // namespace

RawHttpServer::RawHttpServer()
{
    m_listener = listenOnLoopback(m_port);
    m_wake = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    m_acceptor = std::thread([this] { acceptLoop(); });
}

RawHttpServer::~RawHttpServer()
{
    m_stopping = true;
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(m_wake, &one, sizeof(one));
    m_acceptor.join();
    std::vector<std::thread> connections;
    {
        const std::lock_guard lock(m_mutex);
        connections.swap(m_connections);
    }
    for (std::thread& connection : connections) {
        connection.join();
    }
    ::close(m_listener);
    ::close(m_wake);
}

std::string RawHttpServer::baseURL() const
{
    return "http://127.0.0.1:" + std::to_string(m_port);
}

void RawHttpServer::play(Script script)
{
    const std::lock_guard lock(m_mutex);
    m_script = std::move(script);
}

void RawHttpServer::playNext(Script script)
{
    const std::lock_guard lock(m_mutex);
    m_next = std::move(script);
}

std::vector<RecordedRequest> RawHttpServer::requests() const
{
    const std::lock_guard lock(m_mutex);
    return m_requests;
}

std::size_t RawHttpServer::requestCount() const
{
    const std::lock_guard lock(m_mutex);
    return m_requests.size();
}

std::string RawHttpServer::head(int status, const std::vector<std::pair<std::string, std::string>>& headers)
{
    std::string text = "HTTP/1.1 " + std::to_string(status) + " " + statusText(status) + "\r\n";
    for (const auto& [name, value] : headers) {
        text += name + ": " + value + "\r\n";
    }
    text += "Connection: close\r\n\r\n";
    return text;
}

std::string RawHttpServer::answer(int status, const std::string& body)
{
    return head(status, {{"Content-Type", "application/json"}, {"Content-Length", std::to_string(body.size())}}) + body;
}

std::string RawHttpServer::chunked(const std::string& body, std::size_t chunkBytes)
{
    std::string text;
    for (std::size_t offset = 0; offset < body.size(); offset += chunkBytes) {
        const std::size_t size = std::min(chunkBytes, body.size() - offset);
        char length[32];
        std::snprintf(length, sizeof(length), "%zx\r\n", size);
        text += length;
        text.append(body, offset, size);
        text += "\r\n";
    }
    text += "0\r\n\r\n";
    return text;
}

int RawHttpServer::refusedPort()
{
    int port = 0;
    const int fd = listenOnLoopback(port);
    ::close(fd); // nothing listens there any more, and the kernel does not hand it out again at once
    return port;
}

void RawHttpServer::acceptLoop()
{
    while (!m_stopping) {
        pollfd fds[2] = {{m_listener, POLLIN, 0}, {m_wake, POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            return;
        }
        if (m_stopping || (fds[1].revents & POLLIN) != 0) {
            return;
        }
        const int connection = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection < 0) {
            continue;
        }
        const std::lock_guard lock(m_mutex);
        m_connections.emplace_back([this, connection] { serve(connection); });
    }
}

void RawHttpServer::serve(int connection)
{
    RecordedRequest request;
    if (readRequest(connection, request)) {
        Script script;
        {
            const std::lock_guard lock(m_mutex);
            m_requests.push_back(request);
            if (m_next) {
                script = std::move(*m_next);
                m_next.reset();
            } else {
                script = m_script;
            }
        }
        perform(connection, script);
    }
    ::close(connection);
}

bool RawHttpServer::readRequest(int connection, RecordedRequest& request)
{
    std::string received;
    std::size_t headEnd = std::string::npos;
    std::size_t bodyLength = 0;
    char buffer[16384];
    while (true) {
        if (headEnd == std::string::npos) {
            headEnd = received.find("\r\n\r\n");
            if (headEnd != std::string::npos) {
                const std::string_view head(received.data(), headEnd);
                std::size_t lineStart = head.find("\r\n");
                const std::string_view requestLine = head.substr(0, lineStart);
                const std::size_t firstSpace = requestLine.find(' ');
                const std::size_t secondSpace = requestLine.find(' ', firstSpace + 1);
                request.method = std::string(requestLine.substr(0, firstSpace));
                const std::string target(requestLine.substr(firstSpace + 1, secondSpace - firstSpace - 1));
                const std::size_t mark = target.find('?');
                request.path = target.substr(0, mark);
                request.query = mark == std::string::npos ? std::string() : target.substr(mark + 1);
                while (lineStart != std::string_view::npos && lineStart + 2 < head.size()) {
                    const std::size_t next = head.find("\r\n", lineStart + 2);
                    const std::string_view line = head.substr(lineStart + 2, next - lineStart - 2);
                    const std::size_t colon = line.find(':');
                    std::string_view value = line.substr(colon + 1);
                    while (!value.empty() && value.front() == ' ') {
                        value.remove_prefix(1);
                    }
                    request.headers.emplace_back(std::string(line.substr(0, colon)), std::string(value));
                    lineStart = next;
                }
                if (const auto length = request.header("Content-Length")) {
                    bodyLength = std::stoul(*length);
                }
            } else if (received.size() > largestRequestHead) {
                return false;
            }
        }
        if (headEnd != std::string::npos && received.size() >= headEnd + 4 + bodyLength) {
            request.body = received.substr(headEnd + 4, bodyLength);
            return true;
        }
        if (!waitWhileRunning(connection, std::chrono::milliseconds(-1))) {
            return false;
        }
        const ssize_t count = ::recv(connection, buffer, sizeof(buffer), 0);
        if (count <= 0) {
            return false;
        }
        received.append(buffer, static_cast<std::size_t>(count));
    }
}

void RawHttpServer::perform(int connection, const Script& script)
{
    for (const Step& step : script) {
        switch (step.kind) {
        case Step::Kind::send:
            if (!writeAll(connection, step.bytes)) {
                return;
            }
            break;
        case Step::Kind::drip:
            for (const char byte : step.bytes) {
                if (!writeAll(connection, std::string_view(&byte, 1))) {
                    return;
                }
                // Ends early when the client closes (readable at end of file) or the server stops.
                if (!waitWhileRunning(connection, step.pause)) {
                    return;
                }
                char probe = 0;
                if (::recv(connection, &probe, 1, MSG_PEEK | MSG_DONTWAIT) == 0) {
                    return;
                }
            }
            break;
        case Step::Kind::reset: {
            const linger abortive{1, 0};
            ::setsockopt(connection, SOL_SOCKET, SO_LINGER, &abortive, sizeof(abortive));
            return;
        }
        case Step::Kind::hold:
            while (waitWhileRunning(connection, std::chrono::milliseconds(-1))) {
                char probe = 0;
                if (::recv(connection, &probe, 1, MSG_PEEK | MSG_DONTWAIT) <= 0) {
                    return;
                }
            }
            return;
        }
    }
}

bool RawHttpServer::waitWhileRunning(int connection, std::chrono::milliseconds timeout)
{
    pollfd fds[2] = {{connection, POLLIN, 0}, {m_wake, POLLIN, 0}};
    while (::poll(fds, 2, static_cast<int>(timeout.count())) < 0) {
        if (errno != EINTR) {
            return false;
        }
    }
    return !m_stopping && (fds[1].revents & POLLIN) == 0;
}

} // namespace tavlen::test

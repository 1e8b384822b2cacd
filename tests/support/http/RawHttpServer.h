#pragma once

#include "RecordedRequest.h"

#include <atomic>
#include <chrono>
#include <cstddef>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace tavlen::test {

// A loopback server on 127.0.0.1 that reads each request whole, records it and then plays a script on the raw
// socket, byte for byte: for answers an HTTP library would not give (a length that lies, a body that drips, a
// reset, an answer that never ends). Each connection is served on a thread of its own and closed when its script
// ends. Ready when constructed; destruction ends every connection.
//
//     RawHttpServer server;
//     server.play({RawHttpServer::send(RawHttpServer::head(200, {{"Content-Length", "10"}})), RawHttpServer::hold()});
class RawHttpServer
{
public:
    struct Step
    {
        enum class Kind
        {
            send,  // write the bytes at once
            drip,  // write the bytes one at a time, pausing between them
            reset, // end the connection with a TCP reset
            hold,  // keep the connection open, writing nothing, until the client closes it
        };
        Kind kind = Kind::send;
        std::string bytes;
        std::chrono::milliseconds pause{0};
    };

    using Script = std::vector<Step>;

    RawHttpServer();
    ~RawHttpServer();
    RawHttpServer(const RawHttpServer&) = delete;
    RawHttpServer& operator=(const RawHttpServer&) = delete;

    int port() const { return m_port; }

    // "http://127.0.0.1:<port>", without a trailing slash.
    std::string baseURL() const;

    // The script for every connection from now on. Without one, a connection is closed after its request.
    void play(Script script);
    // The script for the next connection only; later ones play the script of play().
    void playNext(Script script);

    std::vector<RecordedRequest> requests() const;
    std::size_t requestCount() const;

    static Step send(std::string bytes) { return {Step::Kind::send, std::move(bytes), {}}; }

    static Step drip(std::string bytes, std::chrono::milliseconds pause)
    {
        return {Step::Kind::drip, std::move(bytes), pause};
    }

    static Step reset() { return {Step::Kind::reset, {}, {}}; }

    static Step hold() { return {Step::Kind::hold, {}, {}}; }

    // A status line and headers, ending with the blank line; "Connection: close" is added.
    static std::string head(int status, const std::vector<std::pair<std::string, std::string>>& headers);
    // A whole answer with its Content-Length.
    static std::string answer(int status, const std::string& body);
    // The body in chunked transfer coding, in chunks of at most chunkBytes, with the closing chunk.
    static std::string chunked(const std::string& body, std::size_t chunkBytes = 65536);

    // A loopback port on which nothing listens: connecting to it is refused.
    static int refusedPort();

private:
    void acceptLoop();
    void serve(int connection);
    bool readRequest(int connection, RecordedRequest& request);
    void perform(int connection, const Script& script);
    // Waits up to timeout for the connection to become readable or the server to stop; false once stopping.
    bool waitWhileRunning(int connection, std::chrono::milliseconds timeout);

    int m_listener = -1;
    int m_wake = -1; // an eventfd written once to end every wait
    int m_port = 0;
    std::atomic<bool> m_stopping{false};
    std::thread m_acceptor;
    mutable std::mutex m_mutex;
    std::vector<std::thread> m_connections;
    std::vector<RecordedRequest> m_requests;
    Script m_script;
    std::optional<Script> m_next;
};

} // namespace tavlen::test

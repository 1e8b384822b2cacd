#pragma once

#include "RecordedRequest.h"

#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace httplib {
class Server;
}

namespace tavlen::test {

// One answer of a loopback server: a status, a body and its headers (Content-Length is added).
struct ScriptedAnswer
{
    int status = 200;
    std::string body;
    std::string contentType = "application/json";
    std::vector<std::pair<std::string, std::string>> headers;

    // A JSON body, written compactly.
    static ScriptedAnswer json(int status, const nlohmann::json& body);
};

// An HTTP server on 127.0.0.1 with an ephemeral port, ready to answer when constructed: it records every
// request and answers from a script, by path or through a handler. Unscripted paths get 404 with an empty body.
// Thread-safe: it answers on threads of its own.
//
//     LoopbackHttpServer server;
//     server.respond("/v1/messages", ScriptedAnswer::json(200, answer));
//     ... point the transport at server.baseURL() ...
//     EXPECT_EQ(server.requests().at(0).header("x-api-key"), "sk-test");
class LoopbackHttpServer
{
public:
    using Handler = std::function<ScriptedAnswer(const RecordedRequest&)>;

    LoopbackHttpServer();
    ~LoopbackHttpServer();
    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

    int port() const { return m_port; }

    // "http://127.0.0.1:<port>", without a trailing slash.
    std::string baseURL() const;

    // Every request for path (the query not counted) gets this answer.
    void respond(const std::string& path, ScriptedAnswer answer);
    // Requests for path get these answers one after the other; the last one repeats.
    void respondInTurn(const std::string& path, std::vector<ScriptedAnswer> answers);
    // Every request is answered by handler, whatever the path; it runs on a server thread.
    void setHandler(Handler handler);

    // The requests received so far, in order of arrival.
    std::vector<RecordedRequest> requests() const;
    std::size_t requestCount() const;

private:
    ScriptedAnswer answer(const RecordedRequest& request);

    std::unique_ptr<httplib::Server> m_server;
    int m_port = 0;
    std::thread m_thread;
    mutable std::mutex m_mutex;
    std::vector<RecordedRequest> m_requests;
    std::map<std::string, std::vector<ScriptedAnswer>> m_routes;
    std::map<std::string, std::size_t> m_turns;
    Handler m_handler;
};

} // namespace tavlen::test

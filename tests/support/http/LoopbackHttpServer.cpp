#include "LoopbackHttpServer.h"

#include <httplib.h>

#include <stdexcept>

namespace tavlen::test {

ScriptedAnswer ScriptedAnswer::json(int status, const nlohmann::json& body)
{
    ScriptedAnswer answer;
    answer.status = status;
    answer.body = body.dump();
    return answer;
}

LoopbackHttpServer::LoopbackHttpServer()
    : m_server(std::make_unique<httplib::Server>())
{
    const auto handle = [this](const httplib::Request& request, httplib::Response& response) {
        RecordedRequest recorded;
        recorded.method = request.method;
        recorded.path = request.path;
        const std::size_t mark = request.target.find('?');
        recorded.query = mark == std::string::npos ? std::string() : request.target.substr(mark + 1);
        for (const auto& [name, value] : request.headers) {
            // httplib adds these itself; they were never on the wire.
            if (name != "REMOTE_ADDR" && name != "REMOTE_PORT" && name != "LOCAL_ADDR" && name != "LOCAL_PORT") {
                recorded.headers.emplace_back(name, value);
            }
        }
        recorded.body = request.body;
        const ScriptedAnswer scripted = answer(recorded);
        response.status = scripted.status;
        for (const auto& [name, value] : scripted.headers) {
            response.set_header(name, value);
        }
        response.set_content(scripted.body, scripted.contentType);
    };
    // One request per connection: each exchange uses a fresh client, and nothing lingers after the test.
    m_server->set_keep_alive_max_count(1);
    m_server->Get(".*", handle);
    m_server->Post(".*", handle);
    m_server->Put(".*", handle);
    m_server->Delete(".*", handle);
    m_port = m_server->bind_to_any_port("127.0.0.1");
    if (m_port <= 0) {
        throw std::runtime_error("the loopback server could not bind a port");
    }
    // Bound and listening already: connections queue until the loop accepts them.
    m_thread = std::thread([this] { m_server->listen_after_bind(); });
    // stop() is ignored until the loop runs, so the destructor could otherwise miss it.
    while (!m_server->is_running()) {
        std::this_thread::yield();
    }
}

LoopbackHttpServer::~LoopbackHttpServer()
{
    m_server->stop();
    m_thread.join();
}

std::string LoopbackHttpServer::baseURL() const
{
    return "http://127.0.0.1:" + std::to_string(m_port);
}

void LoopbackHttpServer::respond(const std::string& path, ScriptedAnswer answer)
{
    respondInTurn(path, {std::move(answer)});
}

void LoopbackHttpServer::respondInTurn(const std::string& path, std::vector<ScriptedAnswer> answers)
{
    const std::lock_guard lock(m_mutex);
    m_routes[path] = std::move(answers);
    m_turns[path] = 0;
}

void LoopbackHttpServer::setHandler(Handler handler)
{
    const std::lock_guard lock(m_mutex);
    m_handler = std::move(handler);
}

std::vector<RecordedRequest> LoopbackHttpServer::requests() const
{
    const std::lock_guard lock(m_mutex);
    return m_requests;
}

std::size_t LoopbackHttpServer::requestCount() const
{
    const std::lock_guard lock(m_mutex);
    return m_requests.size();
}

ScriptedAnswer LoopbackHttpServer::answer(const RecordedRequest& request)
{
    Handler handler;
    {
        const std::lock_guard lock(m_mutex);
        m_requests.push_back(request);
        handler = m_handler;
        if (!handler) {
            const auto route = m_routes.find(request.path);
            if (route == m_routes.end() || route->second.empty()) {
                ScriptedAnswer missing;
                missing.status = 404;
                return missing;
            }
            std::size_t& turn = m_turns[request.path];
            const ScriptedAnswer& scripted = route->second[std::min(turn, route->second.size() - 1)];
            ++turn;
            return scripted;
        }
    }
    return handler(request);
}

} // namespace tavlen::test

// What one reading costs on Tavlen's side once the page evidence is ready: the request body built and encoded, the
// exchange with a fresh client, the answer checked and parsed, against a loopback server that answers at once;
// beside bare QNetworkAccessManager round trips of the same bytes in the same run.

#include "Base64.h"
#include "BenchPage.h"
#include "OpenAIHTTPTransport.h"
#include "OpenAIReadingAnswer.h"
#include "OpenAIReadingRequest.h"
#include "OpenAIResponseCheck.h"
#include "Png.h"
#include "ProviderJSON.h"
#include "ReadingField.h"
#include "ReadingTools.h"

#include <QCoroTask>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

#include <benchmark/benchmark.h>
#include <httplib.h>
#include <nlohmann/json.hpp>

#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace tavlen {
namespace {

constexpr std::int64_t responseLimit = 2'097'152;

// A region of the bench page the size of a typical Read step (800 × 400 pixels) and a page evidence of 16 KiB.
struct Evidence
{
    std::string png;
    std::string treeJSON;
};

const Evidence& evidence()
{
    static const Evidence made = [] {
        const RgbaImage page = decodePng(benchPagePng(), std::uint64_t{benchPageWidth} * benchPageHeight);
        const RgbaImage crop = cropImage(page, 240, 96, 800, 400);
        std::string tree = R"({"nodes":[)";
        for (int node = 0; tree.size() < 16'000; ++node) {
            tree += (node == 0 ? "" : ",") + std::string(R"({"bounds":{"height":20,"width":160,"x":20,"y":)") +
                    std::to_string(node * 24) + R"(},"role":"cell","text":"Product line )" + std::to_string(node) +
                    R"( / € 19,99"})";
        }
        tree += "]}";
        return Evidence{encodePng(crop), tree};
    }();
    return made;
}

const std::vector<ReadingField>& fields()
{
    static const std::vector<ReadingField> made = [] {
        std::vector<ReadingField> list;
        for (const char* name : {"Price", "Name", "Stock"}) {
            ReadingField field = ReadingField::makeEmpty();
            field.name = name;
            field.type = std::string_view(name) == "Name" ? ReadingFieldType::text : ReadingFieldType::number;
            list.push_back(field);
        }
        return list;
    }();
    return made;
}

std::string answerBody()
{
    nlohmann::json arguments = nlohmann::json::object();
    for (const ReadingField& field : fields()) {
        arguments[fieldKey(field)] = {
            {"value", field.type == ReadingFieldType::text ? nlohmann::json("Café") : nlohmann::json(19.99)}};
    }
    return nlohmann::json{
        {"status", "completed"},
        {"model", "gpt-bench"},
        {"error", nullptr},
        {"output",
         {{{"type", "function_call"},
           {"call_id", "call_1"},
           {"name", "submit_readings"},
           {"arguments", arguments.dump()},
           {"status", "completed"}}}},
        {"usage", {{"input_tokens", 1200}, {"input_tokens_details", {{"cached_tokens", 0}}}, {"output_tokens", 40}}}}
        .dump();
}

// An HTTP server on 127.0.0.1 that answers every request at once with the same body.
class ImmediateServer
{
public:
    ImmediateServer()
    {
        const std::string body = answerBody();
        m_server.Post(".*", [body](const httplib::Request&, httplib::Response& response) {
            response.set_content(body, "application/json");
        });
        m_server.set_tcp_nodelay(true);
        m_port = m_server.bind_to_any_port("127.0.0.1");
        m_thread = std::thread([this] { m_server.listen_after_bind(); });
        while (!m_server.is_running()) {
            std::this_thread::yield();
        }
    }

    ~ImmediateServer()
    {
        m_server.stop();
        m_thread.join();
    }

    QUrl url(const char* path) const
    {
        return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(m_port).arg(QLatin1String(path)));
    }

private:
    httplib::Server m_server;
    int m_port = 0;
    std::thread m_thread;
};

template <class T> T runToEnd(QCoro::Task<T> task)
{
    std::optional<T> value;
    std::exception_ptr failure;
    bool done = false;
    QEventLoop loop;
    auto drive = [&]() -> QCoro::Task<void> {
        try {
            value.emplace(co_await std::move(task));
        } catch (...) {
            failure = std::current_exception();
        }
        done = true;
        loop.quit();
    };
    auto driving = drive();
    if (!done) {
        loop.exec();
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    if (failure) {
        std::rethrow_exception(failure);
    }
    return std::move(*value);
}

QCoro::Task<std::vector<Reading>> oneReading(OpenAIHTTPTransport& transport)
{
    const std::string fieldList = readingFieldListJSON(fields());
    const std::string body =
        openAIReadingRequestBody("gpt-bench", fields(), fieldList, evidence().png, evidence().treeJSON, 4096).encoded();
    auto sending = transport.send("responses", body, "sk-bench", responseLimit, 60, {});
    OpenAIHTTPResponse response = co_await std::move(sending);
    const std::string checked = checkOpenAIResponse(responseLimit, response.status, std::move(response.body));
    const ProviderJSON parsed = ProviderJSON::parse(checked);
    benchmark::DoNotOptimize(openAIUsage(parsed.member("usage")));
    co_return openAIReadings(checked, fields());
}

// The same bytes as a reading: its encoded body out, the same answer back.
std::size_t bareRoundTrip(QNetworkAccessManager& manager, const QUrl& url, const QByteArray& body)
{
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/json"));
    request.setRawHeader("Authorization", "Bearer sk-bench");
    QNetworkReply* reply = manager.post(request, body);
    if (!reply->isFinished()) {
        QEventLoop loop;
        QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
        loop.exec();
    }
    const QByteArray answer = reply->readAll();
    reply->deleteLater();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return static_cast<std::size_t>(answer.size());
}

QByteArray readingBodyBytes()
{
    return QByteArray::fromStdString(
        openAIReadingRequestBody(
            "gpt-bench", fields(), readingFieldListJSON(fields()), evidence().png, evidence().treeJSON, 4096)
            .encoded());
}

void BM_ReadingOverhead_OpenAI(benchmark::State& state)
{
    ImmediateServer server;
    OpenAIHTTPTransport transport(server.url("/v1/"));
    runToEnd(oneReading(transport)); // the evidence is made once, outside the measure
    for (auto _ : state) {
        benchmark::DoNotOptimize(runToEnd(oneReading(transport)));
    }
    state.counters["body_bytes"] = static_cast<double>(readingBodyBytes().size());
}

BENCHMARK(BM_ReadingOverhead_OpenAI)->Unit(benchmark::kMicrosecond)->UseRealTime();

// A fresh manager per request, as every reading gets a client of its own: the same work without Tavlen.
void BM_BareRoundTrip_FreshManager(benchmark::State& state)
{
    ImmediateServer server;
    const QByteArray body = readingBodyBytes();
    for (auto _ : state) {
        QNetworkAccessManager manager;
        benchmark::DoNotOptimize(bareRoundTrip(manager, server.url("/v1/responses"), body));
    }
}

BENCHMARK(BM_BareRoundTrip_FreshManager)->Unit(benchmark::kMicrosecond)->UseRealTime();

// The request body alone: built as a tree and encoded.
void BM_ReadingBody_OpenAI(benchmark::State& state)
{
    const std::string fieldList = readingFieldListJSON(fields());
    benchmark::DoNotOptimize(evidence());
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            openAIReadingRequestBody("gpt-bench", fields(), fieldList, evidence().png, evidence().treeJSON, 4096)
                .encoded());
    }
}

BENCHMARK(BM_ReadingBody_OpenAI)->Unit(benchmark::kMicrosecond);

// The answer alone: checked, its usage and its readings read.
void BM_ReadingAnswer_OpenAI(benchmark::State& state)
{
    const std::string body = answerBody();
    for (auto _ : state) {
        const std::string checked = checkOpenAIResponse(responseLimit, 200, body);
        benchmark::DoNotOptimize(openAIUsage(ProviderJSON::parse(checked).member("usage")));
        benchmark::DoNotOptimize(openAIReadings(checked, fields()));
    }
}

BENCHMARK(BM_ReadingAnswer_OpenAI)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace tavlen

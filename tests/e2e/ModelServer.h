#pragma once

#include "LoopbackHttpServer.h"
#include "Png.h"

#include <nlohmann/json.hpp>

#include <mutex>
#include <string>
#include <vector>

namespace tavlen::test {

// OpenAI's Responses API on 127.0.0.1, answering like a model that reads only the page evidence it is sent: each
// number field gets the first number among the evidence's readable texts, each text field the first text. With
// no readable text it reports "not_found", so a wrong crop or empty evidence fails the check. It keeps what each
// request carried.
class ModelServer
{
public:
    struct Request
    {
        nlohmann::json evidence; // the "Structured page evidence" document
        RgbaImage crop;          // the image of the region
        std::vector<std::string> texts;
    };

    ModelServer();

    // Where the API's paths start: ".../v1/".
    std::string baseURL() const;

    std::vector<Request> requests() const;

private:
    ScriptedAnswer answer(const RecordedRequest& request);

    LoopbackHttpServer m_server;
    mutable std::mutex m_mutex;
    std::vector<Request> m_requests;
};

} // namespace tavlen::test

#include "ModelServer.h"

#include "Base64.h"
#include "ProviderAnswers.h"

#include <regex>

namespace tavlen::test {

namespace {

constexpr std::string_view evidencePrefix = "Structured page evidence:\n";
constexpr std::string_view imagePrefix = "data:image/png;base64,";

// The readable texts of the evidence, in document order: each record's text and its whole fragments' texts.
void collectTexts(const nlohmann::json& value, std::vector<std::string>& texts)
{
    if (value.is_object()) {
        if (value.contains("text") && value["text"].is_string() && !value.value("partial", false)) {
            texts.push_back(value["text"].get<std::string>());
        }
        for (const auto& [key, member] : value.items()) {
            if (key != "text") {
                collectTexts(member, texts);
            }
        }
    } else if (value.is_array()) {
        for (const auto& element : value) {
            collectTexts(element, texts);
        }
    }
}

} // namespace

ModelServer::ModelServer()
{
    m_server.setHandler([this](const RecordedRequest& request) { return answer(request); });
}

std::string ModelServer::baseURL() const
{
    return m_server.baseURL() + "/v1/";
}

std::vector<ModelServer::Request> ModelServer::requests() const
{
    const std::lock_guard guard(m_mutex);
    return m_requests;
}

ScriptedAnswer ModelServer::answer(const RecordedRequest& recorded)
{
    if (recorded.path != "/v1/responses") {
        return ScriptedAnswer::json(404, {{"error", {{"message", "no such path"}}}});
    }
    Request request;
    nlohmann::json fields = nlohmann::json::array();
    const nlohmann::json body = recorded.jsonBody();
    for (const auto& content : body.at("input").at(0).at("content")) {
        if (content.value("type", "") == "input_image") {
            const std::string url = content.at("image_url");
            if (url.starts_with(imagePrefix)) {
                request.crop = decodePng(base64Decode(url.substr(imagePrefix.size())).value_or(""), 1u << 26);
            }
            continue;
        }
        const std::string text = content.value("text", "");
        if (text.starts_with(evidencePrefix)) {
            request.evidence = nlohmann::json::parse(text.substr(evidencePrefix.size()));
        } else if (text.starts_with("[")) {
            fields = nlohmann::json::parse(text);
        }
    }
    collectTexts(request.evidence, request.texts);
    {
        const std::lock_guard guard(m_mutex);
        m_requests.push_back(request);
    }

    nlohmann::json values = nlohmann::json::object();
    const std::regex number(R"([0-9]+(\.[0-9]+)?)");
    for (const auto& field : fields) {
        for (const std::string& text : request.texts) {
            std::smatch match;
            if (field.value("type", "") == "Number" && std::regex_search(text, match, number)) {
                values[field.at("id").get<std::string>()] = std::stod(match.str());
                break;
            }
            if (field.value("type", "") != "Number") {
                values[field.at("id").get<std::string>()] = text;
                break;
            }
        }
    }
    if (values.size() != fields.size()) {
        return ScriptedAnswer::json(200, openAIAnswer("report_failure", {{"reason", "not_found"}}));
    }
    return ScriptedAnswer::json(200, openAIAnswer("submit_readings", submitReadings(values)));
}

} // namespace tavlen::test

#include "ProviderAnswers.h"

namespace tavlen::test {

nlohmann::json submitReadings(const nlohmann::json& valuesByFieldID)
{
    nlohmann::json arguments = nlohmann::json::object();
    for (const auto& [id, value] : valuesByFieldID.items()) {
        arguments[id] = {{"value", value}};
    }
    return arguments;
}

nlohmann::json openAIAnswer(const std::string& toolName, const nlohmann::json& arguments, const std::string& model)
{
    return {{"id", "resp_1"},
            {"object", "response"},
            {"status", "completed"},
            {"model", model},
            {"error", nullptr},
            {"output",
             {{{"type", "reasoning"}, {"id", "rs_1"}, {"summary", nlohmann::json::array()}},
              {{"type", "function_call"},
               {"id", "fc_1"},
               {"call_id", "call_1"},
               {"name", toolName},
               {"arguments", arguments.dump()},
               {"status", "completed"}}}},
            {"usage",
             {{"input_tokens", 1200},
              {"input_tokens_details", {{"cached_tokens", 200}}},
              {"output_tokens", 40},
              {"output_tokens_details", {{"reasoning_tokens", 0}}},
              {"total_tokens", 1240}}}};
}

nlohmann::json anthropicAnswer(const std::string& toolName, const nlohmann::json& arguments, const std::string& model)
{
    return {{"id", "msg_1"},
            {"type", "message"},
            {"role", "assistant"},
            {"model", model},
            {"stop_reason", "tool_use"},
            {"content",
             {{{"type", "text"}, {"text", "Reading."}},
              {{"type", "tool_use"}, {"id", "toolu_1"}, {"name", toolName}, {"input", arguments}}}},
            {"usage",
             {{"input_tokens", 1000},
              {"cache_read_input_tokens", 300},
              {"cache_creation_input_tokens", 20},
              {"output_tokens", 35}}}};
}

nlohmann::json
geminiAnswer(const std::string& toolName, const nlohmann::json& arguments, const std::string& modelVersion)
{
    return {
        {"candidates",
         {{{"content", {{"role", "model"}, {"parts", {{{"functionCall", {{"name", toolName}, {"args", arguments}}}}}}}},
           {"finishReason", "STOP"},
           {"safetyRatings", {{{"category", "HARM_CATEGORY_HARASSMENT"}, {"blocked", false}}}}}}},
        {"modelVersion", modelVersion},
        {"usageMetadata",
         {{"promptTokenCount", 900},
          {"cachedContentTokenCount", 100},
          {"candidatesTokenCount", 30},
          {"thoughtsTokenCount", 12}}}};
}

nlohmann::json ollamaChatAnswer(const nlohmann::json& output, const std::string& model)
{
    return {{"model", model},
            {"created_at", "2026-01-01T00:00:00Z"},
            {"message", {{"role", "assistant"}, {"content", output.dump()}}},
            {"done", true},
            {"done_reason", "stop"},
            {"total_duration", 3000000000LL},
            {"load_duration", 1500000000LL},
            {"prompt_eval_count", 700},
            {"eval_count", 25}};
}

nlohmann::json ollamaValues(const nlohmann::json& valuesByFieldID)
{
    return {{"status", "success"}, {"values", valuesByFieldID}};
}

nlohmann::json ollamaTags(const std::vector<std::string>& names)
{
    nlohmann::json models = nlohmann::json::array();
    for (const std::string& name : names) {
        models.push_back({{"name", name},
                          {"model", name},
                          {"size", 4'700'000'000LL},
                          {"digest", "sha256:" + std::string(12, 'a')},
                          {"details", {{"format", "gguf"}, {"quantization_level", "Q4_K_M"}}}});
    }
    return {{"models", models}};
}

nlohmann::json openAIModelList(const std::vector<std::string>& ids)
{
    nlohmann::json data = nlohmann::json::array();
    for (const std::string& id : ids) {
        data.push_back({{"id", id}, {"object", "model"}, {"created", 1'715'367'049}, {"owned_by", "system"}});
    }
    return {{"object", "list"}, {"data", data}};
}

nlohmann::json anthropicModelPage(const std::vector<std::string>& ids, bool hasMore)
{
    nlohmann::json data = nlohmann::json::array();
    for (const std::string& id : ids) {
        data.push_back({{"type", "model"}, {"id", id}, {"display_name", id}, {"created_at", "2025-02-19T00:00:00Z"}});
    }
    nlohmann::json page = {{"data", data}, {"has_more", hasMore}};
    page["first_id"] = ids.empty() ? nlohmann::json() : nlohmann::json(ids.front());
    page["last_id"] = ids.empty() ? nlohmann::json() : nlohmann::json(ids.back());
    return page;
}

nlohmann::json geminiModelPage(const std::vector<std::string>& ids, const std::string& nextPageToken)
{
    nlohmann::json models = nlohmann::json::array();
    for (const std::string& id : ids) {
        models.push_back({{"name", "models/" + id},
                          {"version", "001"},
                          {"displayName", id},
                          {"inputTokenLimit", 1'048'576},
                          {"outputTokenLimit", 8192},
                          {"supportedGenerationMethods", {"generateContent", "countTokens"}}});
    }
    nlohmann::json page = {{"models", models}};
    if (!nextPageToken.empty()) {
        page["nextPageToken"] = nextPageToken;
    }
    return page;
}

} // namespace tavlen::test

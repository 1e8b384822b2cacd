#pragma once

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

namespace tavlen::test {

// Answers a loopback server gives in place of a model provider, shaped as each provider answers a reading. The
// arguments are those of the model's tool call (or Ollama's structured output): for readings,
// submitReadings({{"<field id>", 12.5}, ...}).

// {"<field id>": {"value": v}, ...}: the arguments of submit_readings.
nlohmann::json submitReadings(const nlohmann::json& valuesByFieldID);

// A completed Responses API answer with one function call and its usage.
nlohmann::json
openAIAnswer(const std::string& toolName, const nlohmann::json& arguments, const std::string& model = "gpt-test");

// An Anthropic message that stopped for its one tool_use block, with its usage.
nlohmann::json
anthropicAnswer(const std::string& toolName, const nlohmann::json& arguments, const std::string& model = "claude-test");

// A Gemini answer with one candidate whose one part is the function call, with its usage metadata.
nlohmann::json geminiAnswer(const std::string& toolName,
                            const nlohmann::json& arguments,
                            const std::string& modelVersion = "gemini-test");

// A finished Ollama chat answer whose message content is the structured output, with its counts.
nlohmann::json ollamaChatAnswer(const nlohmann::json& output, const std::string& model);

// {"status": "success", "values": {"<field id>": v, ...}}: Ollama's structured output with readings.
nlohmann::json ollamaValues(const nlohmann::json& valuesByFieldID);

// An Ollama tags listing of these model names.
nlohmann::json ollamaTags(const std::vector<std::string>& names);

// Model listings as each provider documents them, with the members Tavlen does not read.

// OpenAI's GET /v1/models: {"object": "list", "data": [{"id": ..., "object": "model", ...}, ...]}.
nlohmann::json openAIModelList(const std::vector<std::string>& ids);

// One page of Anthropic's GET /v1/models; with more pages, last_id is the last id of this one.
nlohmann::json anthropicModelPage(const std::vector<std::string>& ids, bool hasMore);

// One page of Gemini's GET /v1beta/models: names as "models/<id>", each able to generate content; the next page's
// token when there is one.
nlohmann::json geminiModelPage(const std::vector<std::string>& ids, const std::string& nextPageToken = "");

} // namespace tavlen::test

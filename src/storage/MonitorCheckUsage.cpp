#include "MonitorCheckUsage.h"

#include "JsonParse.h"
#include "JsonWriter.h"
#include "ModelRequestEvent.h"
#include "MonitorStoreError.h"
#include "StepsModelUsageJson.h"

#include <array>
#include <unordered_set>

namespace tavlen {

namespace {

using Counters = std::array<std::int64_t, 6>;

Counters countersOf(const StepsModelUsage& usage)
{
    return {usage.requests,
            usage.unreportedRequests,
            usage.inputTokens,
            usage.cachedInputTokens,
            usage.cacheWriteTokens,
            usage.outputTokens};
}

// True when each of the six counters, summed over the usages, stays within the signed 64-bit range. `replaced`
// stands in for the usage at `index`.
bool totalsFit(const std::vector<MonitorCheckUsageEntry>& entries, std::size_t index, const StepsModelUsage& replaced)
{
    Counters totals{};
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const Counters counters = countersOf(i == index ? replaced : entries[i].usage);
        for (std::size_t c = 0; c < totals.size(); ++c) {
            if (__builtin_add_overflow(totals[c], counters[c], &totals[c])) {
                return false;
            }
        }
    }
    return true;
}

// The same answer without its token counts.
ModelRequestEvent withoutTokens(const ModelUsage& usage)
{
    ModelUsage answer = usage;
    answer.inputTokens.reset();
    answer.outputTokens.reset();
    answer.cachedTokens = 0;
    answer.cacheWriteTokens = 0;
    return ModelRequestEvent::usage(std::move(answer));
}

std::int64_t storedVersionOf(const nlohmann::json& document)
{
    const auto version = document.find("version");
    if (version == document.end() || version->is_null()) {
        throw MonitorStoreError::invalidStoredData();
    }
    return decodeStoredInteger(*version);
}

MonitorCheckUsageEntry decodeEntry(const nlohmann::json& object)
{
    if (!object.is_object()) {
        throw MonitorStoreError::invalidStoredData();
    }
    MonitorCheckUsageEntry entry;
    if (const auto id = object.find("stepID"); id != object.end() && !id->is_null()) {
        entry.stepID = id->is_string() ? Uuid::parse(id->get<std::string>()) : std::nullopt;
        if (!entry.stepID) {
            throw MonitorStoreError::invalidStoredData();
        }
    }
    if (const auto number = object.find("stepNumber"); number != object.end() && !number->is_null()) {
        entry.stepNumber = decodeStoredInteger(*number);
    }
    const auto usage = object.find("usage");
    if (usage == object.end() || usage->is_null()) {
        throw MonitorStoreError::invalidStoredData();
    }
    entry.usage = decodeUsageObject(*usage);
    return entry;
}

} // namespace

std::size_t MonitorCheckUsage::appendEntry(const Uuid& stepID, std::int64_t stepNumber, const ModelSelection& selection)
{
    steps.push_back(Entry{stepID, stepNumber, StepsModelUsage::forSelection(selection)});
    return steps.size() - 1;
}

void MonitorCheckUsage::recordRequest(const ModelRequestEvent& event, std::size_t index)
{
    if (legacy) {
        legacy->addRequest(event);
        return;
    }
    if (index >= steps.size()) {
        return;
    }
    StepsModelUsage folded = steps[index].usage;
    folded.addRequest(event);
    if (!totalsFit(steps, index, folded)) {
        const auto* reported = std::get_if<ModelUsage>(&event.value());
        if (reported == nullptr) {
            return;
        }
        folded = steps[index].usage;
        folded.addRequest(withoutTokens(*reported));
        if (!totalsFit(steps, index, folded)) {
            return;
        }
    }
    steps[index].usage = std::move(folded);
}

void MonitorCheckUsage::validate() const
{
    if (legacy) {
        legacy->validate();
        return; // one entry without a step: nothing else to check, and one usage cannot overflow its own totals
    }
    std::unordered_set<Uuid> seen;
    for (const Entry& entry : steps) {
        entry.usage.validate();
        if (!entry.stepID) {
            if (entry.stepNumber) {
                throw MonitorStoreError::invalidStoredData();
            }
        } else if (!seen.insert(*entry.stepID).second || !entry.stepNumber || *entry.stepNumber < 1) {
            throw MonitorStoreError::invalidStoredData();
        }
    }
    if (!steps.empty() && !totalsFit(steps, 0, steps.front().usage)) {
        throw MonitorStoreError::invalidStoredData();
    }
}

std::string MonitorCheckUsage::storedText() const
{
    validate();
    if (legacy) {
        return writeJson(encodeUsageObject(*legacy));
    }
    nlohmann::json entries = nlohmann::json::array();
    for (const Entry& entry : steps) {
        nlohmann::json object{{"usage", encodeUsageObject(entry.usage)}};
        if (entry.stepID) {
            object["stepID"] = entry.stepID->uppercaseString();
        }
        if (entry.stepNumber) {
            object["stepNumber"] = *entry.stepNumber;
        }
        entries.push_back(std::move(object));
    }
    return writeJson(nlohmann::json{{"steps", std::move(entries)}, {"version", storedVersion}});
}

std::optional<MonitorCheckUsage> MonitorCheckUsage::decodeStored(const std::optional<std::string_view>& text)
{
    if (!text) {
        return std::nullopt;
    }
    const std::optional<nlohmann::json> document = parseJson(*text);
    if (!document || !document->is_object()) {
        throw MonitorStoreError::invalidStoredData();
    }
    MonitorCheckUsage usage;
    const std::int64_t version = storedVersionOf(*document);
    if (version >= 1 && version < storedVersion) {
        usage.legacy = decodeUsageObject(*document);
    } else if (version == storedVersion) {
        const auto entries = document->find("steps");
        if (entries == document->end() || !entries->is_array()) {
            throw MonitorStoreError::invalidStoredData();
        }
        for (const nlohmann::json& entry : *entries) {
            usage.steps.push_back(decodeEntry(entry));
        }
    } else {
        throw MonitorStoreError::invalidStoredData();
    }
    usage.validate();
    return usage;
}

} // namespace tavlen

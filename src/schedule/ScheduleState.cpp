#include "ScheduleState.h"

#include "JsonFields.h"
#include "JsonParse.h"
#include "JsonWriter.h"
#include "MonitorStoreError.h"

#include <cmath>

namespace tavlen {

namespace {

Date readDate(const nlohmann::json& object, const char* key)
{
    const double seconds = json_fields::requiredDouble(object, key);
    if (!std::isfinite(seconds)) {
        throw MonitorStoreError::invalidStoredData();
    }
    return Date::fromSecondsSinceReferenceDate(seconds);
}

} // namespace

std::string ScheduleState::encodeStored() const
{
    nlohmann::json object{{"token", token},
                          {"enabledAt", enabledAt.secondsSinceReferenceDate()},
                          {"nextDue", nextDue.secondsSinceReferenceDate()}};
    if (cursor) {
        object["cursor"] = *cursor;
    }
    return writeJson(object);
}

ScheduleState ScheduleState::decodeStored(std::string_view text)
{
    const auto document = parseJson(text);
    if (!document || !document->is_object()) {
        throw MonitorStoreError::invalidStoredData();
    }
    ScheduleState state;
    try {
        state.token = json_fields::requiredInteger(*document, "token");
        state.enabledAt = readDate(*document, "enabledAt");
        state.nextDue = readDate(*document, "nextDue");
        state.cursor = json_fields::optionalString(*document, "cursor");
    } catch (const JsonDecodingError&) {
        throw MonitorStoreError::invalidStoredData();
    }
    if (state.token < 1) {
        throw MonitorStoreError::invalidStoredData();
    }
    return state;
}

} // namespace tavlen

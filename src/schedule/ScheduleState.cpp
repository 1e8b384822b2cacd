#include "ScheduleState.h"

#include "JsonParse.h"
#include "JsonWriter.h"
#include "MonitorStoreError.h"

#include <cmath>
#include <limits>

namespace tavlen {

namespace {

const nlohmann::json& requiredMember(const nlohmann::json& object, const char* key)
{
    const auto found = object.find(key);
    if (found == object.end()) {
        throw MonitorStoreError::invalidStoredData();
    }
    return *found;
}

Date readDate(const nlohmann::json& value)
{
    if (!value.is_number()) {
        throw MonitorStoreError::invalidStoredData();
    }
    const double seconds = value.get<double>();
    if (!std::isfinite(seconds)) {
        throw MonitorStoreError::invalidStoredData();
    }
    return Date::fromSecondsSinceReferenceDate(seconds);
}

std::int64_t readToken(const nlohmann::json& value)
{
    if (value.is_number_unsigned()) {
        if (value.get<std::uint64_t>() > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
            throw MonitorStoreError::invalidStoredData();
        }
        return static_cast<std::int64_t>(value.get<std::uint64_t>());
    }
    if (value.is_number_integer()) {
        return value.get<std::int64_t>();
    }
    if (value.is_number_float()) {
        const double number = value.get<double>();
        if (std::trunc(number) == number && number >= -9223372036854775808.0 && number < 9223372036854775808.0) {
            return static_cast<std::int64_t>(number);
        }
    }
    throw MonitorStoreError::invalidStoredData();
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
    state.token = readToken(requiredMember(*document, "token"));
    if (state.token < 1) {
        throw MonitorStoreError::invalidStoredData();
    }
    state.enabledAt = readDate(requiredMember(*document, "enabledAt"));
    state.nextDue = readDate(requiredMember(*document, "nextDue"));
    const auto cursor = document->find("cursor");
    if (cursor != document->end() && !cursor->is_null()) {
        if (!cursor->is_string()) {
            throw MonitorStoreError::invalidStoredData();
        }
        state.cursor = cursor->get<std::string>();
    }
    return state;
}

} // namespace tavlen

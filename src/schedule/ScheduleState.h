#pragma once

#include "Date.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tavlen {

// The runtime state of one monitor's schedule, from which the calculator derives the next due occurrence.
struct ScheduleState
{
    // 1 when started, one more for each occurrence that fell due; never beyond the largest 64-bit value.
    std::int64_t token = 1;
    // When the state was started; at-rule occurrences at or before it never fall due.
    Date enabledAt;
    // Every-rule: the earliest time of the next check before alignment. At-rule: the next occurrence's due
    // time, or the distant-future date when there is none.
    Date nextDue;
    // At-rule: the twelve-digit key of the last occurrence that fell due.
    std::optional<std::string> cursor;

    // The first instant of the year 4001 (UTC): the stand-in for "never".
    static constexpr Date distantFuture() { return Date::fromSecondsSince1970(64092211200.0); }

    // The first instant of the year 1 (UTC).
    static constexpr Date distantPast() { return Date::fromSecondsSince1970(-62135596800.0); }

    // The stored `state_json`: compact JSON with "token", "enabledAt" and "nextDue" (seconds since 2001-01-01,
    // fractions kept) and "cursor" (left out when absent). Throws std::invalid_argument for a non-finite date.
    std::string encodeStored() const;

    // The state of a stored `state_json`. Throws MonitorStoreError::invalidStoredData when the text does not
    // decode, the token is below 1 or a date is not finite. Unknown keys are ignored; a null cursor is none.
    static ScheduleState decodeStored(std::string_view text);

    friend bool operator==(const ScheduleState&, const ScheduleState&) = default;
};

} // namespace tavlen

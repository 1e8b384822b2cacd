#pragma once

#include "ChartReading.h"
#include "ChartSnapshot.h"
#include "Uuid.h"

#include <cstdint>
#include <cstdio>
#include <string>

namespace tavlen::test {

// A readable id: n in the last group, so ids sort as their numbers do.
inline Uuid chartID(int n)
{
    char text[37];
    std::snprintf(text, sizeof text, "00000000-0000-4000-8000-%012d", n);
    return *Uuid::parse(text);
}

// A reading of check n (its ordinal n unless given) at the time.
inline ChartReading numberAt(const Uuid& field, int check, std::int64_t time, double value, std::int64_t ordinal = 0)
{
    return ChartReading{
        chartID(check), field, time, ordinal != 0 ? ordinal : check, "Field", ReadingValue::ofNumber(value)};
}

inline ChartReading textAt(const Uuid& field, int check, std::int64_t time, std::string text, std::int64_t ordinal = 0)
{
    return ChartReading{
        chartID(check), field, time, ordinal != 0 ? ordinal : check, "Field", ReadingValue::ofText(std::move(text))};
}

} // namespace tavlen::test

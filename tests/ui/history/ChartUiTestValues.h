#pragma once

#include "ChartSeries.h"
#include "Uuid.h"

#include <cstdint>
#include <cstdio>
#include <string>

namespace tavlen::ui::test {

// A readable id: n in the last group.
inline Uuid chartID(int n)
{
    char text[37];
    std::snprintf(text, sizeof text, "00000000-0000-4000-8000-%012d", n);
    return *Uuid::parse(text);
}

// A number reading of check n at the time, its ordinal n unless given.
inline ChartReading numberAt(int check, std::int64_t time, double value, std::int64_t ordinal = 0)
{
    return ChartReading{
        chartID(check), chartID(900), time, ordinal != 0 ? ordinal : check, "Price", ReadingValue::ofNumber(value)};
}

inline ChartTextInterval intervalOf(int n, std::int64_t start, std::int64_t end, std::string text, bool open = false)
{
    ChartTextInterval interval;
    interval.id = chartID(n);
    interval.text = std::move(text);
    interval.fieldName = "Status";
    interval.startMilliseconds = start;
    interval.endMilliseconds = end;
    interval.isOpenEnded = open;
    return interval;
}

} // namespace tavlen::ui::test

#include "ChartTimeScale.h"

#include <QDateTime>
#include <QTimeZone>

#include <unicode/datefmt.h>
#include <unicode/locid.h>
#include <unicode/unistr.h>

#include <array>
#include <cmath>
#include <memory>

namespace tavlen::ui {

std::optional<double> ChartTimeScale::position(std::int64_t milliseconds) const
{
    const double span = static_cast<double>(window.endMilliseconds) - static_cast<double>(window.startMilliseconds);
    if (!(span > 0) || !(plotWidth > 0)) {
        return std::nullopt;
    }
    return plotLeft +
           plotWidth * ((static_cast<double>(milliseconds) - static_cast<double>(window.startMilliseconds)) / span);
}

std::optional<std::int64_t> ChartTimeScale::time(double x) const
{
    const double span = static_cast<double>(window.endMilliseconds) - static_cast<double>(window.startMilliseconds);
    if (!(span > 0) || !(plotWidth > 0) || !std::isfinite(x)) {
        return std::nullopt;
    }
    const double milliseconds = static_cast<double>(window.startMilliseconds) + (x - plotLeft) / plotWidth * span;
    return static_cast<std::int64_t>(std::floor(milliseconds));
}

namespace {

enum class Unit
{
    second,
    minute,
    hour,
    day,
    month,
    year
};

struct Step
{
    Unit unit;
    int count;
};

constexpr std::int64_t secondMs = 1000;
constexpr std::int64_t dayMs = 86'400'000;

constexpr std::int64_t approximateLength(Step step)
{
    switch (step.unit) {
    case Unit::second:
        return step.count * secondMs;
    case Unit::minute:
        return step.count * 60 * secondMs;
    case Unit::hour:
        return step.count * 3600 * secondMs;
    case Unit::day:
        return step.count * dayMs;
    case Unit::month:
        return step.count * 30 * dayMs;
    case Unit::year:
        return step.count * 365 * dayMs;
    }
    return dayMs;
}

constexpr std::array steps{
    Step{Unit::second, 1},  Step{Unit::second, 2},  Step{Unit::second, 5},  Step{Unit::second, 10},
    Step{Unit::second, 15}, Step{Unit::second, 30}, Step{Unit::minute, 1},  Step{Unit::minute, 2},
    Step{Unit::minute, 5},  Step{Unit::minute, 10}, Step{Unit::minute, 15}, Step{Unit::minute, 30},
    Step{Unit::hour, 1},    Step{Unit::hour, 2},    Step{Unit::hour, 3},    Step{Unit::hour, 6},
    Step{Unit::hour, 12},   Step{Unit::day, 1},     Step{Unit::day, 2},     Step{Unit::day, 7},
    Step{Unit::day, 14},    Step{Unit::month, 1},   Step{Unit::month, 2},   Step{Unit::month, 3},
    Step{Unit::month, 6},   Step{Unit::year, 1},    Step{Unit::year, 2},    Step{Unit::year, 5},
    Step{Unit::year, 10},   Step{Unit::year, 25},   Step{Unit::year, 50},   Step{Unit::year, 100},
    Step{Unit::year, 1000}};

constexpr int maximumTicks = 5;

Step stepFor(std::int64_t span)
{
    for (const Step step : steps) {
        if (span / approximateLength(step) <= maximumTicks) {
            return step;
        }
    }
    return steps.back();
}

std::int64_t floorDiv(std::int64_t value, std::int64_t divisor)
{
    const std::int64_t quotient = value / divisor;
    return (value % divisor != 0 && (value < 0) != (divisor < 0)) ? quotient - 1 : quotient;
}

// The first instant at or after milliseconds whose local wall time is a whole multiple of the step.
std::int64_t nextWallClockMultiple(std::int64_t milliseconds, std::int64_t stepMs, const QTimeZone& zone)
{
    const auto offsetAt = [&](std::int64_t at) {
        return std::int64_t{zone.offsetFromUtc(QDateTime::fromMSecsSinceEpoch(at, QTimeZone::utc()))} * secondMs;
    };
    const std::int64_t offset = offsetAt(milliseconds);
    const std::int64_t local = milliseconds + offset;
    std::int64_t aligned = floorDiv(local + stepMs - 1, stepMs) * stepMs - offset;
    // A change of offset between the two instants (daylight saving) shifts the wall clock; never go backwards.
    return aligned < milliseconds ? aligned + stepMs : aligned;
}

std::vector<std::int64_t> tickTimes(const ChartWindow& window, Step step, const QTimeZone& zone)
{
    std::vector<std::int64_t> times;
    const std::int64_t start = window.startMilliseconds;
    const std::int64_t end = window.endMilliseconds;
    if (step.unit == Unit::second || step.unit == Unit::minute || step.unit == Unit::hour) {
        const std::int64_t length = approximateLength(step);
        for (std::int64_t t = nextWallClockMultiple(start, length, zone); t <= end;
             t = nextWallClockMultiple(t + length, length, zone)) {
            times.push_back(t);
        }
        return times;
    }
    QDate date = QDateTime::fromMSecsSinceEpoch(start, zone).date();
    if (step.unit == Unit::month || step.unit == Unit::year) {
        date = QDate(date.year(), step.unit == Unit::year ? 1 : date.month(), 1);
    }
    for (int guard = 0; guard < 4 * maximumTicks * 31; ++guard) {
        const std::int64_t t = QDateTime(date, QTime(0, 0), zone).toMSecsSinceEpoch();
        if (t > end) {
            break;
        }
        const bool onStep = step.unit == Unit::day     ? date.toJulianDay() % step.count == 0
                            : step.unit == Unit::month ? (date.year() * 12 + date.month() - 1) % step.count == 0
                                                       : date.year() % step.count == 0;
        if (t >= start && onStep) {
            times.push_back(t);
        }
        date = step.unit == Unit::day     ? date.addDays(1)
               : step.unit == Unit::month ? date.addMonths(1)
                                          : date.addYears(1);
    }
    return times;
}

const char16_t* skeletonFor(Unit unit)
{
    switch (unit) {
    case Unit::second:
        return u"jmmss";
    case Unit::minute:
    case Unit::hour:
        return u"jmm";
    case Unit::day:
        return u"MMMd";
    case Unit::month:
        return u"MMMy";
    case Unit::year:
        return u"y";
    }
    return u"jmm";
}

} // namespace

std::vector<ChartTimeTick> chartTimeTicks(const ChartWindow& window)
{
    if (window.endMilliseconds <= window.startMilliseconds) {
        return {};
    }
    const Step step = stepFor(window.endMilliseconds - window.startMilliseconds);
    UErrorCode status = U_ZERO_ERROR;
    const std::unique_ptr<icu::DateFormat> format(
        icu::DateFormat::createInstanceForSkeleton(icu::UnicodeString(skeletonFor(step.unit)), icu::Locale(), status));
    std::vector<ChartTimeTick> ticks;
    for (const std::int64_t t : tickTimes(window, step, QTimeZone::systemTimeZone())) {
        std::string label;
        if (U_SUCCESS(status) && format) {
            icu::UnicodeString text;
            format->format(static_cast<UDate>(t), text);
            text.toUTF8String(label);
        }
        ticks.push_back({t, std::move(label)});
    }
    return ticks;
}

} // namespace tavlen::ui

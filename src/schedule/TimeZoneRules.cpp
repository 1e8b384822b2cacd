#include "TimeZoneRules.h"

#include "PosixTimeZoneRule.h"

#include <date/tz.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <fstream>
#include <limits>
#include <map>
#include <mutex>
#include <optional>

namespace tavlen {

namespace {

// Where the date/tz library finds the zone files on Linux.
constexpr const char* zoneInfoDirectory = "/usr/share/zoneinfo/";
// The start of the first period: early enough for any date, far enough from the limit for sums with offsets.
constexpr std::int64_t earliest = std::numeric_limits<std::int64_t>::min() / 4;
constexpr std::int64_t never = std::numeric_limits<std::int64_t>::max();
// 400 Gregorian years: 146,097 days, after which weekdays and leap years repeat.
constexpr std::int64_t cycleSeconds = 146097LL * 86400;
// How many years a zone's POSIX rule is written out past the last listed transition: one cycle and a margin on
// both sides for wall times up to a day away from their instants.
constexpr int ruleYears = 404;

std::int64_t startOfYear(int year)
{
    return std::chrono::seconds(date::sys_days(date::year{year} / date::January / 1).time_since_epoch()).count();
}

int yearOf(std::int64_t instant)
{
    const auto day = date::floor<date::days>(date::sys_seconds(std::chrono::seconds(instant)));
    return static_cast<int>(date::year_month_day(day).year());
}

// The POSIX rule on the last line of a zone file (format version 2 and later), if it has one.
std::optional<PosixTimeZoneRule> zoneFileRule(const std::string& zoneName)
{
    std::ifstream file(zoneInfoDirectory + zoneName, std::ios::binary);
    char header[5] = {};
    if (!file.read(header, sizeof header) || std::memcmp(header, "TZif", 4) != 0 || header[4] < '2') {
        return std::nullopt;
    }
    // The rule sits between the last two line feeds; it is short, so the file's tail holds it.
    file.seekg(0, std::ios::end);
    const std::streamoff size = file.tellg();
    const std::streamoff tailStart = std::max<std::streamoff>(0, size - 256);
    std::string tail(static_cast<std::size_t>(size - tailStart), '\0');
    file.seekg(tailStart);
    if (!file.read(tail.data(), static_cast<std::streamsize>(tail.size())) || tail.empty() || tail.back() != '\n') {
        return std::nullopt;
    }
    tail.pop_back();
    const auto lineStart = tail.rfind('\n');
    if (lineStart == std::string::npos) {
        return std::nullopt;
    }
    return PosixTimeZoneRule::parse(std::string_view(tail).substr(lineStart + 1));
}

// A table of periods under construction.
class Periods
{
public:
    explicit Periods(std::int32_t firstOffset)
        : m_offsets{firstOffset}
    {}

    // Appends a period unless it changes nothing; one starting where the last started replaces it.
    void append(std::int64_t start, std::int32_t offset)
    {
        if (start == m_starts.back() && m_offsets.size() > 1) {
            m_offsets.back() = offset;
            if (m_offsets[m_offsets.size() - 2] == offset) {
                m_starts.pop_back();
                m_offsets.pop_back();
            }
        } else if (offset != m_offsets.back()) {
            m_starts.push_back(start);
            m_offsets.push_back(offset);
        }
    }

    // Continues the table after `after` with the changes of a POSIX rule, written out from the year that holds
    // `after` for a whole cycle and a margin.
    void continueWith(const PosixTimeZoneRule& rule, std::int64_t after)
    {
        if (!rule.daylight) {
            // The last period lasts; the rule only restates its offset.
            return;
        }
        const int firstYear = yearOf(after);
        std::vector<PosixTimeZoneRule::Transition> future;
        future.reserve(2 * ruleYears);
        for (int year = firstYear; year < firstYear + ruleYears; ++year) {
            const auto both = rule.transitionsIn(year);
            future.insert(future.end(), both.begin(), both.end());
        }
        // A rule whose daylight time lasts all year ends one year at the instant it starts the next; sorting
        // keeps that order, so the start wins.
        std::stable_sort(future.begin(), future.end(), [](const auto& a, const auto& b) { return a.at < b.at; });
        for (const auto& transition : future) {
            if (transition.at > after) {
                append(transition.at, transition.offsetAfter);
            }
        }
        m_cycleStart = startOfYear(firstYear + 2);
    }

    std::shared_ptr<const TimeZoneRules> rules(std::string zoneID)
    {
        return std::make_shared<const TimeZoneRules>(
            std::move(zoneID), std::move(m_starts), std::move(m_offsets), m_cycleStart);
    }

private:
    std::vector<std::int64_t> m_starts{earliest};
    std::vector<std::int32_t> m_offsets;
    std::int64_t m_cycleStart = never;
};

std::shared_ptr<const TimeZoneRules> readZone(const date::time_zone& zone)
{
    const auto last = date::sys_seconds(date::sys_days(date::year::max() / date::December / 31));
    auto info = zone.get_info(date::sys_seconds(date::sys_days(date::year::min() / date::January / 1)));
    Periods periods(static_cast<std::int32_t>(info.offset.count()));
    std::int64_t lastListed = earliest;
    while (info.end < last) {
        info = zone.get_info(info.end);
        lastListed = info.begin.time_since_epoch().count();
        periods.append(lastListed, static_cast<std::int32_t>(info.offset.count()));
    }
    // The date/tz library keeps the last listed offset for ever; the file's own rule says what follows it.
    if (const auto rule = zoneFileRule(zone.name()); rule && lastListed != earliest) {
        periods.continueWith(*rule, lastListed);
    }
    return periods.rules(zone.name());
}

// A zone given as a POSIX rule, as TZ may hold one: the rule's offsets from 1970 on.
std::shared_ptr<const TimeZoneRules> ruleZone(std::string_view text, const PosixTimeZoneRule& rule)
{
    Periods periods(rule.standardOffset);
    periods.continueWith(rule, startOfYear(1970));
    return periods.rules(std::string(text));
}

const date::time_zone* locate(std::string_view zoneID)
{
    if (zoneID.empty()) {
        return nullptr;
    }
    try {
        return date::locate_zone(zoneID);
    } catch (const std::exception&) {
        // Unknown to the database, or no database at all.
        return nullptr;
    }
}

} // namespace

TimeZoneRules::TimeZoneRules(std::string zoneID,
                             std::vector<std::int64_t> starts,
                             std::vector<std::int32_t> offsets,
                             std::int64_t cycleStart)
    : m_zoneID(std::move(zoneID))
    , m_starts(std::move(starts))
    , m_offsets(std::move(offsets))
    , m_cycleStart(cycleStart)
{
    m_localStarts.reserve(m_starts.size());
    for (std::size_t i = 0; i < m_starts.size(); ++i) {
        m_localStarts.push_back(m_starts[i] + m_offsets[i]);
    }
}

std::shared_ptr<const TimeZoneRules> TimeZoneRules::forZone(std::string_view zoneID)
{
    static std::mutex mutex;
    static std::map<std::string, std::shared_ptr<const TimeZoneRules>, std::less<>> known;
    static const auto unknown = std::make_shared<const TimeZoneRules>(
        "Etc/Unknown", std::vector<std::int64_t>{earliest}, std::vector{0}, never);

    const std::lock_guard lock(mutex);
    if (const auto found = known.find(zoneID); found != known.end()) {
        return found->second;
    }
    std::shared_ptr<const TimeZoneRules> rules;
    try {
        if (const date::time_zone* zone = locate(zoneID)) {
            rules = readZone(*zone);
        } else if (const auto rule = PosixTimeZoneRule::parse(zoneID)) {
            rules = ruleZone(zoneID, *rule);
        }
    } catch (const std::exception&) {
        // A zone file that cannot be read.
    }
    if (!rules) {
        return unknown;
    }
    known.emplace(std::string(zoneID), rules);
    return rules;
}

bool TimeZoneRules::isKnownZone(std::string_view zoneID)
{
    return locate(zoneID) != nullptr;
}

std::int64_t TimeZoneRules::withinTable(std::int64_t time) const
{
    if (m_cycleStart == never || time - m_cycleStart < cycleSeconds) {
        return time;
    }
    return time - (time - m_cycleStart) / cycleSeconds * cycleSeconds;
}

std::int32_t TimeZoneRules::offsetAt(std::int64_t instant) const
{
    const std::int64_t time = withinTable(instant);
    const auto next = std::upper_bound(m_starts.begin(), m_starts.end(), time);
    return m_offsets[static_cast<std::size_t>(next - m_starts.begin()) - 1];
}

std::int64_t TimeZoneRules::instantOfLocalTime(std::int64_t local) const
{
    const std::int64_t time = withinTable(local);
    const std::int64_t shift = local - time;
    // The last period that begins on the wall clock at or before the time.
    const auto next = std::upper_bound(m_localStarts.begin(), m_localStarts.end(), time);
    const auto period = static_cast<std::size_t>(next - m_localStarts.begin()) - 1;
    const std::int32_t offset = m_offsets[period];
    if (period + 1 < m_starts.size() && time >= m_starts[period + 1] + offset) {
        // Skipped: the clocks jump from the end of this period over the time.
        return m_starts[period + 1] + shift;
    }
    if (period > 0 && time < m_starts[period] + m_offsets[period - 1]) {
        // Repeated: the previous period shows the time too, earlier.
        return time - m_offsets[period - 1] + shift;
    }
    return time - offset + shift;
}

} // namespace tavlen

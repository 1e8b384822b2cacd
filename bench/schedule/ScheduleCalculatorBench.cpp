#include "ScheduleCalculator.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

using namespace tavlen;

struct Scheduled
{
    ScheduleRule rule;
    ScheduleState state;
};

// 1,000 mixed rules as a scheduler pass meets them: intervals with and without windows and weekday filters, and
// clock-time rules with one to four times, with states started at different moments of the past week.
std::vector<Scheduled> mixedRules(const ScheduleCalculator& calculator, Date now)
{
    std::vector<Scheduled> result;
    result.reserve(1000);
    for (int i = 0; i < 1000; ++i) {
        const Date started = now.addingSeconds(-60.0 * (i * 37 % 10080));
        ScheduleRule rule;
        switch (i % 4) {
        case 0:
            rule = ScheduleRule::every({1 + i % 240, {1, 2, 3, 4, 5, 6, 7}, std::nullopt});
            break;
        case 1:
            rule = ScheduleRule::every({15 + i % 60, {2, 3, 4, 5, 6}, ScheduleWindow{480 + i % 120, 1020 + i % 420}});
            break;
        case 2:
            rule = ScheduleRule::at({{(i * 7) % 1440}, {1, 2, 3, 4, 5, 6, 7}});
            break;
        default:
            rule = ScheduleRule::at({{540, 720 + i % 60, 1020, 1380 + i % 59}, {2, 4, 6}});
            break;
        }
        result.push_back({rule, calculator.startedState(rule, started)});
    }
    return result;
}

void nextDueForThousandRules(benchmark::State& benchState)
{
    const auto calculator = ScheduleCalculator::inZone("Europe/Berlin");
    const Date now = Date::fromSecondsSince1970(1772442000.0); // a Monday morning
    const auto rules = mixedRules(calculator, now);
    for (auto _ : benchState) {
        int due = 0;
        for (const auto& scheduled : rules) {
            const auto occurrence = calculator.nextOccurrence(scheduled.rule, scheduled.state, now);
            due += occurrence && occurrence->due <= now ? 1 : 0;
        }
        benchmark::DoNotOptimize(due);
    }
    benchState.SetItemsProcessed(benchState.iterations() * static_cast<int64_t>(rules.size()));
}

BENCHMARK(nextDueForThousandRules)->Unit(benchmark::kMillisecond);

// The scheduler builds a calculator in the system's current zone for every pass, detecting the zone afresh.
void currentZoneCalculator(benchmark::State& benchState)
{
    for (auto _ : benchState) {
        benchmark::DoNotOptimize(ScheduleCalculator::inCurrentZone());
    }
}

BENCHMARK(currentZoneCalculator)->Unit(benchmark::kMicrosecond);

// The schedule editor's preview of an every-minute rule: the longest preview, 10,080 steps.
void previewEveryMinute(benchmark::State& benchState)
{
    const auto calculator = ScheduleCalculator::inZone("Europe/Berlin");
    const Date now = Date::fromSecondsSince1970(1772442000.0);
    const auto rule = ScheduleRule::every({1, {1, 2, 3, 4, 5, 6, 7}, std::nullopt});
    for (auto _ : benchState) {
        benchmark::DoNotOptimize(calculator.preview(rule, std::nullopt, now));
    }
}

BENCHMARK(previewEveryMinute)->Unit(benchmark::kMillisecond);

} // namespace

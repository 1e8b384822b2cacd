#include "ChartSeriesBuilder.h"

#include <benchmark/benchmark.h>

#include <malloc.h>

#include <cstdio>
#include <string>

namespace tavlen {
namespace {

constexpr int checkCount = 100'000;

Uuid idNumbered(int n, int group)
{
    char text[37];
    std::snprintf(text, sizeof text, "%08x-0000-4000-8000-%012d", n, group);
    return *Uuid::parse(text);
}

// 100,000 checks a minute apart in an all-time window, each with three readings: a price and a rating (numbers)
// and a stock status (a text that changes every seventh check).
const ChartSnapshot& snapshot()
{
    static const ChartSnapshot built = [] {
        const Uuid price = idNumbered(1, 1);
        const Uuid stock = idNumbered(2, 1);
        const Uuid rating = idNumbered(3, 1);
        ChartSnapshot snapshot;
        snapshot.window = {60'000, (checkCount + 1) * 60'000LL};
        snapshot.fields = {ChartField{price, "Price", ReadingFieldType::number, false},
                           ChartField{stock, "Stock", ReadingFieldType::text, false},
                           ChartField{rating, "Rating", ReadingFieldType::number, false}};
        snapshot.samples.reserve(3 * checkCount);
        snapshot.checks.reserve(checkCount);
        for (int i = 1; i <= checkCount; ++i) {
            const Uuid check = idNumbered(i, 0);
            const std::int64_t time = i * 60'000LL;
            snapshot.samples.push_back({check, price, time, i, "Price", ReadingValue::ofNumber(100 + i % 37)});
            snapshot.samples.push_back(
                {check, stock, time, i, "Stock", ReadingValue::ofText(i / 7 % 2 == 0 ? "In stock" : "Sold out")});
            snapshot.samples.push_back({check, rating, time, i, "Rating", ReadingValue::ofNumber(4.5 - i % 5 * 0.1)});
            snapshot.checks.push_back(ChartCheckEvent{check, time, std::nullopt, {price, stock, rating}});
        }
        return snapshot;
    }();
    return built;
}

// The bytes the process's allocations hold now.
double heldBytes()
{
    const struct mallinfo2 info = mallinfo2();
    return static_cast<double>(info.uordblks + info.hblkhd);
}

// Each iteration builds the three series of the snapshot; result_MB is what one result holds. glibc maps large
// blocks afresh for each build and unmaps them when they are freed; where page faults are dear (a loaded virtual
// machine) they are a large part of the time. To see the computation alone, keep the memory in the process:
//   GLIBC_TUNABLES=glibc.malloc.trim_threshold=2000000000:glibc.malloc.mmap_threshold=2000000000
void BM_BuildChartSeries(benchmark::State& state)
{
    const ChartSnapshot& rows = snapshot();
    double resultBytes = 0;
    for (auto _ : state) {
        const double before = heldBytes();
        std::vector<ChartSeries> series = buildChartSeries(rows);
        resultBytes = heldBytes() - before;
        if (series.size() != 3 || series[0].numbers.size() != static_cast<std::size_t>(checkCount)) {
            state.SkipWithError("the series missed readings");
        }
        benchmark::DoNotOptimize(series.data());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(rows.samples.size()));
    state.counters["result_MB"] = resultBytes / 1e6;
}

// The floor beside it: one pass reading every sample's value and every check's fields, building nothing.
void BM_BarePassOverSnapshot(benchmark::State& state)
{
    const ChartSnapshot& rows = snapshot();
    for (auto _ : state) {
        double sum = 0;
        std::size_t touched = 0;
        for (const ChartReading& reading : rows.samples) {
            sum += reading.value.isNumber() ? reading.value.number() : static_cast<double>(reading.value.text().size());
            touched += static_cast<std::size_t>(reading.timeMilliseconds & 1) + reading.fieldName.size();
        }
        for (const ChartCheckEvent& check : rows.checks) {
            touched += check.fieldIDs.size();
        }
        benchmark::DoNotOptimize(sum);
        benchmark::DoNotOptimize(touched);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(rows.samples.size()));
}

BENCHMARK(BM_BuildChartSeries)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BarePassOverSnapshot)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace tavlen

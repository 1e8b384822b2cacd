#include "MonitorCharts.h"

#include "Background.h"
#include "ChartSeriesBuilder.h"
#include "ChartsDataSource.h"
#include "HistoryText.h"
#include "LinkedStopSource.h"
#include "MainThread.h"
#include "MonitorStoreError.h"
#include "Observable.h"
#include "TextCase.h"
#include "Utf8.h"

#include <QPointer>

#include <cstdint>
#include <limits>

namespace tavlen {

namespace {

bool isMissingMonitor(const std::exception_ptr& failure)
{
    try {
        std::rethrow_exception(failure);
    } catch (const MonitorStoreError& error) {
        return error.kind() == MonitorStoreError::Kind::missingMonitor;
    } catch (...) {
        return false;
    }
}

} // namespace

MonitorCharts::MonitorCharts(Uuid monitorID,
                             ChartsDataSource& source,
                             ChartPreset preset,
                             PresetChanged onPresetChanged,
                             QObject* parent,
                             SeriesBuilder builder)
    : QObject(parent)
    , m_monitorID(monitorID)
    , m_preset(preset)
    , m_source(source)
    , m_onPresetChanged(std::move(onPresetChanged))
    , m_builder(builder ? std::move(builder) : SeriesBuilder(&buildChartSeries))
{}

MonitorCharts::~MonitorCharts()
{
    if (m_loadStop) {
        m_loadStop->requestStop();
    }
}

std::vector<ChartSeries> MonitorCharts::filteredSeries() const
{
    const std::string_view wanted = trimWhitespaceAndNewlines(m_filter);
    if (wanted.empty()) {
        return m_series;
    }
    std::vector<ChartSeries> matching;
    for (const ChartSeries& series : m_series) {
        if (containsIgnoringCase(series.field.name, wanted)) {
            matching.push_back(series);
        }
    }
    return matching;
}

void MonitorCharts::setPreset(ChartPreset preset)
{
    TAVLEN_ASSERT_MAIN_THREAD();
    if (preset == m_preset) {
        return;
    }
    m_preset = preset;
    Q_EMIT presetChanged();
    if (m_onPresetChanged) {
        m_onPresetChanged(preset);
    }
}

void MonitorCharts::setFilter(std::string filter)
{
    TAVLEN_ASSERT_MAIN_THREAD();
    if (assignIfChanged(m_filter, filter, utf8Equal)) {
        Q_EMIT filterChanged();
    }
}

QCoro::Task<void> MonitorCharts::load(Date now, std::stop_token token)
{
    TAVLEN_ASSERT_MAIN_THREAD();
    const QPointer<MonitorCharts> alive(this);
    const Uuid request = Uuid::random();
    m_requestID = request;
    if (m_loadStop) {
        m_loadStop->requestStop();
    }
    m_loadStop = std::make_unique<LinkedStopSource>(token);
    const std::stop_token stop = m_loadStop->token();
    const ChartRange range = rangeEndingAt(now);
    if (range != m_loadedRange) {
        setSeries({});
        setWindow(std::nullopt);
        setHasLoaded(false);
    }
    setIsLoading(true);
    setError(std::nullopt);

    std::exception_ptr failure;
    try {
        // The same stop ends the read: a superseded load neither finishes its query nor builds.
        auto reading = m_source.loadSnapshot(m_monitorID, range, stop);
        ChartSnapshot snapshot = co_await std::move(reading);
        if (alive && isCurrent(request, token)) {
            const ChartWindow window = snapshot.window;
            // Stopping the load (the view, a newer load, cancel) stops the build, which tests for it as it goes.
            auto job = [snapshot = std::move(snapshot), stop, build = m_builder] { return build(snapshot, stop); };
            auto task = runInBackground(std::move(job), stop);
            std::vector<ChartSeries> series = co_await std::move(task);
            if (alive && isCurrent(request, token)) {
                apply(range, std::move(series), window);
            }
        }
    } catch (...) {
        failure = std::current_exception();
    }
    if (!alive) {
        co_return;
    }
    if (failure && isCurrent(request, token)) {
        fail(failure);
    }
    if (m_requestID == request) {
        setIsLoading(false);
    }
}

void MonitorCharts::cancel()
{
    TAVLEN_ASSERT_MAIN_THREAD();
    m_requestID = Uuid::random();
    if (m_loadStop) {
        m_loadStop->requestStop();
    }
    setIsLoading(false);
}

ChartRange MonitorCharts::rangeEndingAt(Date now) const
{
    ChartRange range;
    range.endMilliseconds = now.milliseconds();
    if (const auto duration = durationMillisecondsOf(m_preset)) {
        // Saturated for a date no clock gives, so the subtraction cannot overflow.
        const std::int64_t earliest = std::numeric_limits<std::int64_t>::min() + *duration;
        range.startMilliseconds = range.endMilliseconds < earliest ? std::numeric_limits<std::int64_t>::min()
                                                                   : range.endMilliseconds - *duration;
    }
    return range;
}

bool MonitorCharts::isCurrent(const Uuid& request, const std::stop_token& token) const
{
    return m_requestID == request && !token.stop_requested();
}

void MonitorCharts::apply(const ChartRange& range, std::vector<ChartSeries> series, const ChartWindow& window)
{
    setSeries(std::move(series));
    setWindow(window);
    m_loadedRange = range;
    setHasLoaded(true);
}

void MonitorCharts::fail(const std::exception_ptr& failure)
{
    if (isMissingMonitor(failure)) {
        setSeries({});
        setWindow(std::nullopt);
        m_loadedRange.reset();
        setHasLoaded(false);
        setError(std::string(history_text::chartsMonitorGone));
    } else {
        setError(std::string(history_text::chartsLoadFailed));
    }
}

void MonitorCharts::setSeries(std::vector<ChartSeries> series)
{
    m_series = std::move(series);
    Q_EMIT seriesChanged();
}

void MonitorCharts::setWindow(std::optional<ChartWindow> window)
{
    if (assignIfChanged(m_window, window)) {
        Q_EMIT windowChanged();
    }
}

void MonitorCharts::setIsLoading(bool isLoading)
{
    if (assignIfChanged(m_isLoading, isLoading)) {
        Q_EMIT isLoadingChanged();
    }
}

void MonitorCharts::setHasLoaded(bool hasLoaded)
{
    if (assignIfChanged(m_hasLoaded, hasLoaded)) {
        Q_EMIT hasLoadedChanged();
    }
}

void MonitorCharts::setError(std::optional<std::string> error)
{
    // Equal texts by their bytes: the sentences are our own.
    if (assignIfChanged(m_error, error)) {
        Q_EMIT errorChanged();
    }
}

} // namespace tavlen

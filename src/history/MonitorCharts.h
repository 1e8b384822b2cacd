#pragma once

// moc cannot parse the C++20 standard headers that these pull in; it needs none of them.
#ifndef Q_MOC_RUN
#include "ChartPreset.h"
#include "ChartRange.h"
#include "ChartSeries.h"
#include "ChartSnapshot.h"
#include "ChartWindow.h"
#include "Date.h"
#include "Uuid.h"
#endif

#include <QCoroTask>
#include <QObject>

#include <functional>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

namespace tavlen {

class ChartsDataSource;
class LinkedStopSource;

// The Charts tab of one monitor: the chosen range, the field filter, the series of the last load and its window,
// the loading flags and the last failure's sentence. A load reads a snapshot through the data source and builds
// its series off the main thread; only the latest load, and only while its own token is not stopped, changes
// anything. A newer load or cancel stops the read and build of the one before, which would only be thrown away.
// Observable; main thread only. Each setter notifies only on a change, except series, which notifies on every
// assignment.
class MonitorCharts : public QObject
{
    Q_OBJECT

public:
    // Told about every change of the preset, with the new one.
    using PresetChanged = std::function<void(ChartPreset)>;
    // Builds the series of a snapshot off the main thread, testing the token as it goes.
    using SeriesBuilder = std::function<std::vector<ChartSeries>(const ChartSnapshot&, const std::stop_token&)>;

    // source must outlive the model and its loads. The builder is buildChartSeries unless a test gives another.
    MonitorCharts(Uuid monitorID,
                  ChartsDataSource& source,
                  ChartPreset preset,
                  PresetChanged onPresetChanged = {},
                  QObject* parent = nullptr,
                  SeriesBuilder builder = {});
    ~MonitorCharts() override;

    const Uuid& monitorID() const { return m_monitorID; }

    ChartPreset preset() const { return m_preset; }

    // As typed.
    const std::string& filter() const { return m_filter; }

    // One per charted field, in the snapshot's field order.
    const std::vector<ChartSeries>& series() const { return m_series; }

    const std::optional<ChartWindow>& window() const { return m_window; }

    bool isLoading() const { return m_isLoading; }

    // The series and window belong to the current range.
    bool hasLoaded() const { return m_hasLoaded; }

    const std::optional<std::string>& error() const { return m_error; }

    // The series whose field name (not the title) contains the filter, trimmed, ignoring case; all of them for a
    // blank filter.
    std::vector<ChartSeries> filteredSeries() const;

    // A change calls onPresetChanged; it does not load by itself.
    void setPreset(ChartPreset preset);
    void setFilter(std::string filter);

    // Loads the preset's range ending at now. A stop on token (the view's task going away) drops its result and
    // stops building the series. Never throws: a failure shows as error.
    QCoro::Task<void> load(Date now, std::stop_token token = {});
    // The load in flight, whatever it returns, changes nothing and its build stops; isLoading becomes false at once.
    void cancel();

Q_SIGNALS:
    void presetChanged();
    void filterChanged();
    void seriesChanged();
    void windowChanged();
    void isLoadingChanged();
    void hasLoadedChanged();
    void errorChanged();

private:
    ChartRange rangeEndingAt(Date now) const;
    bool isCurrent(const Uuid& request, const std::stop_token& token) const;
    void apply(const ChartRange& range, std::vector<ChartSeries> series, const ChartWindow& window);
    void fail(const std::exception_ptr& failure);

    void setSeries(std::vector<ChartSeries> series);
    void setWindow(std::optional<ChartWindow> window);
    void setIsLoading(bool isLoading);
    void setHasLoaded(bool hasLoaded);
    void setError(std::optional<std::string> error);

    Uuid m_monitorID;
    ChartPreset m_preset;
    std::string m_filter;
    std::vector<ChartSeries> m_series;
    std::optional<ChartWindow> m_window;
    bool m_isLoading = false;
    bool m_hasLoaded = false;
    std::optional<std::string> m_error;
    ChartsDataSource& m_source;
    PresetChanged m_onPresetChanged;
    SeriesBuilder m_builder;
    Uuid m_requestID = Uuid::random();
    // Stops the latest load's build; linked to the token that load was given.
    std::unique_ptr<LinkedStopSource> m_loadStop;
    std::optional<ChartRange> m_loadedRange;
};

} // namespace tavlen

#pragma once

#include "Monitor.h"

#include <cstdint>
#include <functional>

class QString;
class QWidget;

namespace tavlen {
class MonitorWorkspace;
class StepsStore;
} // namespace tavlen

namespace tavlen::ui {

// What a detail tab's content is built from.
struct MonitorTabContext
{
    const Monitor& monitor;
    StepsStore& stepsStore;
    MonitorWorkspace& workspace;
    std::int64_t checksRevision;
};

// A tab's content (owned by the tab view once shown) and how it hears of a new stored-checks revision (may be
// empty when it does not care).
struct MonitorTabContent
{
    QWidget* widget = nullptr;
    std::function<void(std::int64_t)> setChecksRevision;
};

using MonitorTabFactory = std::function<MonitorTabContent(const MonitorTabContext&)>;

// The builders of the Steps, History and Charts tabs; the detail view builds Schedule and Details itself.
struct MonitorTabViews
{
    MonitorTabFactory steps;
    MonitorTabFactory history;
    MonitorTabFactory charts;
};

// The application's tab views.
MonitorTabViews standardMonitorTabViews();

// An empty page with an identifier: what a tab without a builder shows, and what tests give for tabs they do not
// look at.
MonitorTabContent placeholderTab(const QString& identifier);

} // namespace tavlen::ui

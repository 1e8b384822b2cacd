#include "MonitorTabViews.h"

#include "Accessibility.h"
#include "MonitorCharts.h"
#include "MonitorChartsView.h"
#include "MonitorHistory.h"
#include "MonitorHistoryView.h"
#include "MonitorWorkspace.h"
#include "StepsEditorView.h"
#include "StepsStore.h"

#include <QPointer>
#include <QWidget>

namespace tavlen::ui {

namespace {

MonitorTabContent chartsTab(const MonitorTabContext& context)
{
    const Uuid& id = context.monitor.id;
    auto* model = new MonitorCharts(
        id, context.stepsStore, context.workspace.chartPreset(id), context.workspace.chartPresetRecorder(id));
    auto* view = new MonitorChartsView(context.checksRevision, *model);
    // A child of its view, the model outlives the view's own members, its load task among them.
    model->setParent(view);
    return {view, [view = QPointer(view)](std::int64_t revision) {
                if (view) {
                    view->setRevision(revision);
                }
            }};
}

MonitorTabContent stepsTab(const MonitorTabContext& context)
{
    MonitorWorkspace& workspace = context.workspace;
    return {new StepsEditorView(context.monitor.id, context.stepsStore, &workspace, workspace.models().get()), {}};
}

MonitorTabContent historyTab(const MonitorTabContext& context)
{
    auto* model = new MonitorHistory(context.monitor.id, context.stepsStore);
    auto* view = new MonitorHistoryView(context.checksRevision, *model);
    model->setParent(view); // as for the charts
    return {view, [view = QPointer(view)](std::int64_t revision) {
                if (view) {
                    view->setRevision(revision);
                }
            }};
}

} // namespace

MonitorTabContent placeholderTab(const QString& identifier)
{
    auto* widget = new QWidget;
    setIdentifier(widget, identifier);
    return {widget, {}};
}

MonitorTabViews standardMonitorTabViews()
{
    return {stepsTab, historyTab, chartsTab};
}

} // namespace tavlen::ui

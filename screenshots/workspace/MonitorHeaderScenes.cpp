#include "Icons.h"
#include "KitColors.h"
#include "MonitorEditorSession.h"
#include "MonitorEditorView.h"
#include "MonitorProgressRing.h"
#include "MonitorScheduleIndicator.h"
#include "MonitorStatus.h"
#include "Scene.h"
#include "TextStyles.h"

#include <QGridLayout>
#include <QLabel>

namespace tavlen::screenshots {
namespace {

using ui::MonitorStatus;

// Every status as the indicator draws it: symbol or ring, title and tooltip.
std::unique_ptr<QWidget> statusTable()
{
    auto table = std::make_unique<QWidget>();
    auto* grid = new QGridLayout(table.get());
    grid->setContentsMargins(16, 16, 16, 16);
    grid->setHorizontalSpacing(12);
    const std::pair<MonitorStatus, double> rows[] = {
        {MonitorStatus::succeeded, 0},
        {MonitorStatus::failed, 0},
        {MonitorStatus::cancelled, 0},
        {MonitorStatus::notChecked, 0},
        {MonitorStatus::inProgress, 0.4},
        {MonitorStatus::stopping, 0.8},
        {MonitorStatus::savingResults, 1},
        {MonitorStatus::queued, 0},
        {MonitorStatus::storageFailed, 0},
        {MonitorStatus::statusUnavailable, 0},
        {MonitorStatus::modelRequired, 0},
    };
    int row = 0;
    for (const auto& [status, fraction] : rows) {
        const std::optional<StepsExecutionProgress> progress =
            status == MonitorStatus::inProgress ? std::optional(StepsExecutionProgress{2, 5, 2}) : std::nullopt;
        for (const double diameter : {18.0, 32.0}) {
            QWidget* symbol = nullptr;
            if (ui::showsProgressRing(status)) {
                auto* ring = new ui::MonitorProgressRing(diameter, table.get(), [] { return 0.2; });
                ring->setFractionCompleted(fraction);
                symbol = ring;
            } else {
                auto* label = new QLabel(table.get());
                const int side = diameter > 20 ? 28 : 13;
                label->setPixmap(ui::kitIconPixmap(
                    ui::monitorStatusSymbol(status), ui::primaryColor(table->palette()), QSize(side, side), 2));
                symbol = label;
            }
            grid->addWidget(symbol, row, diameter > 20 ? 1 : 0, Qt::AlignCenter);
        }
        auto* title = new QLabel(ui::monitorStatusTitle(status, progress), table.get());
        title->setFont(ui::textStyleFont(ui::TextStyle::body));
        grid->addWidget(title, row, 2);
        ++row;
    }
    return table;
}

std::unique_ptr<QWidget> scheduleIndicators()
{
    auto table = std::make_unique<QWidget>();
    auto* grid = new QGridLayout(table.get());
    grid->setContentsMargins(16, 16, 16, 16);
    Monitor monitor;
    monitor.name = "Prices";
    for (const bool enabled : {true, false}) {
        monitor.schedule.preferences.scheduleEnabled = enabled;
        grid->addWidget(new ui::MonitorScheduleIndicator(
                            monitor, std::nullopt, ui::MonitorScheduleIndicator::Size::sidebar, table.get()),
                        enabled ? 0 : 1,
                        0);
        grid->addWidget(new ui::MonitorScheduleIndicator(
                            monitor, std::nullopt, ui::MonitorScheduleIndicator::Size::detail, table.get()),
                        enabled ? 0 : 1,
                        1);
    }
    return table;
}

std::unique_ptr<QWidget>
editor(const std::string& name, bool validate, bool busy, std::optional<MonitorStoreError> error)
{
    auto session = std::make_shared<MonitorEditorSession>();
    session->setName(name);
    session->setSaveError(std::move(error));
    auto view = std::make_unique<ui::MonitorEditorView>(session, ui::MonitorEditorView::Actions{});
    view->setCanSave(true);
    view->setBusy(busy);
    if (validate) {
        view->create();
    }
    return view;
}

const SceneRegistrar statuses{QStringLiteral("workspace-monitor-status"), statusTable};
const SceneRegistrar eyes{QStringLiteral("workspace-schedule-indicator"), scheduleIndicators};
const SceneRegistrar editorEmpty{QStringLiteral("workspace-new-monitor-empty"),
                                 [] { return editor("", false, false, std::nullopt); }};
const SceneRegistrar editorInvalid{QStringLiteral("workspace-new-monitor-invalid"),
                                   [] { return editor(" ", true, false, std::nullopt); }};
const SceneRegistrar editorSaving{QStringLiteral("workspace-new-monitor-saving"),
                                  [] { return editor("Prices", false, true, std::nullopt); }};
const SceneRegistrar editorFailed{QStringLiteral("workspace-new-monitor-storage-error"),
                                  [] { return editor("Prices", false, false, MonitorStoreError::storage()); }};

} // namespace
} // namespace tavlen::screenshots

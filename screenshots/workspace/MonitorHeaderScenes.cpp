#include "Icons.h"
#include "KitColors.h"
#include "MonitorControlsState.h"
#include "MonitorEditorSession.h"
#include "MonitorEditorView.h"
#include "MonitorProgressRing.h"
#include "MonitorScheduleIndicator.h"
#include "MonitorStatus.h"
#include "Scene.h"
#include "TavlenButton.h"
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

// The header's buttons in each state, as the controls derive them.
std::unique_ptr<QWidget> controlStates()
{
    auto table = std::make_unique<QWidget>();
    auto* grid = new QGridLayout(table.get());
    grid->setContentsMargins(16, 16, 16, 16);
    const auto button = [&](const ui::ControlButtonLook& look) {
        auto* widget = new ui::TavlenButton(
            look.title, {ui::TavlenButtonStyle::Variant::standard, ui::TavlenButtonStyle::Size::regular}, table.get());
        widget->setSymbolName(look.symbol);
        widget->setBusy(look.busy);
        widget->setEnabled(look.enabled);
        return widget;
    };
    ui::MonitorControlsFacts ready;
    ui::MonitorControlsFacts blocked;
    blocked.unavailableReason = "Save monitor changes before running.";
    blocked.hasUnsavedChanges = true;
    blocked.canSave = true;
    blocked.canDiscard = true;
    ui::MonitorControlsFacts running;
    running.isRunning = true;
    ui::MonitorControlsFacts stopping;
    stopping.isStopping = true;
    ui::MonitorControlsFacts savingResults;
    savingResults.isSavingResults = true;
    ui::MonitorControlsFacts saving;
    saving.isSaving = true;
    ui::MonitorControlsFacts discarding;
    discarding.isDiscarding = true;
    int row = 0;
    for (const auto& facts : {ready, blocked, running, stopping, savingResults, saving, discarding}) {
        grid->addWidget(button(ui::checkButtonLook(facts)), row, 0);
        if (facts.hasEdits()) {
            grid->addWidget(button(ui::discardButtonLook(facts)), row, 1);
            grid->addWidget(button(ui::saveButtonLook(facts)), row, 2);
        }
        ++row;
    }
    return table;
}

const SceneRegistrar controls{QStringLiteral("workspace-monitor-controls"), controlStates};
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

#include "MonitorControls.h"

#include "Accessibility.h"
#include "AlertPresenter.h"
#include "MonitorChangesDraft.h"
#include "MonitorCheckStore.h"
#include "MonitorWorkspace.h"
#include "StepsDraft.h"
#include "StepsExecutionMode.h"
#include "StepsSession.h"
#include "StepsStore.h"
#include "TaskHandle.h"
#include "TavlenButton.h"
#include "WorkspaceViewText.h"

#include <QHBoxLayout>
#include <QKeySequence>
#include <QShortcut>

namespace tavlen::ui {

namespace {

constexpr TavlenButtonStyle controlStyle{TavlenButtonStyle::Variant::standard, TavlenButtonStyle::Size::regular};

void apply(TavlenButton* button, const ControlButtonLook& look)
{
    button->setText(look.title);
    button->setSymbolName(look.symbol);
    button->setBusy(look.busy);
    button->setEnabled(look.enabled);
    button->setToolTip(look.tooltip);
    button->setAccessibleName(look.title);
}

// Starts an operation whose outcome comes back only through observed state.

} // namespace

MonitorControls::MonitorControls(Uuid monitorID, StepsStore& store, MonitorWorkspace& workspace, QWidget* parent)
    : QWidget(parent)
    , m_monitorID(monitorID)
    , m_store(store)
    , m_workspace(workspace)
    , m_checkButton(new TavlenButton(controlStyle, this))
    , m_discardButton(new TavlenButton(controlStyle, this))
    , m_saveButton(new TavlenButton(controlStyle, this))
    , m_discardAlert(new AlertPresenter(this))
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    layout->addWidget(m_checkButton);
    layout->addSpacing(8);
    layout->addStretch(1);
    layout->addWidget(m_discardButton);
    layout->addWidget(m_saveButton);
    setIdentifier(m_checkButton, QStringLiteral("monitor-check-button"));
    setIdentifier(m_discardButton, QStringLiteral("monitor-discard-button"));
    setIdentifier(m_saveButton, QStringLiteral("monitor-save-button"));

    connect(m_checkButton, &QAbstractButton::clicked, this, &MonitorControls::checkOrStop);
    connect(m_discardButton, &QAbstractButton::clicked, this, [this] { setConfirmsDiscardChanges(true); });
    connect(m_saveButton, &QAbstractButton::clicked, this, &MonitorControls::save);
    auto* saveShortcut = new QShortcut(QKeySequence::Save, this);
    saveShortcut->setContext(Qt::WindowShortcut);
    connect(saveShortcut, &QShortcut::activated, this, [this] {
        if (m_saveButton->isVisible() && m_saveButton->isEnabled()) {
            save();
        }
    });
    connect(m_discardAlert, &AlertPresenter::dismissed, this, [this] { setConfirmsDiscardChanges(false); });

    const auto update = [this] { refresh(); };
    const StepsStoreState& state = m_store.state();
    connect(&state, &StepsStoreState::activeMonitorIDChanged, this, update);
    connect(&state, &StepsStoreState::cancellingMonitorIDChanged, this, update);
    connect(&state, &StepsStoreState::operationIDChanged, this, update);
    connect(&state, &StepsStoreState::isNavigatingChanged, this, update);
    connect(&state, &StepsStoreState::modelsChanged, this, update);
    connect(&m_store.results(), &MonitorCheckStore::storingResultsChanged, this, update);
    connect(&m_workspace, &MonitorWorkspaceState::changeActivityChanged, this, update);
    connect(&m_workspace, &MonitorWorkspaceState::changeDraftsChanged, this, update);
    connect(&m_workspace, &MonitorWorkspaceState::isBusyChanged, this, update);
    connect(&m_workspace, &MonitorWorkspaceState::loadStateChanged, this, update);
    connect(&m_workspace, &MonitorWorkspaceState::editorChanged, this, update);
    connect(&m_workspace, &MonitorWorkspaceState::deletionCandidateChanged, this, update);
    if (const auto draft = m_workspace.changeDraft(m_monitorID)) {
        connect(draft.get(), &MonitorChangesDraft::hasUnsavedChangesChanged, this, update);
        connect(draft.get(), &MonitorChangesDraft::saveErrorChanged, this, update);
    }
    connect(&state, &StepsStoreState::sessionsChanged, this, &MonitorControls::watchSession);
    watchSession();
}

void MonitorControls::watchSession()
{
    for (const auto& connection : m_sessionConnections) {
        disconnect(connection);
    }
    m_sessionConnections.clear();
    if (const auto session = m_store.state().session(m_monitorID)) {
        const auto update = [this] { refresh(); };
        for (const auto signal : {&StepsSession::versionChanged,
                                  &StepsSession::isLoadingChanged,
                                  &StepsSession::isSavingChanged,
                                  &StepsSession::errorChanged,
                                  &StepsSession::needsReconciliationChanged,
                                  &StepsSession::baselineChanged}) {
            m_sessionConnections.push_back(connect(session.get(), signal, this, update));
        }
        m_sessionConnections.push_back(
            connect(session.get(), &StepsSession::draftChanged, this, [this] { watchSession(); }));
        if (session->draft()) {
            m_sessionConnections.push_back(connect(session->draft().get(), &StepsDraft::revisionChanged, this, update));
        }
    }
    refresh();
}

void MonitorControls::checkOrStop()
{
    if (MonitorControlsFacts::of(m_monitorID, m_store, m_workspace).isRunning) {
        m_store.cancelExecution(m_monitorID);
        return;
    }
    if (!m_store.unavailableReason(m_monitorID)) {
        m_store.startExecution(m_monitorID, StepsExecutionMode::manualCheck());
    }
}

void MonitorControls::save()
{
    // Not bound to the view: the save runs to its end, and its outcome comes back through observed state.
    TaskHandle<bool>([this](std::stop_token) { return m_workspace.saveChanges(m_monitorID); });
}

void MonitorControls::discard()
{
    TaskHandle<bool>([this](std::stop_token) { return m_workspace.discardChanges(m_monitorID); });
}

void MonitorControls::setConfirmsDiscardChanges(bool confirms)
{
    if (confirms == m_confirmsDiscardChanges) {
        return;
    }
    m_confirmsDiscardChanges = confirms;
    if (!confirms) {
        m_discardAlert->present(std::nullopt);
        return;
    }
    m_discardAlert->present(
        AlertContent{text::discardMonitorTitle,
                     text::discardMonitorMessage,
                     {{text::cancel, AlertButtonRole::cancel, {}},
                      {text::discardChanges, AlertButtonRole::destructive, [this] { discard(); }}}});
}

void MonitorControls::refresh()
{
    const MonitorControlsFacts facts = MonitorControlsFacts::of(m_monitorID, m_store, m_workspace);
    apply(m_checkButton, checkButtonLook(facts));
    const bool showsEdits = facts.hasEdits();
    m_discardButton->setVisible(showsEdits);
    m_saveButton->setVisible(showsEdits);
    apply(m_discardButton, discardButtonLook(facts));
    apply(m_saveButton, saveButtonLook(facts));
    m_saveButton->setAccessibleDescription(saveStatusText(facts));
}

} // namespace tavlen::ui

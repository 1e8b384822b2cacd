#include "MonitorSchedulePanes.h"

#include "Accessibility.h"
#include "Icons.h"
#include "KitColors.h"
#include "MonitorChangesDraft.h"
#include "MonitorCheckStore.h"
#include "MonitorSaveErrorView.h"
#include "MonitorScheduler.h"
#include "MonitorWorkspace.h"
#include "QtText.h"
#include "ScheduleEditing.h"
#include "ScheduleEditorFields.h"
#include "StepsStore.h"
#include "TaskHandle.h"
#include "TavlenButton.h"
#include "TextStyles.h"
#include "WorkspaceViewText.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>

namespace tavlen::ui {

namespace {

constexpr TavlenButtonStyle paneButton{TavlenButtonStyle::Variant::standard, TavlenButtonStyle::Size::regular};

QLabel* secondaryText(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, secondaryColor(parent->palette()));
    label->setPalette(palette);
    return label;
}

// Whether the workspace's latest focus request names this monitor's tab.
bool focusNames(const MonitorWorkspace& workspace, const Uuid& monitorID, MonitorDetailTab tab)
{
    const auto& focus = workspace.editFocus();
    return focus && focus->monitorID == monitorID && focus->tab == tab;
}

QWidget* pageOf(QScrollArea* area)
{
    auto* page = new QWidget;
    area->setWidget(page);
    area->setWidgetResizable(true);
    area->setFrameShape(QFrame::NoFrame);
    return page;
}

} // namespace

MonitorScheduleView::MonitorScheduleView(Monitor monitor,
                                         std::shared_ptr<MonitorChangesDraft> draft,
                                         MonitorWorkspace& workspace,
                                         StepsStore& stepsStore,
                                         MonitorScheduler* scheduler,
                                         QWidget* parent)
    : QScrollArea(parent)
    , m_monitor(std::move(monitor))
    , m_draft(std::move(draft))
    , m_workspace(workspace)
    , m_store(stepsStore)
    , m_scheduler(scheduler)
{
    setIdentifier(this, QStringLiteral("monitor-schedule-pane"));
    QWidget* page = pageOf(this);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(20, 12, 20, 20);
    m_editor = new ScheduleEditorFields(m_draft->schedule(), page);
    layout->addWidget(m_editor);
    layout->addWidget(secondaryText(text::saveToApplySchedule, page));
    m_statusNote = new QLabel(page);
    setIdentifier(m_statusNote, QStringLiteral("schedule-status-note"));
    layout->addWidget(m_statusNote);
    m_storeError = new QWidget(page);
    auto* storeError = new QVBoxLayout(m_storeError);
    storeError->setContentsMargins(0, 0, 0, 0);
    m_storeErrorText = new QLabel(m_storeError);
    m_storeErrorText->setWordWrap(true);
    setIdentifier(m_storeErrorText, QStringLiteral("schedule-waiting-to-store"));
    m_retryResults = new TavlenButton(text::retrySavingResults, paneButton, m_storeError);
    setIdentifier(m_retryResults, QStringLiteral("schedule-retry-saving-results"));
    storeError->addWidget(m_storeErrorText);
    storeError->addWidget(m_retryResults, 0, Qt::AlignLeft);
    layout->addWidget(m_storeError);
    layout->addWidget(new MonitorSaveErrorView(m_monitor.id, m_draft, m_workspace, m_store, page));
    layout->addStretch(1);

    connect(m_editor, &ScheduleEditorFields::draftEdited, this, [this](const ScheduleDraft& edited) {
        m_draft->setSchedule(edited);
    });
    connect(m_retryResults, &QAbstractButton::clicked, this, [this] {
        TaskHandle<void>([this](std::stop_token) { return m_store.retryStoringResult(m_monitor.id); });
    });
    const auto update = [this] { refresh(); };
    connect(m_draft.get(), &MonitorChangesDraft::scheduleChanged, this, update);
    connect(m_draft.get(), &MonitorChangesDraft::showsScheduleValidationChanged, this, update);
    for (const auto signal : {&MonitorWorkspaceState::isBusyChanged,
                              &MonitorWorkspaceState::loadStateChanged,
                              &MonitorWorkspaceState::editorChanged,
                              &MonitorWorkspaceState::deletionCandidateChanged,
                              &MonitorWorkspaceState::changeDraftsChanged}) {
        connect(&m_workspace, signal, this, update);
    }
    connect(m_draft.get(), &MonitorChangesDraft::saveErrorChanged, this, update);
    connect(&m_store.state(), &StepsStoreState::isNavigatingChanged, this, update);
    connect(&m_store.state(), &StepsStoreState::activeMonitorIDChanged, this, update);
    connect(&m_store.state(), &StepsStoreState::sessionsChanged, this, update);
    connect(&m_store.results(), &MonitorCheckStore::resultStorageErrorsChanged, this, update);
    connect(&m_store.results(), &MonitorCheckStore::storingResultsChanged, this, update);
    if (m_scheduler) {
        connect(m_scheduler, &MonitorScheduler::snapshotChanged, this, update);
        connect(m_scheduler, &MonitorScheduler::timeZoneChanged, m_editor, &ScheduleEditorFields::refreshPreview);
    }
    connect(&m_workspace, &MonitorWorkspaceState::editFocusChanged, this, &MonitorScheduleView::followEditFocus);
    refresh();
    // Once laid out, so the control can be centred.
    QTimer::singleShot(0, this, &MonitorScheduleView::followEditFocus);
}

void MonitorScheduleView::setMonitor(const Monitor& monitor)
{
    m_monitor = monitor;
    refresh();
}

void MonitorScheduleView::refresh()
{
    const ScheduleSnapshot* snapshot = m_scheduler ? &m_scheduler->snapshot() : nullptr;
    m_editor->setDraft(m_draft->schedule());
    m_editor->setShowsErrors(m_draft->showsScheduleValidation());
    m_editor->setRuntimeState(scheduleRuntimeState(m_draft->schedule(), m_monitor, snapshot));
    m_editor->setEnabled(m_workspace.canEditChanges(m_monitor.id));

    const auto note = scheduleStatusNote(snapshot, m_monitor.id);
    m_statusNote->setVisible(note.has_value());
    if (note) {
        m_statusNote->setText(note->text);
        m_statusNote->setToolTip(note->text);
    }

    const auto& errors = m_store.results().resultStorageErrors();
    const auto error = errors.find(m_monitor.id);
    m_storeError->setVisible(error != errors.end());
    if (error != errors.end()) {
        m_storeErrorText->setText(text::waitingToStore + toQString(error->second.errorDescription()));
    }
    m_retryResults->setEnabled(!m_store.isBusy() && !m_store.isNavigating());
}

void MonitorScheduleView::followEditFocus()
{
    if (!focusNames(m_workspace, m_monitor.id, MonitorDetailTab::schedule)) {
        return;
    }
    const ScheduleDraft::Field field = scheduleFocusTarget(m_draft->schedule());
    QWidget* target = m_editor->fieldWidget(field);
    // Centred: a margin of half the viewport around the control.
    const int margin = std::max(0, (viewport()->height() - target->height()) / 2);
    ensureWidgetVisible(target, 0, margin);
    m_editor->focusField(field);
}

MonitorDetailsView::MonitorDetailsView(Monitor monitor,
                                       std::shared_ptr<MonitorChangesDraft> draft,
                                       MonitorWorkspace& workspace,
                                       StepsStore& stepsStore,
                                       QWidget* parent)
    : QScrollArea(parent)
    , m_monitor(std::move(monitor))
    , m_draft(std::move(draft))
    , m_workspace(workspace)
    , m_store(stepsStore)
{
    setIdentifier(this, QStringLiteral("monitor-details-pane"));
    QWidget* page = pageOf(this);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(20, 20, 20, 20);
    layout->setSpacing(24);

    auto* nameSection = new QVBoxLayout;
    nameSection->setSpacing(8);
    auto* nameTitle = new QLabel(text::monitorName, page);
    nameTitle->setFont(textStyleFont(TextStyle::headline));
    nameSection->addWidget(nameTitle);
    m_name = new QLineEdit(page);
    m_name->setPlaceholderText(text::monitorName);
    setAccessibility(m_name, text::monitorName, text::monitorNameHint);
    setIdentifier(m_name, QStringLiteral("monitor-name-field"));
    nameSection->addWidget(m_name);
    nameSection->addWidget(new MonitorSaveErrorView(m_monitor.id, m_draft, m_workspace, m_store, page));
    layout->addLayout(nameSection);

    auto* divider = new QFrame(page);
    divider->setFrameShape(QFrame::HLine);
    layout->addWidget(divider);

    auto* danger = new QVBoxLayout;
    danger->setSpacing(12);
    auto* dangerTitle = new QLabel(text::dangerZone, page);
    dangerTitle->setFont(textStyleFont(TextStyle::headline));
    danger->addWidget(dangerTitle);
    danger->addWidget(secondaryText(text::deleteWarning, page));
    m_delete = new TavlenButton(text::deleteMonitor, paneButton, page);
    m_delete->setRole(ButtonRole::destructive);
    setIdentifier(m_delete, QStringLiteral("monitor-delete-button"));
    danger->addWidget(m_delete, 0, Qt::AlignLeft);
    layout->addLayout(danger);
    layout->addStretch(1);

    connect(m_name, &QLineEdit::textEdited, this, [this](const QString& name) { m_draft->setName(fromQString(name)); });
    connect(m_delete, &QAbstractButton::clicked, this, [this] {
        if (m_workspace.canStartAction()) {
            m_workspace.setDeletionCandidate(m_monitor);
        }
    });
    const auto update = [this] { refresh(); };
    connect(m_draft.get(), &MonitorChangesDraft::nameChanged, this, update);
    connect(m_draft.get(), &MonitorChangesDraft::saveErrorChanged, this, update);
    for (const auto signal : {&MonitorWorkspaceState::isBusyChanged,
                              &MonitorWorkspaceState::loadStateChanged,
                              &MonitorWorkspaceState::editorChanged,
                              &MonitorWorkspaceState::deletionCandidateChanged,
                              &MonitorWorkspaceState::changeDraftsChanged}) {
        connect(&m_workspace, signal, this, update);
    }
    connect(&m_store.state(), &StepsStoreState::isNavigatingChanged, this, update);
    connect(&m_store.state(), &StepsStoreState::activeMonitorIDChanged, this, update);
    connect(&m_store.state(), &StepsStoreState::sessionsChanged, this, update);
    connect(&m_workspace, &MonitorWorkspaceState::editFocusChanged, this, &MonitorDetailsView::followEditFocus);
    refresh();
    QTimer::singleShot(0, this, &MonitorDetailsView::followEditFocus);
}

void MonitorDetailsView::refresh()
{
    const QString name = toQString(m_draft->name());
    if (m_name->text() != name) {
        m_name->setText(name);
    }
    m_name->setEnabled(m_workspace.canEditChanges(m_monitor.id));
    m_delete->setEnabled(m_workspace.canStartAction() && !m_store.isNavigating());
}

void MonitorDetailsView::followEditFocus()
{
    if (focusNames(m_workspace, m_monitor.id, MonitorDetailTab::details)) {
        m_name->setFocus(Qt::OtherFocusReason);
    }
}

} // namespace tavlen::ui

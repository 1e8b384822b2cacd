#include "StepsEditorView.h"

#include "AlertPresenter.h"
#include "ContentUnavailableView.h"
#include "MonitorWorkspace.h"
#include "ProgressSpinner.h"
#include "QtText.h"
#include "StepsDiagramView.h"
#include "StepsEditorText.h"
#include "StepsSession.h"
#include "StepsStore.h"
#include "StepsWarningBanner.h"
#include "TaskHandle.h"
#include "TavlenButton.h"

#include <QLabel>
#include <QVBoxLayout>

namespace tavlen::ui {

namespace {

// Starts a store or workspace operation that the view does not await: its outcome comes back through the
// observed session and store state.
void startDetached(std::function<QCoro::Task<void>()> operation)
{
    TaskHandle<void>([operation = std::move(operation)](std::stop_token) { return operation(); });
}

QWidget* makeLoadingView(QWidget* parent)
{
    auto* view = new QWidget(parent);
    auto* layout = new QVBoxLayout(view);
    layout->setAlignment(Qt::AlignCenter);
    layout->setSpacing(8);
    layout->addWidget(new ProgressSpinner(ProgressSpinner::Size::regular, view), 0, Qt::AlignHCenter);
    auto* title = new QLabel(text::loadingSteps(), view);
    layout->addWidget(title, 0, Qt::AlignHCenter);
    view->setObjectName(QStringLiteral("steps-loading"));
    return view;
}

} // namespace

StepsEditorView::StepsEditorView(
    Uuid monitorID, StepsStore& store, MonitorWorkspace* workspace, ModelSettings* models, QWidget* parent)
    : QWidget(parent)
    , m_monitorID(monitorID)
    , m_store(store)
    , m_workspace(workspace)
    , m_models(models)
    , m_content(new QWidget(this))
    , m_loading(makeLoadingView(m_content))
    , m_unavailable(new ContentUnavailableView(
          QStringLiteral("exclamationmark.triangle"), text::stepsUnavailable(), {}, m_content))
    , m_resultBanner(new StepsWarningBanner(m_content))
    , m_storageBanner(new StepsWarningBanner(m_content))
    , m_layout(new QVBoxLayout(m_content))
    , m_alert(new AlertPresenter(this))
    , m_load(this, [store = &store](Uuid id, std::stop_token) { return store->loadSteps(id, false); })
{
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(m_content);
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(0);
    m_layout->addWidget(m_resultBanner);
    m_layout->addWidget(m_storageBanner);
    m_layout->addWidget(m_loading, 1);
    m_layout->addWidget(m_unavailable, 1);

    auto* retry = new TavlenButton(
        text::retry(), TavlenButtonStyle{TavlenButtonStyle::Variant::standard, TavlenButtonStyle::Size::regular});
    retry->setObjectName(QStringLiteral("steps-retry-load"));
    m_unavailable->addActionWidget(retry);
    m_unavailable->setObjectName(QStringLiteral("steps-unavailable"));
    m_resultBanner->setObjectName(QStringLiteral("steps-result-banner"));
    m_resultBanner->button()->setText(text::retrySavingResults());
    m_storageBanner->setObjectName(QStringLiteral("steps-storage-banner"));

    connect(retry, &QAbstractButton::clicked, this, [this] {
        startDetached([store = &m_store, id = m_monitorID] { return store->loadSteps(id, false); });
    });
    connect(m_resultBanner->button(), &QAbstractButton::clicked, this, [this] {
        startDetached([store = &m_store, id = m_monitorID] { return store->retryStoringResult(id); });
    });
    connect(m_storageBanner->button(), &QAbstractButton::clicked, this, [this] {
        switch (m_presentation.storageAction.value_or(StepsStorageAction::reloadSaved)) {
        case StepsStorageAction::retryStorage:
            retryStorage();
            break;
        case StepsStorageAction::retrySave:
            retrySave();
            break;
        case StepsStorageAction::reloadSaved:
            setConfirmsReload(true);
            break;
        }
    });
    connect(m_alert, &AlertPresenter::dismissed, this, [this] { setConfirmsReload(false); });

    const StepsStoreState& state = m_store.state();
    connect(&state, &StepsStoreState::sessionsChanged, this, &StepsEditorView::observeSession);
    connect(&state, &StepsStoreState::isNavigatingChanged, this, &StepsEditorView::refresh);
    connect(&state, &StepsStoreState::operationIDChanged, this, &StepsEditorView::refresh);
    connect(&m_store.results(), &MonitorCheckStore::resultStorageErrorsChanged, this, &StepsEditorView::refresh);
    connect(&m_store.results(), &MonitorCheckStore::storingResultsChanged, this, &StepsEditorView::refresh);
    if (m_workspace) {
        connect(m_workspace, &MonitorWorkspaceState::isBusyChanged, this, &StepsEditorView::refresh);
    }
    observeSession();
    m_load.setKey(m_monitorID);
}

StepsEditorView::~StepsEditorView() = default;

void StepsEditorView::observeSession()
{
    std::shared_ptr<StepsSession> session = m_store.state().session(m_monitorID);
    if (session != m_session) {
        if (m_session) {
            disconnect(m_session.get(), nullptr, this, nullptr);
        }
        m_session = std::move(session);
        if (m_session) {
            const StepsSession* observed = m_session.get();
            for (auto signal : {&StepsSession::draftChanged,
                                &StepsSession::isLoadingChanged,
                                &StepsSession::isSavingChanged,
                                &StepsSession::errorChanged,
                                &StepsSession::needsReconciliationChanged}) {
                connect(observed, signal, this, &StepsEditorView::refresh);
            }
        }
    }
    refresh();
}

StepsEditorInputs StepsEditorView::inputs() const
{
    StepsEditorInputs inputs;
    inputs.hasResultError = m_store.results().resultStorageErrors().contains(m_monitorID);
    inputs.isNavigating = m_store.isNavigating();
    if (m_session) {
        inputs.hasSession = true;
        inputs.hasDraft = m_session->draft() != nullptr;
        inputs.isLoading = m_session->isLoading();
        inputs.isSaving = m_session->isSaving();
        inputs.needsReconciliation = m_session->needsReconciliation();
        inputs.error = m_session->error();
    }
    return inputs;
}

void StepsEditorView::refresh()
{
    using Content = StepsEditorPresentation::Content;
    m_presentation = stepsEditorPresentation(inputs());
    m_content->setEnabled(!(m_workspace && m_workspace->isBusy()));

    const bool showsDiagram = m_presentation.content == Content::diagram;
    m_loading->setVisible(m_presentation.content == Content::loading);
    m_unavailable->setVisible(m_presentation.content == Content::unavailable);
    if (m_presentation.content == Content::unavailable) {
        m_unavailable->setDescription(toQString(m_session->error()->errorDescription()));
        m_unavailable->findChild<TavlenButton*>(QStringLiteral("steps-retry-load"))
            ->setEnabled(m_presentation.isRetryEnabled);
    }

    m_resultBanner->setVisible(m_presentation.showsResultBanner);
    if (m_presentation.showsResultBanner) {
        m_resultBanner->setMessage(
            text::resultsNotStoredPrefix() +
            toQString(m_store.results().resultStorageErrors().at(m_monitorID).errorDescription()));
        m_resultBanner->button()->setEnabled(!m_store.isBusy() && !m_store.isNavigating());
    }

    const auto& action = m_presentation.storageAction;
    m_storageBanner->setVisible(action.has_value());
    if (action) {
        const auto& error = m_session->error();
        m_storageBanner->setMessage(error ? toQString(error->errorDescription()) : text::savedStepsInDoubt());
        switch (*action) {
        case StepsStorageAction::retryStorage:
            m_storageBanner->button()->setText(text::retryStorage());
            break;
        case StepsStorageAction::retrySave:
            m_storageBanner->button()->setText(text::retrySave());
            break;
        case StepsStorageAction::reloadSaved:
            m_storageBanner->button()->setText(m_workspace ? text::reloadSavedMonitor() : text::reloadSavedSteps());
            break;
        }
        m_storageBanner->setEnabled(m_presentation.isStorageBannerEnabled);
    }

    if (showsDiagram) {
        showDiagram(m_session);
        m_diagram->setEnabled(m_presentation.isDiagramEnabled);
    } else if (m_diagram) {
        m_diagram->deleteLater();
        m_diagram = nullptr;
        m_shownDraft.reset();
    }
}

void StepsEditorView::showDiagram(const std::shared_ptr<StepsSession>& session)
{
    if (m_diagram && m_shownDraft == session->draft()) {
        return;
    }
    if (m_diagram) {
        m_diagram->deleteLater();
    }
    m_shownDraft = session->draft();
    m_diagram = new StepsDiagramView(m_monitorID, m_shownDraft, m_store, session, m_models, m_content);
    m_layout->addWidget(m_diagram, 1);
    m_diagram->show();
}

void StepsEditorView::setConfirmsReload(bool confirms)
{
    if (confirms == m_confirmsReload) {
        return;
    }
    m_confirmsReload = confirms;
    if (!confirms) {
        m_alert->present(std::nullopt);
        return;
    }
    m_alert->present(
        AlertContent{m_workspace ? text::reloadSavedMonitorQuestion() : text::reloadSavedStepsQuestion(),
                     text::reloadMessage(),
                     {{text::cancel(), AlertButtonRole::cancel, {}},
                      {text::discardAndReload(), AlertButtonRole::destructive, [this] { discardAndReload(); }}}});
}

void StepsEditorView::retryStorage()
{
    if (m_workspace) {
        startDetached([workspace = m_workspace, id = m_monitorID] { return workspace->retryStorage(id); });
    } else {
        startDetached([store = &m_store, id = m_monitorID] { return store->reloadSteps(id); });
    }
}

void StepsEditorView::retrySave()
{
    if (m_workspace) {
        startDetached([workspace = m_workspace, id = m_monitorID]() -> QCoro::Task<void> {
            co_await workspace->saveChanges(id);
        });
    } else {
        startDetached([store = &m_store, id = m_monitorID]() -> QCoro::Task<void> { co_await store->saveSteps(id); });
    }
}

void StepsEditorView::discardAndReload()
{
    if (m_workspace) {
        startDetached([workspace = m_workspace, id = m_monitorID] { return workspace->discardAndReload(id); });
    } else {
        startDetached([store = &m_store, id = m_monitorID] { return store->loadSteps(id, true); });
    }
}

} // namespace tavlen::ui

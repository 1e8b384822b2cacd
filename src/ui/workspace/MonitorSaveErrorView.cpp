#include "MonitorSaveErrorView.h"

#include "Accessibility.h"
#include "AlertPresenter.h"
#include "Icons.h"
#include "KitColors.h"
#include "MonitorChangesDraft.h"
#include "MonitorWorkspace.h"
#include "QtText.h"
#include "ScheduleEditing.h"
#include "StepsStore.h"
#include "TaskHandle.h"
#include "TavlenButton.h"
#include "TextStyles.h"
#include "WorkspaceViewText.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace tavlen::ui {

namespace {

constexpr TavlenButtonStyle paneButton{TavlenButtonStyle::Variant::standard, TavlenButtonStyle::Size::regular};

} // namespace

MonitorSaveErrorView::MonitorSaveErrorView(Uuid monitorID,
                                           std::shared_ptr<MonitorChangesDraft> draft,
                                           MonitorWorkspace& workspace,
                                           StepsStore& stepsStore,
                                           QWidget* parent)
    : QWidget(parent)
    , m_monitorID(monitorID)
    , m_draft(std::move(draft))
    , m_workspace(workspace)
    , m_store(stepsStore)
    , m_message(new QLabel(this))
    , m_reload(new TavlenButton(text::reloadSavedMonitor, paneButton, this))
    , m_retry(new TavlenButton(text::retryStorage, paneButton, this))
    , m_alert(new AlertPresenter(this))
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    const QColor red = kitColor(KitColor::red, palette());
    auto* line = new QHBoxLayout;
    auto* icon = new QLabel(this);
    icon->setPixmap(kitIconPixmap(QStringLiteral("exclamationmark.triangle"), red, QSize(14, 14), 2));
    line->addWidget(icon, 0, Qt::AlignTop);
    m_message->setWordWrap(true);
    m_message->setFont(textStyleFont(TextStyle::callout));
    QPalette redText = m_message->palette();
    redText.setColor(QPalette::WindowText, red);
    m_message->setPalette(redText);
    setIdentifier(m_message, QStringLiteral("monitor-save-error"));
    line->addWidget(m_message, 1);
    layout->addLayout(line);
    layout->addWidget(m_reload, 0, Qt::AlignLeft);
    layout->addWidget(m_retry, 0, Qt::AlignLeft);
    setIdentifier(m_reload, QStringLiteral("monitor-reload-saved"));
    setIdentifier(m_retry, QStringLiteral("monitor-retry-storage"));

    connect(m_reload, &QAbstractButton::clicked, this, [this] { setConfirmsReload(true); });
    connect(m_retry, &QAbstractButton::clicked, this, [this] {
        TaskHandle<void>([this](std::stop_token) { return m_workspace.retryStorage(m_monitorID); });
    });
    connect(m_alert, &AlertPresenter::dismissed, this, [this] { setConfirmsReload(false); });
    connect(m_draft.get(), &MonitorChangesDraft::saveErrorChanged, this, &MonitorSaveErrorView::refresh);
    connect(&m_workspace, &MonitorWorkspaceState::isBusyChanged, this, &MonitorSaveErrorView::refresh);
    connect(&m_store.state(), &StepsStoreState::isNavigatingChanged, this, &MonitorSaveErrorView::refresh);
    refresh();
}

void MonitorSaveErrorView::setConfirmsReload(bool confirms)
{
    if (confirms == m_confirmsReload) {
        return;
    }
    m_confirmsReload = confirms;
    if (!confirms) {
        m_alert->present(std::nullopt);
        return;
    }
    m_alert->present(AlertContent{
        text::reloadSavedMonitorQuestion,
        text::reloadMessage,
        {{text::cancel, AlertButtonRole::cancel, {}}, {text::discardAndReload, AlertButtonRole::destructive, [this] {
                                                           TaskHandle<void>([this](std::stop_token) {
                                                               return m_workspace.discardAndReload(m_monitorID);
                                                           });
                                                       }}}});
}

void MonitorSaveErrorView::refresh()
{
    const auto& error = m_draft->saveError();
    setVisible(error.has_value());
    if (!error) {
        // The confirmation belongs to the error: it goes with it.
        setConfirmsReload(false);
        return;
    }
    m_message->setText(toQString(error->errorDescription()));
    const SaveErrorAction action = saveErrorAction(*error);
    m_reload->setVisible(action == SaveErrorAction::reloadSavedMonitor);
    m_retry->setVisible(action == SaveErrorAction::retryStorage);
    const bool enabled = !m_workspace.isBusy() && !m_store.isNavigating();
    m_reload->setEnabled(enabled);
    m_retry->setEnabled(enabled);
}

} // namespace tavlen::ui

#include "WorkspaceView.h"

#include "AlertPresenter.h"
#include "ContentUnavailableView.h"
#include "Icons.h"
#include "KitColors.h"
#include "MonitorCheckStore.h"
#include "MonitorDetailView.h"
#include "MonitorEditorView.h"
#include "MonitorScheduler.h"
#include "MonitorSidebarList.h"
#include "MonitorWorkspace.h"
#include "ProgressSpinner.h"
#include "QtText.h"
#include "StepsNavigation.h"
#include "StepsStore.h"
#include "TaskHandle.h"
#include "TavlenButton.h"
#include "TextStyles.h"
#include "WorkspaceAlerts.h"
#include "WorkspaceBanner.h"
#include "WorkspaceViewText.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QSplitter>
#include <QVBoxLayout>

namespace tavlen::ui {

namespace {

constexpr int sidebarMinimumWidth = 200;
constexpr int sidebarIdealWidth = 250;
constexpr int sidebarMaximumWidth = 340;

// Detached from the view: a retry runs to its end even when the window goes.
QCoro::Task<void> refreshSummaries(QPointer<MonitorWorkspace> workspace)
{
    if (!workspace) {
        co_return;
    }
    auto refreshing = workspace->refreshSidebarSummaries();
    co_await std::move(refreshing);
}

QCoro::Task<void> retryScheduling(QPointer<MonitorScheduler> scheduler)
{
    if (!scheduler) {
        co_return;
    }
    scheduler->setError(std::nullopt);
    auto pass = scheduler->runCheckPass();
    co_await std::move(pass);
}

QFrame* divider(QWidget* parent)
{
    auto* line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

} // namespace

WorkspaceView::WorkspaceView(MonitorWorkspace& workspace,
                             StepsStore& stepsStore,
                             StepsNavigation& navigation,
                             MonitorScheduler* scheduler,
                             MonitorTabViews tabViews,
                             QWidget* parent)
    : QWidget(parent)
    , m_workspace(workspace)
    , m_store(stepsStore)
    , m_navigation(navigation)
    , m_scheduler(scheduler)
    , m_tabViews(std::move(tabViews))
    , m_unsavedAlert(new AlertPresenter(this))
    , m_deleteAlert(new AlertPresenter(this))
    , m_errorAlert(new AlertPresenter(this))
    , m_refresh(this, [workspace = QPointer(&workspace)](SidebarRefreshID, std::stop_token stop) -> QCoro::Task<void> {
        if (!workspace) {
            co_return;
        }
        auto refreshing = workspace->refreshSidebarSummaries(std::move(stop));
        co_await std::move(refreshing);
    })
{
    setObjectName(QStringLiteral("workspace"));
    setWindowTitle(text::appTitle);
    setMinimumSize(minimumWindowSize);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* splitter = new QSplitter(Qt::Horizontal, this);
    splitter->setChildrenCollapsible(false);
    splitter->addWidget(makeSidebar());
    splitter->addWidget(makeDetailColumn());
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({sidebarIdealWidth, minimumWindowSize.width()});
    layout->addWidget(splitter);
    navigation.attachPromptView(*this);

    const auto actions = [this] { refreshActions(); };
    connect(&workspace, &MonitorWorkspaceState::isBusyChanged, this, actions);
    connect(&workspace, &MonitorWorkspaceState::loadStateChanged, this, actions);
    connect(&workspace, &MonitorWorkspaceState::editorChanged, this, actions);
    connect(&workspace, &MonitorWorkspaceState::deletionCandidateChanged, this, actions);
    connect(&workspace, &MonitorWorkspaceState::loadStateChanged, this, [this] {
        refreshLoadState();
        refreshDetail();
    });
    connect(&workspace, &MonitorWorkspaceState::isBusyChanged, this, [this] { refreshLoadState(); });
    connect(&workspace, &MonitorWorkspaceState::sidebarErrorChanged, this, [this] { refreshBanners(); });
    connect(&workspace, &MonitorWorkspaceState::monitorsChanged, this, [this] {
        refreshDetail();
        refreshRefreshKey();
        refreshUnsavedChangesAlert();
    });
    connect(&workspace, &MonitorWorkspaceState::selectionChanged, this, [this] { refreshDetail(); });
    connect(&workspace, &MonitorWorkspaceState::editFocusChanged, this, [this] { followEditFocus(); });
    connect(&workspace, &MonitorWorkspaceState::deletionCandidateChanged, this, [this] { refreshDeleteAlert(); });
    connect(&workspace, &MonitorWorkspaceState::actionErrorChanged, this, [this] { refreshErrorAlert(); });
    connect(&workspace, &MonitorWorkspaceState::editorChanged, this, [this] { refreshSheet(); });
    connect(&navigation, &StepsNavigation::promptMonitorIDChanged, this, [this] { refreshUnsavedChangesAlert(); });
    connect(&stepsStore.state(), &StepsStoreState::savedStepsRevisionChanged, this, [this] { refreshRefreshKey(); });
    connect(&stepsStore.results(), &MonitorCheckStore::checksRevisionChanged, this, [this] { refreshRefreshKey(); });
    if (scheduler) {
        connect(scheduler, &MonitorScheduler::errorChanged, this, [this] { refreshBanners(); });
    }

    refreshActions();
    refreshLoadState();
    refreshBanners();
    refreshDetail();
    refreshRefreshKey();
}

WorkspaceView::~WorkspaceView() = default;

ContentUnavailableView* WorkspaceView::placeholder() const
{
    return m_placeholder->isVisibleTo(const_cast<WorkspaceView*>(this)) ? m_placeholder : nullptr;
}

QWidget* WorkspaceView::makeSidebar()
{
    auto* sidebar = new QWidget;
    sidebar->setObjectName(QStringLiteral("workspace-sidebar"));
    sidebar->setMinimumWidth(sidebarMinimumWidth);
    sidebar->setMaximumWidth(sidebarMaximumWidth);
    auto* column = new QVBoxLayout(sidebar);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    auto* header = new QHBoxLayout;
    header->setContentsMargins(12, 12, 12, 12);
    header->setSpacing(8);
    m_newMonitor = new TavlenButton(
        text::newMonitor, {TavlenButtonStyle::Variant::standard, TavlenButtonStyle::Size::compact}, sidebar);
    m_newMonitor->setObjectName(QStringLiteral("workspace-new-monitor"));
    m_newMonitor->setSymbolName(QStringLiteral("plus"));
    m_newMonitor->setToolTip(text::newMonitorHelp);
    connect(m_newMonitor, &QAbstractButton::clicked, this, [this] { m_workspace.beginNewMonitor(); });
    header->addWidget(m_newMonitor);
    header->addStretch(1);
    column->addLayout(header);
    column->addWidget(divider(sidebar));
    m_list = new MonitorSidebarList(m_workspace, m_store, m_scheduler.data(), sidebar);
    column->addWidget(m_list, 1);
    return sidebar;
}

QWidget* WorkspaceView::makeDetailColumn()
{
    auto* column = new QWidget;
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    m_loading = new QWidget(column);
    m_loading->setObjectName(QStringLiteral("workspace-loading"));
    auto* loading = new QHBoxLayout(m_loading);
    loading->setContentsMargins(24, 24, 24, 24);
    loading->addStretch(1);
    loading->addWidget(new ProgressSpinner(ProgressSpinner::Size::small, m_loading));
    loading->addWidget(new QLabel(text::loadingWorkspace, m_loading));
    loading->addStretch(1);
    layout->addWidget(m_loading);

    m_failure = new QWidget(column);
    m_failure->setObjectName(QStringLiteral("workspace-failure"));
    auto* failure = new QVBoxLayout(m_failure);
    failure->setContentsMargins(24, 24, 24, 24);
    failure->setSpacing(12);
    auto* titleRow = new QHBoxLayout;
    titleRow->addStretch(1);
    auto* symbol = new QLabel(m_failure);
    symbol->setPixmap(kitIconPixmap(
        QStringLiteral("exclamationmark.triangle"), primaryColor(palette()), QSize(16, 16), devicePixelRatioF()));
    titleRow->addWidget(symbol);
    auto* title = new QLabel(text::workspaceUnavailable, m_failure);
    title->setFont(textStyleFont(TextStyle::headline));
    titleRow->addWidget(title);
    titleRow->addStretch(1);
    failure->addLayout(titleRow);
    m_failureMessage = new QLabel(m_failure);
    m_failureMessage->setObjectName(QStringLiteral("workspace-failure-message"));
    m_failureMessage->setAlignment(Qt::AlignCenter);
    m_failureMessage->setWordWrap(true);
    failure->addWidget(m_failureMessage);
    m_retryLoad = new TavlenButton(
        text::retry, {TavlenButtonStyle::Variant::standard, TavlenButtonStyle::Size::regular}, m_failure);
    m_retryLoad->setObjectName(QStringLiteral("workspace-retry-load"));
    connect(m_retryLoad, &QAbstractButton::clicked, this, [this] {
        if (!m_workspace.isBusy()) {
            m_workspace.load();
        }
    });
    failure->addWidget(m_retryLoad, 0, Qt::AlignHCenter);
    layout->addWidget(m_failure);

    m_sidebarBanner = new WorkspaceBanner(
        text::retry,
        [workspace = QPointer(&m_workspace)] {
            TaskHandle<void>([workspace](std::stop_token) { return refreshSummaries(workspace); });
        },
        column);
    m_sidebarBanner->setObjectName(QStringLiteral("workspace-sidebar-banner"));
    layout->addWidget(m_sidebarBanner);
    m_schedulingBanner = new WorkspaceBanner(
        text::retryScheduling,
        [scheduler = m_scheduler] {
            TaskHandle<void>([scheduler](std::stop_token) { return retryScheduling(scheduler); });
        },
        column);
    m_schedulingBanner->setObjectName(QStringLiteral("workspace-scheduling-banner"));
    layout->addWidget(m_schedulingBanner);

    m_detailArea = new QVBoxLayout;
    m_detailArea->setContentsMargins(0, 0, 0, 0);
    m_placeholder = new ContentUnavailableView(QStringLiteral("eye"), text::selectAMonitor, QString(), column);
    m_placeholder->setObjectName(QStringLiteral("workspace-placeholder"));
    m_createMonitor =
        new TavlenButton(text::createMonitor, {TavlenButtonStyle::Variant::primary, TavlenButtonStyle::Size::regular});
    m_createMonitor->setObjectName(QStringLiteral("workspace-create-monitor"));
    connect(m_createMonitor, &QAbstractButton::clicked, this, [this] { m_workspace.beginNewMonitor(); });
    m_placeholder->addActionWidget(m_createMonitor);
    m_detailArea->addWidget(m_placeholder);
    layout->addLayout(m_detailArea, 1);
    return column;
}

void WorkspaceView::refreshActions()
{
    const bool canStart = m_workspace.canStartAction();
    m_newMonitor->setEnabled(canStart);
    m_createMonitor->setEnabled(canStart);
}

void WorkspaceView::refreshLoadState()
{
    const WorkspaceLoadState& state = m_workspace.loadState();
    m_loading->setVisible(state.kind() == WorkspaceLoadState::Kind::loading);
    m_failure->setVisible(state.kind() == WorkspaceLoadState::Kind::failed);
    if (state.error()) {
        m_failureMessage->setText(toQString(state.error()->errorDescription()));
    }
    m_retryLoad->setEnabled(!m_workspace.isBusy());
}

void WorkspaceView::refreshBanners()
{
    const auto& sidebarError = m_workspace.sidebarError();
    m_sidebarBanner->present(
        sidebarError ? std::optional(text::sidebarUnavailablePrefix + toQString(sidebarError->errorDescription()))
                     : std::nullopt);
    const bool hasSchedulingError = m_scheduler && m_scheduler->error();
    m_schedulingBanner->present(hasSchedulingError ? std::optional(text::schedulingPausedPrefix +
                                                                   toQString(m_scheduler->error()->errorDescription()))
                                                   : std::nullopt);
}

void WorkspaceView::refreshDetail()
{
    const std::optional<Monitor> selected = m_workspace.selectedMonitor();
    if (m_detail && (!selected || selected->id != m_detail->monitor().id)) {
        // Deferred: the old detail may be inside one of its own handlers (a deletion confirmed in Details).
        m_detail->hide();
        m_detail->deleteLater();
        m_detail = nullptr;
    }
    if (selected && m_detail) {
        m_detail->setMonitor(*selected);
    } else if (selected) {
        m_detail = new MonitorDetailView(
            *selected,
            m_store,
            m_workspace,
            m_scheduler.data(),
            m_selectedTab,
            [this](MonitorDetailTab tab) { m_selectedTab = tab; },
            m_tabViews);
        m_detailArea->addWidget(m_detail);
    }
    const bool showsPlaceholder = !selected && m_workspace.loadState().isReady();
    m_placeholder->setTitle(m_workspace.monitors().empty() ? text::noMonitorsYet : text::selectAMonitor);
    m_placeholder->setVisible(showsPlaceholder);
}

void WorkspaceView::refreshRefreshKey()
{
    SidebarRefreshID key;
    for (const Monitor& monitor : m_workspace.monitors()) {
        key.monitors.push_back(monitor.id);
    }
    key.steps = m_store.state().savedStepsRevision();
    key.checks = m_store.results().checksRevision();
    m_refresh.setKey(std::move(key));
}

void WorkspaceView::refreshUnsavedChangesAlert()
{
    QPointer<StepsNavigation> navigation(&m_navigation);
    m_unsavedAlert->present(unsavedChangesAlert(
        m_navigation.promptMonitorID(), m_workspace.monitors(), [navigation](StepsNavigation::Choice choice) {
            if (navigation) {
                navigation->decide(choice);
            }
        }));
}

void WorkspaceView::refreshDeleteAlert()
{
    QPointer<MonitorWorkspace> workspace(&m_workspace);
    m_deleteAlert->present(deleteMonitorAlert(
        m_workspace.deletionCandidate(),
        [workspace] {
            if (workspace) {
                workspace->setDeletionCandidate(std::nullopt);
            }
        },
        [workspace](const Uuid& id) {
            if (workspace) {
                workspace->deleteMonitor(id);
            }
        }));
}

void WorkspaceView::refreshErrorAlert()
{
    QPointer<MonitorWorkspace> workspace(&m_workspace);
    m_errorAlert->present(workspaceErrorAlert(m_workspace.actionError(), [workspace] {
        if (workspace) {
            workspace->setActionError(std::nullopt);
        }
    }));
}

void WorkspaceView::refreshSheet()
{
    // A sheet still closing (its deletion deferred) does not stand in the way of the next one.
    if (!m_workspace.editor() || (m_sheet && m_sheet->isVisible())) {
        return;
    }
    m_sheet = openMonitorEditor(m_workspace, this);
    if (m_sheet) {
        m_sheet->open();
    }
}

void WorkspaceView::followEditFocus()
{
    const auto& focus = m_workspace.editFocus();
    if (focus && focus->monitorID == m_workspace.selection()) {
        setSelectedTab(focus->tab);
    }
}

void WorkspaceView::setSelectedTab(MonitorDetailTab tab)
{
    m_selectedTab = tab;
    if (m_detail) {
        m_detail->setSelectedTab(tab);
    }
}

void WorkspaceView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!m_hasBeenShown) {
        m_hasBeenShown = true;
        followEditFocus();
    }
}

} // namespace tavlen::ui

#include "MonitorDetailView.h"

#include "MonitorChangesDraft.h"
#include "MonitorCheckStore.h"
#include "MonitorDetailHeader.h"
#include "MonitorDetailTabs.h"
#include "MonitorScheduleFacts.h"
#include "MonitorSchedulePanes.h"
#include "MonitorScheduler.h"
#include "MonitorSelectionPresentation.h"
#include "MonitorWorkspace.h"
#include "ProgressSpinner.h"
#include "StepsStore.h"
#include "WorkspaceViewText.h"

#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QStackedWidget>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace tavlen::ui {

namespace {

int orderOf(MonitorDetailTab tab)
{
    return static_cast<int>(tab);
}

QWidget* makePlaceholder(MonitorSelectionPresentation* presentation)
{
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("monitor-detail-loading"));
    auto* grid = new QGridLayout(page);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->addWidget(presentation, 0, 0);
    auto* box = new QWidget(page);
    auto* column = new QVBoxLayout(box);
    column->addStretch(1);
    column->addWidget(new ProgressSpinner(ProgressSpinner::Size::regular, box), 0, Qt::AlignHCenter);
    auto* title = new QLabel(text::loadingSteps, box);
    title->setAlignment(Qt::AlignCenter);
    column->addWidget(title, 0, Qt::AlignHCenter);
    column->addStretch(1);
    grid->addWidget(box, 0, 0);
    return page;
}

} // namespace

MonitorDetailView::MonitorDetailView(Monitor monitor,
                                     StepsStore& stepsStore,
                                     MonitorWorkspace& workspace,
                                     MonitorScheduler* scheduler,
                                     MonitorDetailTab selectedTab,
                                     std::function<void(MonitorDetailTab)> onTabSelected,
                                     MonitorTabViews tabViews,
                                     QWidget* parent)
    : QWidget(parent)
    , m_monitor(std::move(monitor))
    , m_store(stepsStore)
    , m_workspace(workspace)
    , m_scheduler(scheduler)
    , m_selectedTab(selectedTab)
    , m_onTabSelected(std::move(onTabSelected))
    , m_tabViews(std::move(tabViews))
    , m_header(new MonitorDetailHeader(m_monitor,
                                       workspace,
                                       stepsStore,
                                       scheduleFactsOf(scheduler ? &scheduler->snapshot() : nullptr, m_monitor.id)))
    , m_content(new QStackedWidget)
    , m_presentation(new MonitorSelectionPresentation([this] { present(); }))
{
    setObjectName(QStringLiteral("monitor-detail"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_header);
    auto* divider = new QFrame(this);
    divider->setFrameShape(QFrame::HLine);
    divider->setFrameShadow(QFrame::Sunken);
    layout->addWidget(divider);
    layout->addWidget(m_content, 1);
    m_content->addWidget(makePlaceholder(m_presentation));

    if (scheduler) {
        connect(scheduler, &MonitorScheduler::snapshotChanged, this, [this] { refreshScheduleFacts(); });
    }
}

MonitorDetailView::~MonitorDetailView() = default;

std::vector<MonitorDetailTab> MonitorDetailView::tabs() const
{
    std::vector<MonitorDetailTab> shown;
    for (const auto& [tab, page] : m_tabPages) {
        shown.push_back(tab);
    }
    return shown;
}

std::optional<MonitorDetailTab> MonitorDetailView::currentTab() const
{
    if (!m_tabs || m_tabs->currentIndex() < 0) {
        return std::nullopt;
    }
    return m_tabPages.at(static_cast<std::size_t>(m_tabs->currentIndex())).first;
}

void MonitorDetailView::setMonitor(const Monitor& monitor)
{
    m_monitor = monitor;
    m_header->setMonitor(monitor);
    for (const auto& [tab, page] : m_tabPages) {
        if (auto* schedule = qobject_cast<MonitorScheduleView*>(page)) {
            schedule->setMonitor(monitor);
        } else if (auto* details = qobject_cast<MonitorDetailsView*>(page)) {
            details->setMonitor(monitor);
        }
    }
}

void MonitorDetailView::setSelectedTab(MonitorDetailTab tab)
{
    m_selectedTab = tab;
    showSelectedTab();
}

void MonitorDetailView::present()
{
    m_tabsPage = new QWidget;
    auto* column = new QVBoxLayout(m_tabsPage);
    column->setContentsMargins(20, 20, 20, 20);
    column->setSpacing(16);
    m_tabs = new QTabWidget(m_tabsPage);
    m_tabs->setObjectName(QStringLiteral("monitor-detail-tabs"));
    m_tabs->setDocumentMode(true);
    column->addWidget(m_tabs);
    connect(m_tabs, &QTabWidget::currentChanged, this, &MonitorDetailView::handleCurrentChanged);

    const std::int64_t revision = m_store.results().checksRevision();
    const MonitorTabContext context{m_monitor, m_store, m_workspace, revision};
    m_showingTab = true;
    for (const auto& [tab, factory] : {std::pair{MonitorDetailTab::steps, &m_tabViews.steps},
                                       std::pair{MonitorDetailTab::history, &m_tabViews.history},
                                       std::pair{MonitorDetailTab::charts, &m_tabViews.charts}}) {
        MonitorTabContent content = *factory ? (*factory)(context) : placeholderTab(QString());
        m_tabs->addTab(content.widget, detailTabLabel(tab));
        m_tabPages.emplace_back(tab, content.widget);
        if (content.setChecksRevision) {
            m_revisionHooks.push_back(std::move(content.setChecksRevision));
        }
    }
    m_showingTab = false;
    connect(&m_store.results(), &MonitorCheckStore::checksRevisionChanged, this, [this] { refreshChecksRevision(); });
    connect(&m_workspace, &MonitorWorkspaceState::changeDraftsChanged, this, [this] { refreshDraftTabs(); });
    refreshDraftTabs();
    showSelectedTab();

    m_content->addWidget(m_tabsPage);
    m_content->setCurrentWidget(m_tabsPage);
    m_stepsLoad = std::make_unique<KeyedViewTask<Uuid>>(
        m_tabsPage, [store = &m_store](Uuid monitorID, std::stop_token) -> QCoro::Task<void> {
            // The store outlives every view; the load ends in the session, which the Steps tab shows.
            auto loading = store->loadSteps(monitorID, false);
            co_await std::move(loading);
        });
    m_stepsLoad->setKey(m_monitor.id);
}

void MonitorDetailView::refreshScheduleFacts()
{
    m_header->setScheduleFacts(scheduleFactsOf(m_scheduler ? &m_scheduler->snapshot() : nullptr, m_monitor.id));
}

void MonitorDetailView::refreshDraftTabs()
{
    std::shared_ptr<MonitorChangesDraft> draft = m_workspace.changeDraft(m_monitor.id);
    if (draft == m_draft) {
        return;
    }
    m_draft = std::move(draft);
    m_showingTab = true;
    for (auto it = m_tabPages.begin(); it != m_tabPages.end();) {
        if (it->first == MonitorDetailTab::schedule || it->first == MonitorDetailTab::details) {
            m_tabs->removeTab(static_cast<int>(it - m_tabPages.begin()));
            delete it->second;
            it = m_tabPages.erase(it);
        } else {
            ++it;
        }
    }
    if (m_draft) {
        const auto insert = [this](MonitorDetailTab tab, QWidget* page) {
            const auto position = std::find_if(m_tabPages.begin(), m_tabPages.end(), [tab](const auto& entry) {
                return orderOf(entry.first) > orderOf(tab);
            });
            m_tabs->insertTab(static_cast<int>(position - m_tabPages.begin()), page, detailTabLabel(tab));
            m_tabPages.emplace(position, tab, page);
        };
        insert(MonitorDetailTab::schedule,
               new MonitorScheduleView(m_monitor, m_draft, m_workspace, m_store, m_scheduler.data()));
        insert(MonitorDetailTab::details, new MonitorDetailsView(m_monitor, m_draft, m_workspace, m_store));
    }
    m_showingTab = false;
    showSelectedTab();
}

void MonitorDetailView::showSelectedTab()
{
    if (!m_tabs) {
        return;
    }
    const std::vector<MonitorDetailTab> shown = tabs();
    const MonitorDetailTab tab = shownDetailTab(m_selectedTab, shown);
    const auto position = std::find(shown.begin(), shown.end(), tab);
    if (position == shown.end()) {
        return;
    }
    m_showingTab = true;
    m_tabs->setCurrentIndex(static_cast<int>(position - shown.begin()));
    m_showingTab = false;
}

void MonitorDetailView::handleCurrentChanged(int index)
{
    if (m_showingTab || index < 0) {
        return;
    }
    m_selectedTab = m_tabPages.at(static_cast<std::size_t>(index)).first;
    if (m_onTabSelected) {
        m_onTabSelected(m_selectedTab);
    }
}

void MonitorDetailView::refreshChecksRevision()
{
    const std::int64_t revision = m_store.results().checksRevision();
    for (const auto& hook : m_revisionHooks) {
        hook(revision);
    }
}

} // namespace tavlen::ui

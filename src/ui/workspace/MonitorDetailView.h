#pragma once

// moc cannot parse the C++20 standard headers these pull in; it needs none of them.
#ifndef Q_MOC_RUN
#include "KeyedViewTask.h"
#include "Monitor.h"
#include "MonitorDetailTab.h"
#include "MonitorTabViews.h"
#include "Uuid.h"
#endif

#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

class QStackedWidget;
class QTabWidget;

namespace tavlen {
class MonitorChangesDraft;
class MonitorScheduler;
class MonitorWorkspace;
class StepsStore;
} // namespace tavlen

namespace tavlen::ui {

class MonitorDetailHeader;
class MonitorSelectionPresentation;

// The selected monitor's detail: the header, a divider, and the tabs. Until its placeholder ("Loading steps…")
// has been painted nothing else is built; then the tabs appear and the monitor's Steps load. Schedule and Details
// are there only while the workspace holds a changes draft for the monitor. The selected tab belongs to the
// caller: a tab the user picks is reported, and a remembered tab that is not there shows the first tab instead,
// leaving the remembered one alone. Made anew for every selected monitor.
class MonitorDetailView : public QWidget
{
    Q_OBJECT

public:
    // Without a scheduler the header shows no queue or schedule state and the Schedule tab none either.
    MonitorDetailView(Monitor monitor,
                      StepsStore& stepsStore,
                      MonitorWorkspace& workspace,
                      MonitorScheduler* scheduler,
                      MonitorDetailTab selectedTab,
                      std::function<void(MonitorDetailTab)> onTabSelected,
                      MonitorTabViews tabViews,
                      QWidget* parent = nullptr);
    ~MonitorDetailView() override;

    const Monitor& monitor() const { return m_monitor; }

    MonitorDetailHeader* header() const { return m_header; }

    bool isPresented() const { return m_tabs != nullptr; }

    // Null until presented.
    QTabWidget* tabWidget() const { return m_tabs; }

    // The tabs shown, in order; none before the tabs are built.
    std::vector<MonitorDetailTab> tabs() const;
    // The tab in front; none before the tabs are built.
    std::optional<MonitorDetailTab> currentTab() const;

    void setMonitor(const Monitor& monitor);
    void setSelectedTab(MonitorDetailTab tab);

private:
    void present();
    void refreshScheduleFacts();
    void refreshDraftTabs();
    void showSelectedTab();
    void handleCurrentChanged(int index);
    void refreshChecksRevision();

    Monitor m_monitor;
    StepsStore& m_store;
    MonitorWorkspace& m_workspace;
    QPointer<MonitorScheduler> m_scheduler;
    MonitorDetailTab m_selectedTab;
    std::function<void(MonitorDetailTab)> m_onTabSelected;
    MonitorTabViews m_tabViews;
    MonitorDetailHeader* m_header;
    QStackedWidget* m_content;
    MonitorSelectionPresentation* m_presentation;
    QWidget* m_tabsPage = nullptr;
    QTabWidget* m_tabs = nullptr;
    std::shared_ptr<MonitorChangesDraft> m_draft;
    std::vector<std::pair<MonitorDetailTab, QWidget*>> m_tabPages;
    std::vector<std::function<void(std::int64_t)>> m_revisionHooks;
    bool m_showingTab = false;
    std::unique_ptr<KeyedViewTask<Uuid>> m_stepsLoad;
};

} // namespace tavlen::ui

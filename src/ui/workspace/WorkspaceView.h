#pragma once

// moc cannot parse the C++20 standard headers these pull in; it needs none of them.
#ifndef Q_MOC_RUN
#include "KeyedViewTask.h"
#include "MonitorDetailTab.h"
#include "MonitorTabViews.h"
#include "SidebarRefreshID.h"
#endif

#include <QPointer>
#include <QWidget>

class QLabel;
class QVBoxLayout;

namespace tavlen {
class MonitorScheduler;
class MonitorWorkspace;
class StepsNavigation;
class StepsStore;
} // namespace tavlen

namespace tavlen::ui {

class AlertPresenter;
class ContentUnavailableView;
class MonitorDetailView;
class MonitorEditorView;
class MonitorSidebarList;
class TavlenButton;
class WorkspaceBanner;

// The main window's content: the sidebar with "New monitor" and the monitor list beside the detail column with
// the workspace's load state, the summaries and scheduling banners and the selected monitor (or a placeholder).
// It also shows the window's prompts: unsaved changes, delete confirmation, workspace errors and the
// new-monitor sheet, each while its state is set. It keeps only the selected tab; everything else is read from
// the workspace, the navigation, the steps store and the scheduler, and every action is a call into them.
class WorkspaceView : public QWidget
{
    Q_OBJECT

public:
    static constexpr QSize minimumWindowSize{680, 440};

    // Without a scheduler the rows and the header show no schedule state and no scheduling banner appears.
    WorkspaceView(MonitorWorkspace& workspace,
                  StepsStore& stepsStore,
                  StepsNavigation& navigation,
                  MonitorScheduler* scheduler,
                  MonitorTabViews tabViews = standardMonitorTabViews(),
                  QWidget* parent = nullptr);
    ~WorkspaceView() override;

    MonitorDetailTab selectedTab() const { return m_selectedTab; }

    MonitorSidebarList* list() const { return m_list; }

    // Null while no monitor is selected.
    MonitorDetailView* detailView() const { return m_detail; }

    // Null while the placeholder is not shown.
    ContentUnavailableView* placeholder() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* makeSidebar();
    QWidget* makeDetailColumn();
    void refreshActions();
    void refreshLoadState();
    void refreshBanners();
    void refreshDetail();
    void refreshRefreshKey();
    void refreshUnsavedChangesAlert();
    void refreshDeleteAlert();
    void refreshErrorAlert();
    void refreshSheet();
    void followEditFocus();
    void setSelectedTab(MonitorDetailTab tab);

    MonitorWorkspace& m_workspace;
    StepsStore& m_store;
    StepsNavigation& m_navigation;
    QPointer<MonitorScheduler> m_scheduler;
    MonitorTabViews m_tabViews;
    MonitorDetailTab m_selectedTab = MonitorDetailTab::steps;
    bool m_hasBeenShown = false;
    TavlenButton* m_newMonitor = nullptr;
    MonitorSidebarList* m_list = nullptr;
    QWidget* m_loading = nullptr;
    QWidget* m_failure = nullptr;
    QLabel* m_failureMessage = nullptr;
    TavlenButton* m_retryLoad = nullptr;
    WorkspaceBanner* m_sidebarBanner = nullptr;
    WorkspaceBanner* m_schedulingBanner = nullptr;
    QVBoxLayout* m_detailArea = nullptr;
    ContentUnavailableView* m_placeholder = nullptr;
    TavlenButton* m_createMonitor = nullptr;
    MonitorDetailView* m_detail = nullptr;
    AlertPresenter* m_unsavedAlert;
    AlertPresenter* m_deleteAlert;
    AlertPresenter* m_errorAlert;
    QPointer<MonitorEditorView> m_sheet;
    KeyedViewTask<SidebarRefreshID> m_refresh;
};

} // namespace tavlen::ui

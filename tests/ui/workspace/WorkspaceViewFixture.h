#pragma once

#include "BoundedWait.h"
#include "MonitorSidebarList.h"
#include "MonitorSidebarRow.h"
#include "MonitorWorkspace.h"
#include "SQLiteMonitorRepository.h"
#include "StepsNavigation.h"
#include "StepsStoreWorld.h"
#include "WorkspaceView.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QTest>

#include <memory>

namespace tavlen::ui::test {

using namespace tavlen::test;

// The workspace window over the real workspace, navigation and steps store of a workspace file of its own, wired
// as the application wires them. The Steps and History tabs are empty pages here.
class WorkspaceViewFixture : public StepsStoreWorld
{
protected:
    WorkspaceViewFixture()
    {
        m_navigation.setWorkspace(&m_workspace);
        m_workspace.setAllowNavigation(
            [navigation = QPointer(&m_navigation)]() -> QCoro::Task<bool> { return navigation->allowLeaving(false); });
    }

    ~WorkspaceViewFixture() override
    {
        delete m_view.data();
        flushDeferredDeletes();
    }

    // Waits for the load to end, ready or failed.
    void loadWorkspace()
    {
        m_workspace.load();
        ASSERT_TRUE(waitUntil([this] {
            return m_workspace.loadState().kind() != WorkspaceLoadState::Kind::loading && !m_workspace.isBusy();
        }));
    }

    // The view shown at the size of a small main window.
    void showView(MonitorScheduler* scheduler = nullptr)
    {
        m_view = new WorkspaceView(m_workspace, m_store, m_navigation, scheduler, tabViews());
        m_view->resize(900, 600);
        m_view->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_view));
    }

    static MonitorTabViews tabViews()
    {
        return {[](const MonitorTabContext&) { return placeholderTab(QStringLiteral("steps-page")); },
                [](const MonitorTabContext&) { return placeholderTab(QStringLiteral("history-page")); },
                [](const MonitorTabContext&) { return placeholderTab(QStringLiteral("charts-page")); }};
    }

    template <class T> T* find(const char* name) const { return m_view->findChild<T*>(QString::fromUtf8(name)); }

    // The message box an alert of the window shows, or null.
    QMessageBox* alert() const
    {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* box = qobject_cast<QMessageBox*>(widget); box && box->isVisible()) {
                return box;
            }
        }
        return nullptr;
    }

    static void press(QMessageBox* box, const QString& title)
    {
        for (QAbstractButton* button : box->buttons()) {
            if (button->text() == title) {
                button->click();
                return;
            }
        }
        ADD_FAILURE() << "no button " << title.toStdString();
    }

    std::vector<Uuid> listedIDs() const
    {
        std::vector<Uuid> ids;
        for (const Monitor& monitor : m_workspace.monitors()) {
            ids.push_back(monitor.id);
        }
        return ids;
    }

    std::shared_ptr<WorkspaceStepsStore> m_sharedStore{std::shared_ptr<void>(), &m_store};
    StepsNavigation m_navigation{m_sharedStore};
    MonitorWorkspace m_workspace{std::make_shared<SQLiteMonitorRepository>(m_database, m_clock), m_sharedStore};
    QPointer<WorkspaceView> m_view;
};

} // namespace tavlen::ui::test

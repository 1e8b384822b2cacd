#include "AlertPresenter.h"
#include "MonitorChangesDraft.h"
#include "MonitorDetailHeader.h"
#include "MonitorSidebarList.h"
#include "MonitorSidebarRow.h"
#include "MonitorWorkspace.h"
#include "SQLiteMonitorRepository.h"
#include "Scene.h"
#include "StepsNavigation.h"
#include "StepsStoreWorld.h"
#include "WorkspaceAlerts.h"
#include "WorkspaceView.h"

#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

namespace tavlen::screenshots {
namespace {

enum class Setup
{
    empty,      // no monitors
    unselected, // monitors, none selected
    selected,   // monitors in every stored state, one selected on a tab
    dragging,   // as selected, with a row's drag preview held over the list
};

// The workspace window over a workspace file of its own with the real workspace, navigation and steps store.
class WorkspaceScene final : public QWidget
{
public:
    explicit WorkspaceScene(Setup setup, MonitorDetailTab tab = MonitorDetailTab::steps)
    {
        m_navigation.setWorkspace(&m_workspace);
        if (setup == Setup::empty) {
            m_world.execute("DELETE FROM monitors");
        } else {
            fill();
        }
        m_workspace.load();
        test::waitUntil([this] { return m_workspace.loadState().isReady() && !m_workspace.isBusy(); });
        m_workspace.select(std::nullopt);
        m_dragging = setup == Setup::dragging;
        if (setup == Setup::selected || m_dragging) {
            m_workspace.focusMonitor(m_world.m_monitor, tab);
        }
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        m_view = new ui::WorkspaceView(m_workspace, m_world.m_store, m_navigation, nullptr);
        layout->addWidget(m_view);
    }

    // The view refers to the workspace and the store: it goes first.
    ~WorkspaceScene() override { delete m_view; }

protected:
    void showEvent(QShowEvent* event) override
    {
        QWidget::showEvent(event);
        if (!m_dragging) {
            return;
        }
        // Once the rows have their widths: the preview of the second row, held between the fourth and fifth.
        QTimer::singleShot(0, this, [this] {
            ui::MonitorSidebarList* list = m_view->list();
            auto* preview = new QLabel(list->viewport());
            preview->setPixmap(list->row(1)->dragPreview());
            preview->move(16, list->visualItemRect(list->item(4)).top() - 10);
            preview->show();
        });
    }

private:
    struct World final : test::StepsStoreWorld
    {
        void TestBody() override {}

        using WorkspaceFixture::execute;
        using WorkspaceFixture::insertMonitor;

        std::shared_ptr<MonitorRepository> monitors()
        {
            return std::make_shared<SQLiteMonitorRepository>(m_database, m_clock);
        }

        void check(const Uuid& monitorID, std::int64_t completedAt, const char* failure)
        {
            const std::string error =
                failure ? "'" + std::string(failure) + "', 'The page did not load.'" : "NULL, NULL";
            execute("INSERT INTO monitor_checks (id, monitor_id, started_at_ms, completed_at_ms, error_code, "
                    "error_message) VALUES ('" +
                    Uuid::random().lowercaseString() + "', '" + monitorID.lowercaseString() + "', " +
                    std::to_string(completedAt - 4000) + ", " + std::to_string(completedAt) + ", " + error + ")");
        }
    };

    // Six monitors: succeeded, failed, cancelled and never checked, with and without a saved page.
    void fill()
    {
        const std::int64_t now = 1'765'000'000'000;
        m_world.execute("UPDATE monitors SET name = 'Coffee prices', schedule_enabled = 1");
        m_world.store(m_world.document({{test::numberField("Price")}}), std::nullopt, m_world.m_monitor);
        m_world.check(m_world.m_monitor, now - 60'000, nullptr);

        const struct
        {
            const char* name;
            const char* url;
            bool checked;
            const char* failure;
            bool scheduled;
        } others[] = {
            {"Weather in Oslo", "https://www.yr.example/oslo", true, "pageLoadFailed", true},
            {"Train delays", "https://trains.example/board", true, "cancelled", false},
            {"Concert tickets \u2014 every venue in town, sorted by date",
             "https://tickets.example/",
             true,
             nullptr,
             true},
            {"Apartment listings", "https://homes.example/search", false, nullptr, false},
            {"New monitor", nullptr, false, nullptr, false},
        };

        std::int64_t created = 2000;
        for (const auto& other : others) {
            const Uuid id = m_world.insertMonitor("x", created += 1000);
            m_world.execute("UPDATE monitors SET name = '" + std::string(other.name) + "', schedule_enabled = " +
                            (other.scheduled ? "1" : "0") + " WHERE id = '" + id.lowercaseString() + "'");
            if (other.url) {
                StepsDocument document = m_world.document({{test::textField("Headline")}});
                std::get<StepsDocument::OpenPage>(document.steps.front().content).url = other.url;
                m_world.store(document, std::nullopt, id);
            }
            if (other.checked) {
                m_world.check(id, now - created * 1000, other.failure);
            }
        }
    }

    World m_world;
    std::shared_ptr<WorkspaceStepsStore> m_sharedStore{std::shared_ptr<void>(), &m_world.m_store};
    StepsNavigation m_navigation{m_sharedStore};
    MonitorWorkspace m_workspace{m_world.monitors(), m_sharedStore};
    ui::WorkspaceView* m_view = nullptr;
    bool m_dragging = false;
};

// The unsaved-changes question as the window asks it.
std::unique_ptr<QWidget> unsavedChangesAlert()
{
    Monitor monitor;
    monitor.id = Uuid::random();
    monitor.name = "Coffee prices";
    auto content = ui::unsavedChangesAlert(monitor.id, {monitor}, {});
    return std::unique_ptr<QWidget>(ui::makeAlertBox(*content, nullptr));
}

constexpr QSize windowSize{960, 600};

const SceneRegistrar empty{QStringLiteral("workspace-window-empty"),
                           [] { return std::make_unique<WorkspaceScene>(Setup::empty); },
                           windowSize};
const SceneRegistrar unselected{QStringLiteral("workspace-window-select-a-monitor"),
                                [] { return std::make_unique<WorkspaceScene>(Setup::unselected); },
                                windowSize};
const SceneRegistrar steps{QStringLiteral("workspace-window-steps"),
                           [] { return std::make_unique<WorkspaceScene>(Setup::selected); },
                           windowSize};
const SceneRegistrar schedule{
    QStringLiteral("workspace-window-schedule"),
    [] { return std::make_unique<WorkspaceScene>(Setup::selected, MonitorDetailTab::schedule); },
    windowSize};
const SceneRegistrar history{
    QStringLiteral("workspace-window-history"),
    [] { return std::make_unique<WorkspaceScene>(Setup::selected, MonitorDetailTab::history); },
    windowSize};
const SceneRegistrar charts{QStringLiteral("workspace-window-charts"),
                            [] { return std::make_unique<WorkspaceScene>(Setup::selected, MonitorDetailTab::charts); },
                            windowSize};
const SceneRegistrar details{
    QStringLiteral("workspace-window-details"),
    [] { return std::make_unique<WorkspaceScene>(Setup::selected, MonitorDetailTab::details); },
    windowSize};
const SceneRegistrar dragging{QStringLiteral("workspace-window-drag"),
                              [] { return std::make_unique<WorkspaceScene>(Setup::dragging); },
                              windowSize};
const SceneRegistrar alert{QStringLiteral("workspace-unsaved-changes-alert"), unsavedChangesAlert};

} // namespace
} // namespace tavlen::screenshots

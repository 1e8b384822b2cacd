#include "MonitorChangesDraft.h"
#include "MonitorSchedulePanes.h"
#include "MonitorWorkspace.h"
#include "SQLiteMonitorRepository.h"
#include "Scene.h"
#include "ScriptedMonitorRepository.h"
#include "StepsStoreWorld.h"

#include <QVBoxLayout>

namespace tavlen::screenshots {
namespace {

// The Details pane after a save failed with the given error, over a workspace file of its own.
class SaveErrorScene final : public QWidget
{
public:
    explicit SaveErrorScene(MonitorStoreError failure)
    {
        m_workspace.load();
        test::waitUntil([this] { return m_workspace.loadState().isReady() && !m_workspace.isBusy(); });
        const auto draft = m_workspace.changeDraft(m_world.m_monitor);
        draft->setName("Prices (weekly)");
        m_monitors->failNextWrite = std::move(failure);
        test::waitBounded(m_workspace.saveChanges(m_world.m_monitor), std::chrono::seconds(10));
        test::waitUntil([this] { return !m_workspace.isBusy(); });
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        m_pane = new ui::MonitorDetailsView(m_workspace.monitors().at(0), draft, m_workspace, m_world.m_store, this);
        layout->addWidget(m_pane);
    }

    // The pane refers to the workspace and the store: it goes first.
    ~SaveErrorScene() override { delete m_pane; }

private:
    struct World final : test::StepsStoreWorld
    {
        void TestBody() override {}

        std::shared_ptr<MonitorRepository> monitors()
        {
            return std::make_shared<SQLiteMonitorRepository>(m_database, m_clock);
        }
    };

    World m_world;
    std::shared_ptr<test::ScriptedMonitorRepository> m_monitors =
        std::make_shared<test::ScriptedMonitorRepository>(m_world.monitors());
    MonitorWorkspace m_workspace{m_monitors};
    ui::MonitorDetailsView* m_pane = nullptr;
};

const SceneRegistrar storageFailed{QStringLiteral("workspace-save-error-storage"),
                                   [] { return std::make_unique<SaveErrorScene>(MonitorStoreError::storage()); },
                                   QSize(520, 420)};
const SceneRegistrar staleEdit{QStringLiteral("workspace-save-error-stale"),
                               [] { return std::make_unique<SaveErrorScene>(MonitorStoreError::staleEdit()); },
                               QSize(520, 420)};

} // namespace
} // namespace tavlen::screenshots

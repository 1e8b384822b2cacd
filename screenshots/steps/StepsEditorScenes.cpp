#include "Scene.h"
#include "StepsDiagramView.h"
#include "StepsEditorView.h"
#include "StepsStoreWorld.h"

#include <QVBoxLayout>

namespace tavlen::screenshots {
namespace {

enum class Setup
{
    loading,     // the first load still reading
    unavailable, // the monitor is gone, so the load failed
    openPage,    // a new monitor: one Open page step
    threeReads,  // a captured page with three Read steps, one selected, one without a field name
};

// The Steps tab over a workspace file of its own with the real steps store.
class StepsEditorScene final : public QWidget
{
public:
    explicit StepsEditorScene(Setup setup)
    {
        if (setup == Setup::unavailable) {
            m_world.execute("DELETE FROM monitors");
        }
        if (setup == Setup::loading) {
            m_world.m_repository.readDelay =
                std::chrono::seconds(30); // virtual time: the read waits until the scene ends
        }
        if (setup == Setup::threeReads) {
            m_world.store(m_world.document(
                {{test::numberField("Price")}, {test::textField("Headline")}, {test::numberField("Rating")}}));
        }
        if (setup != Setup::loading) {
            const auto session = m_world.load();
            if (setup == Setup::threeReads) {
                capture(session);
            }
        }
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        m_view = new ui::StepsEditorView(m_world.m_monitor, m_world.m_store, nullptr);
        layout->addWidget(m_view);
    }

    ~StepsEditorScene() override { delete m_view; }

private:
    struct World final : test::StepsStoreWorld
    {
        void TestBody() override {}

        using WorkspaceFixture::execute;
    };

    // A test of the last step: the page is captured and read; then the second step is selected and the third
    // loses its field name, with validation shown as after a refused save.
    void capture(const std::shared_ptr<StepsSession>& session)
    {
        const auto& steps = session->draft()->steps();
        m_world.m_store.startExecution(m_world.m_monitor, StepsExecutionMode::testStep(steps.back()->id()));
        m_world.advanceUntil([&] { return !m_world.m_store.isBusy(); });
        session->draft()->setSelectedID(steps[2]->id());
        std::vector<ReadingField> fields = m_world.readSettings(session, 3).fields();
        fields.front().name.clear();
        m_world.readSettings(session, 3).setFields(fields);
        session->setShowsValidation(true);
    }

    World m_world;
    ui::StepsEditorView* m_view = nullptr;
};

const SceneRegistrar loading{
    u"steps-tab-loading"_qs, [] { return std::make_unique<StepsEditorScene>(Setup::loading); }, QSize(700, 400)};
const SceneRegistrar unavailable{u"steps-tab-unavailable"_qs,
                                 [] { return std::make_unique<StepsEditorScene>(Setup::unavailable); },
                                 QSize(700, 400)};
const SceneRegistrar openPage{
    u"steps-tab-open-page"_qs, [] { return std::make_unique<StepsEditorScene>(Setup::openPage); }, QSize(700, 560)};
const SceneRegistrar threeReads{u"steps-tab-three-reads"_qs,
                                [] { return std::make_unique<StepsEditorScene>(Setup::threeReads); },
                                QSize(760, 1400)};

} // namespace
} // namespace tavlen::screenshots

// The History tab over fixture checks: loading, empty, a page of checks of every outcome, a row expanded with its
// readings and usage, and the prompt before a check is deleted.
#include "Completion.h"
#include "HistoryDataSource.h"
#include "HistoryListState.h"
#include "MonitorHistory.h"
#include "MonitorHistoryView.h"
#include "Scene.h"

#include <QVBoxLayout>

#include <functional>
#include <optional>

namespace tavlen::screenshots {
namespace {

constexpr std::int64_t newest = 1'700'000'000'000;
constexpr std::int64_t minute = 60'000;
const QSize tabSize(900, 640);

StepsModelUsage modelUsage(std::string model, ModelSelection::Provider provider, std::int64_t requests)
{
    StepsModelUsage usage;
    usage.model = std::move(model);
    usage.provider = provider;
    usage.requests = requests;
    usage.reportedTokenRequests = requests;
    usage.inputTokens = 1834 * requests;
    usage.outputTokens = 52 * requests;
    usage.inferenceSeconds = 1.4 * static_cast<double>(requests);
    return usage;
}

// Fifty checks every half hour, newest first: most succeeded, some failed (one with a long message over several
// lines), some cancelled; usage of two Read steps on most, none on some.
std::vector<MonitorCheck> fiftyChecks()
{
    MonitorCheckUsage usage;
    usage.steps.push_back({Uuid::random(), 2, modelUsage("gpt-4o", ModelSelection::Provider::openAI, 1)});
    StepsModelUsage local = modelUsage("llama3.2-vision:11b", ModelSelection::Provider::ollama, 2);
    local.modelLoadSeconds = 3.2;
    usage.steps.push_back({Uuid::random(), 3, local});
    std::vector<MonitorCheck> checks;
    for (int i = 0; i < 50; ++i) {
        std::optional<MonitorCheckFailure> failure;
        if (i % 9 == 4) {
            failure = MonitorCheckFailure("execution_failed",
                                          "The page did not finish loading within 30 seconds.\nChrome reported: "
                                          "net::ERR_CONNECTION_TIMED_OUT while loading https://shop.example.com/"
                                          "products/espresso-machine-pro-2000?variant=black&ref=tavlen");
        } else if (i % 13 == 7) {
            failure = MonitorCheckFailure("cancelled", "Execution cancelled.");
        }
        const std::int64_t start = newest - i * 30 * minute;
        checks.push_back(MonitorCheck{Uuid::random(),
                                      Uuid::random(),
                                      start,
                                      start + 4200 + 370 * (i % 5),
                                      failure,
                                      0,
                                      i % 6 == 5 ? std::nullopt : std::optional(usage)});
    }
    return checks;
}

// Readings by position of the check: three, seven or none.
std::vector<Reading> readingsFor(std::size_t index)
{
    std::vector<Reading> readings{
        Reading{Uuid::random(), "Price", ReadingValue::ofNumber(1249.99 - static_cast<double>(index))},
        Reading{Uuid::random(), "Availability", ReadingValue::ofText("In stock")},
        Reading{Uuid::random(), "Rating", ReadingValue::ofNumber(4.6)},
    };
    if (index % 4 == 1) {
        readings.push_back(Reading{Uuid::random(), "Reviews", ReadingValue::ofNumber(1832)});
        readings.push_back(Reading{Uuid::random(), "Shipping", ReadingValue::ofText("Free, arrives Tuesday")});
        readings.push_back(Reading{Uuid::random(), "Seller", ReadingValue::ofText("Example Shop")});
        readings.push_back(Reading{Uuid::random(), "Discount", ReadingValue::ofNumber(15)});
    }
    if (index % 10 == 8) {
        readings.clear();
    }
    return readings;
}

// Answers at once from its checks; with none given, never answers the first page.
class FixtureSource final : public HistoryDataSource
{
public:
    explicit FixtureSource(std::optional<std::vector<MonitorCheck>> checks)
        : m_checks(std::move(checks))
    {}

    QCoro::Task<std::vector<MonitorCheck>>
    loadChecks(Uuid, std::optional<MonitorCheckCursor> cursor, int, std::stop_token) override
    {
        if (!m_checks) {
            co_await m_never.wait();
        }
        co_return cursor ? std::vector<MonitorCheck>{} : *m_checks;
    }

    QCoro::Task<std::vector<Reading>> loadReadings(Uuid checkID) override
    {
        for (std::size_t i = 0; m_checks && i < m_checks->size(); ++i) {
            if ((*m_checks)[i].id == checkID) {
                co_return readingsFor(i);
            }
        }
        co_return std::vector<Reading>{};
    }

    QCoro::Task<void> deleteCheck(Uuid, Uuid) override { co_return; }

private:
    std::optional<std::vector<MonitorCheck>> m_checks;
    Completion<std::vector<MonitorCheck>> m_never;
};

// The tab with its model and source, and what to do once the first page is in.
class HistoryTabScene : public QWidget
{
public:
    HistoryTabScene(std::optional<std::vector<MonitorCheck>> checks, std::function<void(MonitorHistory&)> loaded = {})
        : m_source(std::move(checks))
    {
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(m_view = new ui::MonitorHistoryView(1, m_history, this));
        if (loaded) {
            QObject::connect(
                &m_history, &MonitorHistory::hasLoadedChanged, this, [this, loaded] { loaded(m_history); });
        }
    }

    // The view goes before the model it shows.
    ~HistoryTabScene() override { delete m_view; }

private:
    FixtureSource m_source;
    MonitorHistory m_history{Uuid::random(), m_source};
    ui::MonitorHistoryView* m_view = nullptr;
};

const SceneRegistrar loading{
    u"history-loading"_qs, [] { return std::make_unique<HistoryTabScene>(std::nullopt); }, tabSize};

const SceneRegistrar empty{
    u"history-empty"_qs, [] { return std::make_unique<HistoryTabScene>(std::vector<MonitorCheck>{}); }, tabSize};

const SceneRegistrar checks{
    u"history-checks"_qs, [] { return std::make_unique<HistoryTabScene>(fiftyChecks()); }, tabSize};

// The second check (seven readings, shown in full) expanded with its usage of two Read steps.
const SceneRegistrar expanded{u"history-expanded"_qs,
                              [] {
                                  return std::make_unique<HistoryTabScene>(fiftyChecks(), [](MonitorHistory& history) {
                                      const Uuid id = history.checks()[1].id;
                                      history.toggleExpanded(id);
                                      history.toggleAllReadings(id);
                                  });
                              },
                              tabSize};

const SceneRegistrar deletePrompt{u"history-delete-prompt"_qs, [] {
                                      MonitorCheck check = fiftyChecks().front();
                                      return std::unique_ptr<QWidget>(
                                          ui::makeAlertBox(ui::deletionAlert(check, {}), nullptr));
                                  }};

} // namespace
} // namespace tavlen::screenshots

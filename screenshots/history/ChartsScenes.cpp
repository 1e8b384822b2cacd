// The Charts tab over fixture snapshots: a loaded tab with numbers, texts and missing readings, the same with the
// pointer over a price, a first load still running, a failed first load and a monitor without fields.
#include "ChartNumberChart.h"
#include "ChartsDataSource.h"
#include "Completion.h"
#include "MonitorCharts.h"
#include "MonitorChartsView.h"
#include "MonitorStoreError.h"
#include "Scene.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QTimer>
#include <QVBoxLayout>

#include <optional>

namespace tavlen::screenshots {
namespace {

constexpr std::int64_t minute = 60'000;

enum class Answer
{
    snapshot, // the snapshot, or a storage error when there is none
    never,    // a load that runs for as long as the picture
};

// Answers every load with its snapshot, fails with a storage error when it has none, or never answers.
class FixtureSource final : public ChartsDataSource
{
public:
    FixtureSource(std::optional<ChartSnapshot> snapshot, Answer answer)
        : m_snapshot(std::move(snapshot))
        , m_answer(answer)
    {}

    QCoro::Task<ChartSnapshot> loadSnapshot(Uuid, ChartRange, std::stop_token) override
    {
        if (m_answer == Answer::never) {
            // Cancelled when the source goes.
            co_await m_never.wait();
        }
        if (!m_snapshot) {
            throw MonitorStoreError::storage();
        }
        co_return *m_snapshot;
    }

private:
    std::optional<ChartSnapshot> m_snapshot;
    Answer m_answer;
    Completion<void> m_never;
};

// The tab with the model and source it needs, for the life of the picture.
class ChartsTabScene : public QWidget
{
public:
    explicit ChartsTabScene(std::optional<ChartSnapshot> snapshot, Answer answer = Answer::snapshot)
        : m_source(std::move(snapshot), answer)
    {
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(m_view = new ui::MonitorChartsView(1, m_charts, this));
    }

    // The view goes before the model it shows.
    ~ChartsTabScene() override { delete m_view; }

    // Once the first number lane has its drawing, the pointer moves over it at that fraction of its plot's width.
    void hoverFirstNumberLane(double fraction)
    {
        auto* poll = new QTimer(this);
        QObject::connect(poll, &QTimer::timeout, this, [this, poll, fraction] {
            auto* lane = findChild<ui::ChartNumberChart*>();
            if (!lane || lane->drawing().points.empty()) {
                return;
            }
            poll->stop();
            const QRectF plot = lane->plotRect();
            const QPointF at(plot.left() + plot.width() * fraction, plot.center().y());
            QMouseEvent move(QEvent::MouseMove, at, lane->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
            QCoreApplication::sendEvent(lane, &move);
        });
        poll->start(10);
    }

private:
    FixtureSource m_source;
    MonitorCharts m_charts{Uuid::random(), m_source, ChartPreset::all};
    ui::MonitorChartsView* m_view = nullptr;
};

ReadingValue priceAt(int i)
{
    return ReadingValue::ofNumber(1200 + 80 * ((i * 7) % 11) - 3.5 * i);
}

std::string statusAt(int i)
{
    if (i < 14) {
        return "In stock";
    }
    if (i < 22) {
        return "Only a few left in stock — order soon to get it before the weekend";
    }
    if (i < 23) {
        return "Sold\nout";
    }
    return i < 40 ? "Back in stock next week" : "";
}

// A day of checks every half hour: some failed, some without a price, a status that changes and a field that is
// no longer read.
ChartSnapshot dayOfChecks()
{
    const std::int64_t end = (Date::now().milliseconds() / minute) * minute;
    const std::int64_t start = end - 24 * 60 * minute;
    ChartSnapshot snapshot;
    snapshot.window = {start, end};
    const ChartField price{Uuid::random(), "Price", ReadingFieldType::number, false};
    const ChartField status{Uuid::random(), "Status", ReadingFieldType::text, false};
    const ChartField rating{Uuid::random(), "Rating", ReadingFieldType::number, true};
    snapshot.fields = {price, status, rating};
    for (int i = 0; i < 47; ++i) {
        const std::int64_t time = start + (i * 30 + 7) * minute;
        const Uuid check = Uuid::random();
        ChartCheckEvent event{check, time, std::nullopt, {}};
        if (i % 9 == 4 || (i >= 30 && i < 33)) {
            event.failure = MonitorCheckFailure("failed", "The page did not load.");
            snapshot.checks.push_back(std::move(event));
            continue;
        }
        const std::int64_t ordinal = i + 1;
        if (i % 13 != 6) {
            snapshot.samples.push_back({check, price.id, time, ordinal, price.name, priceAt(i)});
            event.fieldIDs.insert(price.id);
        }
        snapshot.samples.push_back({check, status.id, time, ordinal, status.name, ReadingValue::ofText(statusAt(i))});
        event.fieldIDs.insert(status.id);
        if (i < 12) {
            snapshot.samples.push_back(
                {check, rating.id, time, ordinal, rating.name, ReadingValue::ofNumber(4.5 - i * 0.05)});
            event.fieldIDs.insert(rating.id);
        }
        snapshot.checks.push_back(std::move(event));
    }
    return snapshot;
}

const SceneRegistrar loaded{
    QStringLiteral("charts-tab"), [] { return std::make_unique<ChartsTabScene>(dayOfChecks()); }, QSize(900, 1100)};
const SceneRegistrar hovered{QStringLiteral("charts-tab-number-hover"),
                             [] {
                                 auto scene = std::make_unique<ChartsTabScene>(dayOfChecks());
                                 scene->hoverFirstNumberLane(0.62);
                                 return scene;
                             },
                             QSize(900, 700)};
const SceneRegistrar loading{QStringLiteral("charts-tab-loading"),
                             [] { return std::make_unique<ChartsTabScene>(std::nullopt, Answer::never); },
                             QSize(900, 400)};
const SceneRegistrar failed{
    QStringLiteral("charts-tab-error"), [] { return std::make_unique<ChartsTabScene>(std::nullopt); }, QSize(900, 400)};
const SceneRegistrar empty{QStringLiteral("charts-tab-no-fields"),
                           [] {
                               ChartSnapshot snapshot;
                               snapshot.window = {0, 1000};
                               return std::make_unique<ChartsTabScene>(snapshot);
                           },
                           QSize(900, 400)};

} // namespace
} // namespace tavlen::screenshots

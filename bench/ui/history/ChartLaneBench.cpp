#include "ChartNumberChart.h"
#include "ChartSeries.h"

#include <QCoreApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>

// The number lane of a field over 100,000 checks (one a minute, every 97th failed, so the line breaks into dashed
// segments): painting once its thinned drawing is built must fit a frame (16 ms), and moving the pointer to
// another reading must update the hover within 2 ms. A panel of 3 such fields paints three of these lanes.
namespace tavlen::ui {
namespace {

constexpr int checks = 100'000;
constexpr std::int64_t minute = 60'000;
constexpr std::int64_t start = 1'700'000'000'000;

std::shared_ptr<const ChartSeries> hundredThousandChecks()
{
    auto series = std::make_shared<ChartSeries>();
    series->snapshotID = Uuid::random();
    series->field = {Uuid::random(), "Price", ReadingFieldType::number, false};
    series->title = "Price";
    series->window = {start, start + checks * minute};
    series->hasNumberLane = true;
    ChartNumericSegment segment;
    for (int i = 0; i < checks; ++i) {
        if (i % 97 == 96) {
            series->issues.push_back({Uuid::random(), start + i * minute, "failed"});
            segment.interrupted = true;
            continue;
        }
        ChartReading reading{Uuid::random(),
                             series->field.id,
                             start + i * minute,
                             i + 1,
                             "Price",
                             ReadingValue::ofNumber(1000 + 300 * std::sin(i / 500.0) + (i * 7919) % 50)};
        series->numbers.push_back(reading);
        segment.points.push_back(reading);
        if (segment.points.size() == 97) {
            segment.id = static_cast<std::int64_t>(series->numericSegments.size());
            series->numericSegments.push_back(segment);
            segment.points = {reading};
            segment.interrupted = false;
        }
    }
    series->numericDomain = {900, 1400};
    series->numericTicks = {900, 1025, 1150, 1275, 1400};
    return series;
}

// A shown lane whose drawing is built.
std::unique_ptr<ChartNumberChart> drawnLane()
{
    auto lane = std::make_unique<ChartNumberChart>(hundredThousandChecks());
    lane->resize(1000, lane->sizeHint().height());
    lane->show();
    while (lane->drawing().points.empty()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return lane;
}

void BM_NumberLanePaint(benchmark::State& state)
{
    const std::unique_ptr<ChartNumberChart> lane = drawnLane();
    QImage target(lane->size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        target.fill(Qt::transparent);
        QPainter painter(&target);
        lane->render(&painter);
    }
}

BENCHMARK(BM_NumberLanePaint)->Unit(benchmark::kMillisecond)->UseRealTime();

// The marks alone drawn afresh (areas, lines and dots), as the first paint after a new drawing, a new size or a
// hovered reading put back on a thinned line draws them; at device scale range(0).
void BM_NumberLaneMarksDrawnAfresh(benchmark::State& state)
{
    const std::unique_ptr<ChartNumberChart> lane = drawnLane();
    const double pixelRatio = static_cast<double>(state.range(0));
    const QRectF plot = lane->plotRect();
    const ChartNumberLaneGeometry geometry{
        {lane->series().window, plot.left(), plot.width()}, plot, lane->series().numericDomain};
    QImage target(lane->size() * pixelRatio, QImage::Format_ARGB32_Premultiplied);
    target.setDevicePixelRatio(pixelRatio);
    for (auto _ : state) {
        target.fill(Qt::transparent);
        QPainter painter(&target);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setClipRect(plot);
        paintNumberLaneMarks(painter, geometry, lane->drawnSegments(), lane->drawing().points, Qt::blue);
    }
}

BENCHMARK(BM_NumberLaneMarksDrawnAfresh)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_NumberLaneHoverUpdate(benchmark::State& state)
{
    const std::unique_ptr<ChartNumberChart> lane = drawnLane();
    const QRectF plot = lane->plotRect();
    int step = 0;
    for (auto _ : state) {
        // A new reading under the pointer each time: the hover is written and the labels placed again.
        const QPointF at(plot.left() + std::fmod(step++ * 37.3, plot.width() - 1), plot.center().y());
        QMouseEvent move(QEvent::MouseMove, at, lane->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(lane.get(), &move);
        benchmark::DoNotOptimize(lane->hover());
    }
}

BENCHMARK(BM_NumberLaneHoverUpdate)->Unit(benchmark::kMicrosecond)->UseRealTime();

} // namespace
} // namespace tavlen::ui

#include "StepsCapture.h"
#include "StepsScreenshotView.h"

#include <QCoreApplication>
#include <QImage>
#include <QPainter>
#include <QScrollBar>
#include <QWindow>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>

// The screenshot view over a long page captured at device scale 2: 1280 × 16000 CSS pixels, 2560 × 32000 image
// pixels (320 MB decoded). A zoom step or a pan must repaint within a frame (16 ms). The view holds the capture
// and a QImage over its pixels (no copy) and no scaled cache, so its own memory is the capture's. CPU time is the
// whole process's, so painting work Qt hands to its own threads counts too; on a busy machine it is the figure to
// read against the budget.
namespace tavlen::ui {
namespace {

constexpr std::uint32_t pageWidth = 2560;
constexpr std::uint32_t pageHeight = 32000;
const QSize viewportSize(1280, 800);

class PageCapture final : public StepsCapture
{
public:
    // White with rows of grey "text" every 48 pixels and a rule every 1200, so scaling has edges to sample.
    PageCapture()
    {
        m_image.width = pageWidth;
        m_image.height = pageHeight;
        m_image.pixels.assign(std::size_t(pageWidth) * pageHeight * 4, 255);
        for (std::uint32_t y = 0; y < pageHeight; ++y) {
            const bool rule = y % 1200 < 2;
            const bool textRow = y % 48 >= 16 && y % 48 < 36;
            if (!rule && !textRow) {
                continue;
            }
            std::uint8_t* row = m_image.pixels.data() + std::size_t(y) * pageWidth * 4;
            for (std::uint32_t x = 80; x < pageWidth - 80; ++x) {
                if (rule || (x / 14) % 5 != 4) {
                    row[x * 4] = row[x * 4 + 1] = row[x * 4 + 2] = rule ? 200 : 60;
                }
            }
        }
    }

    const RgbaImage& image() const override { return m_image; }

private:
    RgbaImage m_image;
};

const std::shared_ptr<const StepsCapture>& pageCapture()
{
    static const std::shared_ptr<const StepsCapture> capture = std::make_shared<PageCapture>();
    return capture;
}

struct ShownView
{
    ShownView()
    {
        inputs.screenshot = pageCapture();
        inputs.zoomRequest = {Uuid::random(), StepsZoomRequest::Action::fit};
        for (int index = 0; index < 8; ++index) {
            inputs.regions.push_back(
                {Uuid::random(), index + 1, StepKind::read, {200.0 + 100 * index, 300.0 + 400 * index, 900, 240}});
        }
        inputs.selectedID = inputs.regions[2].id;
        view.viewport()->resize(viewportSize);
        view.resize(viewportSize + QSize(view.verticalScrollBar()->sizeHint().width(), 0));
        view.show();
        // Painting reaches the backing store only once the window is exposed.
        for (int round = 0; round < 10000 && !(view.windowHandle() && view.windowHandle()->isExposed()); ++round) {
            QCoreApplication::processEvents();
        }
        if (!view.windowHandle() || !view.windowHandle()->isExposed()) {
            std::abort();
        }
        view.apply(inputs);
        view.viewport()->repaint();
    }

    void zoom(StepsZoomRequest::Action action)
    {
        inputs.zoomRequest = {Uuid::random(), action};
        view.apply(inputs);
    }

    StepsScreenshotViewInputs inputs;
    StepsScreenshotView view;
};

// A zoom step and its repaint, alternating in and out about the fitted width (about 0.5).
void BM_ScreenshotZoomStepRepaint(benchmark::State& state)
{
    ShownView shown;
    bool zoomIn = true;
    for (auto _ : state) {
        shown.zoom(zoomIn ? StepsZoomRequest::Action::zoomIn : StepsZoomRequest::Action::zoomOut);
        QCoreApplication::processEvents();
        zoomIn = !zoomIn;
    }
    state.counters["magnification"] = shown.view.magnification();
}

BENCHMARK(BM_ScreenshotZoomStepRepaint)->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);

// A pan of 120 points and its repaint, at magnification range(0) / 100.
void BM_ScreenshotPanRepaint(benchmark::State& state)
{
    ShownView shown;
    shown.zoom(StepsZoomRequest::Action::actual);
    const double magnification = double(state.range(0)) / 100;
    while (shown.view.magnification() > magnification * 1.001) {
        shown.zoom(StepsZoomRequest::Action::zoomOut);
    }
    while (shown.view.magnification() < magnification * 0.999) {
        shown.zoom(StepsZoomRequest::Action::zoomIn);
    }
    QScrollBar* bar = shown.view.verticalScrollBar();
    int step = 120;
    for (auto _ : state) {
        if (bar->value() + step > bar->maximum() || bar->value() + step < 0) {
            step = -step;
        }
        bar->setValue(bar->value() + step);
        // The pending updates are painted and flushed as the event loop would.
        QCoreApplication::processEvents();
    }
    state.counters["magnification"] = shown.view.magnification();
}

BENCHMARK(BM_ScreenshotPanRepaint)->Arg(51)->Arg(100)->Arg(195)->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);

// The bare operation beside it: the visible part of the image drawn scaled into a viewport-sized image.
void BM_BareScaledDrawOfTheVisiblePart(benchmark::State& state)
{
    const RgbaImage& pixels = pageCapture()->image();
    const QImage image(pixels.pixels.data(),
                       int(pixels.width),
                       int(pixels.height),
                       qsizetype(pixels.width) * 4,
                       QImage::Format_RGBA8888);
    QImage target(viewportSize, QImage::Format_ARGB32_Premultiplied);
    const double magnification = double(viewportSize.width()) / pageWidth;
    int top = 0;
    for (auto _ : state) {
        QPainter painter(&target);
        painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
        painter.drawImage(QRectF(QPointF(0, 0), QSizeF(viewportSize)),
                          image,
                          QRectF(0, top, viewportSize.width() / magnification, viewportSize.height() / magnification));
        top = (top + 240) % 20000;
    }
}

BENCHMARK(BM_BareScaledDrawOfTheVisiblePart)->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);

} // namespace
} // namespace tavlen::ui

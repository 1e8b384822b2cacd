#include "Scene.h"
#include "StepsCapture.h"
#include "StepsCropPreview.h"
#include "StepsScreenshotView.h"

#include <QImage>
#include <QPainter>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace tavlen::screenshots {
namespace {

using ui::StepsScreenshotView;
using ui::StepsScreenshotViewInputs;
using ui::StepsZoomRequest;

// A page-like capture: a dark header band, a title, paragraphs of grey bars and a price box.
class FixturePage final : public StepsCapture
{
public:
    FixturePage()
    {
        QImage page(1280, 2400, QImage::Format_RGBA8888);
        page.fill(Qt::white);
        QPainter painter(&page);
        painter.fillRect(0, 0, 1280, 90, QColor(0x1f, 0x2a, 0x44));
        painter.fillRect(120, 150, 520, 36, QColor(0x22, 0x22, 0x22));
        for (int block = 0; block < 8; ++block) {
            const int top = 240 + block * 270;
            for (int line = 0; line < 6; ++line) {
                painter.fillRect(120, top + line * 30, line == 5 ? 420 : 760, 12, QColor(0x9a, 0x9a, 0x9a));
            }
        }
        painter.fillRect(940, 240, 220, 140, QColor(0xf2, 0xf5, 0xfa));
        painter.fillRect(970, 280, 150, 40, QColor(0x1a, 0x7f, 0x37));
        painter.end();
        m_image.width = std::uint32_t(page.width());
        m_image.height = std::uint32_t(page.height());
        m_image.pixels.resize(std::size_t(page.width()) * page.height() * 4);
        for (int y = 0; y < page.height(); ++y) {
            std::memcpy(
                m_image.pixels.data() + std::size_t(y) * page.width() * 4, page.constScanLine(y), page.width() * 4);
        }
    }

    const RgbaImage& image() const override { return m_image; }

private:
    RgbaImage m_image;
};

const std::shared_ptr<const StepsCapture>& fixturePage()
{
    static const std::shared_ptr<const StepsCapture> page = std::make_shared<FixturePage>();
    return page;
}

StepsScreenshotViewInputs fixtureInputs(bool selected)
{
    StepsScreenshotViewInputs inputs;
    inputs.screenshot = fixturePage();
    inputs.zoomRequest = {Uuid::random(), StepsZoomRequest::Action::fit};
    inputs.regions = {
        {Uuid::random(), 2, StepKind::read, {110, 140, 540, 56}},
        {Uuid::random(), 3, StepKind::read, {930, 230, 240, 160}},
        {Uuid::random(), 4, StepKind::read, {110, 500, 780, 200}},
    };
    if (selected) {
        inputs.selectedID = inputs.regions[1].id;
    }
    return inputs;
}

// The view with the inputs applied and, once shown, some zoom steps and an optional drag in progress.
std::unique_ptr<QWidget> screenshotScene(StepsScreenshotViewInputs inputs,
                                         std::vector<StepsZoomRequest::Action> zooms,
                                         std::optional<std::pair<QPointF, QPointF>> drag)
{
    auto view = std::make_unique<StepsScreenshotView>();
    view->apply(inputs);
    QTimer::singleShot(0, view.get(), [view = view.get(), inputs, zooms, drag]() mutable {
        for (StepsZoomRequest::Action action : zooms) {
            inputs.zoomRequest = {Uuid::random(), action};
            view->apply(inputs);
        }
        if (drag) {
            QTest::mousePress(view->viewport(), Qt::LeftButton, {}, view->viewportPoint(drag->first).toPoint());
            QTest::mouseMove(view->viewport(), view->viewportPoint(drag->second).toPoint());
        }
    });
    return view;
}

const SceneRegistrar fit{QStringLiteral("steps-screenshot-fit"),
                         [] { return screenshotScene(fixtureInputs(true), {}, std::nullopt); },
                         QSize(720, 520)};

const SceneRegistrar unselected{QStringLiteral("steps-screenshot-unselected"),
                                [] { return screenshotScene(fixtureInputs(false), {}, std::nullopt); },
                                QSize(720, 520)};

const SceneRegistrar zoomedIn{
    QStringLiteral("steps-screenshot-zoom-2x"),
    [] {
        using A = StepsZoomRequest::Action;
        return screenshotScene(fixtureInputs(true), {A::actual, A::zoomIn, A::zoomIn, A::zoomIn}, std::nullopt);
    },
    QSize(720, 520)};

const SceneRegistrar zoomedOut{QStringLiteral("steps-screenshot-zoom-out"),
                               [] {
                                   using A = StepsZoomRequest::Action;
                                   return screenshotScene(fixtureInputs(true), {A::zoomOut, A::zoomOut}, std::nullopt);
                               },
                               QSize(720, 520)};

const SceneRegistrar resizing{
    QStringLiteral("steps-screenshot-resizing"),
    [] {
        return screenshotScene(fixtureInputs(true), {}, std::pair<QPointF, QPointF>({1170, 390}, {1230, 620}));
    },
    QSize(720, 520)};

const SceneRegistrar creating{
    QStringLiteral("steps-screenshot-new-selection"),
    [] {
        return screenshotScene(fixtureInputs(false), {}, std::pair<QPointF, QPointF>({120, 800}, {700, 1000}));
    },
    QSize(720, 520)};

// Crop previews of a selected, an unselected and an outside region, each shown once its crop is made.
class CropPreviews : public QWidget
{
public:
    CropPreviews()
    {
        auto* layout = new QVBoxLayout(this);
        const std::pair<BrowserRect, bool> cases[] = {
            {{930, 230, 240, 160}, true}, {{110, 140, 540, 56}, false}, {{1400, 10, 50, 50}, false}};
        for (const auto& [region, selected] : cases) {
            auto* preview = new ui::StepsCropPreview(this);
            preview->setSource(fixturePage(), region);
            preview->setSelected(selected);
            layout->addWidget(preview);
            m_previews.push_back(preview);
        }
        QTimer::singleShot(0, this, [this] {
            const bool made = QTest::qWaitFor([this] {
                return std::none_of(
                    m_previews.begin(), m_previews.end(), [](ui::StepsCropPreview* p) { return p->isLoading(); });
            });
            if (!made) {
                std::fprintf(stderr, "steps-crop-previews: crops not made\n");
            }
        });
    }

private:
    std::vector<ui::StepsCropPreview*> m_previews;
};

const SceneRegistrar crops{
    QStringLiteral("steps-crop-previews"), [] { return std::make_unique<CropPreviews>(); }, QSize(520, 300)};

} // namespace
} // namespace tavlen::screenshots

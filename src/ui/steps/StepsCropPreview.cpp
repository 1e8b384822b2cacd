#include "StepsCropPreview.h"

#include "Background.h"
#include "Icons.h"
#include "KitColors.h"
#include "ProgressSpinner.h"
#include "ScreenshotCrop.h"
#include "StepsCropImageView.h"
#include "StepsEditorText.h"
#include "StepsScreenshot.h"
#include "TextStyles.h"

#include <QHBoxLayout>
#include <QLabel>

namespace tavlen::ui {
namespace {

constexpr int warningSymbolSize = 12;

// The warning row: the triangle symbol and the sentence, in the caption font, orange.
QWidget* makeOutsideRow(QWidget* parent)
{
    auto* row = new QWidget(parent);
    row->setObjectName(QStringLiteral("stepsCropOutside"));
    const QColor orange = kitColor(KitColor::orange, parent->palette());
    auto* icon = new QLabel(row);
    icon->setPixmap(kitIconPixmap(QStringLiteral("exclamationmark.triangle"),
                                  orange,
                                  QSize(warningSymbolSize, warningSymbolSize),
                                  parent->devicePixelRatioF()));
    auto* label = new QLabel(text::regionOutsideScreenshot(), row);
    label->setTextFormat(Qt::PlainText);
    label->setFont(textStyleFont(TextStyle::caption));
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, orange);
    label->setPalette(palette);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    layout->addWidget(icon);
    layout->addWidget(label);
    return row;
}

} // namespace

StepsCropPreview::StepsCropPreview(QWidget* parent)
    : QWidget(parent)
    , m_outside(makeOutsideRow(this))
    , m_spinner(new ProgressSpinner(ProgressSpinner::Size::small, this))
    , m_image(new StepsCropImageView(this))
    , m_crop(this, [this](Source source, std::stop_token stop) { return makeCrop(std::move(source), stop); })
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_outside);
    layout->addWidget(m_spinner);
    layout->addWidget(m_image, 0, Qt::AlignLeft | Qt::AlignTop);
    layout->addStretch();
    m_outside->hide();
    m_image->hide();
    connect(m_image, &StepsCropImageView::tapped, this, &StepsCropPreview::selectRequested);
}

StepsCropPreview::~StepsCropPreview() = default;

void StepsCropPreview::setSource(std::shared_ptr<const StepsCapture> screenshot, const BrowserRect& region)
{
    const bool inside = screenshot && clampRegionToImage(region, screenshot->image().width, screenshot->image().height);
    m_outside->setVisible(!inside);
    if (!inside) {
        m_spinner->hide();
        m_image->hide();
        return;
    }
    Source source{std::move(screenshot), region};
    if (m_crop.key() && *m_crop.key() == source) {
        // Back to the crop made or being made: show it as it is.
        m_spinner->setVisible(m_crop.isRunning());
        m_image->setVisible(!m_crop.isRunning() && m_hasCrop);
        return;
    }
    m_crop.setKey(std::move(source));
}

void StepsCropPreview::setSelected(bool selected)
{
    m_selected = selected;
    m_image->configure(QImage(), false, selected);
}

bool StepsCropPreview::isOutsideScreenshot() const
{
    return !m_outside->isHidden();
}

bool StepsCropPreview::isLoading() const
{
    return !m_spinner->isHidden();
}

QCoro::Task<void> StepsCropPreview::makeCrop(Source source, std::stop_token stop)
{
    m_hasCrop = false;
    m_image->hide();
    m_spinner->setVisible(!isOutsideScreenshot());
    // The job shares the capture, so the pixels outlive the view if it goes first.
    auto job = [screenshot = source.screenshot, region = source.region] {
        return cropForPreview(screenshot->image(), region);
    };
    auto task = runInBackground(std::move(job));
    std::optional<QImage> crop = co_await std::move(task);
    if (stop.stop_requested()) {
        co_return;
    }
    m_spinner->hide();
    if (crop) {
        m_hasCrop = true;
        m_image->configure(*crop, true, m_selected);
        m_image->setVisible(!isOutsideScreenshot());
    }
}

} // namespace tavlen::ui

#include "StepsReadingResults.h"

#include "ExecutionDurationLabel.h"
#include "Icons.h"
#include "KitColors.h"
#include "QtText.h"
#include "ReadingPill.h"
#include "ReadingPillLayout.h"
#include "TextStyles.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

namespace tavlen::ui {
namespace {

constexpr int spacing = 8;
constexpr int padding = 12;
constexpr double cornerRadius = 8;
constexpr double tintOpacity = 0.1;

QWidget* makePills(const std::vector<Reading>& readings, QWidget* parent)
{
    auto* pills = new QWidget(parent);
    pills->setObjectName(QStringLiteral("readingPills"));
    auto* layout = new ReadingPillLayout(spacing, pills);
    for (const Reading& reading : readings) {
        layout->addWidget(new ReadingPill(reading, pills));
    }
    return pills;
}

// The message with the symbol before it, in the callout font and red, wrapping onto as many lines as it needs.
QWidget* makeFailure(const std::string& message, QWidget* parent)
{
    auto* row = new QWidget(parent);
    row->setObjectName(QStringLiteral("executionFailure"));
    const QColor red = kitColor(KitColor::red, parent->palette());
    const QFont font = textStyleFont(TextStyle::callout);
    auto* symbol = new QLabel(row);
    const int side = QFontMetrics(font).height();
    symbol->setPixmap(
        kitIconPixmap(QStringLiteral("exclamationmark.circle"), red, QSize(side, side), parent->devicePixelRatioF()));
    auto* label = new QLabel(toQString(message), row);
    label->setObjectName(QStringLiteral("executionFailureMessage"));
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setFont(font);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, red);
    label->setPalette(palette);
    // Keeps the height-for-width flag the wrapping gave the label.
    QSizePolicy policy = label->sizePolicy();
    policy.setHorizontalPolicy(QSizePolicy::Expanding);
    label->setSizePolicy(policy);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    layout->addWidget(symbol, 0, Qt::AlignTop);
    layout->addWidget(label, 1);
    return row;
}

} // namespace

StepsReadingResults::StepsReadingResults(bool showsBackground, QWidget* parent)
    : QWidget(parent)
    , m_showsBackground(showsBackground)
{
    setObjectName(QStringLiteral("readingResults"));
    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(spacing);
    layout->setContentsMargins(0, 0, 0, 0);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
}

void StepsReadingResults::setExecution(const StepsExecutionState& execution,
                                       std::optional<std::chrono::nanoseconds> duration)
{
    m_execution = execution;
    m_duration = duration;
    rebuild();
}

void StepsReadingResults::changeEvent(QEvent* event)
{
    // The failure's red and symbol are taken from the palette when built.
    if (event->type() == QEvent::PaletteChange && m_execution.kind() == StepsExecutionState::Kind::failed) {
        rebuild();
    }
    QWidget::changeEvent(event);
}

void StepsReadingResults::rebuild()
{
    auto* column = static_cast<QVBoxLayout*>(layout());
    while (QLayoutItem* item = column->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    const StepsExecutionState::Kind kind = m_execution.kind();
    const bool succeeded = kind == StepsExecutionState::Kind::succeeded;
    const bool failed = kind == StepsExecutionState::Kind::failed;
    // A failure keeps its padding without a background; a success has none then.
    const int inset = failed || (succeeded && m_showsBackground) ? padding : 0;
    column->setContentsMargins(inset, inset, inset, inset);
    if (succeeded) {
        column->addWidget(makePills(m_execution.readings(), this));
    } else if (failed) {
        column->addWidget(makeFailure(m_execution.message(), this));
    }
    if ((succeeded || failed) && m_duration) {
        column->addWidget(new ExecutionDurationLabel(*m_duration, textStyleFont(TextStyle::caption), this));
    }
    updateGeometry();
    update();
}

void StepsReadingResults::paintEvent(QPaintEvent*)
{
    const StepsExecutionState::Kind kind = m_execution.kind();
    if (!m_showsBackground ||
        (kind != StepsExecutionState::Kind::succeeded && kind != StepsExecutionState::Kind::failed)) {
        return;
    }
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    const KitColor tint = kind == StepsExecutionState::Kind::succeeded ? KitColor::green : KitColor::red;
    painter.setBrush(withOpacity(kitColor(tint, palette()), tintOpacity));
    painter.drawRoundedRect(QRectF(rect()), cornerRadius, cornerRadius);
}

} // namespace tavlen::ui

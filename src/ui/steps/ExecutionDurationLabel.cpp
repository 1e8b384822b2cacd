#include "ExecutionDurationLabel.h"

#include "Icons.h"
#include "KitColors.h"
#include "ReadingResultsText.h"
#include "StepsEditorText.h"

#include <QEvent>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>

namespace tavlen::ui {

ExecutionDurationLabel::ExecutionDurationLabel(std::chrono::nanoseconds duration, const QFont& font, QWidget* parent)
    : QWidget(parent)
    , m_symbol(new QLabel(this))
    , m_text(new QLabel(executionDurationText(duration), this))
{
    setObjectName(QStringLiteral("executionDuration"));
    m_text->setTextFormat(Qt::PlainText);
    m_text->setFont(font);
    setFont(font);
    const QString help = text::runningTimePrefix() + m_text->text();
    setToolTip(help);
    setAccessibleName(help);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    layout->addWidget(m_symbol, 0, Qt::AlignVCenter);
    layout->addWidget(m_text, 0, Qt::AlignVCenter);
    layout->addStretch();
    applyColors();
}

QString ExecutionDurationLabel::text() const
{
    return m_text->text();
}

void ExecutionDurationLabel::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::PaletteChange) {
        applyColors();
    }
    QWidget::changeEvent(event);
}

void ExecutionDurationLabel::applyColors()
{
    const QColor secondary = secondaryColor(palette());
    const int side = QFontMetrics(font()).height();
    m_symbol->setPixmap(
        kitIconPixmap(QStringLiteral("clock"), secondary, QSize(side, side) * 0.85, devicePixelRatioF()));
    QPalette textPalette = m_text->palette();
    textPalette.setColor(QPalette::WindowText, secondary);
    m_text->setPalette(textPalette);
}

} // namespace tavlen::ui

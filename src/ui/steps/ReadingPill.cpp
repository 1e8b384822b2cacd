#include "ReadingPill.h"

#include "KitColors.h"
#include "QtText.h"
#include "ReadingResultsText.h"
#include "TextStyles.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>

namespace tavlen::ui {
namespace {

constexpr double fillOpacity = 0.14;
constexpr double strokeOpacity = 0.25;

QLabel* makeLabel(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setFont(textStyleFont(TextStyle::callout));
    label->setWordWrap(false);
    return label;
}

// A pill holds one line: line breaks inside a text reading show as spaces (the help text keeps them).
QString oneLine(QString text)
{
    for (QChar& character : text) {
        if (character == QLatin1Char('\n') || character == QLatin1Char('\r') || character == QChar(0x2028) ||
            character == QChar(0x2029)) {
            character = QLatin1Char(' ');
        }
    }
    return text;
}

} // namespace

ReadingPill::ReadingPill(const Reading& reading, QWidget* parent)
    : QWidget(parent)
    , m_name(makeLabel(toQString(reading.fieldName) + QLatin1Char(':'), this))
    , m_value(makeLabel(oneLine(readingValueText(reading.value)), this))
{
    setObjectName(QStringLiteral("readingPill"));
    QFont nameFont = m_name->font();
    nameFont.setWeight(QFont::Medium);
    m_name->setFont(nameFont);
    m_value->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_value->setCursor(Qt::IBeamCursor);
    setToolTip(readingPillHelp(reading));
    setAccessibleName(readingPillHelp(reading));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(12, 6, 12, 6);
    layout->setSpacing(6);
    layout->addWidget(m_name, 0, Qt::AlignVCenter);
    layout->addWidget(m_value, 0, Qt::AlignVCenter);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    applyColors();
}

void ReadingPill::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor green = kitColor(KitColor::green, palette());
    const QRectF bounds = QRectF(rect());
    const double radius = bounds.height() / 2;
    painter.setPen(Qt::NoPen);
    painter.setBrush(withOpacity(green, fillOpacity));
    painter.drawRoundedRect(bounds, radius, radius);
    // Stroked inside the edge: the pen's centre runs half a line width in.
    const QRectF stroke = bounds.adjusted(0.5, 0.5, -0.5, -0.5);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(withOpacity(green, strokeOpacity), 1));
    painter.drawRoundedRect(stroke, stroke.height() / 2, stroke.height() / 2);
}

void ReadingPill::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::PaletteChange) {
        applyColors();
    }
    QWidget::changeEvent(event);
}

void ReadingPill::applyColors()
{
    QPalette namePalette = m_name->palette();
    namePalette.setColor(QPalette::WindowText, secondaryColor(palette()));
    m_name->setPalette(namePalette);
}

} // namespace tavlen::ui

#include "ChartPanel.h"

#include "ChartIssueStrip.h"
#include "ChartNumberChart.h"
#include "ChartTextChart.h"
#include "ChartsText.h"
#include "KitColors.h"
#include "QtText.h"
#include "TextStyles.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

namespace tavlen::ui {

namespace {

// The badge: caption text on a quaternary capsule.
class Badge : public QLabel
{
public:
    Badge(const QString& text, QWidget* parent)
        : QLabel(text, parent)
    {
        setFont(textStyleFont(TextStyle::caption));
        setContentsMargins(6, 2, 6, 2);
        QPalette colors = palette();
        colors.setColor(QPalette::WindowText, secondaryColor(colors));
        setPalette(colors);
    }

protected:
    void paintEvent(QPaintEvent* event) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(withOpacity(primaryColor(palette()), 0.1));
        const QRectF capsule = QRectF(rect());
        painter.drawRoundedRect(capsule, capsule.height() / 2, capsule.height() / 2);
        painter.end();
        QLabel::paintEvent(event);
    }
};

} // namespace

ChartPanel::ChartPanel(const ChartSeries& series, QWidget* parent)
    : QWidget(parent)
    , m_series(std::make_shared<const ChartSeries>(series))
    , m_column(new QVBoxLayout(this))
    , m_title(new QLabel(this))
    , m_badge(new Badge(toQString(chartsText::noLongerTracked), this))
{
    m_column->setContentsMargins(16, 16, 16, 16);
    m_column->setSpacing(12);
    auto* titleRow = new QHBoxLayout;
    m_title->setFont(textStyleFont(TextStyle::headline));
    m_title->setTextFormat(Qt::PlainText);
    m_title->setTextInteractionFlags(Qt::TextSelectableByMouse);
    titleRow->addWidget(m_title, 0, Qt::AlignBaseline);
    titleRow->addWidget(m_badge, 0, Qt::AlignBaseline);
    titleRow->addStretch(1);
    m_column->addLayout(titleRow);
    buildLanes();
}

void ChartPanel::setSeries(const ChartSeries& series)
{
    if (series == *m_series) {
        return;
    }
    const bool isNewSnapshot = series.snapshotID != m_series->snapshotID;
    m_series = std::make_shared<const ChartSeries>(series);
    if (isNewSnapshot) {
        delete m_numberChart;
        m_numberChart = nullptr;
        delete m_textChart;
        m_textChart = nullptr;
    }
    buildLanes();
}

void ChartPanel::buildLanes()
{
    m_title->setText(toQString(m_series->title));
    m_badge->setVisible(m_series->field.isNoLongerTracked);
    // Lanes sit below the title row in a fixed order: number, text, strip.
    int next = 1;
    if (m_series->hasNumberLane && !m_numberChart) {
        m_numberChart = new ChartNumberChart(m_series, this);
        m_column->insertWidget(next, m_numberChart);
    }
    next += m_numberChart ? 1 : 0;
    if (m_series->hasTextLane && !m_textChart) {
        m_textChart = new ChartTextChart(m_series, this);
        m_column->insertWidget(next, m_textChart);
    }
    if (m_series->issues.empty()) {
        delete m_issueStrip;
        m_issueStrip = nullptr;
    } else if (m_issueStrip) {
        m_issueStrip->setSeries(m_series);
    } else {
        m_issueStrip = new ChartIssueStrip(m_series, this);
        m_column->addWidget(m_issueStrip);
    }
}

void ChartPanel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF card = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    painter.setBrush(palette().color(QPalette::Window));
    painter.setPen(QPen(withOpacity(primaryColor(palette()), 0.1), 1));
    painter.drawRoundedRect(card, 10, 10);
}

} // namespace tavlen::ui

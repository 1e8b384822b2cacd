#include "ChartIssueStrip.h"

#include "Accessibility.h"
#include "ChartAxisPainter.h"
#include "ChartIssueHoverView.h"
#include "ChartsText.h"
#include "Icons.h"
#include "KitColors.h"
#include "QtText.h"
#include "TextStyles.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

#include <cmath>

namespace tavlen::ui {

namespace {

constexpr double midY = chartIssueTrackHeight / 2;

// A plain, bezel-less button over the whole row: chevron, orange symbol, "N missing readings".
class SummaryButton : public QAbstractButton
{
public:
    explicit SummaryButton(QWidget* parent)
        : QAbstractButton(parent)
    {
        setFont(textStyleFont(TextStyle::caption));
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        setCursor(Qt::PointingHandCursor);
    }

    void setState(qsizetype count, bool expanded)
    {
        setText(QString::number(count) +
                toQString(count == 1 ? chartsText::missingReading : chartsText::missingReadings));
        m_expanded = expanded;
        setAccessibleDescription(toQString(expanded ? chartsText::expanded : chartsText::collapsed));
        update();
    }

    QSize sizeHint() const override { return {200, fontMetrics().height() + 4}; }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        const int side = fontMetrics().height();
        const int top = (height() - side) / 2;
        const QString chevron =
            QStringLiteral("chevron.") + (m_expanded ? QStringLiteral("down") : QStringLiteral("right"));
        kitIcon(chevron, secondaryColor(palette())).paint(&painter, QRect(0, top, 10, side));
        kitIcon(QStringLiteral("exclamationmark.circle"), kitColor(KitColor::orange, palette()))
            .paint(&painter, QRect(18, top, side, side));
        painter.setPen(primaryColor(palette()));
        painter.drawText(QRect(18 + side + 8, 0, width(), height()), Qt::AlignVCenter | Qt::AlignLeft, text());
    }

private:
    bool m_expanded = false;
};

} // namespace

ChartIssueTrack::ChartIssueTrack(QWidget* parent)
    : QWidget(parent)
    , m_hoverView(new ChartIssueHoverView(this))
{
    setFixedHeight(static_cast<int>(chartIssueTrackHeight));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setAccessibility(this, toQString(chartsText::missingTimestamps));
}

void ChartIssueTrack::setData(std::shared_ptr<const ChartSeries> series, std::optional<Uuid> hoverID)
{
    m_series = std::move(series);
    m_hoverID = std::move(hoverID);
    layOut();
}

void ChartIssueTrack::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    layOut();
}

void ChartIssueTrack::layOut()
{
    if (!m_series) {
        return;
    }
    m_markers = makeChartIssueMarkers(m_series->issues, m_series->window, width());
    m_hoverView->setGeometry(rect());
    m_hoverView->setData(m_series, m_markers, [this](const std::optional<Uuid>& id) { Q_EMIT selectionChanged(id); });
    update();
}

void ChartIssueTrack::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QColor orange = kitColor(KitColor::orange, palette());
    QPainterPath ticks;
    for (const int column : chartIssueTickColumns(m_markers)) {
        ticks.moveTo(column, midY - 4);
        ticks.lineTo(column, midY + 4);
    }
    painter.strokePath(ticks, QPen(orange, 1));
    if (!m_hoverID) {
        return;
    }
    const std::optional<ChartIssueMarker> marker = chartIssueMarkerOf(m_markers, *m_hoverID);
    if (!marker) {
        return;
    }
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(withOpacity(orange, 0.18));
    painter.drawRoundedRect(chartIssueMarkerRect(marker->x), 4, 4);
    painter.setPen(QPen(orange, 3, Qt::SolidLine, Qt::RoundCap, Qt::MiterJoin));
    painter.drawLine(QPointF(marker->x, midY - 8), QPointF(marker->x, midY + 8));
}

ChartIssueStrip::ChartIssueStrip(std::shared_ptr<const ChartSeries> series, QWidget* parent)
    : QWidget(parent)
    , m_series(std::move(series))
    , m_summary(new SummaryButton(this))
    , m_trackRow(new QWidget(this))
{
    m_summary->setObjectName(QStringLiteral("chart-missing-readings"));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(8);
    column->addWidget(m_summary);
    column->addWidget(m_trackRow);
    auto* row = new QHBoxLayout(m_trackRow);
    row->setContentsMargins(static_cast<int>(chartLeadingInset), 0, 0, 0);
    m_trackRow->hide();
    connect(m_summary, &QAbstractButton::clicked, this, &ChartIssueStrip::toggle);
    refresh();
}

void ChartIssueStrip::setSeries(std::shared_ptr<const ChartSeries> series)
{
    const bool isNewSnapshot = series->snapshotID != m_series->snapshotID;
    m_series = std::move(series);
    if (isNewSnapshot) {
        m_hoverID.reset();
    }
    refresh();
}

void ChartIssueStrip::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    setHoverID(std::nullopt);
}

void ChartIssueStrip::toggle()
{
    m_isExpanded = !m_isExpanded;
    m_hoverID.reset();
    if (m_isExpanded) {
        m_track = new ChartIssueTrack(m_trackRow);
        m_trackRow->layout()->addWidget(m_track);
        connect(m_track, &ChartIssueTrack::selectionChanged, this, &ChartIssueStrip::setHoverID);
        m_trackRow->show();
    } else {
        // Removing the track takes its hover layer, whose tooltip closes without telling anyone.
        m_trackRow->hide();
        delete m_track;
        m_track = nullptr;
    }
    refresh();
}

void ChartIssueStrip::setHoverID(const std::optional<Uuid>& id)
{
    if (m_hoverID == id) {
        return;
    }
    m_hoverID = id;
    refresh();
}

void ChartIssueStrip::refresh()
{
    static_cast<SummaryButton*>(m_summary)->setState(static_cast<qsizetype>(m_series->issues.size()), m_isExpanded);
    if (m_track) {
        m_track->setData(m_series, m_hoverID);
    }
}

} // namespace tavlen::ui

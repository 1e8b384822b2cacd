#include "MonitorSidebarRow.h"

#include "ElidedLabel.h"
#include "MonitorReorderDrop.h"
#include "MonitorScheduleIndicator.h"
#include "MonitorStatusIndicator.h"
#include "MonitorWorkspace.h"
#include "QtText.h"
#include "SidebarPageLine.h"
#include "StepsStore.h"
#include "TextStyles.h"

#include <QApplication>
#include <QDrag>
#include <QHBoxLayout>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

namespace tavlen::ui {

namespace {

constexpr int previewSideMargin = 10;
constexpr int previewTopMargin = 8;
constexpr double previewCornerRadius = 8;

} // namespace

MonitorSidebarRow::MonitorSidebarRow(
    Monitor monitor, MonitorWorkspace& workspace, StepsStore& stepsStore, MonitorScheduleFacts facts, QWidget* parent)
    : QWidget(parent)
    , m_monitor(std::move(monitor))
    , m_workspace(workspace)
    , m_store(stepsStore)
    , m_schedule(new MonitorScheduleIndicator(m_monitor, facts.state, MonitorScheduleIndicator::Size::sidebar, this))
    , m_name(new ElidedLabel(this))
    , m_page(new ElidedLabel(this))
    , m_status(
          new MonitorStatusIndicator(m_monitor, workspace, stepsStore, MonitorStatusIndicator::Size::sidebar, this))
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 4, 0, 4);
    layout->setSpacing(8);
    layout->addWidget(m_schedule, 0, Qt::AlignVCenter);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(3);
    QFont nameFont = font();
    nameFont.setWeight(QFont::Medium);
    m_name->setFont(nameFont);
    m_name->setTextIsTooltip(true);
    m_page->setFont(textStyleFont(TextStyle::caption));
    m_page->setSecondary(true);
    texts->addWidget(m_name);
    texts->addWidget(m_page);
    layout->addLayout(texts, 1);
    layout->addWidget(m_status, 0, Qt::AlignVCenter);
    m_name->setObjectName(QStringLiteral("monitor-row-name"));
    m_page->setObjectName(QStringLiteral("monitor-row-page"));

    m_name->setText(toQString(m_monitor.name));
    m_status->setQueued(facts.isQueued);
    connect(&workspace, &MonitorWorkspaceState::sidebarSummariesChanged, this, [this] { refreshPageLine(); });
    connect(&workspace, &MonitorWorkspaceState::sidebarErrorChanged, this, [this] { refreshPageLine(); });
    refreshPageLine();
}

void MonitorSidebarRow::setMonitor(const Monitor& monitor)
{
    m_monitor = monitor;
    m_name->setText(toQString(monitor.name));
    m_schedule->setMonitor(monitor);
    m_status->setMonitor(monitor);
    refreshPageLine();
}

void MonitorSidebarRow::setScheduleFacts(const MonitorScheduleFacts& facts)
{
    m_schedule->setScheduleState(facts.state);
    m_status->setQueued(facts.isQueued);
}

void MonitorSidebarRow::setHighlighted(bool highlighted)
{
    if (highlighted == m_highlighted) {
        return;
    }
    m_highlighted = highlighted;
    if (!highlighted) {
        setPalette(QPalette()); // inherits the list's again
        return;
    }
    QPalette selected = palette();
    selected.setColor(QPalette::WindowText, selected.color(QPalette::HighlightedText));
    setPalette(selected);
}

void MonitorSidebarRow::refreshPageLine()
{
    const std::optional<std::string> domain = summaryDomain(m_workspace.sidebarSummaries(), m_monitor.id);
    m_page->setText(monitorPageText(domain, m_workspace.sidebarError().has_value()));
    m_page->setToolTip(monitorPageHelp(domain));
}

std::unique_ptr<QMimeData> MonitorSidebarRow::makeDragData() const
{
    auto data = std::make_unique<QMimeData>();
    const auto& store = m_workspace.stepsStore();
    if (canReorderMonitors(m_workspace.canStartAction(), store && store->isNavigating())) {
        data->setText(toQString(monitorDragPayload(m_monitor.id)));
    }
    return data;
}

QPixmap MonitorSidebarRow::dragPreview()
{
    const QSize content(m_contentWidth, height());
    const QSize card(content.width() + 2 * previewSideMargin, content.height() + 2 * previewTopMargin);
    const qreal scale = devicePixelRatioF();
    QPixmap pixmap(card * scale);
    pixmap.setDevicePixelRatio(scale);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(QPointF(0, 0), QSizeF(card)), previewCornerRadius, previewCornerRadius);
    painter.fillPath(shape, palette().color(QPalette::Window));
    painter.setClipPath(shape);
    // The row's own widgets draw their content (grabbed on their own: a graphics effect, such as the schedule
    // indicator's fade, is drawn at the wrong place when rendered through an offset painter).
    painter.drawPixmap(QPoint(previewSideMargin, previewTopMargin), grab(QRect(QPoint(0, 0), content)));
    return pixmap;
}

void MonitorSidebarRow::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        m_pressPosition = event->position().toPoint();
    }
    QWidget::mousePressEvent(event);
}

void MonitorSidebarRow::mouseMoveEvent(QMouseEvent* event)
{
    if (m_pressPosition && (event->buttons() & Qt::LeftButton) &&
        (event->position().toPoint() - *m_pressPosition).manhattanLength() >= QApplication::startDragDistance()) {
        m_pressPosition.reset();
        startDrag();
        return;
    }
    QWidget::mouseMoveEvent(event);
}

void MonitorSidebarRow::mouseReleaseEvent(QMouseEvent* event)
{
    // A press and release without a drag in between is a click.
    if (event->button() == Qt::LeftButton && m_pressPosition) {
        m_pressPosition.reset();
        m_workspace.select(m_monitor.id);
    }
    QWidget::mouseReleaseEvent(event);
}

void MonitorSidebarRow::resizeEvent(QResizeEvent* event)
{
    m_contentWidth = width();
    QWidget::resizeEvent(event);
}

void MonitorSidebarRow::startDrag()
{
    std::unique_ptr<QMimeData> data = makeDragData();
    if (data->formats().isEmpty()) {
        return; // an empty item: nothing a drop could use
    }
    auto* drag = new QDrag(this);
    drag->setPixmap(dragPreview());
    drag->setHotSpot(QPoint(previewSideMargin, previewTopMargin + height() / 2));
    drag->setMimeData(data.release());
    drag->exec(Qt::MoveAction);
}

} // namespace tavlen::ui

#include "MonitorSidebarList.h"

#include "MonitorReorderDrop.h"
#include "MonitorScheduler.h"
#include "MonitorSidebarRow.h"
#include "MonitorWorkspace.h"
#include "QtText.h"
#include "StepsStore.h"
#include "WorkspaceViewText.h"

#include <QContextMenuEvent>
#include <QDropEvent>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QPointer>
#include <QTimer>

namespace tavlen::ui {

namespace {

// Each dropped file or link is an item; a text alone is one.
std::size_t dropItemCount(const QMimeData& data)
{
    if (data.hasUrls()) {
        return static_cast<std::size_t>(data.urls().size());
    }
    return data.hasText() ? 1 : 0;
}

} // namespace

MonitorSidebarList::MonitorSidebarList(MonitorWorkspace& workspace,
                                       StepsStore& stepsStore,
                                       MonitorScheduler* scheduler,
                                       QWidget* parent)
    : QListWidget(parent)
    , m_workspace(workspace)
    , m_store(stepsStore)
    , m_scheduler(scheduler)
{
    setObjectName(QStringLiteral("monitor-list"));
    setFrameShape(QFrame::NoFrame);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::NoDragDrop); // the rows start drags, drops are handled here
    setSpacing(0);

    connect(&workspace, &MonitorWorkspaceState::monitorsChanged, this, [this] { rebuildRows(); });
    connect(&workspace, &MonitorWorkspaceState::selectionChanged, this, [this] { showWorkspaceSelection(); });
    connect(this, &QListWidget::currentRowChanged, this, &MonitorSidebarList::handleCurrentRowChanged);
    if (scheduler) {
        connect(scheduler, &MonitorScheduler::snapshotChanged, this, [this] { refreshScheduleFacts(); });
    }
    rebuildRows();
}

MonitorSidebarRow* MonitorSidebarList::row(int index) const
{
    return qobject_cast<MonitorSidebarRow*>(itemWidget(item(index)));
}

MonitorSidebarRow* MonitorSidebarList::row(const Uuid& monitorID) const
{
    for (int i = 0; i < count(); ++i) {
        if (MonitorSidebarRow* found = row(i); found && found->monitor().id == monitorID) {
            return found;
        }
    }
    return nullptr;
}

void MonitorSidebarList::rebuildRows()
{
    const std::vector<Monitor>& monitors = m_workspace.monitors();
    std::vector<Uuid> ids;
    ids.reserve(monitors.size());
    for (const Monitor& monitor : monitors) {
        ids.push_back(monitor.id);
    }
    if (ids == m_ids) {
        for (std::size_t i = 0; i < monitors.size(); ++i) {
            row(static_cast<int>(i))->setMonitor(monitors[i]);
        }
        return;
    }
    m_ids = std::move(ids);
    m_showingSelection = true;
    clear();
    const ScheduleSnapshot* snapshot = m_scheduler ? &m_scheduler->snapshot() : nullptr;
    for (const Monitor& monitor : monitors) {
        auto* item = new QListWidgetItem(this);
        auto* rowWidget = new MonitorSidebarRow(monitor, m_workspace, m_store, scheduleFactsOf(snapshot, monitor.id));
        rowWidget->setContentsMargins(8, 0, 8, 0);
        item->setSizeHint(rowWidget->sizeHint());
        setItemWidget(item, rowWidget);
    }
    m_showingSelection = false;
    showWorkspaceSelection();
}

void MonitorSidebarList::refreshScheduleFacts()
{
    for (int i = 0; i < count(); ++i) {
        MonitorSidebarRow* rowWidget = row(i);
        rowWidget->setScheduleFacts(scheduleFactsOf(&m_scheduler->snapshot(), rowWidget->monitor().id));
    }
}

void MonitorSidebarList::showWorkspaceSelection()
{
    const std::optional<Uuid>& selection = m_workspace.selection();
    int index = -1;
    for (std::size_t i = 0; selection && i < m_ids.size(); ++i) {
        if (m_ids[i] == *selection) {
            index = static_cast<int>(i);
            break;
        }
    }
    m_showingSelection = true;
    setCurrentRow(index);
    if (index < 0) {
        clearSelection();
    }
    m_showingSelection = false;
    for (int i = 0; i < count(); ++i) {
        row(i)->setHighlighted(i == index);
    }
}

void MonitorSidebarList::handleCurrentRowChanged(int index)
{
    if (m_showingSelection) {
        return;
    }
    const std::optional<Uuid> chosen =
        index >= 0 && static_cast<std::size_t>(index) < m_ids.size() ? std::optional(m_ids[index]) : std::nullopt;
    m_workspace.select(chosen);
    // The list shows what the workspace holds: a change waiting for the leave check is not shown yet.
    showWorkspaceSelection();
}

std::size_t MonitorSidebarList::insertionOffset(const QPoint& viewportPosition) const
{
    std::vector<RowSpan> spans;
    spans.reserve(static_cast<std::size_t>(count()));
    for (int i = 0; i < count(); ++i) {
        const QRect rect = visualItemRect(item(i));
        spans.push_back({rect.top(), rect.bottom() + 1});
    }
    return insertionOffsetAt(spans, viewportPosition.y());
}

bool MonitorSidebarList::acceptsDropOf(const QMimeData& data) const
{
    const auto& store = m_workspace.stepsStore();
    return acceptsMonitorDrop({m_workspace.canStartAction(), store && store->isNavigating(), dropItemCount(data)});
}

bool MonitorSidebarList::dropMonitor(const QMimeData& data, std::size_t destination)
{
    if (!acceptsDropOf(data)) {
        return false;
    }
    std::vector<Uuid> snapshot;
    for (const Monitor& monitor : m_workspace.monitors()) {
        snapshot.push_back(monitor.id);
    }
    std::optional<std::string> text;
    if (data.hasText()) {
        text = fromQString(data.text());
    }
    // The rest runs on a later turn, as for a drop whose text arrives late: a list changed meanwhile refuses it.
    QPointer<MonitorWorkspace> workspace(&m_workspace);
    QTimer::singleShot(0, this, [workspace, snapshot = std::move(snapshot), text = std::move(text), destination] {
        if (!workspace) {
            return;
        }
        std::vector<Uuid> current;
        for (const Monitor& monitor : workspace->monitors()) {
            current.push_back(monitor.id);
        }
        if (const auto move = resolveMonitorDrop(snapshot, current, text, destination)) {
            workspace->moveMonitors({move->source}, move->destination);
        }
    });
    return true;
}

void MonitorSidebarList::dragEnterEvent(QDragEnterEvent* event)
{
    if (!acceptsDropOf(*event->mimeData())) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    setDropIndicator(insertionOffset(event->position().toPoint()));
}

void MonitorSidebarList::dragMoveEvent(QDragMoveEvent* event)
{
    if (!acceptsDropOf(*event->mimeData())) {
        event->ignore();
        setDropIndicator(std::nullopt);
        return;
    }
    event->acceptProposedAction();
    setDropIndicator(insertionOffset(event->position().toPoint()));
}

void MonitorSidebarList::dragLeaveEvent(QDragLeaveEvent* event)
{
    setDropIndicator(std::nullopt);
    event->accept();
}

void MonitorSidebarList::dropEvent(QDropEvent* event)
{
    setDropIndicator(std::nullopt);
    if (dropMonitor(*event->mimeData(), insertionOffset(event->position().toPoint()))) {
        event->acceptProposedAction();
    } else {
        event->ignore();
    }
}

void MonitorSidebarList::setDropIndicator(std::optional<std::size_t> offset)
{
    if (offset == m_dropIndicator) {
        return;
    }
    m_dropIndicator = offset;
    viewport()->update();
}

void MonitorSidebarList::paintEvent(QPaintEvent* event)
{
    QListWidget::paintEvent(event);
    if (!m_dropIndicator || count() == 0) {
        return;
    }
    const int index = static_cast<int>(*m_dropIndicator);
    const int y = index < count() ? visualItemRect(item(index)).top() : visualItemRect(item(count() - 1)).bottom() + 1;
    QPainter painter(viewport());
    painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
    painter.drawLine(QPoint(4, y), QPoint(viewport()->width() - 4, y));
}

void MonitorSidebarList::contextMenuEvent(QContextMenuEvent* event)
{
    if (!itemAt(viewport()->mapFromGlobal(event->globalPos()))) {
        return;
    }
    QMenu menu(this);
    QAction* newMonitor = menu.addAction(text::newMonitor);
    newMonitor->setEnabled(m_workspace.canStartAction());
    QPointer<MonitorWorkspace> workspace(&m_workspace);
    connect(newMonitor, &QAction::triggered, this, [workspace] {
        if (workspace) {
            workspace->beginNewMonitor();
        }
    });
    menu.exec(event->globalPos());
}

} // namespace tavlen::ui

#pragma once

// moc cannot parse the C++20 standard headers these pull in; it needs none of them.
#ifndef Q_MOC_RUN
#include "Uuid.h"
#endif

#include <QListWidget>

#include <optional>
#include <vector>

class QMimeData;

namespace tavlen {
class MonitorScheduler;
class MonitorWorkspace;
class StepsStore;
} // namespace tavlen

namespace tavlen::ui {

class MonitorSidebarRow;

// The sidebar's monitor list: one row per monitor of the workspace in its order, showing the workspace's
// selection (a change the leave check has not approved yet snaps back), a "New monitor" context menu, and the
// drop target that turns a dropped row into a move of the workspace's monitors.
class MonitorSidebarList : public QListWidget
{
    Q_OBJECT

public:
    // Without a scheduler the rows show no queue or schedule state.
    MonitorSidebarList(MonitorWorkspace& workspace,
                       StepsStore& stepsStore,
                       MonitorScheduler* scheduler,
                       QWidget* parent = nullptr);

    MonitorSidebarRow* row(int index) const;
    MonitorSidebarRow* row(const Uuid& monitorID) const;

    // The insertion offset of a drop at a point of the viewport: 0 before the first row to the row count.
    std::size_t insertionOffset(const QPoint& viewportPosition) const;
    // A drop of the data at the insertion offset; the move, when the drop holds, runs on a later turn of the
    // event loop, after the list is checked to be unchanged. Whether the drop was taken.
    bool dropMonitor(const QMimeData& data, std::size_t destination);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void rebuildRows();
    void refreshScheduleFacts();
    void showWorkspaceSelection();
    void handleCurrentRowChanged(int row);
    bool acceptsDropOf(const QMimeData& data) const;
    void setDropIndicator(std::optional<std::size_t> offset);

    MonitorWorkspace& m_workspace;
    StepsStore& m_store;
    MonitorScheduler* m_scheduler;
    std::vector<Uuid> m_ids;
    bool m_showingSelection = false;
    std::optional<std::size_t> m_dropIndicator;
};

} // namespace tavlen::ui

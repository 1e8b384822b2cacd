#pragma once

#ifndef Q_MOC_RUN
#include "ChartIssueMarkers.h"
#include "ChartSeries.h"
#endif

#include <QAbstractButton>
#include <QWidget>

#include <memory>
#include <optional>

namespace tavlen::ui {

class ChartIssueHoverView;

// The track of the missing-readings strip: one orange tick per integer column holding markers, and the hovered
// marker highlighted; its hover layer lies on top.
class ChartIssueTrack : public QWidget
{
    Q_OBJECT

public:
    explicit ChartIssueTrack(QWidget* parent = nullptr);

    const std::vector<ChartIssueMarker>& markers() const { return m_markers; }

    ChartIssueHoverView* hoverView() const { return m_hoverView; }

    void setData(std::shared_ptr<const ChartSeries> series, std::optional<Uuid> hoverID);

Q_SIGNALS:
    void selectionChanged(const std::optional<tavlen::Uuid>& id);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void layOut();

    std::shared_ptr<const ChartSeries> m_series;
    std::optional<Uuid> m_hoverID;
    std::vector<ChartIssueMarker> m_markers;
    ChartIssueHoverView* m_hoverView;
};

// Closes a panel whose series has issues: a summary button ("4 missing readings") that expands a track of
// markers along the time axis, each showing its check's time in a tooltip. It outlives new snapshots of its
// panel: expanded stays expanded, the highlight is cleared.
class ChartIssueStrip : public QWidget
{
    Q_OBJECT

public:
    explicit ChartIssueStrip(std::shared_ptr<const ChartSeries> series, QWidget* parent = nullptr);

    bool isExpanded() const { return m_isExpanded; }

    const std::optional<Uuid>& hoverID() const { return m_hoverID; }

    ChartIssueTrack* track() const { return m_track; }

    QAbstractButton* summaryButton() const { return m_summary; }

    void setSeries(std::shared_ptr<const ChartSeries> series);

protected:
    void hideEvent(QHideEvent* event) override;

private:
    void toggle();
    void setHoverID(const std::optional<Uuid>& id);
    void refresh();

    std::shared_ptr<const ChartSeries> m_series;
    bool m_isExpanded = false;
    std::optional<Uuid> m_hoverID;
    QAbstractButton* m_summary;
    QWidget* m_trackRow;
    ChartIssueTrack* m_track = nullptr;
};

} // namespace tavlen::ui

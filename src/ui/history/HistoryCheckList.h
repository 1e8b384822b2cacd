#pragma once

#ifndef Q_MOC_RUN
#include "HistoryListState.h"
#include "HistoryRowOffsets.h"
#include "Uuid.h"
#endif

#include <QAbstractScrollArea>

#include <optional>
#include <unordered_map>
#include <vector>

namespace tavlen {
class MonitorHistory;
}

namespace tavlen::ui {

class CheckRow;

// The scrolling list of a monitor's checks, newest first, with the footer that pages in older ones. Only the rows
// in view exist as widgets: a row is made when it scrolls in and dropped when it scrolls out, and rows never
// measured count at an estimated height, so the list costs what its visible rows cost however many checks the
// model holds. The check at the top stays at the top when rows above it come, go or change height. Narrower than
// 620 pixels, the list keeps that width and scrolls sideways.
class HistoryCheckList : public QAbstractScrollArea
{
    Q_OBJECT

public:
    static constexpr int minimumContentWidth = 620;

    // model must outlive the list.
    explicit HistoryCheckList(MonitorHistory& model, QWidget* parent = nullptr);
    ~HistoryCheckList() override;

    // The check whose row is at the top of the view; none before any row was shown.
    const std::optional<Uuid>& scrollID() const { return m_scrollID; }

    // The rows that exist, top to bottom.
    std::vector<CheckRow*> rows() const;
    CheckRow* rowFor(const Uuid& checkID) const;

    HistoryFooter footerKind() const { return m_footerKind; }

    int contentWidth() const;
    // Where the row of the check starts in the list's content; none for a check not listed.
    std::optional<std::int64_t> topOf(const Uuid& checkID) const;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    bool viewportEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void handleChecksChanged();
    void refreshFooter();
    void scheduleLayout();
    void layoutRows();
    bool measureVisibleRows(int width);
    void placeRows(int width);
    void updateScrollBars(int width);
    void applyAnchor();
    void takeAnchorFromScroll();
    int footerHeight(int width) const;
    CheckRow* ensureRow(int index);

    struct Anchor
    {
        Uuid checkID;
        std::int64_t offset = 0; // of the view's top below the row's top
    };

    MonitorHistory& m_model;
    std::vector<Uuid> m_ids;
    std::unordered_map<Uuid, int> m_indexOf;
    std::unordered_map<Uuid, int> m_measured; // row heights at m_measuredWidth
    int m_measuredWidth = -1;
    int m_estimate = 0;
    HistoryRowOffsets m_offsets;
    std::unordered_map<Uuid, CheckRow*> m_rows;
    std::optional<Anchor> m_anchor;
    std::optional<Uuid> m_scrollID;
    QWidget* m_footer;
    HistoryFooter m_footerKind = HistoryFooter::none;
    bool m_layingOut = false;
    bool m_layoutPending = false;
};

} // namespace tavlen::ui

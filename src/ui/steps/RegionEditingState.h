#pragma once

#include "BrowserRect.h"
#include "RegionGeometry.h"
#include "StepKind.h"
#include "StepsRegionOverlay.h"
#include "Uuid.h"

#include <QPointF>
#include <QSizeF>

#include <optional>
#include <vector>

namespace tavlen::ui {

// One rectangle as it is drawn: clamped to the image, with its badge's number and icon kind when it has a badge.
struct DisplayedRegion
{
    BrowserRect rect;
    std::optional<int> number;
    std::optional<StepKind> kind;
    bool selected = false;

    friend bool operator==(const DisplayedRegion&, const DisplayedRegion&) = default;
};

// A finished drag: the rectangle in image pixels, clamped to the image, and the region it belongs to (none for a
// new rectangle or the free selection).
struct RegionCommit
{
    BrowserRect rect;
    std::optional<Uuid> regionID;

    friend bool operator==(const RegionCommit&, const RegionCommit&) = default;
};

// The region-editing gestures on a screenshot, without a widget: what a press hits, how a drag reshapes the
// working rectangle, what a release commits, and what is drawn meanwhile. Points are image pixels already kept on
// the image (imagePointOnImage). The host's regions, selected id and free selection are inputs; the state never
// changes them, it reports a selection on press and a rectangle on release.
class RegionEditingState
{
public:
    enum class Mode
    {
        resize,
        create,
        move,
    };

    // What a press reported: the id it selected, or none when it began a new rectangle. Absent when the press
    // acted on the active rectangle (a handle or its inside) and selected nothing.
    using PressReport = std::optional<std::optional<Uuid>>;

    void setImageSize(QSizeF size) { m_imageSize = size; }

    QSizeF imageSize() const { return m_imageSize; }

    void setRegions(std::vector<StepsRegionOverlay> regions) { m_regions = std::move(regions); }

    const std::vector<StepsRegionOverlay>& regions() const { return m_regions; }

    void setSelectedID(std::optional<Uuid> id) { m_selectedID = id; }

    const std::optional<Uuid>& selectedID() const { return m_selectedID; }

    void setSelection(std::optional<BrowserRect> selection) { m_selection = selection; }

    const std::optional<BrowserRect>& selection() const { return m_selection; }

    // The rectangle that handles and moving act on: the selected region clamped to the image, or, without a
    // selected region, the free selection.
    std::optional<BrowserRect> activeSelection() const;

    // Everything drawn, in drawing order: the regions (the one under a gesture replaced by the working rectangle),
    // the free selection when no region is selected, then the working rectangle.
    std::vector<DisplayedRegion> displayedRegions() const;

    std::optional<Mode> mode() const { return m_mode; }

    std::optional<HandleDirection> resizeHandle() const;

    const std::optional<BrowserRect>& workingRect() const { return m_workingRect; }

    bool hasGesture() const { return m_mode.has_value(); }

    // A press always starts a gesture: the active rectangle's handles first (within 7 points), then its inside,
    // then the regions from the topmost down, else a new rectangle.
    PressReport press(QPointF point, double magnification);

    // Reshapes the working rectangle; false without a gesture.
    bool drag(QPointF point);

    // Ends the gesture; a dragged rectangle that clamps to at least one pixel square is committed.
    std::optional<RegionCommit> release();

    // Ends any gesture without a commit (Escape, editing switched off, a new screenshot). False when there was none.
    bool discardGesture();

private:
    QSizeF m_imageSize;
    std::vector<StepsRegionOverlay> m_regions;
    std::optional<Uuid> m_selectedID;
    std::optional<BrowserRect> m_selection;

    std::optional<Mode> m_mode;
    HandleDirection m_handle;
    std::optional<BrowserRect> m_workingRect;
    QPointF m_start;
    BrowserRect m_original;
    std::optional<Uuid> m_gestureRegionID;
    bool m_dragged = false;
};

} // namespace tavlen::ui

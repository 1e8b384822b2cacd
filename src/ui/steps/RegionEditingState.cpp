#include "RegionEditingState.h"

#include "StepsScreenshot.h"

#include <algorithm>

namespace tavlen::ui {
namespace {

const StepsRegionOverlay* firstRegion(const std::vector<StepsRegionOverlay>& regions, const std::optional<Uuid>& id)
{
    if (!id) {
        return nullptr;
    }
    auto found = std::find_if(
        regions.begin(), regions.end(), [&](const StepsRegionOverlay& region) { return region.id == *id; });
    return found == regions.end() ? nullptr : &*found;
}

} // namespace

std::optional<BrowserRect> RegionEditingState::activeSelection() const
{
    if (const StepsRegionOverlay* selected = firstRegion(m_regions, m_selectedID)) {
        return clampRegionToImage(selected->rect, m_imageSize.width(), m_imageSize.height());
    }
    return m_selection;
}

std::vector<DisplayedRegion> RegionEditingState::displayedRegions() const
{
    double width = m_imageSize.width();
    double height = m_imageSize.height();
    std::vector<DisplayedRegion> displayed;
    for (const StepsRegionOverlay& region : m_regions) {
        if (m_mode && m_gestureRegionID == region.id) {
            continue;
        }
        if (std::optional<BrowserRect> clamped = clampRegionToImage(region.rect, width, height)) {
            displayed.push_back({*clamped, region.number, region.kind, m_selectedID == region.id});
        }
    }
    if (!m_selectedID && !m_mode && m_selection) {
        if (std::optional<BrowserRect> clamped = clampRegionToImage(*m_selection, width, height)) {
            displayed.push_back({*clamped, std::nullopt, std::nullopt, true});
        }
    }
    if (m_workingRect) {
        if (std::optional<BrowserRect> clamped = clampRegionToImage(*m_workingRect, width, height)) {
            DisplayedRegion working{*clamped, std::nullopt, std::nullopt, true};
            if (const StepsRegionOverlay* region = firstRegion(m_regions, m_gestureRegionID)) {
                working.number = region->number;
                working.kind = region->kind;
            }
            displayed.push_back(working);
        }
    }
    return displayed;
}

std::optional<HandleDirection> RegionEditingState::resizeHandle() const
{
    if (m_mode != Mode::resize) {
        return std::nullopt;
    }
    return m_handle;
}

RegionEditingState::PressReport RegionEditingState::press(QPointF point, double magnification)
{
    m_dragged = false;
    m_start = point;
    m_gestureRegionID = m_selectedID;
    if (std::optional<BrowserRect> active = activeSelection()) {
        if (std::optional<HandleDirection> handle = handleAt(*active, point, magnification)) {
            m_original = *active;
            m_workingRect = *active;
            m_mode = Mode::resize;
            m_handle = *handle;
            return std::nullopt;
        }
        if (rectContains(*active, point)) {
            m_original = *active;
            m_workingRect = *active;
            m_mode = Mode::move;
            return std::nullopt;
        }
    }
    for (auto region = m_regions.rbegin(); region != m_regions.rend(); ++region) {
        if (!rectContains(region->rect, point)) {
            continue;
        }
        std::optional<BrowserRect> clamped =
            clampRegionToImage(region->rect, m_imageSize.width(), m_imageSize.height());
        if (!clamped) {
            break;
        }
        m_gestureRegionID = region->id;
        m_original = *clamped;
        m_workingRect = *clamped;
        m_mode = Mode::move;
        return std::optional<Uuid>(region->id);
    }
    m_gestureRegionID.reset();
    m_workingRect = BrowserRect{point.x(), point.y(), 0, 0};
    m_mode = Mode::create;
    return std::optional<Uuid>();
}

bool RegionEditingState::drag(QPointF point)
{
    if (!m_mode) {
        return false;
    }
    m_dragged = true;
    switch (*m_mode) {
    case Mode::resize:
        m_workingRect = resizedRect(m_original, m_handle, point);
        break;
    case Mode::move:
        m_workingRect = movedRect(m_original, m_start, point, m_imageSize);
        break;
    case Mode::create:
        m_workingRect = createdRect(m_start, point);
        break;
    }
    return true;
}

std::optional<RegionCommit> RegionEditingState::release()
{
    if (!m_mode) {
        return std::nullopt;
    }
    std::optional<RegionCommit> commit;
    if (m_dragged && m_workingRect) {
        if (std::optional<BrowserRect> clamped =
                clampRegionToImage(*m_workingRect, m_imageSize.width(), m_imageSize.height())) {
            commit = RegionCommit{*clamped, m_gestureRegionID};
        }
    }
    discardGesture();
    return commit;
}

bool RegionEditingState::discardGesture()
{
    bool had = m_mode.has_value() || m_workingRect.has_value();
    m_mode.reset();
    m_workingRect.reset();
    m_dragged = false;
    return had;
}

} // namespace tavlen::ui

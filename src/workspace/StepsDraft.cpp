#include "StepsDraft.h"

#include "BrowserCaptureSettings.h"
#include "MainThread.h"
#include "StepsConversion.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

namespace tavlen {

std::optional<BrowserRect> clampRegionToImage(const BrowserRect& rect, double imageWidth, double imageHeight)
{
    if (!std::isfinite(rect.x) || !std::isfinite(rect.y) || !std::isfinite(rect.width) || !std::isfinite(rect.height)) {
        return std::nullopt;
    }
    // std::min ignores a NaN bound, which would let the region through uncut; an image less than a pixel
    // across keeps nothing anyway.
    if (!(imageWidth >= 1) || !(imageHeight >= 1)) {
        return std::nullopt;
    }
    double left = rect.width < 0 ? rect.x + rect.width : rect.x;
    double top = rect.height < 0 ? rect.y + rect.height : rect.y;
    double right = left + std::abs(rect.width);
    double bottom = top + std::abs(rect.height);
    left = std::max(left, 0.0);
    top = std::max(top, 0.0);
    right = std::min(right, imageWidth);
    bottom = std::min(bottom, imageHeight);
    // Written so that a NaN extent also counts as too small.
    if (!(right - left >= 1) || !(bottom - top >= 1)) {
        return std::nullopt;
    }
    return BrowserRect{left, top, right - left, bottom - top};
}

StepsDraft::StepsDraft(StepList steps)
    : m_steps(std::move(steps))
    , m_revision(Uuid::random())
{}

std::shared_ptr<StepsDraft> StepsDraft::create(StepList steps)
{
    TAVLEN_ASSERT_MAIN_THREAD();
    std::shared_ptr<StepsDraft> draft(new StepsDraft(std::move(steps)));
    for (const std::shared_ptr<Step>& step : draft->m_steps) {
        draft->installRelay(step);
    }
    return draft;
}

std::shared_ptr<StepsDraft> StepsDraft::makeNew(std::string url, const BrowserCaptureSettings& capture)
{
    auto settings = std::make_shared<StepsOpenPageSettings>(
        std::move(url), capture.width, capture.height, capture.mobile, capture.deviceScaleFactor);
    return create(
        {Step::create(Uuid::random(), StepContent::openPage(std::move(settings)), std::nullopt, std::nullopt)});
}

std::shared_ptr<StepsDraft> StepsDraft::makeFromDocument(const std::vector<StepsDocument::Entry>& entries,
                                                         std::shared_ptr<const StepsCapture> screenshot,
                                                         const BrowserCaptureSettings& defaultCapture)
{
    StepList steps;
    steps.reserve(entries.size());
    for (const StepsDocument::Entry& entry : entries) {
        steps.push_back(makeStep(entry, screenshot, defaultCapture));
    }
    return create(std::move(steps));
}

void StepsDraft::installRelay(const std::shared_ptr<Step>& step)
{
    std::weak_ptr<StepsDraft> weakDraft = weak_from_this();
    std::weak_ptr<Step> weakStep = step;
    step->setOnEdit([weakDraft, weakStep] {
        std::shared_ptr<StepsDraft> draft = weakDraft.lock();
        std::shared_ptr<Step> edited = weakStep.lock();
        if (draft && edited) {
            draft->handleStepEdit(edited.get());
        }
    });
}

void StepsDraft::handleStepEdit(const Step* step)
{
    auto it = std::find_if(m_steps.begin(), m_steps.end(), [step](const auto& s) { return s.get() == step; });
    if (it == m_steps.end()) {
        return; // a step that has left the draft changes nothing
    }
    markChanged(static_cast<std::size_t>(it - m_steps.begin()));
}

void StepsDraft::markChanged(std::size_t position)
{
    setRevision(Uuid::random());
    resetExecution(position);
    if (std::function<void()> onEdit = m_onEdit) {
        onEdit();
    }
}

void StepsDraft::setRevision(const Uuid& revision)
{
    if (m_revision != revision) {
        m_revision = revision;
        Q_EMIT revisionChanged();
    }
}

void StepsDraft::setSelectedID(std::optional<Uuid> selectedID)
{
    if (m_selectedID != selectedID) {
        m_selectedID = selectedID;
        Q_EMIT selectedIDChanged();
    }
}

std::shared_ptr<Step> StepsDraft::step(const Uuid& id) const
{
    for (const std::shared_ptr<Step>& step : m_steps) {
        if (step->id() == id) {
            return step;
        }
    }
    return nullptr;
}

StepsDraft::StepList StepsDraft::stepsWithSourceID(const Uuid& sourceID) const
{
    StepList result;
    for (const std::shared_ptr<Step>& step : m_steps) {
        if (step->sourceID() == sourceID) {
            result.push_back(step);
        }
    }
    return result;
}

std::optional<StepsDraft::StepList> StepsDraft::reorderedSteps(const Uuid& id, std::int64_t destination) const
{
    auto it = std::find_if(m_steps.begin(), m_steps.end(), [&id](const auto& s) { return s->id() == id; });
    if (it == m_steps.end() || it == m_steps.begin()) {
        return std::nullopt;
    }
    const auto count = static_cast<std::int64_t>(m_steps.size());
    if (destination < 1 || destination > count) {
        return std::nullopt;
    }
    const std::int64_t position = it - m_steps.begin();
    StepList order = m_steps;
    std::shared_ptr<Step> moved = order[static_cast<std::size_t>(position)];
    order.erase(order.begin() + position);
    order.insert(order.begin() + (position < destination ? destination - 1 : destination), std::move(moved));

    std::unordered_map<Uuid, std::size_t> positions;
    for (std::size_t i = 0; i < order.size(); ++i) {
        if (!positions.emplace(order[i]->id(), i).second) {
            return std::nullopt; // two steps share an id: no order can be checked
        }
    }
    for (std::size_t i = 0; i < order.size(); ++i) {
        if (const std::optional<Uuid>& source = order[i]->sourceID()) {
            auto found = positions.find(*source);
            if (found == positions.end() || found->second >= i) {
                return std::nullopt;
            }
        }
    }
    return order;
}

bool StepsDraft::moveStep(const Uuid& id, std::int64_t destination)
{
    std::optional<StepList> order = reorderedSteps(id, destination);
    if (!order) {
        return false;
    }
    for (std::size_t i = 0; i < order->size(); ++i) {
        if ((*order)[i]->id() != m_steps[i]->id()) {
            m_steps = std::move(*order);
            Q_EMIT stepsChanged();
            markChanged(i);
            return true;
        }
    }
    return false;
}

void StepsDraft::removeStep(const Uuid& id)
{
    auto it = std::find_if(m_steps.begin(), m_steps.end(), [&id](const auto& s) { return s->id() == id; });
    if (it == m_steps.end() || it == m_steps.begin()) {
        return;
    }
    const auto position = static_cast<std::size_t>(it - m_steps.begin());
    m_steps.erase(it);
    Q_EMIT stepsChanged();
    markChanged(position);
    if (m_selectedID == id) {
        setSelectedID(std::nullopt);
    }
}

std::optional<Uuid>
StepsDraft::addReadStep(const Uuid& sourceID, std::optional<Uuid> modelID, const BrowserRect& region)
{
    std::shared_ptr<Step> source = step(sourceID);
    StepsOpenPageSettings* page = source ? source->content().openPageSettings() : nullptr;
    if (!page || !page->screenshot()) {
        return std::nullopt;
    }
    const RgbaImage& image = page->screenshot()->image();
    std::optional<BrowserRect> clamped = clampRegionToImage(region, image.width, image.height);
    if (!clamped) {
        return std::nullopt;
    }
    auto settings = std::make_shared<StepsReadSettings>(modelID);
    std::shared_ptr<Step> added =
        Step::create(Uuid::random(), StepContent::read(std::move(settings)), source->id(), clamped);
    m_steps.push_back(added);
    Q_EMIT stepsChanged();
    installRelay(added);
    markChanged(m_steps.size() - 1);
    setSelectedID(added->id());
    return added->id();
}

void StepsDraft::toggleReadStepSelection(const Uuid& id)
{
    std::shared_ptr<Step> selected = step(id);
    if (!selected || !selected->sourceID()) {
        return;
    }
    std::shared_ptr<Step> source = step(*selected->sourceID());
    StepsOpenPageSettings* page = source ? source->content().openPageSettings() : nullptr;
    if (!page) {
        return;
    }
    setSelectedID(m_selectedID == id ? std::nullopt : std::optional<Uuid>(id));
    page->setSelection(std::nullopt);
    if (m_selectedID) {
        page->setFocusRegionToken(Uuid::random());
    }
}

void StepsDraft::resetExecution(std::size_t position)
{
    // A copy: a step's observers may change the list while it is reset.
    const StepList steps = m_steps;
    for (std::size_t i = position; i < steps.size(); ++i) {
        steps[i]->setExecution(StepsExecutionState::unexecuted());
    }
}

std::vector<StepsDocument::Entry> StepsDraft::documentEntries() const
{
    std::vector<StepsDocument::Entry> entries;
    entries.reserve(m_steps.size());
    for (const std::shared_ptr<Step>& step : m_steps) {
        entries.push_back(documentEntry(*step));
    }
    return entries;
}

std::vector<std::string> StepsDraft::numericInputs() const
{
    std::vector<std::string> texts;
    for (const std::shared_ptr<Step>& step : m_steps) {
        appendNumericInputs(*step, texts);
    }
    return texts;
}

std::vector<StepsValidationIssue> StepsDraft::validationIssues() const
{
    std::vector<StepsValidationIssue> issues;
    for (const std::shared_ptr<Step>& step : m_steps) {
        std::vector<StepsValidationIssue> stepIssues = step->validationIssues();
        issues.insert(issues.end(), stepIssues.begin(), stepIssues.end());
    }
    return issues;
}

} // namespace tavlen

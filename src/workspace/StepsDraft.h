#pragma once

// moc cannot parse the C++20 standard headers that these pull in; it needs none of them.
#ifndef Q_MOC_RUN
#include "BrowserCaptureSettings.h"
#include "BrowserRect.h"
#include "Step.h"
#include "StepsDocument.h"
#include "StepsValidationIssue.h"
#include "Uuid.h"
#endif

#include <QObject>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tavlen {

// The one rule by which a rectangle drawn on a screenshot becomes a region in image pixels: none for a
// non-finite coordinate; a negative extent is standardised by moving the origin; the rectangle is cut to the
// image and refused when less than one pixel wide or high remains. Fractions are kept. Pure.
std::optional<BrowserRect> clampRegionToImage(const BrowserRect& rect, double imageWidth, double imageHeight);

// The editable Steps workflow of one monitor: an Open page step first, then Read steps that read from it.
// Every change of the workflow (a step's edit, a move, a removal, an added step) gives a new revision, resets
// the execution of the changed step and all later ones, and calls onEdit. Refused requests change nothing.
// Main thread only; shared by reference.
class StepsDraft : public QObject, public std::enable_shared_from_this<StepsDraft>
{
    Q_OBJECT

public:
    using StepList = std::vector<std::shared_ptr<Step>>;

    // A draft of the given steps with a fresh revision, no hook and no selection; every step's onEdit becomes
    // the draft's relay (holding draft and step weakly).
    static std::shared_ptr<StepsDraft> create(StepList steps);
    // A draft with one Open page step made from the URL text and the default capture settings (the
    // configuration's).
    static std::shared_ptr<StepsDraft> makeNew(std::string url, const BrowserCaptureSettings& capture);
    // A draft of the stored entries, the Open page step holding the given screenshot; an entry without a viewport
    // gets the default capture settings. Reports no edit.
    static std::shared_ptr<StepsDraft> makeFromDocument(const std::vector<StepsDocument::Entry>& entries,
                                                        std::shared_ptr<const StepsCapture> screenshot,
                                                        const BrowserCaptureSettings& defaultCapture);

    const StepList& steps() const { return m_steps; }

    const Uuid& revision() const { return m_revision; }

    const std::optional<Uuid>& selectedID() const { return m_selectedID; }

    const std::function<void()>& onEdit() const { return m_onEdit; }

    void setOnEdit(std::function<void()> onEdit) { m_onEdit = std::move(onEdit); }

    void setRevision(const Uuid& revision);
    void setSelectedID(std::optional<Uuid> selectedID);

    // The first step with the id, or null.
    std::shared_ptr<Step> step(const Uuid& id) const;
    // The steps reading from the given Open page step, in order.
    StepList stepsWithSourceID(const Uuid& sourceID) const;
    // The order after moving the step to the insertion position (0 to the number of steps), or none when the
    // move is not allowed: the first step never moves, nothing goes before it, no step goes before its source.
    std::optional<StepList> reorderedSteps(const Uuid& id, std::int64_t destination) const;

    // True when the order changed.
    bool moveStep(const Uuid& id, std::int64_t destination);
    // Removes a step other than the first.
    void removeStep(const Uuid& id);
    // Appends a Read step of the source's screenshot with the clamped region and selects it. None when the
    // source is not an Open page step with a screenshot or the region keeps nothing of the image.
    std::optional<Uuid> addReadStep(const Uuid& sourceID, std::optional<Uuid> modelID, const BrowserRect& region);
    // Selects or deselects a Read step; clears its page's pending selection and asks to focus a new selection.
    void toggleReadStepSelection(const Uuid& id);
    // Sets every step from the position on to unexecuted (which clears its duration).
    void resetExecution(std::size_t position);

    // The stored form of the workflow, one entry per step.
    std::vector<StepsDocument::Entry> documentEntries() const;
    // The raw numeric input texts of all steps in order.
    std::vector<std::string> numericInputs() const;
    // The input issues of all steps in order; empty when the draft may be saved.
    std::vector<StepsValidationIssue> validationIssues() const;

Q_SIGNALS:
    void stepsChanged();
    void revisionChanged();
    void selectedIDChanged();

private:
    explicit StepsDraft(StepList steps);

    void installRelay(const std::shared_ptr<Step>& step);
    void handleStepEdit(const Step* step);
    // A new revision, the execution reset from the position, then the owner's hook.
    void markChanged(std::size_t position);

    StepList m_steps;
    Uuid m_revision;
    std::function<void()> m_onEdit;
    std::optional<Uuid> m_selectedID;
};

} // namespace tavlen

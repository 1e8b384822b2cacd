#pragma once

#include "Step.h"
#include "StepsDocument.h"

#include <memory>
#include <string>
#include <vector>

namespace tavlen {

// The conversions between one editable step and its stored entry. Main thread (steps are main-thread objects).

// The stored entry of a step, with the numbers parsed from the typed texts. Never fails: a rejected delay text
// gives -1, a rejected width, height, scale or time-out text 0, values the document check refuses. A region is
// written standardised: a negative width or height becomes positive by moving the origin, so the stored region
// covers the same pixels as the drawn one.
StepsDocument::Entry documentEntry(const Step& step);

// Appends the raw numeric texts of a step: delay, width, height and scale texts of an Open page step, the
// time-out text of a Read step.
void appendNumericInputs(const Step& step, std::vector<std::string>& texts);

// A new unexecuted step from a stored entry, holding the values as stored; the Open page step gets the screenshot.
// A Read entry without a time-out shows "60"; an Open page entry without a viewport gets the default capture
// settings (the configuration's). No edit is reported: the step has no onEdit yet.
std::shared_ptr<Step> makeStep(const StepsDocument::Entry& entry,
                               std::shared_ptr<const StepsCapture> screenshot,
                               const BrowserCaptureSettings& defaultCapture);

} // namespace tavlen

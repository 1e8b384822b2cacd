#pragma once

#include "StepsDraft.h"
#include "StepsFieldEnvironment.h"
#include "StepsFocusRegistry.h"
#include "StepsSession.h"

#include <memory>

namespace tavlen::ui::test {

// A monitor's steps being edited: an Open page step and a Read step (no model, one empty field) in a draft held
// by a session, the editor's focus, and a count of the edits the draft reported.
struct StepInputsFixture
{
    StepInputsFixture();

    StepsOpenPageSettings& page() const { return *openPage->content().openPageSettings(); }

    StepsReadSettings& reading() const { return *read->content().readSettings(); }

    // The step with the session and the focus: what the editor hands to a step's inputs.
    StepsFieldEnvironment environment(const std::shared_ptr<Step>& step);

    std::shared_ptr<Step> openPage;
    std::shared_ptr<Step> read;
    std::shared_ptr<StepsDraft> draft;
    std::shared_ptr<StepsSession> session;
    StepsFocusRegistry focus;
    int edits = 0;
};

} // namespace tavlen::ui::test

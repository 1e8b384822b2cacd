#include "StepInputsFixture.h"

namespace tavlen::ui::test {

StepInputsFixture::StepInputsFixture()
    : openPage(Step::create(
          Uuid::random(),
          StepContent::openPage(std::make_shared<StepsOpenPageSettings>("https://example.com/", 1280, 800, false, 1)),
          std::nullopt,
          std::nullopt))
    , read(Step::create(Uuid::random(),
                        StepContent::read(std::make_shared<StepsReadSettings>(std::nullopt)),
                        openPage->id(),
                        BrowserRect{10, 20, 300, 200}))
    , draft(StepsDraft::create({openPage, read}))
    , session(std::make_shared<StepsSession>())
{
    draft->setOnEdit([this] { ++edits; });
    session->setDraft(draft);
}

StepsFieldEnvironment StepInputsFixture::environment(const std::shared_ptr<Step>& step)
{
    return {step, StepsValidationContext{session, &focus, {}}};
}

} // namespace tavlen::ui::test

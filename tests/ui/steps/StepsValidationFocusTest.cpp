#include "StepsValidationFocus.h"

#include <gtest/gtest.h>

namespace tavlen::ui::test {
namespace {

using Action = StepsValidationFocus::Action;
using Kind = StepsField::Kind;

TEST(StepsValidationFocusTest, firstIssueDecidesBetweenPopoverAndCardInput)
{
    const Uuid step = Uuid::random();
    const Uuid other = Uuid::random();
    const Uuid fieldID = Uuid::random();

    struct Row
    {
        const char* name;
        bool showsValidation;
        std::vector<StepsValidationIssue> issues;
        std::optional<Uuid> openPopover;
        std::optional<StepsValidationFocus> focus;
    };

    const StepsField name{step, Kind::fieldName(fieldID)};
    const StepsField model{step, Kind::model()};
    const StepsField url{step, Kind::url()};
    const Row rows[] = {
        {"validation not shown", false, {{name, "Enter a field name."}}, std::nullopt, std::nullopt},
        {"no issue", true, {}, std::nullopt, std::nullopt},
        {"a card input takes focus",
         true,
         {{name, "Enter a field name."}},
         std::nullopt,
         StepsValidationFocus{Action::focusField, name}},
        {"the first issue wins",
         true,
         {{url, "Enter a URL."}, {model, "Select a configured AI model."}},
         std::nullopt,
         StepsValidationFocus{Action::focusField, url}},
        {"another popover is closed first",
         true,
         {{name, "Enter a field name."}},
         other,
         StepsValidationFocus{Action::closeConfigurationThenFocus, name}},
        {"a missing model opens the popover",
         true,
         {{model, "Select a configured AI model."}},
         std::nullopt,
         StepsValidationFocus{Action::openConfiguration, model}},
        {"a popover input opens its popover even with another open",
         true,
         {{StepsField{step, Kind::timeout()}, "Enter a time-out."}},
         other,
         StepsValidationFocus{Action::openConfiguration, StepsField{step, Kind::timeout()}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(stepsValidationFocus(row.showsValidation, row.issues, row.openPopover), row.focus);
    }
}

TEST(StepsValidationFocusTest, configurationFieldsAreThePopoversInputs)
{
    const std::pair<Kind, bool> rows[] = {
        {Kind::model(), true},
        {Kind::timeout(), true},
        {Kind::delay(), true},
        {Kind::viewportWidth(), true},
        {Kind::viewportHeight(), true},
        {Kind::deviceScaleFactor(), true},
        {Kind::url(), false},
        {Kind::fieldName(Uuid::random()), false},
        {Kind::fieldInstruction(Uuid::random()), false},
    };
    for (const auto& [kind, inPopover] : rows) {
        SCOPED_TRACE(int(kind.kindCase()));
        EXPECT_EQ(isConfigurationField(kind), inPopover);
    }
}

} // namespace
} // namespace tavlen::ui::test

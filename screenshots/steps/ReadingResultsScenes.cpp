#include "Scene.h"
#include "Step.h"
#include "StepsReadingResults.h"
#include "StepsTestControl.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace tavlen::screenshots {
namespace {

using namespace std::chrono_literals;

std::vector<Reading> fixtureReadings()
{
    return {
        {Uuid::random(), "Price", ReadingValue::ofNumber(1299.99)},
        {Uuid::random(), "Availability", ReadingValue::ofText("In stock")},
        {Uuid::random(), "Rating", ReadingValue::ofNumber(4.5)},
        {Uuid::random(), "Reviews", ReadingValue::ofNumber(2381)},
        {Uuid::random(), "Seller", ReadingValue::ofText("Northwind Outfitters")},
    };
}

// The three outcomes on a card (succeeded, failed, cancelled) and a check's readings as the history shows them,
// each with the card's test control in the state it would be in.
std::unique_ptr<QWidget> makeResults()
{
    auto page = std::make_unique<QWidget>();
    auto* column = new QVBoxLayout(page.get());
    column->setContentsMargins(16, 16, 16, 16);
    column->setSpacing(16);
    const auto addRow = [&](StepsExecutionState execution,
                            std::optional<std::chrono::nanoseconds> duration,
                            bool showsBackground) {
        auto* row = new QHBoxLayout;
        row->setSpacing(8);
        const auto step = Step::create(
            Uuid::random(), StepContent::read(std::make_shared<StepsReadSettings>(std::nullopt)), Uuid::random(), {});
        step->setExecution(execution);
        auto* control = new ui::StepsTestControl(step, page.get());
        row->addWidget(control, 0, Qt::AlignTop);
        auto* results = new ui::StepsReadingResults(showsBackground, page.get());
        results->setExecution(execution, duration);
        row->addWidget(results, 1);
        column->addLayout(row);
    };
    addRow(StepsExecutionState::succeeded(fixtureReadings()), 2345ms, true);
    addRow(StepsExecutionState::failed("The model could not read the price: the region shows a sign-in form."),
           12400ms,
           true);
    addRow(StepsExecutionState::failed("Execution cancelled."), 800ms, true);
    addRow(StepsExecutionState::succeeded(fixtureReadings()), std::nullopt, false);
    column->addStretch();
    return page;
}

const SceneRegistrar results{u"steps-reading-results"_qs, makeResults, QSize(520, 420)};

} // namespace
} // namespace tavlen::screenshots

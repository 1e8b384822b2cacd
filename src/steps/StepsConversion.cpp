#include "StepsConversion.h"

#include "NumericInputParsers.h"

#include <cmath>

namespace tavlen {
namespace {

BrowserRect standardized(BrowserRect rect)
{
    if (rect.width < 0) {
        rect.x += rect.width;
        rect.width = -rect.width;
    }
    if (rect.height < 0) {
        rect.y += rect.height;
        rect.height = -rect.height;
    }
    return rect;
}

StepsDocument::Field documentField(const ReadingField& field)
{
    return StepsDocument::Field{
        field.id,
        field.name,
        field.type == ReadingFieldType::number ? StepsDocument::Field::ValueType::number
                                               : StepsDocument::Field::ValueType::text,
        field.instruction,
    };
}

ReadingField readingField(const StepsDocument::Field& field)
{
    return ReadingField{
        field.id,
        field.name,
        field.type == StepsDocument::Field::ValueType::number ? ReadingFieldType::number : ReadingFieldType::text,
        field.instruction,
    };
}

} // namespace

StepsDocument::Entry documentEntry(const Step& step)
{
    StepsDocument::Entry entry;
    entry.id = step.id();
    entry.sourceID = step.sourceID();
    if (step.region()) {
        entry.region = standardized(*step.region());
    }
    if (const StepsOpenPageSettings* openPage = step.content().openPageSettings()) {
        entry.content = StepsDocument::OpenPage{
            openPage->url(),
            parseWholeNumber(openPage->screenshotDelayText()).value_or(-1),
            openPage->viewport(),
        };
    } else if (const StepsReadSettings* read = step.content().readSettings()) {
        StepsDocument::Read content;
        content.fields.reserve(read->fields().size());
        for (const ReadingField& field : read->fields()) {
            content.fields.push_back(documentField(field));
        }
        content.modelID = read->modelID();
        content.timeoutSeconds = parseWholeNumber(read->timeoutText()).value_or(0);
        entry.content = std::move(content);
    }
    return entry;
}

void appendNumericInputs(const Step& step, std::vector<std::string>& texts)
{
    if (const StepsOpenPageSettings* openPage = step.content().openPageSettings()) {
        texts.push_back(openPage->screenshotDelayText());
        texts.push_back(openPage->viewportWidthText());
        texts.push_back(openPage->viewportHeightText());
        texts.push_back(openPage->deviceScaleFactorText());
    } else if (const StepsReadSettings* read = step.content().readSettings()) {
        texts.push_back(read->timeoutText());
    }
}

std::shared_ptr<Step> makeStep(const StepsDocument::Entry& entry,
                               std::shared_ptr<const StepsCapture> screenshot,
                               const BrowserCaptureSettings& defaultCapture)
{
    if (const auto* read = std::get_if<StepsDocument::Read>(&entry.content)) {
        auto settings = std::make_shared<StepsReadSettings>(read->modelID);
        settings->setTimeoutText(read->timeoutSeconds ? std::to_string(*read->timeoutSeconds) : "60");
        std::vector<ReadingField> fields;
        fields.reserve(read->fields.size());
        for (const StepsDocument::Field& field : read->fields) {
            fields.push_back(readingField(field));
        }
        settings->setFields(std::move(fields));
        return Step::create(entry.id, StepContent::read(std::move(settings)), entry.sourceID, entry.region);
    }
    const auto& openPage = std::get<StepsDocument::OpenPage>(entry.content);
    const BrowserCaptureSettings viewport = openPage.viewport.value_or(defaultCapture);
    auto settings = std::make_shared<StepsOpenPageSettings>(
        openPage.url, viewport.width, viewport.height, viewport.mobile, viewport.deviceScaleFactor);
    settings->setScreenshotDelayText(std::to_string(openPage.delay));
    settings->setScreenshot(std::move(screenshot));
    return Step::create(entry.id, StepContent::openPage(std::move(settings)), entry.sourceID, entry.region);
}

} // namespace tavlen

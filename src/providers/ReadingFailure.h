#pragma once

#include "ModelSelection.h"

#include <stdexcept>
#include <string>
#include <string_view>

namespace tavlen {

// A Read step that cannot give readings, for a reason the user can act on: fields that cannot be asked for, a
// region that cannot be cut, an answer that does not hold the readings. It carries only its sentence (what()),
// and a check that fails with it is stored with the code "execution_failed".
class ReadingFailure : public std::runtime_error
{
public:
    explicit ReadingFailure(std::string_view message)
        : std::runtime_error(std::string(message))
    {}

    // No field, or two fields with one id.
    static ReadingFailure fieldIdentity();
    // A field whose name is blank.
    static ReadingFailure fieldName();
    // An answer that does not hold one valid reading per field.
    static ReadingFailure invalidReadings();
    // The model reported that a field is not in the region.
    static ReadingFailure fieldsNotFound();
    // The model reported that a field cannot be read reliably.
    static ReadingFailure fieldsUncertain();
    // A region that lies outside the screenshot or leaves no pixel to cut.
    static ReadingFailure regionOutsideScreenshot();
    // A crop that could not be written as PNG, or page coordinates that cannot be mapped onto it.
    static ReadingFailure regionNotPrepared();
    // A cloud provider's read without a saved API key: "Save your <provider> API key in Settings to execute Read."
    static ReadingFailure missingAPIKey(ModelSelection::Provider provider);
    // A captured image that cannot be opened.
    static ReadingFailure screenshotUnreadable();

    std::string message() const { return what(); }

    // Equal when the sentences are equal.
    friend bool operator==(const ReadingFailure& a, const ReadingFailure& b)
    {
        return std::string_view(a.what()) == std::string_view(b.what());
    }
};

} // namespace tavlen

#include "ReadingFailure.h"

#include "ProviderText.h"
#include "StepsText.h"
#include "TransportText.h"

namespace tavlen {

ReadingFailure ReadingFailure::fieldIdentity()
{
    return ReadingFailure(provider_text::fieldIdentity);
}

ReadingFailure ReadingFailure::fieldName()
{
    return ReadingFailure(provider_text::fieldName);
}

ReadingFailure ReadingFailure::invalidReadings()
{
    return ReadingFailure(provider_text::invalidReadings);
}

ReadingFailure ReadingFailure::fieldsNotFound()
{
    return ReadingFailure(provider_text::fieldsNotFound);
}

ReadingFailure ReadingFailure::fieldsUncertain()
{
    return ReadingFailure(provider_text::fieldsUncertain);
}

ReadingFailure ReadingFailure::regionOutsideScreenshot()
{
    return ReadingFailure(provider_text::regionOutsideScreenshot);
}

ReadingFailure ReadingFailure::regionNotPrepared()
{
    return ReadingFailure(provider_text::regionNotPrepared);
}

ReadingFailure ReadingFailure::missingAPIKey(ModelSelection::Provider provider)
{
    std::string message(provider_text::cloudMissingKeyStart);
    message.append(ModelSelection::label(provider)).append(provider_text::cloudMissingKeyEnd);
    return ReadingFailure(message);
}

ReadingFailure ReadingFailure::screenshotUnreadable()
{
    return ReadingFailure(steps_text::screenshotUnreadable);
}

} // namespace tavlen

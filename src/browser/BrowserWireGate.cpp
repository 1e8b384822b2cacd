#include "BrowserWireGate.h"

#include "BrowserWireReader.h"
#include "BrowserWireValidator.h"

namespace tavlen {

BrowserMessage
decodeFrameFromChrome(const BrowserWireValidator& validator, BrowserWireReader& reader, const BrowserFrame& frame)
{
    return reader.decode(validator, frame);
}

std::string encodeFrameForChrome(const BrowserWireValidator& validator, const BrowserMessage& message)
{
    std::string bytes = message.encodedBytes(validator.protocolVersion());
    validator.decode(bytes);
    return bytes;
}

} // namespace tavlen

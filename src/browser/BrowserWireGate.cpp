#include "BrowserWireGate.h"

#include "BrowserWireValidator.h"

namespace tavlen {

BrowserMessage decodeFrameFromChrome(std::string_view frame)
{
    return BrowserWireValidator::load().decode(frame);
}

std::string encodeFrameForChrome(const BrowserMessage& message)
{
    const BrowserWireValidator validator = BrowserWireValidator::load();
    std::string bytes = message.encodedBytes(validator.protocolVersion());
    validator.decode(bytes);
    return bytes;
}

} // namespace tavlen

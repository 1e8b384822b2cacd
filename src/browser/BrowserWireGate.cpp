#include "BrowserWireGate.h"

#include "BrowserWireReader.h"
#include "BrowserWireValidator.h"

namespace tavlen {

BrowserMessage decodeFrameFromChrome(BrowserWireReader& reader, const BrowserFrame& frame)
{
    return reader.decode(BrowserWireValidator::load(), frame);
}

std::string encodeFrameForChrome(const BrowserMessage& message)
{
    const BrowserWireValidator validator = BrowserWireValidator::load();
    std::string bytes = message.encodedBytes(validator.protocolVersion());
    validator.decode(bytes);
    return bytes;
}

} // namespace tavlen

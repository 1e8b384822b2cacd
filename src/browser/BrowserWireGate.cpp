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
    std::string bytes = message.encodedBytes();
    BrowserWireValidator::load().decode(bytes);
    return bytes;
}

} // namespace tavlen

#include "BrowserWireGate.h"

#include "BrowserWireValidator.h"

namespace tavlen {

BrowserMessage decodeFrameFromChrome(std::string_view frame)
{
    return BrowserWireValidator::load().decode(frame);
}

std::string encodeFrameForChrome(const BrowserMessage& message)
{
    std::string bytes = message.encodedBytes();
    BrowserWireValidator::load().decode(bytes);
    return bytes;
}

} // namespace tavlen

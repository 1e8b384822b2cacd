// A frame through the wire check, as the host applies it (check: the kind, nothing copied) and as Tavlen applies
// it (decode: the message). Both agree; only the check's documented failures escape; an accepted message, encoded
// again, passes the check again as the same message.
#include "BridgeFailure.h"
#include "BrowserWireReader.h"
#include "FuzzInput.h"
#include "WireCoding.h"
#include "WireFuzzing.h"

#include <optional>

using namespace tavlen;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const BrowserWireValidator& validator = fuzz::bundleValidator();
    // One reader per connection, reused from frame to frame as on a connection.
    static BrowserWireReader hostReader;
    static BrowserWireReader appReader;
    const BrowserFrame frame = fuzz::receivedFrame(fuzz::textOf(data, size));

    std::optional<BrowserMessage::Kind> checked;
    try {
        checked = hostReader.check(validator, frame);
    } catch (const BridgeFailure&) {
    } catch (const WireDecodingError&) {
    }
    std::optional<BrowserMessage> decoded;
    try {
        decoded = appReader.decode(validator, frame);
    } catch (const BridgeFailure&) {
    } catch (const WireDecodingError&) {
    }
    fuzz::require(checked.has_value() == decoded.has_value(), "the host and Tavlen accept the same frames");
    if (!decoded) {
        return 0;
    }
    fuzz::require(*checked == decoded->kind(), "the host and Tavlen read the same kind");

    const std::string again = decoded->encodedBytes(validator.protocolVersion());
    std::optional<BrowserMessage> back;
    try {
        back = validator.decode(again);
    } catch (const std::exception& error) {
        fuzz::require(false, std::string("an accepted message encoded again is accepted: ") + error.what());
    }
    fuzz::require(*back == *decoded, "an accepted message encoded again reads as the same message");
    fuzz::require(back->encodedBytes(validator.protocolVersion()) == again, "encoding is stable");
    return 0;
}

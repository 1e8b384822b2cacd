#pragma once

#include "BrowserFrame.h"
#include "BrowserMessage.h"
#include "WireParser.h"

namespace tavlen {

class BrowserWireValidator;

// The receiving end of the wire check, one per connection: turns each frame read from that connection into a
// message, or refuses it, with the validator's schema and limits. The frame is parsed where it lies, by a parser
// kept from frame to frame (WireParser.h), the schema and the rules read it there, and the image text is never
// copied by the check itself.
//
// The steps, in order (the first failure ends it): the size against limits.resultBytes; the amount of structure
// against what any message can hold (a page tree at its length cap and a request's size); the JSON reading; the
// schema; the typed decoding; for anything but a response, the size against limits.requestBytes; a request's
// execution binding and viewport; a snapshot's page tree (a validator loaded afresh from the resources holds it
// against "pageTree", then its own rules) and the PNG header at the start of its image.
//
// Failures: BridgeFailure "Invalid or incompatible browser message." (a viewport and the loading of resources keep
// their own failures), or WireDecodingError from the JSON reading or the typed decoding. Nothing is repaired.
//
// Not thread-safe: each reader serves the one thread that reads its connection.
class BrowserWireReader
{
public:
    // The message, with a snapshot's image copied once, into the message (Tavlen's receiving side).
    BrowserMessage decode(const BrowserWireValidator& validator, const BrowserFrame& frame);

    // The same check, giving only the kind: nothing of the frame is copied (the host, which relays the frame's own
    // bytes).
    BrowserMessage::Kind check(const BrowserWireValidator& validator, const BrowserFrame& frame);

private:
    BrowserMessage read(const BrowserWireValidator& validator, const BrowserFrame& frame, bool keepImage);

    WireParser m_parser;
};

} // namespace tavlen

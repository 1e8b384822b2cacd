#pragma once

#include "BrowserFrame.h"
#include "BrowserMessage.h"

#include <string>

namespace tavlen {

class BrowserWireReader;

// The browser client's side of the wire check: every frame from Chrome and every message to it passes the same
// validator, loaded afresh from the bundle resources each time.

// The message in a received frame, read where it lies by the connection's reader (which keeps its parser from
// frame to frame); a snapshot's image is copied once, into the message. Throws what loading the validator or
// checking the frame throws.
BrowserMessage decodeFrameFromChrome(BrowserWireReader& reader, const BrowserFrame& frame);

// The bytes of a message to Chrome, after they passed the same check as a received frame. Throws what encoding,
// loading the validator or checking throws; nothing may be sent then.
std::string encodeFrameForChrome(const BrowserMessage& message);

} // namespace tavlen

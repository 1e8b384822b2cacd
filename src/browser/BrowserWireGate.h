#pragma once

#include "BrowserFrame.h"
#include "BrowserMessage.h"

#include <string>

namespace tavlen {

class BrowserWireReader;
class BrowserWireValidator;

// The browser client's side of the wire check: every frame from Chrome and every message to it passes the one
// validator the client was given where the program started.

// The message in a received frame, read where it lies by the connection's reader (which keeps its parser from
// frame to frame); a snapshot's image is copied once, into the message. Throws what checking the frame throws.
BrowserMessage
decodeFrameFromChrome(const BrowserWireValidator& validator, BrowserWireReader& reader, const BrowserFrame& frame);

// The bytes of a message to Chrome, after they passed the same check as a received frame. Throws what encoding
// or checking throws; nothing may be sent then. Done on the sending thread, so messages leave in the order of their
// sequence numbers: the largest, a request with the longest page address the check lets through, is about 8 KiB
// and takes about a millisecond (BrowserMessageEncodeBench), the rest tens of microseconds.
std::string encodeFrameForChrome(const BrowserWireValidator& validator, const BrowserMessage& message);

} // namespace tavlen

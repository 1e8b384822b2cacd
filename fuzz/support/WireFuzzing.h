#pragma once

#include "BrowserFrame.h"
#include "BrowserWireValidator.h"

#include <string_view>

namespace tavlen::fuzz {

// The wire validator of the built bundle (its "schema" and "config" resources), loaded once.
const BrowserWireValidator& bundleValidator();

// The bytes as a frame read from a socket: in a padded buffer, as the channel's reader leaves it.
BrowserFrame receivedFrame(std::string_view bytes);

} // namespace tavlen::fuzz

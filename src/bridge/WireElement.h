#pragma once

// A value of a received frame as the simdjson DOM holds it (WireParser.h), declared without simdjson's header:
// the decoders of wire records take one.
namespace simdjson::dom {
class element;
} // namespace simdjson::dom

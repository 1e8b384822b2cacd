#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tavlen {

// Chrome's identifier of an extension with this public key (standard base64 of the DER SubjectPublicKeyInfo):
// the first 32 hexadecimal digits of the key's SHA-256, each digit 0-f written as a letter a-p.
// Nothing when the text is not valid base64.
std::optional<std::string> extensionIdentifierFromKey(std::string_view base64Key);

} // namespace tavlen

#include "ExtensionIdentifier.h"

#include "Base64.h"
#include "Sha256.h"

namespace tavlen {

std::optional<std::string> extensionIdentifierFromKey(std::string_view base64Key)
{
    const auto der = base64Decode(base64Key);
    if (!der || der->empty()) {
        return std::nullopt;
    }
    const auto digest = sha256(*der);
    std::string identifier;
    identifier.reserve(32);
    for (std::size_t i = 0; i < 16; ++i) {
        identifier.push_back(static_cast<char>('a' + (digest[i] >> 4)));
        identifier.push_back(static_cast<char>('a' + (digest[i] & 0x0F)));
    }
    return identifier;
}

} // namespace tavlen

#include "ProviderKeyError.h"

#include "TransportText.h"

namespace tavlen {

const char* ProviderKeyError::what() const noexcept
{
    switch (m_kind) {
    case Kind::empty:
        return provider_text::keyEmpty.data();
    case Kind::invalidCharacters:
        return provider_text::keyInvalidCharacters.data();
    case Kind::invalidStoredData:
        return provider_text::keyInvalidStoredData.data();
    case Kind::storage:
        break;
    }
    return provider_text::keyStorage.data();
}

} // namespace tavlen

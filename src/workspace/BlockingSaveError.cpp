#include "BlockingSaveError.h"

namespace tavlen {

bool isBlockingSaveError(const std::optional<MonitorStoreError>& error)
{
    if (!error) {
        return false;
    }
    const MonitorStoreError::Kind kind = error->kind();
    return kind != MonitorStoreError::Kind::validation && kind != MonitorStoreError::Kind::busy;
}

bool isStorageFailure(const std::optional<MonitorStoreError>& error)
{
    return isBlockingSaveError(error) && error->kind() != MonitorStoreError::Kind::staleEdit;
}

} // namespace tavlen

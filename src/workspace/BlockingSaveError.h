#pragma once

#include "MonitorStoreError.h"

#include <optional>

namespace tavlen {

// A save error that closes saving and editing of a monitor until a storage retry or a discard-and-reload
// replaces it: every error other than validation and busy.
bool isBlockingSaveError(const std::optional<MonitorStoreError>& error);

// A blocking save error other than staleEdit: storage itself failed, or what it holds is in doubt.
bool isStorageFailure(const std::optional<MonitorStoreError>& error);

} // namespace tavlen

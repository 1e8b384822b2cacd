#pragma once

#include "MonitorStoreError.h"

#include <exception>

namespace tavlen {

// The storage error for an SQLite result code, classified by its primary code (the low 8 bits): busy and locked
// → busy; corrupt and not-a-database → invalidStoredData; interrupt → interrupted; anything else → storage.
MonitorStoreError storeErrorForSqliteCode(int resultCode);

// What a database access reports for whatever its open step or body threw: a MonitorStoreError or a
// MonitorCheckError unchanged, a cancellation of the caller (CancelledError) as interrupted, an SqliteError by its
// code, anything else (file-system and JSON errors among them) as storage. Returned as an exception to rethrow.
// Whatever becomes storage or invalidStoredData is logged under the storage category first (a JSON error by its
// identifier alone, since its text may quote stored secrets).
std::exception_ptr mapDatabaseFailure(std::exception_ptr failure);

} // namespace tavlen

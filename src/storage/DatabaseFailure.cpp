#include "DatabaseFailure.h"

#include "CancelledError.h"
#include "MonitorCheckError.h"
#include "SqliteError.h"
#include "StorageLog.h"

#include <nlohmann/json.hpp>
#include <sqlite3.h>

namespace tavlen {

namespace {

// The user sees only the storage sentence; the log keeps what went wrong. JSON errors quote the text they
// stopped at, which may be stored data such as an API key, so only their identifier is logged.
void logCause(const std::exception& error)
{
    if (const auto* jsonError = dynamic_cast<const nlohmann::json::exception*>(&error)) {
        qCWarning(storageLog, "Workspace access failed: JSON error %d", jsonError->id);
        return;
    }
    qCWarning(storageLog, "Workspace access failed: %s", error.what());
}

} // namespace

MonitorStoreError storeErrorForSqliteCode(int resultCode)
{
    switch (resultCode & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return MonitorStoreError::busy();
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        return MonitorStoreError::invalidStoredData();
    case SQLITE_INTERRUPT:
        return MonitorStoreError::interrupted();
    default:
        return MonitorStoreError::storage();
    }
}

std::exception_ptr mapDatabaseFailure(std::exception_ptr failure)
{
    if (!failure) {
        return std::make_exception_ptr(MonitorStoreError::storage());
    }
    try {
        std::rethrow_exception(failure);
    } catch (const MonitorStoreError&) {
        return failure;
    } catch (const MonitorCheckError&) {
        return failure;
    } catch (const CancelledError&) {
        return std::make_exception_ptr(MonitorStoreError::interrupted());
    } catch (const SqliteError& error) {
        MonitorStoreError mapped = storeErrorForSqliteCode(error.extendedCode());
        // Busy and interrupted accesses are ordinary; the others leave the user a sentence to act on.
        if (mapped.kind() == MonitorStoreError::Kind::storage ||
            mapped.kind() == MonitorStoreError::Kind::invalidStoredData) {
            logCause(error);
        }
        return std::make_exception_ptr(std::move(mapped));
    } catch (const std::exception& error) {
        logCause(error);
        return std::make_exception_ptr(MonitorStoreError::storage());
    } catch (...) {
        qCWarning(storageLog, "Workspace access failed with an error of unknown type");
        return std::make_exception_ptr(MonitorStoreError::storage());
    }
}

} // namespace tavlen

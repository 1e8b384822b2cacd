#include "DatabaseFailure.h"

#include "CancelledError.h"
#include "MonitorCheckError.h"
#include "SqliteError.h"

#include <sqlite3.h>

namespace tavlen {

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
        return std::make_exception_ptr(storeErrorForSqliteCode(error.extendedCode()));
    } catch (...) {
        return std::make_exception_ptr(MonitorStoreError::storage());
    }
}

} // namespace tavlen

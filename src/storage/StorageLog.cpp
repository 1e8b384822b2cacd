#include "StorageLog.h"

namespace tavlen {

Q_LOGGING_CATEGORY(storageLog, "org.tavlen.Tavlen.Storage", QtInfoMsg)

} // namespace tavlen

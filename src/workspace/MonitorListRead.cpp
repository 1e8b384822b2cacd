#include "MonitorListRead.h"

#include "MonitorRepository.h"
#include "WorkspaceLog.h"

#include <exception>

namespace tavlen {

QCoro::Task<MonitorListRead> MonitorListRead::from(std::shared_ptr<MonitorRepository> repository, const char* what)
{
    MonitorListRead read;
    std::exception_ptr failure;
    try {
        auto reading = repository->monitors();
        read.monitors = co_await std::move(reading);
    } catch (...) {
        failure = std::current_exception();
    }
    if (failure) {
        read.error = MonitorStoreError::from(failure);
        qCWarning(workspaceLog) << what << "failed:" << read.error->what();
    }
    co_return read;
}

} // namespace tavlen

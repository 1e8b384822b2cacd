#include "MonitorEditorSession.h"

#include "MainThread.h"
#include "StepsChangeRule.h"
#include "Utf8.h"

#include <utility>

namespace tavlen {

MonitorEditorSession::MonitorEditorSession()
    : m_id(Uuid::random())
    , m_proposedMonitorID(Uuid::random())
{
    TAVLEN_ASSERT_MAIN_THREAD();
}

bool MonitorEditorSession::hasValidName() const
{
    return !trimWhitespaceAndNewlines(m_name).empty();
}

void MonitorEditorSession::setName(std::string name)
{
    if (storeObservedText(m_name, std::move(name))) {
        Q_EMIT nameChanged();
    }
}

void MonitorEditorSession::setSaveError(std::optional<MonitorStoreError> error)
{
    if (storeObserved(m_saveError, std::move(error))) {
        Q_EMIT saveErrorChanged();
    }
}

} // namespace tavlen

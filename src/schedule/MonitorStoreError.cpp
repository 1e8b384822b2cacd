#include "MonitorStoreError.h"

#include "CancelledError.h"
#include "FailureDescription.h"
#include "StorageMessages.h"
#include "Utf8.h"

#include <utility>

namespace tavlen {

namespace {

const char* fixedDescription(MonitorStoreError::Kind kind)
{
    using Kind = MonitorStoreError::Kind;
    switch (kind) {
    case Kind::validation:
        return "";
    case Kind::unsupportedStepsFormat:
    case Kind::unsupportedSchema:
        return storage_messages::incompatibleFormat;
    case Kind::missingMonitor:
        return storage_messages::missingMonitor;
    case Kind::staleEdit:
        return storage_messages::staleEdit;
    case Kind::busy:
        return storage_messages::busy;
    case Kind::invalidStoredData:
        return storage_messages::invalidStoredData;
    case Kind::storage:
        return storage_messages::storage;
    case Kind::interrupted:
        return storage_messages::interrupted;
    }
    return storage_messages::storage;
}

} // namespace

MonitorStoreError::MonitorStoreError(Kind kind)
    : m_kind(kind)
    , m_description(fixedDescription(kind))
{}

MonitorStoreError MonitorStoreError::validation(std::string sentence)
{
    MonitorStoreError error(Kind::validation);
    error.m_description = sentence;
    error.m_sentence = std::move(sentence);
    return error;
}

MonitorStoreError MonitorStoreError::unsupportedStepsFormat(std::int64_t version)
{
    MonitorStoreError error(Kind::unsupportedStepsFormat);
    error.m_version = version;
    return error;
}

MonitorStoreError MonitorStoreError::from(std::exception_ptr error)
{
    if (!error) {
        return storage();
    }
    try {
        std::rethrow_exception(error);
    } catch (const MonitorStoreError& storeError) {
        return storeError;
    } catch (const CancelledError&) {
        return interrupted();
    } catch (...) {
        logFailureCause("storage failure of an unknown kind", error);
        return storage();
    }
}

bool operator==(const MonitorStoreError& a, const MonitorStoreError& b)
{
    if (a.m_kind != b.m_kind) {
        return false;
    }
    switch (a.m_kind) {
    case MonitorStoreError::Kind::validation:
        return textEqual(a.m_sentence, b.m_sentence);
    case MonitorStoreError::Kind::unsupportedStepsFormat:
        return a.m_version == b.m_version;
    default:
        return true;
    }
}

} // namespace tavlen

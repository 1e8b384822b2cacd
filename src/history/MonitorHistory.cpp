#include "MonitorHistory.h"

#include "HistoryDataSource.h"
#include "HistoryText.h"
#include "MainThread.h"
#include "MonitorCheckError.h"
#include "MonitorStoreError.h"
#include "Observable.h"

#include <QPointer>

#include <algorithm>

namespace tavlen {

namespace {

// A page request asks for one check more than a page shows.
constexpr int pageRequestLimit = MonitorHistory::pageSize + 1;

// Newer: a later start, or the same start and an id whose lower-case text sorts after (as its bytes do).
bool isNewerCheck(std::int64_t aStart, const Uuid& aID, std::int64_t bStart, const Uuid& bID)
{
    return aStart != bStart ? aStart > bStart : aID > bID;
}

bool isNewerCheck(const MonitorCheck& a, const MonitorCheck& b)
{
    return isNewerCheck(a.startedAtMilliseconds, a.id, b.startedAtMilliseconds, b.id);
}

MonitorCheckCursor cursorOf(const MonitorCheck& check)
{
    return MonitorCheckCursor{check.startedAtMilliseconds, check.id};
}

// A page as shown: the first 50 checks; true when more exist beyond them.
bool trimToPage(std::vector<MonitorCheck>& checks)
{
    if (checks.size() <= static_cast<std::size_t>(MonitorHistory::pageSize)) {
        return false;
    }
    checks.resize(MonitorHistory::pageSize);
    return true;
}

template <class T> bool isCurrentRequest(const std::optional<T>& current, const T& request)
{
    return current && *current == request;
}

} // namespace

MonitorHistory::MonitorHistory(Uuid monitorID, HistoryDataSource& source, QObject* parent)
    : QObject(parent)
    , m_monitorID(monitorID)
    , m_source(source)
{}

void MonitorHistory::setDeletionCandidate(std::optional<MonitorCheck> check)
{
    TAVLEN_ASSERT_MAIN_THREAD();
    if (assignIfChanged(m_deletionCandidate, check)) {
        Q_EMIT deletionCandidateChanged();
    }
}

QCoro::Task<void> MonitorHistory::refresh(std::stop_token token)
{
    TAVLEN_ASSERT_MAIN_THREAD();
    const QPointer<MonitorHistory> alive(this);
    const Uuid request = Uuid::random();
    const std::int64_t generation = m_generation;
    m_refreshRequest = request;
    setIsRefreshing(true);
    const std::optional<MonitorCheck> boundary =
        m_checks.empty() ? std::nullopt : std::optional<MonitorCheck>(m_checks.front());

    std::vector<MonitorCheck> collected;
    std::optional<MonitorCheckCursor> cursor;
    bool moreExist = false;
    std::exception_ptr failure;
    try {
        while (true) {
            auto loading = m_source.loadChecks(m_monitorID, cursor, pageRequestLimit, token);
            std::vector<MonitorCheck> page = co_await std::move(loading);
            if (!alive || isStale(generation, token) || !isCurrentRequest(m_refreshRequest, request)) {
                break;
            }
            moreExist = trimToPage(page);
            cursor = page.empty() ? std::nullopt : std::optional(cursorOf(page.back()));
            collected.insert(collected.end(), page.begin(), page.end());
            if (!boundary || page.empty() || !isNewerCheck(page.back(), *boundary) || !moreExist) {
                const bool olderCursorWasNone = !m_olderCursor;
                mergeChecks(collected);
                advanceOlderCursor(cursor);
                if (!moreExist) {
                    setHasOlder(false);
                } else if (olderCursorWasNone) {
                    setHasOlder(true);
                }
                setHasLoaded(true);
                setError(std::nullopt);
                break;
            }
        }
    } catch (...) {
        failure = std::current_exception();
    }
    if (!alive) {
        co_return;
    }
    if (failure && !isStale(generation, token) && isCurrentRequest(m_refreshRequest, request) &&
        !handleMissingMonitor(failure)) {
        setError(std::string(history_text::checksLoadFailed));
    }
    if (isCurrentRequest(m_refreshRequest, request)) {
        m_refreshRequest.reset();
        setIsRefreshing(false);
    }
}

QCoro::Task<void> MonitorHistory::loadOlder(std::stop_token token)
{
    TAVLEN_ASSERT_MAIN_THREAD();
    if (!m_hasOlder || m_isLoadingOlder || !m_olderCursor) {
        co_return;
    }
    const QPointer<MonitorHistory> alive(this);
    const MonitorCheckCursor cursor = *m_olderCursor;
    const Uuid request = Uuid::random();
    const std::int64_t generation = m_generation;
    m_olderRequest = request;
    setIsLoadingOlder(true);
    setOlderError(std::nullopt);

    std::exception_ptr failure;
    try {
        auto loading = m_source.loadChecks(m_monitorID, cursor, pageRequestLimit, token);
        std::vector<MonitorCheck> page = co_await std::move(loading);
        if (alive && !isStale(generation, token) && isCurrentRequest(m_olderRequest, request)) {
            const bool moreExist = trimToPage(page);
            mergeChecks(page);
            if (!page.empty()) {
                advanceOlderCursor(cursorOf(page.back()));
            }
            setHasOlder(moreExist);
        }
    } catch (...) {
        failure = std::current_exception();
    }
    if (!alive) {
        co_return;
    }
    if (failure && !isStale(generation, token) && isCurrentRequest(m_olderRequest, request) &&
        !handleMissingMonitor(failure)) {
        setOlderError(std::string(history_text::olderChecksLoadFailed));
    }
    if (isCurrentRequest(m_olderRequest, request)) {
        m_olderRequest.reset();
        setIsLoadingOlder(false);
    }
}

QCoro::Task<void> MonitorHistory::loadReadings(Uuid checkID, std::stop_token token)
{
    TAVLEN_ASSERT_MAIN_THREAD();
    const auto listed =
        std::find_if(m_checks.begin(), m_checks.end(), [&](const MonitorCheck& check) { return check.id == checkID; });
    // Only successful checks have stored readings, and loaded ones are never read again.
    if (listed == m_checks.end() || listed->failure || m_readings.contains(checkID) ||
        m_readingRequests.contains(checkID)) {
        co_return;
    }
    const QPointer<MonitorHistory> alive(this);
    const Uuid request = Uuid::random();
    const std::int64_t generation = m_generation;
    m_readingRequests[checkID] = request;
    m_readingErrors.erase(checkID);
    Q_EMIT readingErrorsChanged();

    const auto isCurrent = [&] {
        const auto found = m_readingRequests.find(checkID);
        return found != m_readingRequests.end() && found->second == request;
    };
    std::exception_ptr failure;
    try {
        auto loading = m_source.loadReadings(checkID);
        std::vector<Reading> readings = co_await std::move(loading);
        if (alive && !isStale(generation, token) && isCurrent()) {
            m_readings[checkID] = std::move(readings);
            Q_EMIT readingsChanged();
        }
    } catch (...) {
        failure = std::current_exception();
    }
    if (!alive) {
        co_return;
    }
    if (failure && !isStale(generation, token) && isCurrent()) {
        try {
            std::rethrow_exception(failure);
        } catch (const MonitorCheckError&) {
            forgetCheck(checkID);
        } catch (...) {
            if (!handleMissingMonitor(failure)) {
                m_readingErrors[checkID] = std::string(history_text::readingsLoadFailed);
                Q_EMIT readingErrorsChanged();
            }
        }
    }
    if (isCurrent()) {
        m_readingRequests.erase(checkID);
    }
}

QCoro::Task<void> MonitorHistory::deleteCheck(MonitorCheck check)
{
    TAVLEN_ASSERT_MAIN_THREAD();
    const Uuid checkID = check.id;
    if (!isListed(checkID)) {
        co_return;
    }
    const bool inserted = m_deletingIDs.insert(checkID).second;
    Q_EMIT deletingIDsChanged();
    if (!inserted) {
        co_return;
    }
    const QPointer<MonitorHistory> alive(this);
    m_deletionErrors.erase(checkID);
    Q_EMIT deletionErrorsChanged();

    std::exception_ptr failure;
    try {
        auto deleting = m_source.deleteCheck(m_monitorID, checkID);
        co_await std::move(deleting);
    } catch (...) {
        failure = std::current_exception();
    }
    if (!alive) {
        co_return;
    }
    if (!failure) {
        forgetCheck(checkID);
    } else if (!handleMissingMonitor(failure) && isListed(checkID)) {
        m_deletionErrors[checkID] = std::string(history_text::deletionFailed);
        Q_EMIT deletionErrorsChanged();
    }
    m_deletingIDs.erase(checkID);
    Q_EMIT deletingIDsChanged();
}

void MonitorHistory::cancel()
{
    TAVLEN_ASSERT_MAIN_THREAD();
    m_generation = static_cast<std::int64_t>(static_cast<std::uint64_t>(m_generation) + 1);
    m_refreshRequest.reset();
    m_olderRequest.reset();
    m_readingRequests.clear();
    setIsRefreshing(false);
    setIsLoadingOlder(false);
}

void MonitorHistory::toggleExpanded(const Uuid& checkID)
{
    TAVLEN_ASSERT_MAIN_THREAD();
    setExpandedID(m_expandedID == checkID ? std::nullopt : std::optional(checkID));
}

void MonitorHistory::toggleAllReadings(const Uuid& checkID)
{
    TAVLEN_ASSERT_MAIN_THREAD();
    if (!m_checksWithExpandedReadings.insert(checkID).second) {
        m_checksWithExpandedReadings.erase(checkID);
    }
    Q_EMIT checksWithExpandedReadingsChanged();
}

bool MonitorHistory::isStale(std::int64_t generation, const std::stop_token& token) const
{
    return generation != m_generation || token.stop_requested();
}

void MonitorHistory::mergeChecks(const std::vector<MonitorCheck>& checks)
{
    std::map<Uuid, MonitorCheck> byID;
    for (const MonitorCheck& check : m_checks) {
        byID.emplace(check.id, check);
    }
    for (const MonitorCheck& check : checks) {
        if (!m_deletedIDs.contains(check.id)) {
            byID.emplace(check.id, check); // a listed check keeps its listed version
        }
    }
    std::vector<MonitorCheck> merged;
    merged.reserve(byID.size());
    for (auto& entry : byID) {
        merged.push_back(std::move(entry.second));
    }
    std::sort(
        merged.begin(), merged.end(), [](const MonitorCheck& a, const MonitorCheck& b) { return isNewerCheck(a, b); });
    setChecks(std::move(merged));
}

void MonitorHistory::advanceOlderCursor(const std::optional<MonitorCheckCursor>& cursor)
{
    if (!cursor) {
        return;
    }
    if (!m_olderCursor ||
        isNewerCheck(
            m_olderCursor->startedAtMilliseconds, m_olderCursor->id, cursor->startedAtMilliseconds, cursor->id)) {
        m_olderCursor = cursor;
    }
}

bool MonitorHistory::handleMissingMonitor(const std::exception_ptr& failure)
{
    try {
        std::rethrow_exception(failure);
    } catch (const MonitorStoreError& error) {
        if (error.kind() != MonitorStoreError::Kind::missingMonitor) {
            return false;
        }
    } catch (...) {
        return false;
    }
    cancel();
    setChecks({});
    setReadings({});
    setReadingErrors({});
    setExpandedID(std::nullopt);
    setChecksWithExpandedReadings({});
    setDeletionErrors({});
    setDeletionCandidate(std::nullopt);
    m_olderCursor.reset();
    setHasOlder(false);
    setHasLoaded(false);
    setError(std::string(history_text::historyMonitorGone));
    setOlderError(std::nullopt);
    return true;
}

void MonitorHistory::forgetCheck(const Uuid& checkID)
{
    m_deletedIDs.insert(checkID);
    std::erase_if(m_checks, [&](const MonitorCheck& check) { return check.id == checkID; });
    Q_EMIT checksChanged();
    m_readings.erase(checkID);
    Q_EMIT readingsChanged();
    m_readingErrors.erase(checkID);
    Q_EMIT readingErrorsChanged();
    m_readingRequests.erase(checkID);
    m_deletionErrors.erase(checkID);
    Q_EMIT deletionErrorsChanged();
    m_checksWithExpandedReadings.erase(checkID);
    Q_EMIT checksWithExpandedReadingsChanged();
    if (m_expandedID == checkID) {
        setExpandedID(std::nullopt);
    }
    if (m_deletionCandidate && m_deletionCandidate->id == checkID) {
        setDeletionCandidate(std::nullopt);
    }
}

bool MonitorHistory::isListed(const Uuid& checkID) const
{
    return std::any_of(
        m_checks.begin(), m_checks.end(), [&](const MonitorCheck& check) { return check.id == checkID; });
}

void MonitorHistory::setChecks(std::vector<MonitorCheck> checks)
{
    if (assignIfChanged(m_checks, checks)) {
        Q_EMIT checksChanged();
    }
}

void MonitorHistory::setHasLoaded(bool hasLoaded)
{
    if (assignIfChanged(m_hasLoaded, hasLoaded)) {
        Q_EMIT hasLoadedChanged();
    }
}

void MonitorHistory::setIsRefreshing(bool isRefreshing)
{
    if (assignIfChanged(m_isRefreshing, isRefreshing)) {
        Q_EMIT isRefreshingChanged();
    }
}

void MonitorHistory::setIsLoadingOlder(bool isLoadingOlder)
{
    if (assignIfChanged(m_isLoadingOlder, isLoadingOlder)) {
        Q_EMIT isLoadingOlderChanged();
    }
}

void MonitorHistory::setHasOlder(bool hasOlder)
{
    if (assignIfChanged(m_hasOlder, hasOlder)) {
        Q_EMIT hasOlderChanged();
    }
}

void MonitorHistory::setError(std::optional<std::string> error)
{
    if (assignIfChanged(m_error, error)) {
        Q_EMIT errorChanged();
    }
}

void MonitorHistory::setOlderError(std::optional<std::string> error)
{
    if (assignIfChanged(m_olderError, error)) {
        Q_EMIT olderErrorChanged();
    }
}

void MonitorHistory::setReadings(std::map<Uuid, std::vector<Reading>> readings)
{
    if (assignIfChanged(m_readings, readings)) {
        Q_EMIT readingsChanged();
    }
}

void MonitorHistory::setReadingErrors(std::map<Uuid, std::string> errors)
{
    if (assignIfChanged(m_readingErrors, errors)) {
        Q_EMIT readingErrorsChanged();
    }
}

void MonitorHistory::setExpandedID(std::optional<Uuid> checkID)
{
    if (assignIfChanged(m_expandedID, checkID)) {
        Q_EMIT expandedIDChanged();
    }
}

void MonitorHistory::setChecksWithExpandedReadings(std::set<Uuid> checkIDs)
{
    if (assignIfChanged(m_checksWithExpandedReadings, checkIDs)) {
        Q_EMIT checksWithExpandedReadingsChanged();
    }
}

void MonitorHistory::setDeletionErrors(std::map<Uuid, std::string> errors)
{
    if (assignIfChanged(m_deletionErrors, errors)) {
        Q_EMIT deletionErrorsChanged();
    }
}

} // namespace tavlen

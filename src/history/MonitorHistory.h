#pragma once

// moc cannot parse the C++20 standard headers that these pull in; it needs none of them.
#ifndef Q_MOC_RUN
#include "MonitorCheck.h"
#include "MonitorCheckCursor.h"
#include "Reading.h"
#include "Uuid.h"
#endif

#include <QCoroTask>
#include <QObject>

#include <cstdint>
#include <exception>
#include <map>
#include <optional>
#include <set>
#include <stop_token>
#include <string>
#include <vector>

namespace tavlen {

class HistoryDataSource;

// The History tab of one monitor: its stored checks newest first, paged 50 at a time, with new checks merged in
// on every refresh, the readings of expanded checks, deletions, and the tab's per-check display state.
// Results are superseded by identity: a request applies its result only while it is still the current one of its
// kind, no cancel happened since it started and its own token is not stopped. Deletions always apply.
// Observable; main thread only. Setters notify only on a change; the in-place changes of the maps and sets
// (and the removal of a forgotten check) notify every time.
class MonitorHistory : public QObject
{
    Q_OBJECT

public:
    // How many checks a page shows; one more is asked for to learn whether more exist.
    static constexpr int pageSize = 50;

    // source must outlive the model and its requests.
    MonitorHistory(Uuid monitorID, HistoryDataSource& source, QObject* parent = nullptr);

    const Uuid& monitorID() const { return m_monitorID; }

    // Newest first, each id once.
    const std::vector<MonitorCheck>& checks() const { return m_checks; }

    bool hasLoaded() const { return m_hasLoaded; }

    bool isRefreshing() const { return m_isRefreshing; }

    bool isLoadingOlder() const { return m_isLoadingOlder; }

    bool hasOlder() const { return m_hasOlder; }

    const std::optional<std::string>& error() const { return m_error; }

    const std::optional<std::string>& olderError() const { return m_olderError; }

    const std::map<Uuid, std::vector<Reading>>& readings() const { return m_readings; }

    const std::map<Uuid, std::string>& readingErrors() const { return m_readingErrors; }

    const std::optional<Uuid>& expandedID() const { return m_expandedID; }

    const std::set<Uuid>& checksWithExpandedReadings() const { return m_checksWithExpandedReadings; }

    const std::set<Uuid>& deletingIDs() const { return m_deletingIDs; }

    const std::map<Uuid, std::string>& deletionErrors() const { return m_deletionErrors; }

    // The check whose deletion awaits the user's confirmation.
    const std::optional<MonitorCheck>& deletionCandidate() const { return m_deletionCandidate; }

    void setDeletionCandidate(std::optional<MonitorCheck> check);

    // Reads the newest checks down to the newest one already listed and merges them in.
    QCoro::Task<void> refresh(std::stop_token token = {});
    // Reads the page after the oldest one reached; nothing without older checks or while one is being read.
    QCoro::Task<void> loadOlder(std::stop_token token = {});
    // Reads the readings of a listed, successful check once.
    QCoro::Task<void> loadReadings(Uuid checkID, std::stop_token token = {});
    // Deletes a listed check; one deletion per check at a time.
    QCoro::Task<void> deleteCheck(MonitorCheck check);
    // Every request in flight but deletions changes nothing any more; the in-flight flags clear at once.
    void cancel();
    void toggleExpanded(const Uuid& checkID);
    void toggleAllReadings(const Uuid& checkID);

Q_SIGNALS:
    void checksChanged();
    void hasLoadedChanged();
    void isRefreshingChanged();
    void isLoadingOlderChanged();
    void hasOlderChanged();
    void errorChanged();
    void olderErrorChanged();
    void readingsChanged();
    void readingErrorsChanged();
    void expandedIDChanged();
    void checksWithExpandedReadingsChanged();
    void deletingIDsChanged();
    void deletionErrorsChanged();
    void deletionCandidateChanged();

private:
    bool isStale(std::int64_t generation, const std::stop_token& token) const;
    void mergeChecks(const std::vector<MonitorCheck>& checks);
    void advanceOlderCursor(const std::optional<MonitorCheckCursor>& cursor);
    bool handleMissingMonitor(const std::exception_ptr& failure);
    void forgetCheck(const Uuid& checkID);
    bool isListed(const Uuid& checkID) const;

    void setChecks(std::vector<MonitorCheck> checks);
    void setHasLoaded(bool hasLoaded);
    void setIsRefreshing(bool isRefreshing);
    void setIsLoadingOlder(bool isLoadingOlder);
    void setHasOlder(bool hasOlder);
    void setError(std::optional<std::string> error);
    void setOlderError(std::optional<std::string> error);
    void setReadings(std::map<Uuid, std::vector<Reading>> readings);
    void setReadingErrors(std::map<Uuid, std::string> errors);
    void setExpandedID(std::optional<Uuid> checkID);
    void setChecksWithExpandedReadings(std::set<Uuid> checkIDs);
    void setDeletionErrors(std::map<Uuid, std::string> errors);

    Uuid m_monitorID;
    std::vector<MonitorCheck> m_checks;
    bool m_hasLoaded = false;
    bool m_isRefreshing = false;
    bool m_isLoadingOlder = false;
    bool m_hasOlder = false;
    std::optional<std::string> m_error;
    std::optional<std::string> m_olderError;
    std::map<Uuid, std::vector<Reading>> m_readings;
    std::map<Uuid, std::string> m_readingErrors;
    std::optional<Uuid> m_expandedID;
    std::set<Uuid> m_checksWithExpandedReadings;
    std::set<Uuid> m_deletingIDs;
    std::map<Uuid, std::string> m_deletionErrors;
    std::optional<MonitorCheck> m_deletionCandidate;
    HistoryDataSource& m_source;
    // Only its equality with a remembered value matters, so it wraps around instead of overflowing.
    std::int64_t m_generation = 0;
    std::optional<Uuid> m_refreshRequest;
    std::optional<Uuid> m_olderRequest;
    std::map<Uuid, Uuid> m_readingRequests;
    std::set<Uuid> m_deletedIDs;
    std::optional<MonitorCheckCursor> m_olderCursor;
};

} // namespace tavlen

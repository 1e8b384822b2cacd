#include "MonitorHistory.h"

#include "ChartTestValues.h"
#include "EventLoopTest.h"
#include "MonitorCheckError.h"
#include "MonitorStoreError.h"
#include "ObjectRemains.h"
#include "ReadingPreviewText.h"
#include "ScriptedSources.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <stdexcept>

namespace tavlen {
namespace {

using test::chartID;
using test::waitBounded;

const Uuid monitor = chartID(999'999);
const char* goneSentence = "This monitor no longer exists. Select another monitor to view its checks.";

// Check n, started at n seconds.
MonitorCheck checkNumber(int n, std::optional<MonitorCheckFailure> failure = std::nullopt)
{
    return MonitorCheck{chartID(n), monitor, n * 1000LL, n * 1000LL + 5, std::move(failure), 0, std::nullopt};
}

std::vector<MonitorCheck> checksNumbered(int from, int to)
{
    std::vector<MonitorCheck> checks;
    for (int n = from; n <= to; ++n) {
        checks.push_back(checkNumber(n));
    }
    return checks;
}

std::vector<int> numbersOf(const std::vector<MonitorCheck>& checks)
{
    std::vector<int> numbers;
    for (const MonitorCheck& check : checks) {
        numbers.push_back(static_cast<int>(check.startedAtMilliseconds / 1000));
    }
    return numbers;
}

std::vector<int> descending(int from, int to)
{
    std::vector<int> numbers;
    for (int n = to; n >= from; --n) {
        numbers.push_back(n);
    }
    return numbers;
}

bool isOlder(const MonitorCheck& check, const MonitorCheckCursor& cursor)
{
    return check.startedAtMilliseconds != cursor.startedAtMilliseconds
               ? check.startedAtMilliseconds < cursor.startedAtMilliseconds
               : check.id < cursor.id;
}

// A history source that answers at once from a list of stored checks, paged as the store pages them.
class ListedHistorySource final : public HistoryDataSource
{
public:
    QCoro::Task<std::vector<MonitorCheck>>
    loadChecks(Uuid, std::optional<MonitorCheckCursor> cursor, int limit, std::stop_token) override
    {
        asked.push_back(cursor);
        if (failing && failing(static_cast<int>(asked.size()))) {
            throw MonitorStoreError::busy();
        }
        std::vector<MonitorCheck> sorted = stored;
        std::sort(sorted.begin(), sorted.end(), [](const MonitorCheck& a, const MonitorCheck& b) {
            return isOlder(b, MonitorCheckCursor{a.startedAtMilliseconds, a.id});
        });
        std::vector<MonitorCheck> page;
        for (const MonitorCheck& check : sorted) {
            if ((!cursor || isOlder(check, *cursor)) && page.size() < static_cast<std::size_t>(limit)) {
                page.push_back(check);
            }
        }
        co_return page;
    }

    QCoro::Task<std::vector<Reading>> loadReadings(Uuid) override { co_return std::vector<Reading>{}; }

    QCoro::Task<void> deleteCheck(Uuid, Uuid checkID) override
    {
        std::erase_if(stored, [&](const MonitorCheck& check) { return check.id == checkID; });
        co_return;
    }

    std::vector<MonitorCheck> stored;
    std::vector<std::optional<MonitorCheckCursor>> asked;
    std::function<bool(int)> failing; // by the 1-based number of the page request
};

class MonitorHistoryTest : public test::EventLoopTest
{
protected:
    // A refresh that has listed checks 1...listed of the scripted source; with olderExist, checks 2...51 and the
    // 51st of the page, check 1, telling that more exist.
    void listScripted(int listed, bool olderExist = false)
    {
        auto refreshing = m_history.refresh();
        std::vector<MonitorCheck> page;
        for (int n = olderExist ? 51 : listed; n >= 1; --n) {
            page.push_back(checkNumber(n));
        }
        answerPage(page);
        waitBounded(std::move(refreshing));
    }

    void answerPage(std::vector<MonitorCheck> page)
    {
        ASSERT_FALSE(m_scripted.pages.empty());
        auto request = m_scripted.pages.front();
        m_scripted.pages.pop_front();
        request.answer.resume(std::move(page));
    }

    void failPage(std::exception_ptr error)
    {
        ASSERT_FALSE(m_scripted.pages.empty());
        auto request = m_scripted.pages.front();
        m_scripted.pages.pop_front();
        request.answer.fail(std::move(error));
    }

    test::ScriptedHistorySource m_scripted;
    MonitorHistory m_history{monitor, m_scripted};
};

TEST(MonitorHistoryPagingTest, theFirstRefreshListsFiftyAndTellsWhetherOlderExist)
{
    struct Row
    {
        int stored;
        int listed;
        bool hasOlder;
        int listedAfterOlder;
        bool hasOlderAfterOlder;
    };

    const std::vector<Row> rows{
        {0, 0, false, 0, false}, {50, 50, false, 50, false}, {51, 50, true, 51, false}, {120, 50, true, 100, true}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.stored);
        ListedHistorySource source;
        source.stored = checksNumbered(1, row.stored);
        MonitorHistory history(monitor, source);
        waitBounded(history.refresh());
        EXPECT_EQ(numbersOf(history.checks()), descending(row.stored - row.listed + 1, row.stored));
        EXPECT_EQ(history.hasOlder(), row.hasOlder);
        EXPECT_TRUE(history.hasLoaded());
        EXPECT_FALSE(history.isRefreshing());
        EXPECT_EQ(source.asked.size(), 1u);

        waitBounded(history.loadOlder());
        EXPECT_EQ(source.asked.size(), row.hasOlder ? 2u : 1u);
        if (row.hasOlder) {
            EXPECT_EQ(source.asked.back(), (MonitorCheckCursor{(row.stored - 49) * 1000LL, chartID(row.stored - 49)}));
        }
        EXPECT_EQ(history.checks().size(), static_cast<std::size_t>(row.listedAfterOlder));
        EXPECT_EQ(history.hasOlder(), row.hasOlderAfterOlder);
        EXPECT_FALSE(history.isLoadingOlder());
    }
}

TEST(MonitorHistoryPagingTest, aLaterRefreshReadsOnlyDownToTheNewestListedCheck)
{
    ListedHistorySource source;
    source.stored = checksNumbered(1, 80);
    MonitorHistory history(monitor, source);
    waitBounded(history.refresh());
    ASSERT_EQ(numbersOf(history.checks()), descending(31, 80));

    QSignalSpy checks(&history, &MonitorHistory::checksChanged);
    waitBounded(history.refresh());
    EXPECT_EQ(checks.count(), 0); // nothing new: the equal list is not reported
    EXPECT_EQ(source.asked.size(), 2u);

    const auto grown = checksNumbered(81, 200);
    source.stored.insert(source.stored.end(), grown.begin(), grown.end());
    waitBounded(history.refresh());
    EXPECT_EQ(checks.count(), 1);
    EXPECT_EQ(source.asked.size(), 5u); // one page, one, then three
    EXPECT_EQ(numbersOf(history.checks()), descending(31, 200));
    EXPECT_TRUE(history.hasOlder());

    waitBounded(history.loadOlder());
    EXPECT_EQ(source.asked.back(), (MonitorCheckCursor{31'000, chartID(31)})); // still the first load's end
    EXPECT_EQ(numbersOf(history.checks()), descending(1, 200));
    EXPECT_FALSE(history.hasOlder());
    waitBounded(history.loadOlder());
    EXPECT_EQ(source.asked.size(), 6u);
}

TEST(MonitorHistoryPagingTest, aFailedPageDropsTheWholeRefresh)
{
    ListedHistorySource source;
    source.stored = checksNumbered(1, 80);
    MonitorHistory history(monitor, source);
    waitBounded(history.refresh());
    const auto grown = checksNumbered(81, 200);
    source.stored.insert(source.stored.end(), grown.begin(), grown.end());
    source.failing = [](int request) { return request == 3; };
    waitBounded(history.refresh());
    EXPECT_EQ(history.error(), std::optional<std::string>("Could not load checks. Retry to read them again."));
    EXPECT_EQ(numbersOf(history.checks()), descending(31, 80));
    EXPECT_TRUE(history.hasLoaded());
    EXPECT_TRUE(history.hasOlder());

    source.failing = {};
    waitBounded(history.refresh());
    EXPECT_EQ(history.error(), std::nullopt);
    EXPECT_EQ(history.checks().size(), 170u);

    source.failing = [](int) { return true; };
    waitBounded(history.loadOlder());
    EXPECT_EQ(history.olderError(),
              std::optional<std::string>("Could not load older checks. Your loaded checks are still available."));
    EXPECT_EQ(history.checks().size(), 170u);
    EXPECT_EQ(history.error(), std::nullopt);
}

TEST_F(MonitorHistoryTest, onlyTheLatestRefreshIsApplied)
{
    auto first = m_history.refresh();
    auto second = m_history.refresh();
    ASSERT_EQ(m_scripted.pages.size(), 2u);
    answerPage({checkNumber(1)});
    waitBounded(std::move(first));
    EXPECT_TRUE(m_history.checks().empty());
    EXPECT_TRUE(m_history.isRefreshing());
    answerPage({checkNumber(2)});
    waitBounded(std::move(second));
    EXPECT_EQ(numbersOf(m_history.checks()), (std::vector<int>{2}));
    EXPECT_FALSE(m_history.isRefreshing());
}

TEST_F(MonitorHistoryTest, cancelAndAStoppedTaskMakeResultsStale)
{
    auto refreshing = m_history.refresh();
    QSignalSpy flag(&m_history, &MonitorHistory::isRefreshingChanged);
    m_history.cancel();
    EXPECT_FALSE(m_history.isRefreshing());
    answerPage({checkNumber(1)});
    waitBounded(std::move(refreshing));
    EXPECT_TRUE(m_history.checks().empty());
    EXPECT_FALSE(m_history.hasLoaded());
    EXPECT_EQ(flag.count(), 1);

    std::stop_source view;
    auto stopped = m_history.refresh(view.get_token());
    view.request_stop();
    failPage(std::make_exception_ptr(MonitorStoreError::missingMonitor()));
    waitBounded(std::move(stopped));
    EXPECT_EQ(m_history.error(), std::nullopt);
    EXPECT_FALSE(m_history.isRefreshing());

    listScripted(50, true);
    EXPECT_EQ(numbersOf(m_history.checks()), descending(2, 51));
    EXPECT_TRUE(m_history.hasOlder());

    // An older page and a readings load in flight when the tab goes away.
    auto older = m_history.loadOlder();
    auto readings = m_history.loadReadings(chartID(2));
    m_history.cancel();
    EXPECT_FALSE(m_history.isLoadingOlder());
    EXPECT_EQ(m_scripted.pages.front().cursor, (MonitorCheckCursor{2000, chartID(2)}));
    answerPage({checkNumber(1)});
    m_scripted.readings.front().answer.resume(std::vector<Reading>{});
    waitBounded(std::move(older));
    waitBounded(std::move(readings));
    EXPECT_EQ(m_history.checks().size(), 50u);
    EXPECT_TRUE(m_history.readings().empty());
    EXPECT_TRUE(m_history.hasOlder());

    // After cancel a new older-page request may start and is applied.
    auto again = m_history.loadOlder();
    answerPage({checkNumber(1)});
    waitBounded(std::move(again));
    EXPECT_EQ(m_history.checks().size(), 51u);
    EXPECT_FALSE(m_history.hasOlder());
}

TEST_F(MonitorHistoryTest, aStoppedViewStopsItsPageReads)
{
    listScripted(50, true);

    struct Row
    {
        const char* name;
        std::function<QCoro::Task<void>(MonitorHistory&, std::stop_token)> read;
    };

    const Row rows[] = {
        {"refresh", [](MonitorHistory& history, std::stop_token stop) { return history.refresh(stop); }},
        {"older page", [](MonitorHistory& history, std::stop_token stop) { return history.loadOlder(stop); }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::stop_source view;
        auto reading = row.read(m_history, view.get_token());
        ASSERT_EQ(m_scripted.pages.size(), 1u);
        EXPECT_FALSE(m_scripted.pages.front().token.stop_requested());
        view.request_stop();
        EXPECT_TRUE(m_scripted.pages.front().token.stop_requested());
        failPage(std::make_exception_ptr(MonitorStoreError::interrupted()));
        waitBounded(std::move(reading));
        EXPECT_EQ(m_history.error(), std::nullopt);
        EXPECT_EQ(m_history.olderError(), std::nullopt);
        EXPECT_EQ(m_history.checks().size(), 50u);
    }
}

TEST_F(MonitorHistoryTest, aListedCheckKeepsItsVersionAndAForgottenOneNeverReturns)
{
    listScripted(3);
    auto refreshing = m_history.refresh();
    auto deleting = m_history.deleteCheck(checkNumber(2));
    ASSERT_EQ(m_scripted.deletions.size(), 1u);
    m_scripted.deletions.front().answer.resume();
    waitBounded(std::move(deleting));
    EXPECT_EQ(numbersOf(m_history.checks()), (std::vector<int>{3, 1}));

    MonitorCheck changed = checkNumber(3);
    changed.readingCount = 7;
    answerPage({checkNumber(4), changed, checkNumber(2), checkNumber(1)});
    waitBounded(std::move(refreshing));
    EXPECT_EQ(numbersOf(m_history.checks()), (std::vector<int>{4, 3, 1}));
    EXPECT_EQ(m_history.checks()[1].readingCount, 0);
}

// An older page meeting the deletion is the next test's: it needs a first page with more beyond it.
TEST_F(MonitorHistoryTest, aDeletedMonitorEmptiesTheTabWhicheverOperationMeetsIt)
{
    const std::vector<std::pair<const char*, std::function<QCoro::Task<void>(MonitorHistory&)>>> operations{
        {"refresh", [](MonitorHistory& history) { return history.refresh(); }},
        {"readings", [](MonitorHistory& history) { return history.loadReadings(chartID(2)); }},
        {"deletion", [](MonitorHistory& history) { return history.deleteCheck(checkNumber(2)); }},
    };
    for (const auto& [name, operation] : operations) {
        SCOPED_TRACE(name);
        test::ScriptedHistorySource source;
        MonitorHistory history(monitor, source);
        auto refreshing = history.refresh();
        source.pages.front().answer.resume(
            std::vector<MonitorCheck>{checkNumber(3), checkNumber(2), checkNumber(1, MonitorCheckFailure("x", "y"))});
        waitBounded(std::move(refreshing));
        source.pages.clear();
        auto reading = history.loadReadings(chartID(3));
        source.readings.front().answer.resume(
            std::vector<Reading>{Reading{chartID(7), "Price", ReadingValue::ofNumber(1)}});
        waitBounded(std::move(reading));
        source.readings.clear();
        history.toggleExpanded(chartID(3));
        history.toggleAllReadings(chartID(3));
        history.setDeletionCandidate(checkNumber(3));

        auto failing = operation(history);
        const auto gone = std::make_exception_ptr(MonitorStoreError::missingMonitor());
        if (!source.pages.empty()) {
            source.pages.front().answer.fail(gone);
        } else if (!source.readings.empty()) {
            source.readings.front().answer.fail(gone);
        } else if (!source.deletions.empty()) {
            source.deletions.front().answer.fail(gone);
        }
        waitBounded(std::move(failing));
        EXPECT_TRUE(history.checks().empty());
        EXPECT_FALSE(history.hasLoaded());
        EXPECT_FALSE(history.hasOlder());
        EXPECT_EQ(history.error(), std::optional<std::string>(goneSentence));
        EXPECT_EQ(history.olderError(), std::nullopt);
        EXPECT_TRUE(history.readings().empty());
        EXPECT_EQ(history.expandedID(), std::nullopt);
        EXPECT_TRUE(history.checksWithExpandedReadings().empty());
        EXPECT_EQ(history.deletionCandidate(), std::nullopt);
        EXPECT_TRUE(history.deletionErrors().empty());
        EXPECT_FALSE(history.isRefreshing());
    }
}

TEST_F(MonitorHistoryTest, aDeletedMonitorMetByAnOlderPageEmptiesTheTab)
{
    listScripted(50, true);
    auto older = m_history.loadOlder();
    failPage(std::make_exception_ptr(MonitorStoreError::missingMonitor()));
    waitBounded(std::move(older));
    EXPECT_TRUE(m_history.checks().empty());
    EXPECT_EQ(m_history.error(), std::optional<std::string>(goneSentence));
    EXPECT_FALSE(m_history.hasOlder());
    waitBounded(m_history.loadOlder());
    EXPECT_TRUE(m_scripted.pages.empty()); // no cursor, nothing older
}

TEST_F(MonitorHistoryTest, readingsAreLoadedOnceForListedSuccessfulChecks)
{
    auto refreshing = m_history.refresh();
    answerPage({checkNumber(5),
                checkNumber(4),
                checkNumber(3, MonitorCheckFailure("cancelled", "Execution cancelled.")),
                checkNumber(2, MonitorCheckFailure("provider_http_500", "Failed.")),
                checkNumber(1)});
    waitBounded(std::move(refreshing));

    waitBounded(m_history.loadReadings(chartID(3)));
    waitBounded(m_history.loadReadings(chartID(2)));
    waitBounded(m_history.loadReadings(chartID(77)));
    EXPECT_TRUE(m_scripted.readings.empty());

    auto first = m_history.loadReadings(chartID(5));
    auto repeated = m_history.loadReadings(chartID(5));
    waitBounded(std::move(repeated));
    ASSERT_EQ(m_scripted.readings.size(), 1u);
    const std::vector<Reading> values{Reading{chartID(7), "Price", ReadingValue::ofNumber(3)}};
    m_scripted.readings.front().answer.resume(values);
    m_scripted.readings.clear();
    waitBounded(std::move(first));
    EXPECT_EQ(m_history.readings().at(chartID(5)), values);
    waitBounded(m_history.loadReadings(chartID(5)));
    EXPECT_TRUE(m_scripted.readings.empty());

    // Any other failure is kept per check until the next attempt, which clears it as it starts.
    auto failing = m_history.loadReadings(chartID(4));
    m_scripted.readings.front().answer.fail(std::make_exception_ptr(MonitorStoreError::busy()));
    m_scripted.readings.clear();
    waitBounded(std::move(failing));
    EXPECT_EQ(m_history.readingErrors().at(chartID(4)), "Could not load readings.");
    auto retry = m_history.loadReadings(chartID(4));
    EXPECT_FALSE(m_history.readingErrors().contains(chartID(4)));
    m_scripted.readings.front().answer.resume(values);
    m_scripted.readings.clear();
    waitBounded(std::move(retry));
    EXPECT_TRUE(m_history.readings().contains(chartID(4)));

    // A check that is gone leaves the list with its display state, and no later page brings it back.
    m_history.toggleExpanded(chartID(1));
    m_history.setDeletionCandidate(checkNumber(1));
    auto gone = m_history.loadReadings(chartID(1));
    m_scripted.readings.front().answer.fail(std::make_exception_ptr(MonitorCheckError::missingCheck()));
    waitBounded(std::move(gone));
    EXPECT_EQ(numbersOf(m_history.checks()), (std::vector<int>{5, 4, 3, 2}));
    EXPECT_EQ(m_history.expandedID(), std::nullopt);
    EXPECT_EQ(m_history.deletionCandidate(), std::nullopt);
    EXPECT_EQ(m_history.error(), std::nullopt);
    m_history.cancel();
    auto again = m_history.refresh();
    answerPage({checkNumber(5), checkNumber(1)});
    waitBounded(std::move(again));
    EXPECT_EQ(numbersOf(m_history.checks()), (std::vector<int>{5, 4, 3, 2}));
}

TEST_F(MonitorHistoryTest, aCheckIsDeletedOnceAtATimeAndFailuresStayWithIt)
{
    listScripted(3);
    QSignalSpy deleting(&m_history, &MonitorHistory::deletingIDsChanged);
    auto first = m_history.deleteCheck(checkNumber(3));
    auto second = m_history.deleteCheck(checkNumber(3));
    waitBounded(std::move(second));
    EXPECT_EQ(m_scripted.deletions.size(), 1u);
    EXPECT_TRUE(m_history.deletingIDs().contains(chartID(3)));
    m_history.cancel(); // a deletion is never stale
    m_scripted.deletions.front().answer.resume();
    m_scripted.deletions.clear();
    waitBounded(std::move(first));
    EXPECT_EQ(numbersOf(m_history.checks()), (std::vector<int>{2, 1}));
    EXPECT_TRUE(m_history.deletingIDs().empty());
    EXPECT_EQ(deleting.count(), 3); // inserted, the refused second insertion, removed

    auto failing = m_history.deleteCheck(checkNumber(2));
    m_scripted.deletions.front().answer.fail(std::make_exception_ptr(MonitorStoreError::busy()));
    m_scripted.deletions.clear();
    waitBounded(std::move(failing));
    EXPECT_EQ(m_history.deletionErrors().at(chartID(2)), "Could not delete this check. Try again.");
    EXPECT_EQ(m_history.checks().size(), 2u);

    // A deletion failing after its check left the list shows nothing.
    auto late = m_history.deleteCheck(checkNumber(1));
    auto gone = m_history.loadReadings(chartID(1));
    m_scripted.readings.front().answer.fail(std::make_exception_ptr(MonitorCheckError::missingCheck()));
    waitBounded(std::move(gone));
    m_scripted.deletions.front().answer.fail(std::make_exception_ptr(std::runtime_error("gone")));
    waitBounded(std::move(late));
    EXPECT_FALSE(m_history.deletionErrors().contains(chartID(1)));
    waitBounded(m_history.deleteCheck(checkNumber(1))); // no longer listed: nothing asked
    EXPECT_EQ(m_scripted.deletions.size(), 1u);
}

TEST_F(MonitorHistoryTest, aModelGoneDuringItsRequestsIsLeftAlone)
{
    test::ObjectRemains<MonitorHistory> history(monitor, m_scripted);
    auto refreshing = history->refresh();
    answerPage({checkNumber(2), checkNumber(1)});
    waitBounded(std::move(refreshing));
    auto again = history->refresh();
    auto readings = history->loadReadings(chartID(2));
    auto deleting = history->deleteCheck(checkNumber(1));
    history.destroy();
    // A full page of checks newer than the listed ones: a history still there would ask for the next page.
    std::vector<MonitorCheck> newer;
    for (int n = 3 + MonitorHistory::pageSize; n >= 3; --n) {
        newer.push_back(checkNumber(n));
    }
    answerPage(newer);
    m_scripted.readings.front().answer.fail(std::make_exception_ptr(MonitorCheckError::missingCheck()));
    m_scripted.deletions.front().answer.resume();
    waitBounded(std::move(again));
    waitBounded(std::move(readings));
    waitBounded(std::move(deleting));
    EXPECT_FALSE(history.touchedSinceDestroyed());
    EXPECT_TRUE(m_scripted.pages.empty());
}

TEST_F(MonitorHistoryTest, togglesExpandOneRowAndSwitchReadingLists)
{
    m_history.toggleExpanded(chartID(1));
    EXPECT_EQ(m_history.expandedID(), chartID(1));
    m_history.toggleExpanded(chartID(2));
    EXPECT_EQ(m_history.expandedID(), chartID(2));
    m_history.toggleExpanded(chartID(2));
    EXPECT_EQ(m_history.expandedID(), std::nullopt);

    QSignalSpy all(&m_history, &MonitorHistory::checksWithExpandedReadingsChanged);
    m_history.toggleAllReadings(chartID(1));
    EXPECT_TRUE(m_history.checksWithExpandedReadings().contains(chartID(1)));
    m_history.toggleAllReadings(chartID(1));
    EXPECT_TRUE(m_history.checksWithExpandedReadings().empty());
    EXPECT_EQ(all.count(), 2);
}

} // namespace
} // namespace tavlen

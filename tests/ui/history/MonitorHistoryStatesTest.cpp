// The History tab's loading, empty, error and footer states, and a row's readings column, over the real history
// model with a source whose every answer the test gives.
#include "CheckReadingsColumn.h"
#include "CheckRow.h"
#include "HistoryCheckList.h"
#include "MonitorHistory.h"
#include "MonitorHistoryView.h"
#include "MonitorStoreError.h"
#include "ScriptedSources.h"
#include "WaitUntil.h"

#include <QAbstractButton>
#include <QLabel>
#include <QTest>

#include <gtest/gtest.h>

namespace tavlen::ui {
namespace {

using tavlen::test::waitUntil;

constexpr std::int64_t start = 1'700'000'000'000;

MonitorCheck checkAt(std::int64_t startedAt, std::optional<MonitorCheckFailure> failure = std::nullopt)
{
    return MonitorCheck{Uuid::random(), Uuid::random(), startedAt, startedAt + 1200, std::move(failure), 0, {}};
}

class MonitorHistoryStatesTest : public testing::Test
{
protected:
    MonitorHistoryView& show()
    {
        m_view = std::make_unique<MonitorHistoryView>(0, m_model);
        m_view->resize(800, 600);
        m_view->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(m_view.get()));
        return *m_view;
    }

    // Answers the oldest waiting page request.
    void answerPage(std::vector<MonitorCheck> page)
    {
        waitUntil([&] { return !m_source.pages.empty(); });
        auto request = m_source.pages.front();
        m_source.pages.pop_front();
        request.answer.resume(std::move(page));
        waitUntil([&] { return !m_model.isRefreshing() && !m_model.isLoadingOlder(); });
    }

    void failPage(MonitorStoreError error)
    {
        waitUntil([&] { return !m_source.pages.empty(); });
        auto request = m_source.pages.front();
        m_source.pages.pop_front();
        request.answer.fail(std::make_exception_ptr(error));
        waitUntil([&] { return !m_model.isRefreshing() && !m_model.isLoadingOlder(); });
    }

    QAbstractButton* button(const char* name) const
    {
        return m_view->findChild<QAbstractButton*>(QString::fromUtf8(name));
    }

    bool bannerShown() const { return m_view->findChild<QWidget*>(QStringLiteral("history-error"))->isVisible(); }

    test::ScriptedHistorySource m_source;
    MonitorHistory m_model{Uuid::random(), m_source};
    std::unique_ptr<MonitorHistoryView> m_view;
};

TEST_F(MonitorHistoryStatesTest, aFailedFirstLoadShowsTheBannerAloneUntilARetryFindsNothing)
{
    MonitorHistoryView& view = show();
    EXPECT_EQ(view.content(), HistoryContent::loading);
    EXPECT_FALSE(bannerShown());

    failPage(MonitorStoreError::storage());
    EXPECT_EQ(view.content(), HistoryContent::blank);
    ASSERT_TRUE(bannerShown());
    EXPECT_EQ(view.findChild<QLabel*>(QStringLiteral("history-error-text"))->text(),
              QStringLiteral("Could not load checks. Retry to read them again."));

    QAbstractButton* retry = button("history-retry");
    ASSERT_TRUE(retry->isEnabled());
    QTest::mouseClick(retry, Qt::LeftButton);
    EXPECT_FALSE(retry->isEnabled());
    EXPECT_EQ(view.content(), HistoryContent::loading);
    EXPECT_TRUE(bannerShown()); // the error stays until a refresh succeeds

    answerPage({});
    EXPECT_EQ(view.content(), HistoryContent::empty);
    EXPECT_FALSE(bannerShown());

    // A later refresh of the empty history shows the loading state again while it runs.
    view.setRevision(1);
    EXPECT_EQ(view.content(), HistoryContent::loading);
    answerPage({});
    EXPECT_EQ(view.content(), HistoryContent::empty);
}

TEST_F(MonitorHistoryStatesTest, theFooterPagesOlderChecksAndOffersRetryWhenThatFails)
{
    MonitorHistoryView& view = show();
    std::vector<MonitorCheck> page;
    for (int i = 0; i < MonitorHistory::pageSize + 1; ++i) {
        page.push_back(checkAt(start - i * 60'000));
    }
    answerPage(page);
    ASSERT_EQ(view.content(), HistoryContent::list);
    EXPECT_EQ(view.list()->footerKind(), HistoryFooter::loadOlder);
    ASSERT_TRUE(button("history-load-older"));

    QTest::mouseClick(button("history-load-older"), Qt::LeftButton);
    EXPECT_EQ(view.list()->footerKind(), HistoryFooter::loadingOlder);
    EXPECT_FALSE(button("history-load-older"));
    failPage(MonitorStoreError::storage());
    EXPECT_EQ(view.list()->footerKind(), HistoryFooter::olderError);
    EXPECT_EQ(view.findChild<QLabel*>(QStringLiteral("history-older-error"))->text(),
              QStringLiteral("Could not load older checks. Your loaded checks are still available."));
    EXPECT_EQ(m_model.checks().size(), 50u);

    QTest::mouseClick(button("history-older-retry"), Qt::LeftButton);
    EXPECT_EQ(view.list()->footerKind(), HistoryFooter::loadingOlder);
    answerPage({checkAt(start - 100 * 60'000)});
    EXPECT_EQ(view.list()->footerKind(), HistoryFooter::none);
    EXPECT_EQ(m_model.checks().size(), 51u);
}

TEST_F(MonitorHistoryStatesTest, aRowLoadsItsReadingsWhileShownAndOffersRetryAfterAFailure)
{
    MonitorHistoryView& view = show();
    const MonitorCheck succeeded = checkAt(start);
    const MonitorCheck failed = checkAt(start - 60'000, MonitorCheckFailure("execution_failed", "The page\nbroke"));
    answerPage({succeeded, failed});
    ASSERT_EQ(view.list()->rows().size(), 2u);

    CheckReadingsColumn* readings = view.list()->rowFor(succeeded.id)->findChild<CheckReadingsColumn*>();
    EXPECT_EQ(readings->content().kind, ReadingsColumn::Kind::loading);
    // Only the successful check asks for readings.
    waitUntil([&] { return !m_source.readings.empty(); });
    ASSERT_EQ(m_source.readings.size(), 1u);
    EXPECT_EQ(m_source.readings.front().checkID, succeeded.id);
    EXPECT_EQ(view.list()->rowFor(failed.id)->findChild<QLabel*>(QStringLiteral("check-failure-preview"))->text(),
              QStringLiteral("The page broke"));

    auto request = m_source.readings.front();
    m_source.readings.pop_front();
    request.answer.fail(std::make_exception_ptr(MonitorStoreError::storage()));
    waitUntil([&] { return readings->content().kind == ReadingsColumn::Kind::loadFailed; });
    EXPECT_EQ(readings->content().text, QStringLiteral("Could not load readings."));

    QTest::mouseClick(readings->findChild<QAbstractButton*>(QStringLiteral("check-readings-retry")), Qt::LeftButton);
    waitUntil([&] { return !m_source.readings.empty(); });
    std::vector<Reading> six;
    for (int i = 0; i < 6; ++i) {
        six.push_back(Reading{Uuid::random(), "Field " + std::to_string(i), ReadingValue::ofNumber(i)});
    }
    m_source.readings.front().answer.resume(six);
    waitUntil([&] { return readings->content().kind == ReadingsColumn::Kind::readings; });
    EXPECT_EQ(readings->content().list.shown.size(), 5u);

    const QString toggleName =
        QStringLiteral("expand-readings-") + QString::fromStdString(succeeded.id.uppercaseString());
    auto* toggle = readings->findChild<QAbstractButton*>(toggleName);
    ASSERT_TRUE(toggle);
    EXPECT_EQ(toggle->text(), QStringLiteral("Show 1 more"));
    QTest::mouseClick(toggle, Qt::LeftButton);
    EXPECT_EQ(readings->content().list.shown.size(), 6u);
    EXPECT_EQ(readings->findChild<QAbstractButton*>(toggleName)->text(), QStringLiteral("Show fewer"));
}

TEST_F(MonitorHistoryStatesTest, leavingTheScreenCancelsTheModelsRequests)
{
    MonitorHistoryView& view = show();
    waitUntil([&] { return !m_source.pages.empty(); });
    EXPECT_TRUE(m_model.isRefreshing());
    view.hide();
    EXPECT_FALSE(m_model.isRefreshing());
    m_source.pages.front().answer.resume(std::vector<MonitorCheck>{checkAt(start)});
    QTest::qWait(0);
    EXPECT_TRUE(m_model.checks().empty()); // the answer of a cancelled request is dropped

    view.show(); // shown again: a new refresh
    waitUntil([&] { return m_source.pages.size() == 2; });
}

} // namespace
} // namespace tavlen::ui

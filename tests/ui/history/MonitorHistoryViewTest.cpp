// The History tab over the real history model, reading a real workspace file of 1,000 checks through the steps
// store.
#include "MonitorHistoryView.h"

#include "AlertPresenter.h"
#include "ChartSnapshotReader.h"
#include "CheckDetails.h"
#include "CheckReadingsColumn.h"
#include "CheckRow.h"
#include "CheckUsageGrid.h"
#include "HistoryCheckList.h"
#include "MonitorCheckStore.h"
#include "MonitorHistory.h"
#include "NoCaptures.h"
#include "SQLiteMonitorCheckRepository.h"
#include "SQLiteStepsRepository.h"
#include "StepsStore.h"
#include "WaitUntil.h"
#include "WorkspaceFixture.h"

#include <QAbstractButton>
#include <QLabel>
#include <QMessageBox>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

#include <stdexcept>

namespace tavlen::ui {
namespace {

using tavlen::test::waitUntil;

constexpr int storedChecks = 1000;
constexpr std::int64_t minute = 60'000;
constexpr std::int64_t newest = 1'700'000'000'000;

using tavlen::test::NoCaptures;

class MonitorHistoryViewTest : public tavlen::test::WorkspaceFixture
{
protected:
    // One check a minute, newest first: every 7th failed, every 11th cancelled, the others with 0 to 7 readings;
    // every 3rd with the usage of one Read step.
    MonitorHistoryViewTest()
    {
        StepsModelUsage asked;
        asked.model = "gpt-4o";
        asked.provider = ModelSelection::Provider::openAI;
        asked.requests = 1;
        asked.reportedTokenRequests = 1;
        asked.inputTokens = 1200;
        asked.outputTokens = 40;
        asked.inferenceSeconds = 1.25;
        MonitorCheckUsage usage;
        usage.steps.push_back({Uuid::random(), 2, asked});
        const std::string usageJSON = usage.storedText();

        struct Stored
        {
            Uuid id;
            std::int64_t start;
            std::optional<std::pair<std::string, std::string>> failure;
            bool hasUsage;
            int readings;
        };

        std::vector<Stored> rows;
        for (int i = 0; i < storedChecks; ++i) {
            Stored row{Uuid::random(), newest - i * minute, std::nullopt, i % 3 == 0, 0};
            if (i % 7 == 3) {
                row.failure = {"execution_failed", "The page did not load."};
            } else if (i % 11 == 5) {
                row.failure = {"cancelled", "Execution cancelled."};
            } else {
                row.readings = i % 8;
            }
            m_ids.push_back(row.id);
            rows.push_back(row);
        }
        const Uuid monitor = m_monitor;
        finish(m_database.write([rows, monitor, usageJSON](SqliteConnection& c) {
            SqliteStatement check(c, "INSERT INTO monitor_checks VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)");
            SqliteStatement reading(c, "INSERT INTO check_readings VALUES (?1, ?2, ?3, ?4, 'number', ?5, NULL)");
            for (const Stored& row : rows) {
                check.reset();
                check.bind(1, row.id.lowercaseString()).bind(2, monitor.lowercaseString());
                check.bind(3, row.start).bind(4, row.start + 1500);
                if (row.failure) {
                    check.bind(5, row.failure->first).bind(6, row.failure->second);
                } else {
                    check.bind(5, nullptr).bind(6, nullptr);
                }
                if (row.hasUsage) {
                    check.bind(7, usageJSON);
                } else {
                    check.bind(7, nullptr);
                }
                check.step();
                for (int r = 0; r < row.readings; ++r) {
                    reading.reset();
                    reading.bind(1, row.id.lowercaseString()).bind(2, r).bind(3, Uuid::random().lowercaseString());
                    reading.bind(4, "Field " + std::to_string(r)).bind(5, static_cast<double>(r));
                    reading.step();
                }
            }
        }));
    }

    ~MonitorHistoryViewTest() override
    {
        m_view.reset();
        finish(m_store.waitUntilIdle(true));
    }

    MonitorHistoryView& show(QSize size = QSize(900, 700))
    {
        m_view = std::make_unique<MonitorHistoryView>(m_store.results().checksRevision(), m_history);
        m_view->resize(size);
        m_view->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(m_view.get()));
        waitUntil([&] { return m_history.hasLoaded() && !m_history.isRefreshing(); });
        return *m_view;
    }

    HistoryCheckList& list() const { return *m_view->list(); }

    QScrollBar& scroll() const { return *list().verticalScrollBar(); }

    // The stored checks' ids, newest first.
    std::vector<Uuid> storedIDs()
    {
        return finish(m_database.read([monitor = m_monitor](SqliteConnection& c) {
            SqliteStatement statement(
                c, "SELECT id FROM monitor_checks WHERE monitor_id = ?1 ORDER BY started_at_ms DESC");
            statement.bind(1, monitor.lowercaseString());
            std::vector<Uuid> ids;
            while (statement.step()) {
                ids.push_back(*Uuid::parse(statement.columnText(0)));
            }
            return ids;
        }));
    }

    std::vector<Uuid> listedIDs() const
    {
        std::vector<Uuid> ids;
        for (const MonitorCheck& check : m_history.checks()) {
            ids.push_back(check.id);
        }
        return ids;
    }

    // Every row that exists is in view, at the place of its check in the list.
    void expectRowsWhereTheirChecksAre() const
    {
        for (CheckRow* row : list().rows()) {
            SCOPED_TRACE(row->objectName().toStdString());
            EXPECT_EQ(row->y(), *list().topOf(row->check().id) - scroll().value());
            EXPECT_LT(row->y(), list().viewport()->height());
            EXPECT_GT(row->y() + row->height(), 0);
        }
    }

    QAbstractButton* buttonOf(CheckRow* row, const char* prefix) const
    {
        return row->findChild<QAbstractButton*>(QString::fromUtf8(prefix) +
                                                QString::fromStdString(row->check().id.uppercaseString()));
    }

    QAbstractButton* alertButton(const QString& title) const
    {
        for (QAbstractButton* button : m_view->deletionAlert()->messageBox()->buttons()) {
            if (button->text() == title) {
                return button;
            }
        }
        return nullptr;
    }

    Uuid m_monitor = insertMonitor();
    std::vector<Uuid> m_ids;
    std::shared_ptr<SQLiteMonitorCheckRepository> m_repository =
        std::make_shared<SQLiteMonitorCheckRepository>(m_database);
    SQLiteStepsRepository m_steps{m_database};
    NoCaptures m_capture;
    StepsStore m_store{m_steps,
                       m_capture,
                       nullptr,
                       m_repository,
                       std::make_shared<ChartSnapshotReader>(m_database),
                       BrowserCaptureSettings{1280, 900, 2, false}};
    MonitorHistory m_history{m_monitor, m_store};
    std::unique_ptr<MonitorHistoryView> m_view;
};

TEST_F(MonitorHistoryViewTest, scrollingToTheFooterPagesInEveryCheckWhileOnlyTheRowsInViewExist)
{
    show();
    ASSERT_EQ(m_history.checks().size(), 50u);
    const std::size_t inView = list().rows().size();
    EXPECT_GT(inView, 3u);
    EXPECT_LT(inView, 20u);
    expectRowsWhereTheirChecksAre();

    while (m_history.hasOlder()) {
        const std::size_t before = m_history.checks().size();
        scroll().setValue(scroll().maximum());
        expectRowsWhereTheirChecksAre();
        const std::optional<Uuid> top = list().scrollID();
        const std::int64_t offset = scroll().value() - *list().topOf(*top);
        auto* loadOlder = list().findChild<QAbstractButton*>(QStringLiteral("history-load-older"));
        ASSERT_TRUE(loadOlder && loadOlder->isVisible());
        QTest::mouseClick(loadOlder, Qt::LeftButton);
        waitUntil([&] { return m_history.checks().size() > before && !m_history.isLoadingOlder(); });
        // The rows of the new page come below; the view stays where it was.
        EXPECT_EQ(list().scrollID(), top);
        EXPECT_EQ(scroll().value() - *list().topOf(*top), offset);
    }
    EXPECT_EQ(listedIDs(), m_ids);
    EXPECT_LE(list().rows().size(), inView + 1);
    expectRowsWhereTheirChecksAre();

    // Rows coming into view load their readings; rows scrolled away are gone.
    scroll().setValue(scroll().maximum() / 2);
    expectRowsWhereTheirChecksAre();
    EXPECT_LE(list().rows().size(), inView + 1);
    for (CheckRow* row : list().rows()) {
        if (!row->check().failure) {
            waitUntil([&] { return m_history.readings().contains(row->check().id); });
        }
    }
    // Only rows that were shown asked for theirs: those at the footer on each page, and these.
    EXPECT_LT(m_history.readings().size(), static_cast<std::size_t>(storedChecks / 4));
}

TEST_F(MonitorHistoryViewTest, expandingARowShowsItsDetailsAndCollapsesTheOneBefore)
{
    show();
    const std::vector<CheckRow*> rows = list().rows();
    ASSERT_GE(rows.size(), 4u);
    CheckRow* first = rows[0]; // with usage, no readings
    CheckRow* second = rows[1];
    const int collapsedHeight = first->height();

    QTest::mouseClick(buttonOf(first, "expand-check-"), Qt::LeftButton);
    EXPECT_EQ(m_history.expandedID(), first->check().id);
    waitUntil([&] { return first->height() > collapsedHeight; });
    ASSERT_TRUE(first->isExpanded());
    EXPECT_TRUE(first->findChild<CheckUsageGrid*>());
    EXPECT_TRUE(buttonOf(first, "delete-check-")->isVisible());
    waitUntil([&] { return second->y() == first->y() + first->height(); }); // the rows below moved down
    expectRowsWhereTheirChecksAre();

    QTest::mouseClick(buttonOf(second, "expand-check-"), Qt::LeftButton);
    EXPECT_EQ(m_history.expandedID(), second->check().id);
    EXPECT_FALSE(first->isExpanded());
    EXPECT_TRUE(second->isExpanded());
    EXPECT_FALSE(second->findChild<CheckUsageGrid*>()); // stored without usage
    waitUntil([&] { return first->height() == collapsedHeight; });
    expectRowsWhereTheirChecksAre();

    // The row of a failed check shows the whole message in its details.
    CheckRow* failed = rows[3];
    ASSERT_TRUE(failed->check().failure);
    QTest::mouseClick(buttonOf(failed, "expand-check-"), Qt::LeftButton);
    EXPECT_EQ(failed->findChild<QLabel*>(QStringLiteral("check-failure-message"))->text(),
              QStringLiteral("The page did not load."));
}

TEST_F(MonitorHistoryViewTest, aCheckIsDeletedOnlyAfterConfirmationAndLeavesListAndFileAlike)
{
    show();
    CheckRow* row = list().rows()[2];
    const MonitorCheck check = row->check();
    QTest::mouseClick(buttonOf(row, "expand-check-"), Qt::LeftButton);

    QTest::mouseClick(buttonOf(row, "delete-check-"), Qt::LeftButton);
    EXPECT_EQ(m_history.deletionCandidate(), check);
    ASSERT_TRUE(m_view->deletionAlert()->isShowing());
    EXPECT_EQ(m_view->deletionAlert()->messageBox()->text(), QStringLiteral("Delete this check?"));
    EXPECT_EQ(m_view->deletionAlert()->messageBox()->informativeText(),
              QStringLiteral("Permanently delete the check from Nov 14, 2023, 5:11:20\u202fPM and its saved readings? "
                             "This can\u2019t be undone."));
    alertButton(QStringLiteral("Cancel"))->click();
    EXPECT_EQ(m_history.deletionCandidate(), std::nullopt);
    EXPECT_EQ(count("monitor_checks"), storedChecks);

    QTest::mouseClick(buttonOf(row, "delete-check-"), Qt::LeftButton);
    alertButton(QStringLiteral("Delete"))->click();
    EXPECT_EQ(m_history.deletionCandidate(), std::nullopt);
    EXPECT_EQ(buttonOf(row, "delete-check-")->text(), QStringLiteral("Deleting\u2026"));
    EXPECT_FALSE(buttonOf(row, "delete-check-")->isEnabled());
    waitUntil([&] { return m_history.checks().size() == 49u; });
    EXPECT_EQ(list().rowFor(check.id), nullptr);
    EXPECT_EQ(count("monitor_checks"), storedChecks - 1);
    expectRowsWhereTheirChecksAre();

    // The revision the deletion raised refreshes the list, which agrees with the file.
    m_view->setRevision(m_store.results().checksRevision());
    waitUntil([&] { return !m_history.isRefreshing(); });
    const std::vector<Uuid> stored = storedIDs();
    const std::vector<Uuid> listed = listedIDs();
    ASSERT_EQ(listed.size(), 50u); // the next older check took the free place of the page
    EXPECT_TRUE(std::equal(listed.begin(), listed.end(), stored.begin()));
    EXPECT_EQ(std::find(stored.begin(), stored.end(), check.id), stored.end());
}

TEST_F(MonitorHistoryViewTest, aNewCheckKeepsTheRowAtTheTopInPlace)
{
    show();
    scroll().setValue(scroll().maximum() / 2);
    const std::optional<Uuid> top = list().scrollID();
    ASSERT_TRUE(top);
    const int y = list().rowFor(*top)->y();

    MonitorCheckRecord record;
    record.check = MonitorCheck{Uuid::random(), m_monitor, newest + minute, newest + minute + 800, {}, 0, {}};
    finish(m_repository->record(record));
    m_view->setRevision(1);
    waitUntil([&] { return m_history.checks().size() == 51u && !m_history.isRefreshing(); });
    EXPECT_EQ(m_history.checks().front().id, record.check.id);
    EXPECT_EQ(list().scrollID(), top);
    EXPECT_EQ(list().rowFor(*top)->y(), y);
    expectRowsWhereTheirChecksAre();
}

TEST_F(MonitorHistoryViewTest, aTabNarrowerThanTheListScrollsItSideways)
{
    show(QSize(500, 600));
    EXPECT_EQ(list().contentWidth(), 620);
    EXPECT_GT(list().horizontalScrollBar()->maximum(), 0);
    list().horizontalScrollBar()->setValue(list().horizontalScrollBar()->maximum());
    for (CheckRow* row : list().rows()) {
        EXPECT_EQ(row->width(), 620);
        EXPECT_EQ(row->x(), -list().horizontalScrollBar()->maximum());
    }

    m_view->resize(1000, 600);
    waitUntil([&] { return list().viewport()->width() > 900; });
    EXPECT_EQ(list().horizontalScrollBar()->maximum(), 0);
    for (CheckRow* row : list().rows()) {
        EXPECT_EQ(row->width(), list().viewport()->width());
        EXPECT_EQ(row->x(), 0);
    }
}

} // namespace
} // namespace tavlen::ui

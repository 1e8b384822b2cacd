#include "KeyedViewTask.h"

#include "WaitUntil.h"

#include <QCoroTimer>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace tavlen::ui {
namespace {

// What the bodies saw, kept outside the view so it can be read after the view is gone.
struct Journal
{
    std::vector<int> started;
    std::vector<int> finished;
    std::vector<int> stopped;
};

// Waits for a release the test gives (or for its stop), like a load that takes a while.
QCoro::Task<void> waitForRelease(std::shared_ptr<bool> released, std::stop_token stop)
{
    while (!*released && !stop.stop_requested()) {
        QTimer timer;
        timer.setSingleShot(true);
        timer.start(1);
        co_await timer;
    }
}

class View : public QWidget
{
public:
    View(std::shared_ptr<Journal> journal, std::shared_ptr<bool> released)
        : m_task(this, [journal, released](int key, std::stop_token stop) -> QCoro::Task<void> {
            journal->started.push_back(key);
            co_await waitForRelease(released, stop);
            if (stop.stop_requested()) {
                journal->stopped.push_back(key);
                co_return;
            }
            journal->finished.push_back(key);
        })
    {}

    KeyedViewTask<int> m_task;
};

class KeyedViewTaskTest : public ::testing::Test
{
protected:
    std::shared_ptr<Journal> journal = std::make_shared<Journal>();
    std::shared_ptr<bool> released = std::make_shared<bool>(false);
};

TEST_F(KeyedViewTaskTest, startsWhenShownAndRunsOncePerKey)
{
    View view(journal, released);
    view.m_task.setKey(1);
    EXPECT_TRUE(journal->started.empty()) << "a hidden view runs nothing";
    view.show();
    EXPECT_EQ(journal->started, std::vector<int>{1});
    view.m_task.setKey(1);
    EXPECT_EQ(journal->started, std::vector<int>{1}) << "the same key does not restart";
    *released = true;
    EXPECT_TRUE(test::waitUntil([&] { return !view.m_task.isRunning(); }));
    EXPECT_EQ(journal->finished, std::vector<int>{1});
}

TEST_F(KeyedViewTaskTest, aNewKeyStopsTheRunningBodyAndStartsAnother)
{
    View view(journal, released);
    view.show();
    view.m_task.setKey(1);
    view.m_task.setKey(2);
    EXPECT_EQ(journal->started, (std::vector<int>{1, 2}));
    EXPECT_TRUE(test::waitUntil([&] { return journal->stopped == std::vector<int>{1}; }));
    *released = true;
    EXPECT_TRUE(test::waitUntil([&] { return journal->finished == std::vector<int>{2}; }));
}

TEST_F(KeyedViewTaskTest, hidingStopsAndShowingRunsTheKeyAgain)
{
    View view(journal, released);
    view.show();
    view.m_task.setKey(7);
    view.hide();
    EXPECT_TRUE(test::waitUntil([&] { return journal->stopped == std::vector<int>{7}; }));
    view.show();
    EXPECT_EQ(journal->started, (std::vector<int>{7, 7}));
    *released = true;
    EXPECT_TRUE(test::waitUntil([&] { return journal->finished == std::vector<int>{7}; }));
}

TEST_F(KeyedViewTaskTest, destroyingTheViewStopsTheBody)
{
    auto view = std::make_unique<View>(journal, released);
    view->show();
    view->m_task.setKey(3);
    view.reset();
    EXPECT_TRUE(test::waitUntil([&] { return journal->stopped == std::vector<int>{3}; }));
    EXPECT_TRUE(journal->finished.empty());
}

} // namespace
} // namespace tavlen::ui

#include "SignalWait.h"

#include "BoundedWait.h"
#include "CancelledError.h"
#include "EventLoopTest.h"
#include "MainThread.h"
#include "TimedOutError.h"
#include "Timeout.h"
#include "VirtualTime.h"

#include <QMetaMethod>
#include <QObject>
#include <QTimer>

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <stop_token>
#include <string>
#include <thread>
#include <tuple>

namespace tavlen {
namespace {

using namespace std::chrono_literals;

class Emitter : public QObject
{
    Q_OBJECT

public:
    template <class Signal> bool isWatched(Signal signal) const
    {
        return isSignalConnected(QMetaMethod::fromSignal(signal));
    }

Q_SIGNALS:
    void pinged();
    void counted(int count);
    void labelled(int id, const std::string& label);
};

class SignalWaitTest : public test::EventLoopTest
{};

TEST_F(SignalWaitTest, givesTheArgumentsOfTheFirstEmissionAfterTheCall)
{
    Emitter emitter;
    Q_EMIT emitter.counted(1); // before the call: not seen
    QCoro::Task<void> pinged = waitForSignal(&emitter, &Emitter::pinged, {});
    QCoro::Task<int> counted = waitForSignal(&emitter, &Emitter::counted, {});
    QCoro::Task<std::tuple<int, std::string>> labelled = waitForSignal(&emitter, &Emitter::labelled, {});
    Q_EMIT emitter.pinged();
    Q_EMIT emitter.counted(2);
    Q_EMIT emitter.counted(3);
    Q_EMIT emitter.labelled(4, "four");
    EXPECT_FALSE(counted.isReady()); // resumed through the loop, not inside the emission
    EXPECT_NO_THROW(test::waitBounded(std::move(pinged)));
    EXPECT_EQ(test::waitBounded(std::move(counted)), 2);
    EXPECT_EQ(test::waitBounded(std::move(labelled)), std::make_tuple(4, std::string("four")));
}

TEST_F(SignalWaitTest, privateSignal_isAwaitedWithoutItsTag)
{
    QTimer timer;
    timer.setSingleShot(true);
    QCoro::Task<void> timedOut = waitForSignal(&timer, &QTimer::timeout, {});
    timer.start(0);
    EXPECT_NO_THROW(test::waitBounded(std::move(timedOut)));
}

TEST_F(SignalWaitTest, stopOrSenderGone_throwsCancelledError_andLaterEmissionsReachNobody)
{
    enum class End
    {
        stopBeforeTheCall,
        stopWhileWaiting,
        stopFromAnotherThread,
        senderDestroyed,
        noSender
    };

    struct Row
    {
        const char* name;
        End end;
    };

    const Row rows[] = {
        {"a stop before the call", End::stopBeforeTheCall},
        {"a stop while waiting", End::stopWhileWaiting},
        {"a stop from another thread", End::stopFromAnotherThread},
        {"the sender destroyed while waiting", End::senderDestroyed},
        {"no sender at all", End::noSender},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto emitter = std::make_unique<Emitter>();
        std::stop_source source;
        if (row.end == End::stopBeforeTheCall) {
            source.request_stop();
        }
        Emitter* const sender = row.end == End::noSender ? nullptr : emitter.get();
        QCoro::Task<int> counted = waitForSignal(sender, &Emitter::counted, source.get_token());
        if (row.end == End::stopWhileWaiting) {
            source.request_stop();
        } else if (row.end == End::stopFromAnotherThread) {
            std::thread([&source] { source.request_stop(); }).join();
        } else if (row.end == End::senderDestroyed) {
            emitter.reset();
        }
        EXPECT_THROW(test::waitBounded(std::move(counted)), CancelledError);
        if (emitter) {
            EXPECT_FALSE(emitter->isWatched(&Emitter::counted));
            EXPECT_FALSE(emitter->isWatched(&QObject::destroyed));
        }
    }
}

TEST_F(SignalWaitTest, emissionOnAnotherThread_resumesTheWaiterOnItsOwnThread)
{
    Emitter emitter;
    bool resumedOnMain = false;
    auto waiter = [&]() -> QCoro::Task<int> {
        const int count = co_await waitForSignal(&emitter, &Emitter::counted, {});
        resumedOnMain = isMainThread();
        co_return count;
    };
    QCoro::Task<int> waiting = waiter();
    std::thread([&emitter] { Q_EMIT emitter.counted(9); }).join();
    EXPECT_EQ(test::waitBounded(std::move(waiting)), 9);
    EXPECT_TRUE(resumedOnMain);
}

TEST_F(SignalWaitTest, signalThatNeverComes_endsAtItsDeadlineInVirtualTime)
{
    test::VirtualTime time;
    Emitter emitter;
    auto body = [&](std::stop_token limit) { return waitForSignal(&emitter, &Emitter::pinged, limit); };
    QCoro::Task<void> limited = withTimeout(35s, {}, body, time);
    time.advance(35s);
    EXPECT_THROW(test::waitBounded(std::move(limited)), TimedOutError);
    EXPECT_FALSE(emitter.isWatched(&Emitter::pinged));
}

} // namespace
} // namespace tavlen

#include "SignalWaitTest.moc"

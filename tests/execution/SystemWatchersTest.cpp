#include "BoundedWait.h"
#include "ClockChangeWatcher.h"
#include "TemporaryDirectory.h"
#include "TimeZoneWatcher.h"
#include "WakeWatcher.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>

namespace tavlen::test {
namespace {

TEST(TimeZoneWatcherTest, NoticesTheZoneFileRewrittenOrReplacedButNotItsNeighbours)
{
    TemporaryDirectory directory;
    const std::filesystem::path zoneFile = directory / "localtime";
    std::ofstream(directory / "UTC") << "UTC zone";
    std::ofstream(directory / "Berlin") << "Berlin zone, longer";
    std::filesystem::create_symlink(directory / "UTC", zoneFile);
    TimeZoneWatcher watcher(zoneFile);
    QSignalSpy changes(&watcher, &TimeZoneWatcher::changed);

    // Replaced as the system replaces it: a new link renamed over the old one.
    std::filesystem::create_symlink(directory / "Berlin", directory / "localtime.new");
    std::filesystem::rename(directory / "localtime.new", zoneFile);
    ASSERT_TRUE(waitUntil([&] { return changes.count() >= 1; }));

    // Rewritten in place, through the link.
    const int afterReplace = static_cast<int>(changes.count());
    std::ofstream(directory / "Berlin", std::ios::app) << " and more";
    ASSERT_TRUE(waitUntil([&] { return changes.count() > afterReplace; }));

    // Another file of the folder changing is no zone change; a later replacement still is.
    const int afterRewrite = static_cast<int>(changes.count());
    std::ofstream(directory / "hostname") << "machine";
    std::filesystem::create_symlink(directory / "UTC", directory / "localtime.new");
    std::filesystem::rename(directory / "localtime.new", zoneFile);
    ASSERT_TRUE(waitUntil([&] { return changes.count() > afterRewrite; }));
    QCoreApplication::processEvents();
    EXPECT_LE(changes.count(), afterRewrite + 2); // the link's folder entry and the old file's watch, at most
}

TEST(ClockChangeWatcherTest, NoticesTheWallClockBeingSet)
{
    ClockChangeWatcher watcher;
    ASSERT_TRUE(watcher.isWatching());
    QSignalSpy changes(&watcher, &ClockChangeWatcher::changed);

    // Setting the clock to its own reading is a set all the same, and moves it back by no more than the call
    // takes. A time namespace does not cover the wall clock, so this sets the machine's own clock: only on request.
    if (qEnvironmentVariableIntValue("TAVLEN_TEST_SET_CLOCK") != 1) {
        GTEST_SKIP() << "setting the system clock needs TAVLEN_TEST_SET_CLOCK=1 (and the right to set it); the "
                        "watcher's timerfd is armed";
    }
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    if (clock_settime(CLOCK_REALTIME, &now) != 0) {
        GTEST_SKIP() << "cannot set the system clock here (" << std::strerror(errno)
                     << "); the watcher's timerfd is armed but no clock change can be made";
    }
    ASSERT_TRUE(waitUntil([&] { return changes.count() == 1; }));
    // Re-armed: a second set is noticed too.
    clock_gettime(CLOCK_REALTIME, &now);
    ASSERT_EQ(clock_settime(CLOCK_REALTIME, &now), 0);
    ASSERT_TRUE(waitUntil([&] { return changes.count() == 2; }));
}

TEST(WakeWatcherTest, WithoutABusThereAreNoWakeNotices)
{
    WakeWatcher watcher(QDBusConnection(QStringLiteral("tavlen-no-such-bus")));
    EXPECT_FALSE(watcher.isWatching());
}

TEST(WakeWatcherTest, NoticesLogindsWakeSignalOnly)
{
    // A private bus on which the test owns logind's name and sends its signal.
    const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
    if (daemon.isEmpty()) {
        GTEST_SKIP() << "dbus-daemon is not installed, so no private bus can carry a wake signal";
    }
    QProcess bus;
    bus.start(daemon,
              {QStringLiteral("--session"),
               QStringLiteral("--nofork"),
               QStringLiteral("--print-address=1"),
               QStringLiteral("--nopidfile")});
    ASSERT_TRUE(bus.waitForStarted(20000));
    ASSERT_TRUE(waitUntil([&] { return bus.canReadLine() || bus.waitForReadyRead(100); }));
    const QString address = QString::fromUtf8(bus.readLine()).trimmed();
    {
        QDBusConnection logind = QDBusConnection::connectToBus(address, QStringLiteral("tavlen-test-logind"));
        ASSERT_TRUE(logind.isConnected());
        ASSERT_TRUE(logind.registerService(QStringLiteral("org.freedesktop.login1")));
        QDBusConnection listener = QDBusConnection::connectToBus(address, QStringLiteral("tavlen-test-listener"));
        WakeWatcher watcher(listener);
        ASSERT_TRUE(watcher.isWatching());
        QSignalSpy wakes(&watcher, &WakeWatcher::woke);

        for (const bool goingToSleep : {true, false}) {
            QDBusMessage signal = QDBusMessage::createSignal(QStringLiteral("/org/freedesktop/login1"),
                                                             QStringLiteral("org.freedesktop.login1.Manager"),
                                                             QStringLiteral("PrepareForSleep"));
            signal << goingToSleep;
            ASSERT_TRUE(logind.send(signal));
        }
        ASSERT_TRUE(waitUntil([&] { return wakes.count() == 1; }));
        QCoreApplication::processEvents();
        EXPECT_EQ(wakes.count(), 1);
    }
    QDBusConnection::disconnectFromBus(QStringLiteral("tavlen-test-logind"));
    QDBusConnection::disconnectFromBus(QStringLiteral("tavlen-test-listener"));
    bus.terminate();
    bus.waitForFinished(20000);
}

} // namespace
} // namespace tavlen::test

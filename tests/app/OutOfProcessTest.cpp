#include "BoundedWait.h"
#include "PrivateBus.h"
#include "StandInTrayWatcher.h"
#include "TemporaryDirectory.h"

#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>

namespace tavlen::test {
namespace {

using namespace std::chrono_literals;

const QString program = QStringLiteral(TAVLEN_BUNDLE_DIR "/bin/tavlen");

std::string firstLineOf(const std::filesystem::path& path)
{
    std::ifstream file(path);
    std::string line;
    std::getline(file, line);
    return line;
}

// The real tavlen under xvfb-run, with a home of its own and a private session bus on which a stand-in tray
// watcher listens.
class OutOfProcessTest : public ::testing::Test
{
protected:
    OutOfProcessTest()
    {
        m_environment = QProcessEnvironment::systemEnvironment();
        for (const auto& [name, folder] : {std::pair{"HOME", ""},
                                           {"XDG_DATA_HOME", "data"},
                                           {"XDG_CONFIG_HOME", "config"},
                                           {"XDG_RUNTIME_DIR", "runtime"}}) {
            const auto path = m_home / folder;
            std::filesystem::create_directories(path);
            std::filesystem::permissions(path, std::filesystem::perms::owner_all);
            m_environment.insert(QString::fromLatin1(name), QString::fromStdString(path.string()));
        }
        m_environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), m_bus.address());
        // No logind on this bus: no wake notices, and nothing of the machine's is touched.
        m_environment.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), m_bus.address());
        m_environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    }

    ~OutOfProcessTest() override
    {
        if (m_tavlen.state() != QProcess::NotRunning) {
            m_tavlen.kill();
            m_tavlen.waitForFinished(30000);
        }
    }

    // Starts tavlen on a display of its own; waits until it runs.
    void start(const QStringList& arguments)
    {
        m_tavlen.setProcessEnvironment(m_environment);
        m_tavlen.setProcessChannelMode(QProcess::ForwardedChannels);
        m_tavlen.start(
            QStringLiteral("xvfb-run"),
            QStringList{
                QStringLiteral("-a"),
                QStringLiteral("sh"),
                QStringLiteral("-c"),
                QStringLiteral("echo \"$DISPLAY $XAUTHORITY\" > \"$1\"; echo $$ > \"$2\"; shift 2; exec \"$@\""),
                QStringLiteral("sh"),
                QString::fromStdString((m_home / "display").string()),
                QString::fromStdString((m_home / "pid").string()),
                program} +
                arguments);
        ASSERT_TRUE(m_tavlen.waitForStarted(30000));
        ASSERT_TRUE(waitUntil([&] { return !firstLineOf(m_home / "pid").empty(); }, 60s));
        const auto display = QString::fromStdString(firstLineOf(m_home / "display")).split(QLatin1Char(' '));
        m_display = display.value(0);
        m_authority = display.value(1);
        m_pid = std::stoi(firstLineOf(m_home / "pid"));
    }

    // A tool's standard output, or nothing when it failed.
    std::optional<QString> run(const QString& tool, const QStringList& arguments)
    {
        QProcess process;
        auto environment = m_environment;
        environment.insert(QStringLiteral("DISPLAY"), m_display);
        environment.insert(QStringLiteral("XAUTHORITY"), m_authority);
        process.setProcessEnvironment(environment);
        process.start(tool, arguments);
        if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit ||
            process.exitCode() != 0) {
            return std::nullopt;
        }
        return QString::fromUtf8(process.readAllStandardOutput());
    }

    bool mainWindowVisible()
    {
        return run(QStringLiteral("xdotool"),
                   {QStringLiteral("search"),
                    QStringLiteral("--onlyvisible"),
                    QStringLiteral("--name"),
                    QStringLiteral("^Tavlen$")})
            .has_value();
    }

    // The labels of the registered tray item's menu, as the tray host reads them.
    QString trayMenu()
    {
        const QString item = m_watcher.registeredItems().value(0);
        const auto menuPath = run(QStringLiteral("gdbus"),
                                  {QStringLiteral("call"),
                                   QStringLiteral("--session"),
                                   QStringLiteral("--dest"),
                                   item,
                                   QStringLiteral("--object-path"),
                                   QStringLiteral("/StatusNotifierItem"),
                                   QStringLiteral("--method"),
                                   QStringLiteral("org.freedesktop.DBus.Properties.Get"),
                                   QStringLiteral("org.kde.StatusNotifierItem"),
                                   QStringLiteral("Menu")});
        const auto path = QRegularExpression(QStringLiteral("'(/[^']*)'")).match(menuPath.value_or(QString()));
        if (!path.hasMatch()) {
            return QStringLiteral("no menu path: ") + item + QStringLiteral(" ") +
                   menuPath.value_or(QStringLiteral("(failed)"));
        }
        return run(QStringLiteral("gdbus"),
                   {QStringLiteral("call"),
                    QStringLiteral("--session"),
                    QStringLiteral("--dest"),
                    item,
                    QStringLiteral("--object-path"),
                    path.captured(1),
                    QStringLiteral("--method"),
                    QStringLiteral("com.canonical.dbusmenu.GetLayout"),
                    QStringLiteral("0"),
                    QStringLiteral("int32 -1"),
                    QStringLiteral("@as []")})
            .value_or(QStringLiteral("(GetLayout failed)"));
    }

    // A second tavlen: it hands its message to the first and ends.
    int startAgain(const QStringList& arguments)
    {
        QProcess second;
        auto environment = m_environment;
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        second.setProcessEnvironment(environment);
        second.setProcessChannelMode(QProcess::ForwardedChannels);
        second.start(program, arguments);
        return second.waitForFinished(60000) && second.exitStatus() == QProcess::NormalExit ? second.exitCode() : -1;
    }

    // SIGTERM ends tavlen with status 0 and leaves no browser host of its bundle behind.
    void terminate()
    {
        ASSERT_EQ(::kill(m_pid, SIGTERM), 0);
        ASSERT_TRUE(m_tavlen.waitForFinished(60000));
        EXPECT_EQ(m_tavlen.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(m_tavlen.exitCode(), 0);
        EXPECT_FALSE(
            run(QStringLiteral("pgrep"), {QStringLiteral("-f"), QStringLiteral(TAVLEN_BUNDLE_DIR "/Helpers/")}));
    }

    TemporaryDirectory m_home;
    PrivateBus m_bus;
    StandInTrayWatcher m_watcher{m_bus.address()};
    QProcessEnvironment m_environment;
    QProcess m_tavlen;
    QString m_display;
    QString m_authority; // xvfb-run's cookie for the display
    int m_pid = 0;
};

TEST_F(OutOfProcessTest, StartsWithTrayAndWindowForwardsASecondStartAndEndsOnSigterm)
{
    start({});
    ASSERT_TRUE(waitUntil([&] { return !m_watcher.registeredItems().isEmpty(); }, 60s)) << "no tray item registered";
    const QString menu = trayMenu();
    EXPECT_TRUE(menu.contains(QStringLiteral("'Open Tavlen'"))) << menu.toStdString();
    EXPECT_TRUE(menu.contains(QStringLiteral("'Quit'"))) << menu.toStdString();
    EXPECT_TRUE(waitUntil([&] { return mainWindowVisible(); }, 60s)) << "the main window did not show";

    EXPECT_EQ(startAgain({QStringLiteral("tavlen://open")}), 0);
    EXPECT_EQ(m_tavlen.state(), QProcess::Running);
    terminate();
}

TEST_F(OutOfProcessTest, ALoginStartShowsOnlyTheTrayUntilAskedToOpen)
{
    start({QStringLiteral("--launched-at-login")});
    ASSERT_TRUE(waitUntil([&] { return !m_watcher.registeredItems().isEmpty(); }, 60s)) << "no tray item registered";
    EXPECT_FALSE(mainWindowVisible());

    EXPECT_EQ(startAgain({QStringLiteral("tavlen://open")}), 0);
    EXPECT_TRUE(waitUntil([&] { return mainWindowVisible(); }, 60s)) << "the forwarded URL opened no window";
    terminate();
}

} // namespace
} // namespace tavlen::test

// The workspace survives any kill: a writer process stores monitors and checks in a loop and is killed with
// SIGKILL at random moments (while it opens, recovers or writes); after each kill the file opens, passes SQLite's
// integrity check and the schema verification, and holds every write the writer reported committed.
//
// TAVLEN_CRASH_KILLS sets the number of kills (a few dozen by default; hundreds for a long run) and
// TAVLEN_CRASH_SEED the random seed, which a failure reports.

#include "BoundedWait.h"
#include "FileDescriptor.h"
#include "MonitorCheckRecord.h"
#include "MonitorDatabase.h"
#include "SQLiteMonitorCheckRepository.h"
#include "SqliteStatement.h"
#include "TemporaryDirectory.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace tavlen {
namespace {

constexpr const char* writerFileVariable = "TAVLEN_CRASH_WRITER_FILE";
// The descriptor on which the writer reports each committed write, one line each.
constexpr int reportDescriptor = 3;

// One unit the writer commits: a monitor, then a check of it with one reading. Reported once both are stored.
struct CommittedWrite
{
    Uuid monitorID;
    Uuid checkID;
    std::int64_t number = 0;
};

const Uuid fieldID = *Uuid::parse("3E8A6F12-7B9D-4C05-A1E4-5D2C8B9F0A63");

MonitorCheckRecord checkRecord(const CommittedWrite& write)
{
    MonitorCheckRecord record;
    record.check.id = write.checkID;
    record.check.monitorID = write.monitorID;
    record.check.startedAtMilliseconds = write.number * 1000;
    record.check.completedAtMilliseconds = write.number * 1000 + 5;
    record.check.readingCount = 1;
    record.readings = {Reading{fieldID, "Price", ReadingValue::ofNumber(static_cast<double>(write.number))}};
    return record;
}

// The writer: runs only inside the process the test starts, with the workspace file in its environment.
TEST(CrashSafetyWriter, writesUntilKilled)
{
    const char* file = std::getenv(writerFileVariable);
    if (file == nullptr) {
        GTEST_SKIP() << "started by CrashSafetyTest only";
    }
    MonitorDatabase database{std::filesystem::path(file)};
    SQLiteMonitorCheckRepository checks(database);
    const std::int64_t start = test::waitBounded(database.read([](SqliteConnection& connection) {
        SqliteStatement statement(connection, "SELECT count(*) FROM monitors");
        statement.step();
        return statement.columnInt64(0);
    }));
    for (std::int64_t number = start + 1;; ++number) {
        const CommittedWrite write{Uuid::random(), Uuid::random(), number};
        test::waitBounded(database.write([&write](SqliteConnection& connection) {
            SqliteStatement(connection, "INSERT INTO monitors (id, name, version, created_at_ms) VALUES (?, ?, 1, ?)")
                .bindAll(write.monitorID.lowercaseString(), "Monitor " + std::to_string(write.number), write.number)
                .execute();
        }));
        test::waitBounded(checks.record(checkRecord(write)));
        const std::string line = write.monitorID.lowercaseString() + " " + write.checkID.lowercaseString() + " " +
                                 std::to_string(write.number) + "\n";
        ASSERT_EQ(::write(reportDescriptor, line.data(), line.size()), static_cast<ssize_t>(line.size()));
    }
}

std::int64_t environmentNumber(const char* name, std::int64_t fallback)
{
    const char* text = std::getenv(name);
    return text != nullptr ? std::strtoll(text, nullptr, 10) : fallback;
}

// A writer process on the file, reporting on a pipe.
class Writer
{
public:
    explicit Writer(const std::filesystem::path& file)
    {
        int fds[2];
        EXPECT_EQ(::pipe2(fds, O_CLOEXEC), 0);
        m_reports = FileDescriptor(fds[0]);
        const FileDescriptor reportEnd(fds[1]);

        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, reportEnd.get(), reportDescriptor);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);

        std::vector<std::string> environment{std::string(writerFileVariable) + "=" + file.string()};
        for (char** entry = environ; *entry != nullptr; ++entry) {
            if (!std::string_view(*entry).starts_with(writerFileVariable)) {
                environment.emplace_back(*entry);
            }
        }
        std::vector<char*> envp;
        for (auto& entry : environment) {
            envp.push_back(entry.data());
        }
        envp.push_back(nullptr);
        std::string program = "/proc/self/exe";
        std::string filter = "--gtest_filter=CrashSafetyWriter.writesUntilKilled";
        char* argv[] = {program.data(), filter.data(), nullptr};
        EXPECT_EQ(::posix_spawn(&m_pid, program.c_str(), &actions, nullptr, argv, envp.data()), 0);
        posix_spawn_file_actions_destroy(&actions);
    }

    ~Writer()
    {
        if (m_pid > 0) {
            kill();
        }
    }

    // Waits up to limit for the next reported write; false when none came (the writer may have died).
    bool awaitReport(std::chrono::milliseconds limit)
    {
        const std::size_t before = m_committed.size();
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (m_committed.size() == before) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0) {
                return false;
            }
            pollfd descriptor{m_reports.get(), POLLIN, 0};
            if (::poll(&descriptor, 1, static_cast<int>(left.count())) <= 0) {
                continue;
            }
            if (!readReports()) {
                return false;
            }
        }
        return true;
    }

    // SIGKILL, then every report written before it.
    void kill()
    {
        ::kill(m_pid, SIGKILL);
        int status = 0;
        ::waitpid(m_pid, &status, 0);
        m_pid = -1;
        while (readReports()) {
        }
    }

    const std::vector<CommittedWrite>& committed() const { return m_committed; }

private:
    // Reads what is there; false at the end of the stream.
    bool readReports()
    {
        char buffer[4096];
        const ssize_t n = ::read(m_reports.get(), buffer, sizeof buffer);
        if (n <= 0) {
            return false;
        }
        m_pending.append(buffer, static_cast<std::size_t>(n));
        for (std::size_t end; (end = m_pending.find('\n')) != std::string::npos;) {
            std::istringstream line(m_pending.substr(0, end));
            m_pending.erase(0, end + 1);
            std::string monitor;
            std::string check;
            CommittedWrite write;
            line >> monitor >> check >> write.number;
            write.monitorID = *Uuid::parse(monitor);
            write.checkID = *Uuid::parse(check);
            m_committed.push_back(write);
        }
        return true;
    }

    pid_t m_pid = -1;
    FileDescriptor m_reports;
    std::string m_pending;
    std::vector<CommittedWrite> m_committed;
};

std::string integrityOf(const std::filesystem::path& file)
{
    SqliteConnection connection(file, SqliteConfiguration{});
    SqliteStatement statement(connection, "PRAGMA integrity_check");
    std::string result;
    while (statement.step()) {
        result += statement.columnText(0);
    }
    return result;
}

TEST(CrashSafetyTest, everyCommittedWriteSurvivesSigkillAtRandomMoments)
{
    const std::int64_t kills = environmentNumber("TAVLEN_CRASH_KILLS", 24);
    const auto seed = static_cast<std::uint32_t>(
        environmentNumber("TAVLEN_CRASH_SEED", std::chrono::steady_clock::now().time_since_epoch().count()));
    SCOPED_TRACE("TAVLEN_CRASH_SEED=" + std::to_string(seed));
    std::mt19937 random(seed);

    test::TemporaryDirectory directory;
    const std::filesystem::path file = directory / "workspace" / "Tavlen.sqlite";
    std::vector<CommittedWrite> committed;
    for (std::int64_t kill = 0; kill < kills; ++kill) {
        SCOPED_TRACE("kill " + std::to_string(kill));
        {
            Writer writer(file);
            // A quarter of the kills land at any moment from the start (while the file is opened or recovered);
            // the rest after a few committed writes, a little into the next.
            if (random() % 4 == 0) {
                writer.awaitReport(std::chrono::milliseconds(random() % 2500));
            } else {
                const unsigned writes = 1 + random() % 3;
                for (unsigned i = 0; i < writes; ++i) {
                    ASSERT_TRUE(writer.awaitReport(std::chrono::seconds(60))) << "the writer stopped writing";
                }
                std::this_thread::sleep_for(std::chrono::microseconds(random() % 3000));
            }
            writer.kill();
            committed.insert(committed.end(), writer.committed().begin(), writer.committed().end());
        }
        if (!std::filesystem::exists(file)) {
            continue; // killed before it created the file
        }
        ASSERT_EQ(integrityOf(file), "ok");

        // Opening verifies the schema; every reported write is there as it was written.
        MonitorDatabase database{file};
        const auto stored = test::waitBounded(database.read([](SqliteConnection& connection) {
            std::map<std::string, double> numbers; // monitor id: the number of its check's reading
            SqliteStatement statement(connection,
                                      "SELECT c.monitor_id, r.number_value FROM monitor_checks c "
                                      "JOIN check_readings r ON r.check_id = c.id");
            while (statement.step()) {
                numbers.emplace(statement.columnText(0), statement.columnDouble(1));
            }
            SqliteStatement monitors(connection,
                                     "SELECT id FROM monitors WHERE id NOT IN (SELECT monitor_id FROM monitor_checks)");
            while (monitors.step()) {
                numbers.emplace(monitors.columnText(0), -1);
            }
            return numbers;
        }));
        for (const CommittedWrite& write : committed) {
            const auto found = stored.find(write.monitorID.lowercaseString());
            ASSERT_NE(found, stored.end()) << "write " << write.number << " is lost";
            EXPECT_EQ(found->second, static_cast<double>(write.number)) << "write " << write.number;
        }
        // The last writes once more through the check repository, as the application reads them.
        SQLiteMonitorCheckRepository checks(database);
        for (std::size_t i = committed.size() > 3 ? committed.size() - 3 : 0; i < committed.size(); ++i) {
            EXPECT_EQ(test::waitBounded(checks.checkRecord(committed[i].checkID)), checkRecord(committed[i]).readings);
        }
    }
    EXPECT_FALSE(committed.empty());
}

} // namespace
} // namespace tavlen

#include "SingleInstance.h"

#include "BoundedWait.h"
#include "ScopedEnvironment.h"
#include "TemporaryDirectory.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <future>

namespace tavlen::test {
namespace {

TEST(SingleInstanceTest, ALaterStartHandsItsMessageToTheFirst)
{
    TemporaryDirectory runtime;
    ScopedEnvironment variable("XDG_RUNTIME_DIR", runtime.path().c_str());
    const auto directory = SingleInstance::defaultDirectory("org.tavlen.test");
    ASSERT_EQ(directory, runtime / "org.tavlen.test");

    SingleInstance first(directory);
    ASSERT_EQ(first.claim("reopen"), SingleInstance::Claim::primary);

    struct stat info
    {};

    ASSERT_EQ(::stat(directory.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0700u);

    std::vector<QString> received;
    QObject::connect(
        &first, &SingleInstance::messageReceived, [&](const QString& message) { received.push_back(message); });
    for (const std::string message : {"open tavlen://open", "reopen"}) {
        SCOPED_TRACE(message);
        // The later start blocks while it forwards, so it runs beside the event loop of the first.
        auto later = std::async(std::launch::async, [&] { return SingleInstance(directory).claim(message); });
        ASSERT_TRUE(waitUntil([&] { return later.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }));
        EXPECT_EQ(later.get(), SingleInstance::Claim::forwarded);
    }
    EXPECT_EQ(received, (std::vector<QString>{QStringLiteral("open tavlen://open"), QStringLiteral("reopen")}));
}

TEST(SingleInstanceTest, ASocketLeftByAnEndedTavlenIsTakenOver)
{
    TemporaryDirectory runtime;
    const auto directory = runtime / "org.tavlen.test";
    {
        SingleInstance ended(directory);
        ASSERT_EQ(ended.claim("reopen"), SingleInstance::Claim::primary);
    }
    // What a crash leaves: a socket file nobody listens on.
    ASSERT_EQ(::mknod((directory / "instance.sock").c_str(), S_IFSOCK | 0600, 0), 0);
    SingleInstance next(directory);
    EXPECT_EQ(next.claim("reopen"), SingleInstance::Claim::primary);
}

TEST(SingleInstanceTest, AnUnsafeFolderIsRefused)
{
    TemporaryDirectory runtime;
    const auto directory = runtime / "org.tavlen.test";
    std::filesystem::create_directory(directory);
    std::filesystem::permissions(directory, std::filesystem::perms::all);
    SingleInstance instance(directory);
    EXPECT_EQ(instance.claim("reopen"), SingleInstance::Claim::failed);
}

} // namespace
} // namespace tavlen::test

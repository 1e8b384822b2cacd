#include "BrowserConnectionDirectory.h"

#include "BridgeFailure.h"
#include "Sha256.h"
#include "TemporaryDirectory.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <functional>
#include <string>

namespace tavlen {
namespace {

namespace fs = std::filesystem;

constexpr uid_t otherUser = 65534;

TEST(BrowserConnectionDirectoryTest, nameDependsOnUserAndIdentifierOnly)
{
    const auto directory = browserConnectionDirectory("org.tavlen.Tavlen");
    EXPECT_EQ(directory, browserConnectionDirectory("org.tavlen.Tavlen"));
    EXPECT_EQ(directory.string(),
              "/tmp/tavlen-" + std::to_string(getuid()) + "-" + sha256Hex("org.tavlen.Tavlen").substr(0, 16));
    EXPECT_NE(directory, browserConnectionDirectory("org.tavlen.Tavlen.test"));
    // UTF-8 bytes are hashed as they are.
    EXPECT_EQ(browserConnectionDirectory("org.tavlen.T\xc3\xa4vlen").filename().string(),
              "tavlen-" + std::to_string(getuid()) + "-" + sha256Hex("org.tavlen.T\xc3\xa4vlen").substr(0, 16));
}

struct DirectoryCase
{
    const char* name;
    std::function<void(const fs::path&)> prepare;
    std::optional<std::string_view> failure; // nullopt: accepted
    bool needsRoot = false;
};

TEST(BrowserConnectionDirectoryTest, ensureCreatesOrVerifiesAndNeverRepairs)
{
    const std::vector<DirectoryCase> cases = {
        {"missing directory is created with mode 0700", [](const fs::path&) {}, std::nullopt},
        {"existing private directory is accepted", [](const fs::path& p) { ::mkdir(p.c_str(), 0700); }, std::nullopt},
        {"mode 0755 is unsafe",
         [](const fs::path& p) {
             ::mkdir(p.c_str(), 0700);
             ::chmod(p.c_str(), 0755);
         },
         bridge_text::directoryUnsafe},
        {"mode 0500 is unsafe",
         [](const fs::path& p) {
             ::mkdir(p.c_str(), 0700);
             ::chmod(p.c_str(), 0500);
         },
         bridge_text::directoryUnsafe},
        {"sticky bit is unsafe",
         [](const fs::path& p) {
             ::mkdir(p.c_str(), 0700);
             ::chmod(p.c_str(), 01700);
         },
         bridge_text::directoryUnsafe},
        {"symbolic link to a private directory is unsafe",
         [](const fs::path& p) {
             ::mkdir((p.string() + "-real").c_str(), 0700);
             fs::create_directory_symlink(p.string() + "-real", p);
         },
         bridge_text::directoryUnsafe},
        {"regular file in its place is unsafe",
         [](const fs::path& p) { ::close(::creat(p.c_str(), 0700)); },
         bridge_text::directoryUnsafe},
        {"directory of another user is unsafe",
         [](const fs::path& p) {
             ::mkdir(p.c_str(), 0700);
             ASSERT_EQ(::chown(p.c_str(), otherUser, otherUser), 0);
         },
         bridge_text::directoryUnsafe,
         true},
        {"missing parent cannot be created",
         [](const fs::path& p) { fs::remove_all(p.parent_path()); },
         bridge_text::directoryNotCreated},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        if (row.needsRoot && geteuid() != 0) {
            std::cout << "[ skipped ] " << row.name << ": needs root to give a directory to another user\n";
            continue;
        }
        test::TemporaryDirectory temporary;
        const fs::path directory = temporary / "parent" / "rendezvous";
        fs::create_directory(temporary / "parent");
        row.prepare(directory);

        struct stat before
        {};

        const bool existed = ::lstat(directory.c_str(), &before) == 0;
        try {
            ensureConnectionDirectory(directory);
            EXPECT_FALSE(row.failure.has_value());

            struct stat after
            {};

            ASSERT_EQ(::lstat(directory.c_str(), &after), 0);
            EXPECT_TRUE(S_ISDIR(after.st_mode));
            EXPECT_EQ(after.st_mode & 07777, 0700u);
        } catch (const BridgeFailure& failure) {
            ASSERT_TRUE(row.failure.has_value()) << failure.what();
            EXPECT_EQ(failure.message(), *row.failure);
            EXPECT_EQ(failure.code(), std::nullopt);

            struct stat after
            {};

            if (existed) {
                ASSERT_EQ(::lstat(directory.c_str(), &after), 0);
                EXPECT_EQ(after.st_mode, before.st_mode);
                EXPECT_EQ(after.st_uid, before.st_uid);
            }
        }
    }
}

TEST(BrowserConnectionDirectoryTest, socketPathOf103BytesFitsAnd104DoesNot)
{
    const std::string fits = "/tmp/" + std::string(98, 'a');
    ASSERT_EQ(fits.size(), 103u);
    const sockaddr_un address = makeSocketAddress(fits);
    EXPECT_EQ(address.sun_family, AF_UNIX);
    EXPECT_EQ(std::string(address.sun_path), fits);
    EXPECT_EQ(address.sun_path[103], '\0');

    try {
        makeSocketAddress(fits + "a");
        ADD_FAILURE() << "a path of 104 bytes was accepted";
    } catch (const BridgeFailure& failure) {
        EXPECT_EQ(failure.message(), bridge_text::pathTooLong);
    }
    // Counted in UTF-8 bytes, not characters: 51 two-byte characters and "/" make 103 bytes.
    std::string wide = "/";
    for (int i = 0; i < 51; ++i) {
        wide += "\xc3\xa9";
    }
    EXPECT_NO_THROW(makeSocketAddress(wide));
    EXPECT_THROW(makeSocketAddress(wide + "x"), BridgeFailure);
}

} // namespace
} // namespace tavlen

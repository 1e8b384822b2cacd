#include "BrowserRegistration.h"

#include "BridgeFailure.h"
#include "BrowserClientText.h"
#include "ScopedEnvironment.h"
#include "TemporaryDirectory.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <stdlib.h>
#include <sys/stat.h>

#include <fstream>
#include <optional>
#include <sstream>

namespace tavlen {
namespace {

namespace fs = std::filesystem;

std::string readFile(const fs::path& path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void writeFile(const fs::path& path, const std::string& text, fs::perms mode)
{
    std::ofstream(path) << text;
    fs::permissions(path, mode);
}

mode_t modeOf(const fs::path& path)
{
    struct stat info
    {};

    EXPECT_EQ(::lstat(path.c_str(), &info), 0) << path;
    return info.st_mode & 07777;
}

std::string failureOf(const BrowserRegistration& registration)
{
    try {
        registration.install();
    } catch (const BridgeFailure& failure) {
        return failure.message();
    }
    return "";
}

// Sets the file-creation mask for one test and restores it.
class ScopedUmask
{
public:
    explicit ScopedUmask(mode_t mask)
        : m_previous(::umask(mask))
    {}

    ~ScopedUmask() { ::umask(m_previous); }

private:
    mode_t m_previous;
};

class BrowserRegistrationTest : public ::testing::Test
{
protected:
    BrowserRegistrationTest()
    {
        fs::create_directories(app / "Helpers");
        writeFile(app / "Helpers" / "TavlenBrowserHost", "#!/bin/sh\n", fs::perms(0755));
        config.hostName = "org.tavlen.browser_host";
        config.allowedExtensionIDs = {"cbhccdamkbgcdcldomiomcdhneccllpm", "abcdefghijklmnopabcdefghijklmnop"};
    }

    BrowserRegistration registration(const fs::path& directory) const { return {directory, app, config}; }

    test::TemporaryDirectory temporary;
    const fs::path app = temporary / "Tavlen";
    const fs::path hosts = temporary / "config" / "google-chrome" / "NativeMessagingHosts";
    BrowserConfiguration config;
};

TEST_F(BrowserRegistrationTest, install_writesTheFiveMembersSortedAndPrivate)
{
    struct Row
    {
        const char* name;
        std::vector<std::string> ids;
        nlohmann::json origins;
    };

    const Row rows[] = {
        {"two extension ids, in the configuration's order",
         {"pppppppppppppppppppppppppppppppp", "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa"},
         {"chrome-extension://pppppppppppppppppppppppppppppppp/",
          "chrome-extension://aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa/"}},
        {"no extension ids", {}, nlohmann::json::array()},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        config.allowedExtensionIDs = row.ids;
        const auto subject = registration(hosts);
        subject.install();

        const fs::path file = hosts / "org.tavlen.browser_host.json";
        const std::string text = readFile(file);
        const auto manifest = nlohmann::json::parse(text);
        EXPECT_EQ(manifest,
                  (nlohmann::json{{"allowed_origins", row.origins},
                                  {"description", "Tavlen browser bridge"},
                                  {"name", "org.tavlen.browser_host"},
                                  {"path", (app / "Helpers" / "TavlenBrowserHost").string()},
                                  {"type", "stdio"}}));
        EXPECT_LT(text.find("allowed_origins"), text.find("description"));
        EXPECT_LT(text.find("\"name\""), text.find("\"path\""));
        EXPECT_LT(text.find("\"path\""), text.find("\"type\""));
        EXPECT_NE(text.find('\n'), std::string::npos) << "pretty-printed";
        EXPECT_EQ(modeOf(file), 0600);
        EXPECT_EQ(std::distance(fs::directory_iterator(hosts), fs::directory_iterator()), 1)
            << "no temporary file left behind";
    }
}

TEST_F(BrowserRegistrationTest, install_replacesTheUsersOwnManifestAndMakesItPrivate)
{
    fs::create_directories(hosts);
    const fs::path file = hosts / "org.tavlen.browser_host.json";
    writeFile(file, "{\"stale\":true}", fs::perms(0644));

    registration(hosts).install();

    EXPECT_EQ(nlohmann::json::parse(readFile(file)).at("type"), "stdio");
    EXPECT_EQ(modeOf(file), 0600);
    EXPECT_EQ(std::distance(fs::directory_iterator(hosts), fs::directory_iterator()), 1);
}

TEST_F(BrowserRegistrationTest, install_refusesAnExistingManifestThatIsNotARegularFile)
{
    fs::create_directories(hosts);
    const fs::path file = hosts / "org.tavlen.browser_host.json";
    const fs::path target = temporary / "elsewhere.json";
    writeFile(target, "{\"mine\":true}", fs::perms(0600));

    fs::create_symlink(target, file);
    EXPECT_EQ(failureOf(registration(hosts)), browser_text::registrationFileUnsafe);
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(file))) << "the link is not replaced";
    EXPECT_EQ(readFile(target), "{\"mine\":true}");

    fs::remove(file);
    fs::create_directory(file);
    EXPECT_EQ(failureOf(registration(hosts)), browser_text::registrationFileUnsafe);
}

TEST_F(BrowserRegistrationTest, install_refusesASymbolicLinkOnTheWayBeforeCreatingAnything)
{
    const fs::path real = temporary / "real";
    fs::create_directories(real / "google-chrome");
    fs::create_directories(temporary / "config");

    SCOPED_TRACE("the folder itself is a link");
    fs::create_directory_symlink(real / "google-chrome", temporary / "config" / "google-chrome-link");
    fs::create_directories(real / "google-chrome" / "Hosts");
    EXPECT_EQ(failureOf(registration(temporary / "config" / "google-chrome-link" / "Hosts")),
              browser_text::registrationSymlink);
    fs::create_directory_symlink(real / "google-chrome" / "Hosts", temporary / "config" / "hosts-link");
    EXPECT_EQ(failureOf(registration(temporary / "config" / "hosts-link")), browser_text::registrationSymlink);

    SCOPED_TRACE("an ancestor is a link and the folder does not exist yet");
    fs::create_directory_symlink(real, temporary / "linked-config");
    const fs::path missing = temporary / "linked-config" / "chromium" / "NativeMessagingHosts";
    EXPECT_EQ(failureOf(registration(missing)), browser_text::registrationSymlink);
    EXPECT_FALSE(fs::exists(real / "chromium")) << "nothing is created";
}

TEST_F(BrowserRegistrationTest, install_createsMissingFoldersUnderTheMaskAndChecksOnlyTheManifestFolder)
{
    {
        SCOPED_TRACE("mask 022: a new folder gets 0755 and passes");
        const ScopedUmask mask(022);
        registration(hosts).install();
        EXPECT_EQ(modeOf(hosts), 0755);
        EXPECT_TRUE(fs::exists(hosts / "org.tavlen.browser_host.json"));
    }
    {
        SCOPED_TRACE("mask 002: a new folder gets 0775 and is refused");
        const ScopedUmask mask(002);
        const fs::path chromium = temporary / "config" / "chromium" / "NativeMessagingHosts";
        EXPECT_EQ(failureOf(registration(chromium)), browser_text::registrationDirectoryUnsafe);
        EXPECT_EQ(modeOf(chromium), 0775);
        EXPECT_FALSE(fs::exists(chromium / "org.tavlen.browser_host.json"));
    }
    {
        SCOPED_TRACE("a group-writable folder above the manifest folder is not examined");
        const fs::path shared = temporary / "shared";
        fs::create_directories(shared / "Hosts");
        fs::permissions(shared, fs::perms(0777));
        fs::permissions(shared / "Hosts", fs::perms(0700));
        EXPECT_EQ(failureOf(registration(shared / "Hosts")), "");
    }
}

TEST_F(BrowserRegistrationTest, install_refusesAFolderOthersMayWriteTo)
{
    for (const mode_t mode : {0775, 0757, 0777}) {
        SCOPED_TRACE(mode);
        fs::create_directories(hosts);
        fs::permissions(hosts, fs::perms(mode));
        EXPECT_EQ(failureOf(registration(hosts)), browser_text::registrationDirectoryUnsafe);
        EXPECT_FALSE(fs::exists(hosts / "org.tavlen.browser_host.json"));
    }
}

TEST_F(BrowserRegistrationTest, install_reportsAMissingOrNotExecutableHelper)
{
    const fs::path helper = app / "Helpers" / "TavlenBrowserHost";
    fs::permissions(helper, fs::perms(0644));
    EXPECT_EQ(failureOf(registration(hosts)), browser_text::helperMissing);
    fs::remove(helper);
    EXPECT_EQ(failureOf(registration(hosts)), browser_text::helperMissing);
    fs::create_directory(helper);
    EXPECT_EQ(failureOf(registration(hosts)), browser_text::helperMissing);
    EXPECT_FALSE(fs::exists(hosts)) << "nothing is created";
}

TEST_F(BrowserRegistrationTest, standard_namesTheChromeAndChromiumFoldersOfTheConfigurationHome)
{
    const auto registrations = [&] {
        const test::ScopedEnvironment configHome("XDG_CONFIG_HOME", (temporary / "config").c_str());
        return BrowserRegistration::standard(app, config);
    }();

    ASSERT_EQ(registrations.size(), 2u);
    EXPECT_EQ(registrations[0].manifestDirectory, hosts);
    EXPECT_EQ(registrations[1].manifestDirectory, temporary / "config" / "chromium" / "NativeMessagingHosts");
    for (const auto& each : registrations) {
        EXPECT_EQ(each.helperPath(), app / "Helpers" / "TavlenBrowserHost");
        each.install();
        EXPECT_EQ(modeOf(each.manifestPath()), 0600);
    }
}

} // namespace
} // namespace tavlen

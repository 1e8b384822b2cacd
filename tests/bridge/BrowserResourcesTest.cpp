#include "BrowserResources.h"

#include "BridgeFailure.h"
#include "BrowserConfiguration.h"
#include "BrowserMessage.h"
#include "BrowserWireValidator.h"
#include "ExtensionIdentifier.h"
#include "MainBundle.h"
#include "Sha256.h"
#include "TemporaryDirectory.h"
#include "WireCoding.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <system_error>

namespace tavlen {
namespace {

namespace fs = std::filesystem;

std::string readFile(const fs::path& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream content;
    content << file.rdbuf();
    return content.str();
}

void writeFile(const fs::path& path, std::string_view content)
{
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << content;
}

// A copy of the built bundle's resources in a temporary directory, used as the main bundle while it lives.
class CopiedBundle
{
public:
    CopiedBundle()
    {
        const fs::path built(TAVLEN_BUNDLE_DIR);
        fs::create_directories(m_directory / "Resources");
        for (const char* name : {"config.json", "schema.json"}) {
            fs::copy_file(built / "Resources" / name, m_directory / "Resources" / name);
        }
        fs::copy_file(built / "Info.json", m_directory / "Info.json");
        overrideMainBundleDirectory(m_directory.path());
    }

    ~CopiedBundle() { overrideMainBundleDirectory(fs::path(TAVLEN_BUNDLE_DIR)); }

    fs::path operator/(const fs::path& name) const { return m_directory / name; }

private:
    test::TemporaryDirectory m_directory;
};

bool failsAsMissing(const std::function<void()>& run)
{
    try {
        run();
    } catch (const BridgeFailure& failure) {
        return failure == BridgeFailure(bridge_text::resourcesMissing);
    }
    return false;
}

TEST(BrowserResources, readsBothResourcesFromTheBundle)
{
    const fs::path source = fs::path(TAVLEN_SOURCE_DIR) / "resources";
    EXPECT_EQ(loadBrowserResource("config"), readFile(source / "config.json"));
    EXPECT_EQ(loadBrowserResource("schema"), readFile(source / "schema.json"));
    const auto& configuration = BrowserConfiguration::shared();
    EXPECT_EQ(configuration.protocolVersion, 1);
    EXPECT_EQ(&configuration, &BrowserConfiguration::shared());
}

TEST(BrowserResources, aMissingResourceAsksForAReinstall)
{
    const CopiedBundle bundle;
    BrowserConfiguration::shared(); // loaded once, before the file goes
    EXPECT_NO_THROW(BrowserWireValidator::load());
    fs::remove(bundle / "Resources/schema.json");
    EXPECT_TRUE(failsAsMissing([] { loadBrowserResource("schema"); }));
    EXPECT_TRUE(failsAsMissing([] { BrowserWireValidator::load(); }));
    EXPECT_NO_THROW(BrowserMessage{BrowserMessage::Ping{"c"}}.encode());
    EXPECT_TRUE(failsAsMissing([] { loadBrowserResource("nothing"); }));
}

TEST(BrowserResources, anUnreadableResourcePassesTheReadErrorOn)
{
    const CopiedBundle bundle;
    fs::remove(bundle / "Resources/config.json");
    fs::create_directory(bundle / "Resources/config.json");
    EXPECT_THROW(loadBrowserResource("config"), std::system_error);
    writeFile(bundle / "Resources/other.json", "");
    EXPECT_EQ(loadBrowserResource("other"), "");
}

TEST(BrowserResources, validatorLoadPassesOnBrokenResources)
{
    const CopiedBundle bundle;
    writeFile(bundle / "Resources/schema.json", "[1]");
    EXPECT_THROW(BrowserWireValidator::load(), WireDecodingError);
    fs::copy_file(fs::path(TAVLEN_BUNDLE_DIR) / "Resources/schema.json",
                  bundle / "Resources/schema.json",
                  fs::copy_options::overwrite_existing);
    // The member name in place of the key: the key is missing, the misspelt one ignored.
    std::string config = readFile(bundle / "Resources/config.json");
    config.replace(config.find("allowedExtensionIds"), 19, "allowedExtensionIDs");
    writeFile(bundle / "Resources/config.json", config);
    EXPECT_THROW(BrowserWireValidator::load(), WireDecodingError);
}

TEST(BrowserResources, bundleIsFoundFromTheRealExecutable)
{
    const test::TemporaryDirectory directory;
    writeFile(directory / "Bundle/Helpers/TavlenBrowserHost", "#!/bin/sh\n");
    fs::create_directories(directory / "elsewhere/bin");
    fs::create_symlink(directory / "Bundle/Helpers/TavlenBrowserHost", directory / "elsewhere/bin/host");
    EXPECT_EQ(bundleDirectoryOfExecutable(directory / "elsewhere/bin/host"), fs::canonical(directory / "Bundle"));

    overrideMainBundleDirectory(std::nullopt);
    const fs::path running = mainBundleDirectory();
    overrideMainBundleDirectory(fs::path(TAVLEN_BUNDLE_DIR));
    EXPECT_EQ(running, fs::canonical("/proc/self/exe").parent_path().parent_path());
}

TEST(BrowserResources, appVersionKeepsOnlyVersionShapedTexts)
{
    struct Row
    {
        const char* name;
        std::optional<std::string> text;
        const char* announced;
    };

    const Row rows[] = {
        {"three numbers", "1.4.0", "1.4.0"},
        {"pre-release suffix", "1.4.0-beta.2", "1.4.0-beta.2"},
        {"build suffix", "10.0.12+build-7", "10.0.12+build-7"},
        {"two numbers", "1.4", "0.1.0"},
        {"leading letter", "v1.4.0", "0.1.0"},
        {"space before the suffix", "1.4.0 -beta", "0.1.0"},
        {"missing", std::nullopt, "0.1.0"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(announcedAppVersion(row.text ? &*row.text : nullptr), row.announced);
    }
    const CopiedBundle bundle;
    writeFile(bundle / "Info.json", R"({"CFBundleShortVersionString":"2.0.1-rc.1"})");
    EXPECT_EQ(currentAppVersion(), "2.0.1-rc.1");
    writeFile(bundle / "Info.json", R"({"CFBundleShortVersionString":2})");
    EXPECT_EQ(currentAppVersion(), "0.1.0");
    fs::remove(bundle / "Info.json");
    EXPECT_EQ(currentAppVersion(), "0.1.0");
}

TEST(BrowserResources, allowedExtensionIsTheOneOfTheShippedKey)
{
    const auto& configuration = BrowserConfiguration::shared();
    const std::string keyFile = readFile(fs::path(TAVLEN_SOURCE_DIR) / "resources/extension-public-key.pub");
    EXPECT_EQ(keyFile.substr(0, keyFile.find('\n')), configuration.extensionKey);
    ASSERT_EQ(configuration.allowedExtensionIDs.size(), 1u);
    EXPECT_EQ(extensionIdentifierFromKey(configuration.extensionKey), configuration.allowedExtensionIDs[0]);

    // The derivation on its own: SHA-256 of the decoded bytes, 32 hex digits, 0-f as a-p.
    std::string expected = sha256Hex("abc").substr(0, 32);
    for (char& c : expected) {
        c = static_cast<char>(c <= '9' ? 'a' + (c - '0') : 'k' + (c - 'a'));
    }
    EXPECT_EQ(extensionIdentifierFromKey("YWJj"), expected);
    EXPECT_EQ(extensionIdentifierFromKey("YWJj").value().substr(0, 4), "lkhi"); // ba78…
    EXPECT_EQ(extensionIdentifierFromKey("not base64!"), std::nullopt);
}

// An undecodable "config" is reported like a missing one instead of stopping the process. The shared
// configuration loads once per process, so this runs in a fresh one.
TEST(BrowserResourcesDeathTest, undecodableConfigurationFailsEveryUseWithoutCrashing)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            char pattern[] = "/tmp/tavlen-bundle-XXXXXX";
            const fs::path directory = mkdtemp(pattern);
            writeFile(directory / "Resources/config.json", R"({"hostName": 7})");
            overrideMainBundleDirectory(directory);
            const bool first = failsAsMissing([] { BrowserConfiguration::shared(); });
            const bool again = failsAsMissing([] { BrowserMessage{BrowserMessage::Ping{"c"}}.encode(); });
            const bool status = failsAsMissing([] { BrowserStatus::initial(); });
            fs::remove_all(directory);
            std::_Exit(first && again && status ? 0 : 1);
        },
        ::testing::ExitedWithCode(0),
        "");
}

} // namespace
} // namespace tavlen

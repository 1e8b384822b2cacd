#include "BrowserResources.h"

#include "Base64.h"
#include "BridgeFailure.h"
#include "BrowserConfiguration.h"
#include "BrowserMessage.h"
#include "BrowserWireValidator.h"
#include "ExtensionIdentifier.h"
#include "MainBundle.h"
#include "Sha256.h"
#include "ShippedConfiguration.h"
#include "TemporaryDirectory.h"
#include "WireCoding.h"
#include "WireSamples.h"

#include <gtest/gtest.h>

#include <cerrno>
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
    EXPECT_EQ(BrowserConfiguration::load(), test::shippedConfiguration());
    EXPECT_EQ(test::shippedConfiguration().protocolVersion, 1);
}

TEST(BrowserResources, aMissingResourceAsksForAReinstall)
{
    const CopiedBundle bundle;
    EXPECT_NO_THROW(BrowserWireValidator::load());
    fs::remove(bundle / "Resources/schema.json");
    EXPECT_TRUE(failsAsMissing([] { loadBrowserResource("schema"); }));
    EXPECT_TRUE(failsAsMissing([] { BrowserWireValidator::load(); }));
    EXPECT_NO_THROW(BrowserConfiguration::loadInstalled());
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

TEST(BrowserResources, resourcesAreFoundFromTheFirstArgumentWhenTheMainBundleLacksThem)
{
    const test::TemporaryDirectory directory;
    writeFile(directory / "Bundle/Helpers/TavlenBrowserHost", "#!/bin/sh\n");
    writeFile(directory / "Bundle/Resources/probe.json", "{}");
    fs::create_directories(directory / "elsewhere/bin");
    fs::create_directories(directory / "empty");
    fs::create_symlink(directory / "Bundle/Helpers/TavlenBrowserHost", directory / "elsewhere/bin/host");

    std::string linked = (directory / "elsewhere/bin/host").string();
    char* const ownName = program_invocation_name;
    overrideMainBundleDirectory(directory / "empty");
    program_invocation_name = linked.data();
    const std::string found = loadBrowserResource("probe");
    const bool otherMissing = failsAsMissing([] { loadBrowserResource("absent"); });
    program_invocation_name = ownName;
    overrideMainBundleDirectory(fs::path(TAVLEN_BUNDLE_DIR));
    EXPECT_EQ(found, "{}");
    EXPECT_TRUE(otherMissing);
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
    const BrowserConfiguration& configuration = test::shippedConfiguration();
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

TEST(BrowserResources, shippedLimitsKeepChromesBounds)
{
    const BrowserLimits& limits = test::shippedConfiguration().limits;
    // Chrome closes a connection whose host sends a message over 1 MB, and takes at most 64 MiB the other way.
    EXPECT_LE(limits.requestBytes, 1 << 20);
    EXPECT_LE(limits.resultBytes, std::int64_t(64) << 20);
    EXPECT_LE(limits.requestBytes, limits.resultBytes);
    EXPECT_GE(limits.queueBytes, limits.resultBytes + 4) << "the largest frame fits a write queue";
    EXPECT_GT(limits.operations, 0);
}

// A PNG as Chrome sends it for a capture of the given size: its real header, then filler the validator does not
// read, up to the given length. The filler is all "/" digits in the base64 text, which the encoder escapes: the
// worst case for the frame's length.
std::string capturePng(std::uint32_t width, std::uint32_t height, std::size_t length)
{
    std::string png("\x89PNG\r\n\x1A\n\x00\x00\x00\x0DIHDR", 16);
    for (std::uint32_t value : {width, height}) {
        for (int shift = 24; shift >= 0; shift -= 8) {
            png.push_back(static_cast<char>((value >> shift) & 0xFF));
        }
    }
    png.resize(length, '\x3F');
    return png;
}

// The sample page tree, one cell's value grown until the tree's sorted encoding is exactly the 4 MiB a tree may
// take.
BrowserPageTree fullPageTree(const std::string& snapshotID)
{
    BrowserPageTree tree = test::samplePageTree(snapshotID);
    tree.nodes[1].value = "";
    const std::size_t base = tree.sortedJSONLength();
    tree.nodes[1].value = std::string(4'194'304 - base, 'v');
    EXPECT_EQ(tree.sortedJSONLength(), 4'194'304u);
    return tree;
}

// A response carrying a full-page capture, 1280 CSS pixels wide and 8000 high, with the given PNG length and a
// full page tree.
BrowserMessage captureResponse(std::size_t pngLength)
{
    constexpr std::uint32_t width = 1280;
    constexpr std::uint32_t height = 8000;
    BrowserSnapshot snapshot = test::sampleSnapshot();
    snapshot.geometry = {1280, 800, 0, 0, 0, 0, 1, 1};
    snapshot.contentRect = {0, 0, width, height};
    snapshot.imageWidth = width;
    snapshot.imageHeight = height;
    snapshot.imageBase64 = base64Encode(capturePng(width, height, pngLength));
    snapshot.pageTree = fullPageTree(snapshot.snapshotID);
    BrowserResponse response{test::requestID, test::sampleStatus(), true, std::move(snapshot), std::nullopt};
    return BrowserMessage{BrowserMessage::Response{test::connectionID, test::executionID, std::move(response)}};
}

// The largest capture the bridge promises to carry (a 16 MiB PNG and a full page tree) fits one frame Tavlen
// reads.
TEST(BrowserResources, theLargestCaptureFitsOneFrameOfTheShippedLimit)
{
    const BrowserConfiguration& configuration = test::shippedConfiguration();
    const std::string frame = captureResponse(16u << 20).encodedBytes(configuration.protocolVersion);
    EXPECT_GT(frame.size(), std::size_t(20) << 20);
    EXPECT_LE(static_cast<std::int64_t>(frame.size()), configuration.limits.resultBytes);
}

// The validator takes such a capture whole under the shipped limits. Beyond the frame's length, which the test
// above bounds, the image's length plays no part in the checks (they read its header), so a short PNG stands in
// for the 16 MiB one and keeps this test quick.
TEST(BrowserResources, theValidatorTakesACaptureWithAFullPageTreeUnderTheShippedLimits)
{
    const BrowserMessage capture = captureResponse(4096);
    const BrowserWireValidator validator = BrowserWireValidator::load();
    EXPECT_EQ(validator.limits(), test::shippedConfiguration().limits);
    EXPECT_EQ(validator.decode(capture.encodedBytes(validator.protocolVersion())), capture);
}

// Whatever keeps the configuration from loading at a program's start reaches it as the one installation fault,
// which it reports instead of stopping.
TEST(BrowserResources, loadInstalledReportsEveryBrokenConfigurationAsMissingResources)
{
    const CopiedBundle bundle;
    EXPECT_EQ(BrowserConfiguration::loadInstalled(), test::shippedConfiguration());

    writeFile(bundle / "Resources/config.json", R"({"hostName": 7})");
    EXPECT_THROW(BrowserConfiguration::load(), WireDecodingError);
    EXPECT_TRUE(failsAsMissing([] { BrowserConfiguration::loadInstalled(); }));
    writeFile(bundle / "Resources/config.json", "{");
    EXPECT_TRUE(failsAsMissing([] { BrowserConfiguration::loadInstalled(); }));
    fs::remove(bundle / "Resources/config.json");
    fs::create_directory(bundle / "Resources/config.json");
    EXPECT_THROW(BrowserConfiguration::load(), std::system_error);
    EXPECT_TRUE(failsAsMissing([] { BrowserConfiguration::loadInstalled(); }));
    fs::remove(bundle / "Resources/config.json");
    EXPECT_TRUE(failsAsMissing([] { BrowserConfiguration::loadInstalled(); }));
}

} // namespace
} // namespace tavlen

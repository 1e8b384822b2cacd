#include "BrowserResources.h"

#include "Base64.h"
#include "BridgeFailure.h"
#include "BrowserConfiguration.h"
#include "BrowserMessage.h"
#include "BrowserWireValidator.h"
#include "ExtensionIdentifier.h"
#include "MainBundle.h"
#include "Sha256.h"
#include "TemporaryDirectory.h"
#include "WireCoding.h"
#include "WireSamples.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <system_error>
#include <thread>

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

// A full-page capture as large as the bridge promises to carry: a 16 MiB PNG (its real header, then filler the
// validator does not read) and a page tree whose sorted encoding fills the 4 MiB that a tree may take.
BrowserMessage largestCapture()
{
    constexpr std::uint32_t width = 1280;
    constexpr std::uint32_t height = 8000;
    std::string png("\x89PNG\r\n\x1A\n\x00\x00\x00\x0DIHDR", 16);
    for (std::uint32_t value : {width, height}) {
        for (int shift = 24; shift >= 0; shift -= 8) {
            png.push_back(static_cast<char>((value >> shift) & 0xFF));
        }
    }
    png.resize(16u << 20, '\x3F'); // "/" digits in the base64 text, which the encoder escapes: the worst case

    BrowserSnapshot snapshot = test::sampleSnapshot();
    snapshot.geometry = {1280, 800, 0, 0, 0, 0, 1, 1};
    snapshot.contentRect = {0, 0, width, height};
    snapshot.imageWidth = width;
    snapshot.imageHeight = height;
    snapshot.imageBase64 = base64Encode(png);
    BrowserPageTree& tree = snapshot.pageTree;
    const BrowserPageTree::Node cell = tree.nodes[1];
    tree.nodes.pop_back();
    tree.nodes[0].children = {};
    tree.nodes[1].structure->headers = {"n1"};
    for (int i = 0; i < 4000; ++i) {
        BrowserPageTree::Node node = cell;
        node.id = "cell-" + std::to_string(i);
        node.structure->headers = {"n1"};
        tree.nodes[0].children.push_back(node.id);
        tree.nodes.push_back(std::move(node));
    }
    // The last cell's value "42" grows until the tree's encoding is exactly 4 MiB.
    const std::size_t size = tree.sortedJSONLength();
    EXPECT_LT(size, 4'194'304u);
    tree.nodes.back().value = std::string(2 + (4'194'304 - std::min<std::size_t>(size, 4'194'304)), 'v');
    BrowserResponse response{test::requestID, test::sampleStatus(), true, std::move(snapshot), std::nullopt};
    return BrowserMessage{BrowserMessage::Response{test::connectionID, test::executionID, std::move(response)}};
}

TEST(BrowserResources, shippedLimitsKeepChromesBoundsAndCarryAFullPageCapture)
{
    const BrowserLimits& limits = BrowserConfiguration::shared().limits;
    // Chrome closes a connection whose host sends a message over 1 MB, and takes at most 64 MiB the other way.
    EXPECT_LE(limits.requestBytes, 1 << 20);
    EXPECT_LE(limits.resultBytes, std::int64_t(64) << 20);
    EXPECT_LE(limits.requestBytes, limits.resultBytes);
    EXPECT_GE(limits.queueBytes, limits.resultBytes + 4) << "the largest frame fits a write queue";
    EXPECT_GT(limits.operations, 0);

    const BrowserMessage capture = largestCapture();
    const auto& tree = std::get<BrowserMessage::Response>(capture.payload).response.snapshot->pageTree;
    EXPECT_EQ(tree.sortedJSONLength(), 4'194'304u);
    const std::string frame = capture.encodedBytes();
    EXPECT_LE(static_cast<std::int64_t>(frame.size()), limits.resultBytes);
    EXPECT_EQ(BrowserWireValidator::load().decode(frame), capture);
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

// Concurrent first uses of the shared values: one load, every caller handed the same value.
bool concurrentFirstUsesAgree()
{
    constexpr std::size_t count = 8;
    std::array<const void*, count * 3> seen{};
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < count; ++i) {
        threads.emplace_back([&seen, i] {
            try {
                seen[3 * i] = &BrowserConfiguration::shared();
                seen[3 * i + 1] = &BrowserCaptureSettings::standard();
                seen[3 * i + 2] = &BrowserStatus::initial();
            } catch (const std::exception&) {
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    bool same = seen[0] && seen[1] && seen[2];
    for (std::size_t i = 3; i < seen.size(); ++i) {
        same = same && seen[i] == seen[i % 3];
    }
    return same;
}

// Runs in a fresh process, where nothing has loaded the shared values yet.
TEST(BrowserResourcesDeathTest, concurrentFirstUsesShareOneConfiguration)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            overrideMainBundleDirectory(fs::path(TAVLEN_BUNDLE_DIR));
            std::_Exit(concurrentFirstUsesAgree() ? 0 : 1);
        },
        ::testing::ExitedWithCode(0),
        "");
}

} // namespace
} // namespace tavlen

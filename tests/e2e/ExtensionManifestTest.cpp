#include "ChromiumProcess.h"
#include "ExtensionIdentifier.h"
#include "ShippedConfiguration.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace tavlen::test {
namespace {

std::string extensionFile(const std::string& name)
{
    std::ifstream file(ChromiumProcess::extensionDirectory() / name, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

// The extension is one Tavlen allows and speaks to the host Tavlen registers: a mismatch would otherwise show
// only as a hello that never comes.
TEST(ExtensionManifestTest, matchesTheShippedConfiguration)
{
    const BrowserConfiguration& config = shippedConfiguration();
    const nlohmann::json manifest = nlohmann::json::parse(extensionFile("manifest.json"));
    EXPECT_EQ(manifest.at("manifest_version"), 3);
    EXPECT_EQ(manifest.at("key"), config.extensionKey);
    ASSERT_FALSE(config.allowedExtensionIDs.empty());
    EXPECT_EQ(extensionIdentifierFromKey(manifest.at("key").get<std::string>()), config.allowedExtensionIDs.front())
        << "Chrome derives the extension's identifier from its key";
    const std::string worker = extensionFile("service-worker.js");
    EXPECT_NE(worker.find("const HOST_NAME = \"" + config.hostName + "\";"), std::string::npos);
    EXPECT_NE(worker.find("const PROTOCOL_VERSION = " + std::to_string(config.protocolVersion) + ";"),
              std::string::npos);
}

// Users load the bundle's copy: it holds every file of the extension, byte for byte.
TEST(ExtensionManifestTest, theBundleCarriesTheExtension)
{
    namespace fs = std::filesystem;
    const fs::path source = ChromiumProcess::extensionDirectory();
    const fs::path bundled = fs::path(TAVLEN_BUNDLE_DIR) / "Resources" / "extension";
    int files = 0;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(source)) {
        if (!entry.is_regular_file()) {
            continue;
        }
        const fs::path relative = fs::relative(entry.path(), source);
        SCOPED_TRACE(relative.string());
        std::ifstream copy(bundled / relative, std::ios::binary);
        ASSERT_TRUE(copy.good());
        std::ostringstream bytes;
        bytes << copy.rdbuf();
        EXPECT_EQ(bytes.str(), extensionFile(relative.string()));
        ++files;
    }
    EXPECT_GE(files, 4);
}

} // namespace
} // namespace tavlen::test

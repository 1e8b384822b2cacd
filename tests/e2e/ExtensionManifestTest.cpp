#include "ChromiumProcess.h"
#include "ExtensionIdentifier.h"
#include "ShippedConfiguration.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

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

} // namespace
} // namespace tavlen::test

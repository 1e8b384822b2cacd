#include "BridgeFailure.h"
#include "BrowserWireValidator.h"
#include "WireCoding.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace tavlen {
namespace {

namespace fs = std::filesystem;

// Frames kept as files, one per case; they also seed fuzzing of the validator.
std::vector<fs::path> corpus(const char* folder)
{
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(fs::path(TAVLEN_TEST_DATA_DIR) / folder)) {
        files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::string bytesOf(const fs::path& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream content;
    content << file.rdbuf();
    return content.str();
}

TEST(BrowserWireCorpus, validFramesDecodeAndReencodeToTheSameMessage)
{
    const BrowserWireValidator validator = BrowserWireValidator::load();
    const auto files = corpus("valid");
    ASSERT_GE(files.size(), 10u);
    for (const auto& file : files) {
        SCOPED_TRACE(file.filename().string());
        try {
            const BrowserMessage message = validator.decode(bytesOf(file));
            EXPECT_EQ(validator.decode(message.encodedBytes(validator.protocolVersion())), message);
        } catch (const std::exception& error) {
            ADD_FAILURE() << error.what();
        }
    }
}

TEST(BrowserWireCorpus, invalidFramesAreRefused)
{
    const BrowserWireValidator validator = BrowserWireValidator::load();
    const auto files = corpus("invalid");
    ASSERT_GE(files.size(), 10u);
    for (const auto& file : files) {
        SCOPED_TRACE(file.filename().string());
        try {
            validator.decode(bytesOf(file));
            ADD_FAILURE() << "accepted";
        } catch (const BridgeFailure&) {
        } catch (const WireDecodingError&) {
        }
    }
}

} // namespace
} // namespace tavlen

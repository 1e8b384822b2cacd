#pragma once

// For test programs that link the bridge library.
#include "BrowserConfiguration.h"
#include "JsonParse.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace tavlen::test {

// The "config" resource of the built bundle, read from its file once per test program: tests hand its parts
// to what they build, as a program does with the configuration it loads at start.
inline const BrowserConfiguration& shippedConfiguration()
{
    static const BrowserConfiguration configuration = [] {
        std::ifstream file(std::filesystem::path(TAVLEN_BUNDLE_DIR) / "Resources" / "config.json", std::ios::binary);
        std::ostringstream bytes;
        bytes << file.rdbuf();
        const auto json = parseJson(bytes.str());
        if (!json) {
            throw std::runtime_error("the built bundle has no readable config.json");
        }
        return BrowserConfiguration::decode(*json);
    }();
    return configuration;
}

} // namespace tavlen::test

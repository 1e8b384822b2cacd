#include "InfoDictionary.h"

#include "JsonParse.h"

#include <fstream>
#include <iterator>

namespace tavlen {

nlohmann::json readInfoDictionary(const std::filesystem::path& bundleDirectory)
{
    std::ifstream file(bundleDirectory / "Info.json", std::ios::binary);
    if (!file) {
        return nlohmann::json::object();
    }
    const std::string text{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    auto info = parseJson(text);
    if (!info || !info->is_object()) {
        return nlohmann::json::object();
    }
    return std::move(*info);
}

} // namespace tavlen

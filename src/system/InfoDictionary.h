#pragma once

#include <nlohmann/json.hpp>

#include <filesystem>

namespace tavlen {

// The bundle's Info.json as an object; an empty object when it is missing, unreadable or not an object.
nlohmann::json readInfoDictionary(const std::filesystem::path& bundleDirectory);

} // namespace tavlen

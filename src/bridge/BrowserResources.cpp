#include "BrowserResources.h"

#include "BridgeFailure.h"
#include "JsonParse.h"
#include "MainBundle.h"
#include "Regex.h"

#include <errno.h> // program_invocation_name

#include <cerrno>
#include <fstream>
#include <optional>
#include <sstream>
#include <system_error>

namespace tavlen {

namespace {

constexpr std::string_view fallbackVersion = "0.1.0";
constexpr std::string_view versionPattern = R"(^[0-9]+\.[0-9]+\.[0-9]+(?:[-+][0-9A-Za-z.-]+)?$)";

std::string readWholeFile(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        throw std::system_error(errno ? errno : EIO, std::generic_category(), "Cannot open " + path.string());
    }
    std::ostringstream content;
    content << file.rdbuf();
    if (file.bad()) {
        throw std::system_error(EIO, std::generic_category(), "Cannot read " + path.string());
    }
    return std::move(content).str();
}

// The bytes of Resources/<fileName> in the bundle; nothing when there is no bundle or no such file.
std::optional<std::string> readResourceIfPresent(const std::filesystem::path& bundle, const std::string& fileName)
{
    if (bundle.empty()) {
        return std::nullopt;
    }
    const std::filesystem::path path = bundle / "Resources" / fileName;
    std::error_code error;
    if (!std::filesystem::exists(path, error)) {
        return std::nullopt;
    }
    if (std::filesystem::is_directory(path, error)) {
        throw std::system_error(EISDIR, std::generic_category(), "Cannot read " + path.string());
    }
    return readWholeFile(path);
}

} // namespace

std::string loadBrowserResource(std::string_view name)
{
    const std::string fileName = std::string(name) + ".json";
    if (auto bytes = readResourceIfPresent(mainBundleDirectory(), fileName)) {
        return std::move(*bytes);
    }
    // The executable named by the first command-line argument, links resolved: it still leads to the bundle when
    // the kernel's own link to the running program does not, e.g. under a loader that runs the program.
    if (program_invocation_name && *program_invocation_name) {
        if (auto bytes = readResourceIfPresent(bundleDirectoryOfExecutable(program_invocation_name), fileName)) {
            return std::move(*bytes);
        }
    }
    throw BridgeFailure(bridge_text::resourcesMissing);
}

std::string announcedAppVersion(const std::string* versionText)
{
    static const std::optional<Regex> pattern = Regex::compile(versionPattern);
    if (versionText && pattern && pattern->search(*versionText)) {
        return *versionText;
    }
    return std::string(fallbackVersion);
}

std::string currentAppVersion()
{
    const std::filesystem::path bundle = mainBundleDirectory();
    if (bundle.empty()) {
        return announcedAppVersion(nullptr);
    }
    try {
        const auto info = parseJson(readWholeFile(bundle / "Info.json"));
        if (info && info->is_object()) {
            const auto entry = info->find("CFBundleShortVersionString");
            if (entry != info->end() && entry->is_string()) {
                const auto& text = entry->get_ref<const std::string&>();
                return announcedAppVersion(&text);
            }
        }
    } catch (const std::exception&) {
        // An unreadable Info.json announces the fallback version like a missing entry.
    }
    return announcedAppVersion(nullptr);
}

} // namespace tavlen

#pragma once

#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace tavlen {

// `tavlen [--launched-at-login] [URL]`: how this start was asked for.
struct CommandLine
{
    static constexpr const char* loginFlag = "--launched-at-login";
    static constexpr const char* usage = "Usage: tavlen [--launched-at-login] [URL]";

    bool launchedAtLogin = false;
    std::optional<std::string> url;

    // The arguments after the program's name; the usage sentence for anything else.
    static std::variant<CommandLine, std::string> parse(const std::vector<std::string>& arguments);

    // What a second start hands to the running Tavlen: "open <URL>", or "reopen".
    std::string forwardedMessage() const;

    bool operator==(const CommandLine&) const = default;
};

} // namespace tavlen

#include "CommandLine.h"

namespace tavlen {

std::variant<CommandLine, std::string> CommandLine::parse(const std::vector<std::string>& arguments)
{
    CommandLine line;
    for (const auto& argument : arguments) {
        if (argument == loginFlag && !line.launchedAtLogin) {
            line.launchedAtLogin = true;
        } else if (!argument.empty() && argument.front() != '-' && !line.url) {
            line.url = argument;
        } else {
            return std::string(usage);
        }
    }
    return line;
}

std::string CommandLine::forwardedMessage() const
{
    return url ? "open " + *url : "reopen";
}

} // namespace tavlen

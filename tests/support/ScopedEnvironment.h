#pragma once

#include <optional>
#include <string>

namespace tavlen::test {

// Sets an environment variable (nullptr unsets it) while it lives, then restores what was there before.
class ScopedEnvironment
{
public:
    ScopedEnvironment(const char* name, const char* value);
    ~ScopedEnvironment();
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    std::string m_name;
    std::optional<std::string> m_old;
};

} // namespace tavlen::test

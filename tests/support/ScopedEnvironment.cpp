#include "ScopedEnvironment.h"

#include <cstdlib>

namespace tavlen::test {

namespace {

void put(const std::string& name, const char* value)
{
    if (value) {
        ::setenv(name.c_str(), value, 1);
    } else {
        ::unsetenv(name.c_str());
    }
}

} // namespace

ScopedEnvironment::ScopedEnvironment(const char* name, const char* value)
    : m_name(name)
{
    if (const char* old = std::getenv(name)) {
        m_old = old;
    }
    put(m_name, value);
}

ScopedEnvironment::~ScopedEnvironment()
{
    put(m_name, m_old ? m_old->c_str() : nullptr);
}

} // namespace tavlen::test

#include "TemporaryDirectory.h"

#include <stdlib.h>

#include <stdexcept>
#include <string>
#include <system_error>

namespace tavlen::test {

TemporaryDirectory::TemporaryDirectory()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "tavlen-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot create a temporary directory");
    }
    m_path = pattern;
}

TemporaryDirectory::~TemporaryDirectory()
{
    std::error_code error;
    std::filesystem::remove_all(m_path, error);
}

} // namespace tavlen::test

#include "InMemoryBrowserProfileRepository.h"

namespace tavlen::test {

QCoro::Task<std::optional<std::string>> InMemoryBrowserProfileRepository::selectedProfileID()
{
    if (readFailure) {
        throw *readFailure;
    }
    co_return stored;
}

QCoro::Task<void> InMemoryBrowserProfileRepository::setSelectedProfileID(std::string profileID)
{
    if (writeFailure) {
        throw *writeFailure;
    }
    stored = std::move(profileID);
    co_return;
}

} // namespace tavlen::test

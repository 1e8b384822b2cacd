#include "PageURL.h"

#include <gtest/gtest.h>

namespace tavlen {
namespace {

TEST(PageURLTest, acceptsOnlyHttpAddressesWithHost)
{
    struct Row
    {
        const char* text;
        std::optional<std::string> url;
    };

    const Row rows[] = {
        {"https://example.com/a?b=1", "https://example.com/a?b=1"},
        {"HTTP://Example.com", "HTTP://Example.com"},
        {"  https://example.com/x \n", "https://example.com/x"},
        {"ftp://example.com", std::nullopt},
        {"example.com", std::nullopt},
        {"https://", std::nullopt},
        {"https://exa mple.com", std::nullopt},
        {"", std::nullopt},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(pageURL(row.text), row.url);
    }
}

} // namespace
} // namespace tavlen

#pragma once

#include "JsonParse.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <string_view>

namespace tavlen::test {

// The value of a JSON text written in a test; a text that does not parse fails the test and gives null.
inline nlohmann::json json(std::string_view text)
{
    auto value = parseJson(text);
    EXPECT_TRUE(value.has_value()) << text;
    return value.value_or(nlohmann::json());
}

} // namespace tavlen::test

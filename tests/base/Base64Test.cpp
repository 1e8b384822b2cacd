#include "Base64.h"

#include <gtest/gtest.h>

#include <string>

namespace tavlen {
namespace {

TEST(Base64, rfc4648Vectors_encodeAndDecode)
{
    const std::pair<std::string, std::string> vectors[] = {
        {"", ""},
        {"f", "Zg=="},
        {"fo", "Zm8="},
        {"foo", "Zm9v"},
        {"foob", "Zm9vYg=="},
        {"fooba", "Zm9vYmE="},
        {"foobar", "Zm9vYmFy"},
        {std::string("\xFB\xFF\xBF\x00", 4), "+/+/AA=="},
    };
    for (const auto& [bytes, text] : vectors) {
        SCOPED_TRACE(text);
        EXPECT_EQ(base64Encode(bytes), text);
        EXPECT_EQ(base64Decode(text), bytes);
    }
}

TEST(Base64, allByteValues_roundTrip)
{
    std::string bytes;
    for (int i = 0; i < 256 * 3 + 1; ++i) {
        bytes += static_cast<char>(i * 7 % 256);
    }
    for (std::size_t length = 0; length < 8; ++length) {
        const std::string part = bytes.substr(0, bytes.size() - length);
        EXPECT_EQ(base64Decode(base64Encode(part)), part);
    }
}

TEST(Base64, strictDecoding_rejectsNonCanonicalText)
{
    struct Case
    {
        const char* name;
        std::string text;
    };

    const Case cases[] = {
        {"missing padding", "Zm8"},
        {"missing both padding characters", "Zg"},
        {"too much padding", "Zg==="},
        {"padding in the middle", "Zg==Zm9v"},
        {"padding as a whole group", "===="},
        {"three padding characters", "Z==="},
        {"padding before data", "=Zm9"},
        {"line break", "Zm9v\nYmFy"},
        {"trailing line break", "Zm9v\n"},
        {"space", "Zm9v YmFy"},
        {"data-URL prefix", "data:image/png;base64,Zm9v"},
        {"URL-safe alphabet", "-_-_"},
        {"NUL byte", std::string("Zm9\0", 4)},
        {"non-ASCII byte", "Zm9\xC3"},
        {"non-zero bits under two padding characters", "Zh=="},
        {"non-zero bits under one padding character", "Zm9="},
        {"trailing garbage after padding", "Zg==x"},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        EXPECT_FALSE(base64Decode(row.text).has_value());
    }
}

} // namespace
} // namespace tavlen

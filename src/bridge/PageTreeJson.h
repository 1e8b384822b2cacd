#pragma once

#include <nlohmann/json.hpp>

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <utility>

namespace tavlen {

struct BrowserPageTree;
struct BrowserRect;

// A page tree held in memory seen as the JSON value its encoder makes of it (BrowserPageTree::encode): the same
// members, absent optional members left out or null as the encoder writes them, numbers of the same kinds. Nothing
// is encoded: the schema checks a screenshot's tree where it lies. A small handle, valid while the tree is.
class PageTreeJson
{
public:
    enum class Kind
    {
        null,
        boolean,
        integer,
        floating,
        text,
        array,
        object,
    };

    // The most members any record of the tree has (a node).
    static constexpr std::size_t maximumMembers = 16;
    using Members = std::array<std::pair<std::string_view, PageTreeJson>, maximumMembers>;

    explicit PageTreeJson(const BrowserPageTree& tree);
    PageTreeJson() = default; // null

    Kind kind() const;

    bool boolean() const { return m_boolean; }

    std::int64_t integer() const { return m_integer; }

    double floating() const { return m_floating; }

    std::string_view text() const;

    // An array's elements.
    std::size_t size() const;
    PageTreeJson element(std::size_t i) const;

    // An object's members, written into `into`; gives how many.
    std::size_t members(Members& into) const;

    // The value as nlohmann JSON: for comparing it with a schema's "const" or "enum".
    nlohmann::json toJson() const;

private:
    enum class Shape : std::uint8_t
    {
        null,
        boolean,
        integer,
        floating,
        text,
        texts,
        tree,
        nodes,
        node,
        fragments,
        fragment,
        rect,
        visibility,
        states,
        structure,
    };

    PageTreeJson(Shape shape, const void* target);
    static PageTreeJson ofText(const std::string& text);
    static PageTreeJson ofBoolean(bool value);
    static PageTreeJson ofInteger(std::int64_t value);
    static PageTreeJson ofFloating(double value);
    static PageTreeJson ofRect(const BrowserRect* rect); // null when absent

    Shape m_shape = Shape::null;
    const void* m_target = nullptr;
    bool m_boolean = false;
    std::int64_t m_integer = 0;
    double m_floating = 0;
};

} // namespace tavlen

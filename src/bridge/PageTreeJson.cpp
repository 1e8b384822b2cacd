#include "PageTreeJson.h"

#include "BrowserPageTree.h"

namespace tavlen {

namespace {

using Tree = BrowserPageTree;

template <class T> const T& as(const void* target)
{
    return *static_cast<const T*>(target);
}

// Collects an object's members as the encoder writes them.
class MemberList
{
public:
    explicit MemberList(PageTreeJson::Members& into)
        : m_into(into)
    {}

    void add(std::string_view key, PageTreeJson value) { m_into[m_count++] = {key, value}; }

    template <class T, class Make> void addIfPresent(std::string_view key, const std::optional<T>& value, Make make)
    {
        if (value) {
            add(key, make(*value));
        }
    }

    std::size_t count() const { return m_count; }

private:
    PageTreeJson::Members& m_into;
    std::size_t m_count = 0;
};

} // namespace

PageTreeJson::PageTreeJson(const BrowserPageTree& tree)
    : m_shape(Shape::tree)
    , m_target(&tree)
{}

PageTreeJson::PageTreeJson(Shape shape, const void* target)
    : m_shape(shape)
    , m_target(target)
{}

PageTreeJson PageTreeJson::ofText(const std::string& text)
{
    return {Shape::text, &text};
}

PageTreeJson PageTreeJson::ofBoolean(bool value)
{
    PageTreeJson json(Shape::boolean, nullptr);
    json.m_boolean = value;
    return json;
}

PageTreeJson PageTreeJson::ofInteger(std::int64_t value)
{
    PageTreeJson json(Shape::integer, nullptr);
    json.m_integer = value;
    return json;
}

PageTreeJson PageTreeJson::ofFloating(double value)
{
    PageTreeJson json(Shape::floating, nullptr);
    json.m_floating = value;
    return json;
}

PageTreeJson PageTreeJson::ofRect(const BrowserRect* rect)
{
    return rect ? PageTreeJson(Shape::rect, rect) : PageTreeJson();
}

PageTreeJson::Kind PageTreeJson::kind() const
{
    switch (m_shape) {
    case Shape::null:
        return Kind::null;
    case Shape::boolean:
        return Kind::boolean;
    case Shape::integer:
        return Kind::integer;
    case Shape::floating:
        return Kind::floating;
    case Shape::text:
        return Kind::text;
    case Shape::texts:
    case Shape::nodes:
    case Shape::fragments:
        return Kind::array;
    default:
        return Kind::object;
    }
}

std::string_view PageTreeJson::text() const
{
    return as<std::string>(m_target);
}

std::size_t PageTreeJson::size() const
{
    switch (m_shape) {
    case Shape::texts:
        return as<std::vector<std::string>>(m_target).size();
    case Shape::nodes:
        return as<std::vector<Tree::Node>>(m_target).size();
    case Shape::fragments:
        return as<std::vector<Tree::Fragment>>(m_target).size();
    default:
        return 0;
    }
}

PageTreeJson PageTreeJson::element(std::size_t i) const
{
    switch (m_shape) {
    case Shape::texts:
        return ofText(as<std::vector<std::string>>(m_target)[i]);
    case Shape::nodes:
        return {Shape::node, &as<std::vector<Tree::Node>>(m_target)[i]};
    case Shape::fragments:
        return {Shape::fragment, &as<std::vector<Tree::Fragment>>(m_target)[i]};
    default:
        return {};
    }
}

std::size_t PageTreeJson::members(Members& into) const
{
    MemberList list(into);
    const auto text = [](const std::string& value) { return ofText(value); };
    switch (m_shape) {
    case Shape::tree: {
        const auto& tree = as<Tree>(m_target);
        list.add("snapshotId", ofText(tree.snapshotId));
        list.add("startedAt", ofText(tree.startedAt));
        list.add("finishedAt", ofText(tree.finishedAt));
        list.add("status", ofText(tree.status));
        list.add("reasons", {Shape::texts, &tree.reasons});
        list.add("nodes", {Shape::nodes, &tree.nodes});
        break;
    }
    case Shape::node: {
        const auto& node = as<Tree::Node>(m_target);
        list.add("id", ofText(node.id));
        list.add("children", {Shape::texts, &node.children});
        list.add("kind", ofText(node.kind));
        list.add("frameId", ofText(node.frameId));
        list.add("bounds", ofRect(node.bounds ? &*node.bounds : nullptr));
        list.add("fragments", {Shape::fragments, &node.fragments});
        list.add("visibility", {Shape::visibility, &node.visibility});
        list.add("source", ofText(node.source));
        list.addIfPresent("role", node.role, text);
        list.addIfPresent("text", node.text, text);
        list.addIfPresent("name", node.name, text);
        list.addIfPresent("description", node.description, text);
        list.addIfPresent("nameSource", node.nameSource, text);
        list.addIfPresent("value", node.value, text);
        if (node.states) {
            list.add("states", {Shape::states, &*node.states});
        }
        if (node.structure) {
            list.add("structure", {Shape::structure, &*node.structure});
        }
        break;
    }
    case Shape::fragment: {
        const auto& fragment = as<Tree::Fragment>(m_target);
        list.add("start", ofInteger(fragment.start));
        list.add("length", ofInteger(fragment.length));
        list.add("bounds", ofRect(&fragment.bounds));
        break;
    }
    case Shape::rect: {
        const auto& rect = as<BrowserRect>(m_target);
        list.add("x", ofFloating(rect.x));
        list.add("y", ofFloating(rect.y));
        list.add("width", ofFloating(rect.width));
        list.add("height", ofFloating(rect.height));
        break;
    }
    case Shape::visibility: {
        const auto& visibility = as<Tree::Visibility>(m_target);
        list.add("rendered", ofBoolean(visibility.rendered));
        list.add("cssVisible", ofBoolean(visibility.cssVisible));
        list.add("clip", ofRect(visibility.clip ? &*visibility.clip : nullptr));
        list.add("clipping", ofText(visibility.clipping));
        list.add("occlusion", ofText(visibility.occlusion));
        break;
    }
    case Shape::states: {
        const auto& states = as<Tree::States>(m_target);
        list.addIfPresent("checked", states.checked, text);
        list.addIfPresent("pressed", states.pressed, text);
        list.addIfPresent("selected", states.selected, ofBoolean);
        list.addIfPresent("expanded", states.expanded, ofBoolean);
        list.addIfPresent("disabled", states.disabled, ofBoolean);
        list.addIfPresent("readonly", states.readonly, ofBoolean);
        list.addIfPresent("required", states.required, ofBoolean);
        break;
    }
    case Shape::structure: {
        const auto& structure = as<Tree::Structure>(m_target);
        list.addIfPresent("level", structure.level, ofInteger);
        list.addIfPresent("row", structure.row, ofInteger);
        list.addIfPresent("column", structure.column, ofInteger);
        list.addIfPresent("rowSpan", structure.rowSpan, ofInteger);
        list.addIfPresent("columnSpan", structure.columnSpan, ofInteger);
        if (structure.headers) {
            list.add("headers", {Shape::texts, &*structure.headers});
        }
        break;
    }
    default:
        break;
    }
    return list.count();
}

nlohmann::json PageTreeJson::toJson() const
{
    switch (kind()) {
    case Kind::null:
        return nullptr;
    case Kind::boolean:
        return m_boolean;
    case Kind::integer:
        return m_integer;
    case Kind::floating:
        return m_floating;
    case Kind::text:
        return std::string(text());
    case Kind::array: {
        nlohmann::json array = nlohmann::json::array();
        for (std::size_t i = 0; i < size(); ++i) {
            array.push_back(element(i).toJson());
        }
        return array;
    }
    case Kind::object: {
        Members list;
        nlohmann::json object = nlohmann::json::object();
        for (std::size_t i = 0, n = members(list); i < n; ++i) {
            object[std::string(list[i].first)] = list[i].second.toJson();
        }
        return object;
    }
    }
    return nullptr;
}

} // namespace tavlen

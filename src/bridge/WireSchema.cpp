#include "WireSchema.h"

#include "PageTreeJson.h"
#include "TextScan.h"
#include "WireFormats.h"
#include "WireReading.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <deque>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace tavlen {

namespace {

// A schema whose references chase each other without descending into the value ends here instead of exhausting
// the stack.
constexpr int maximumSchemaDepth = 256;
constexpr double negativeInfinity = -std::numeric_limits<double>::infinity();

enum class Kind
{
    null,
    boolean,
    number,
    string,
    array,
    object,
};

bool isWholeNumber(const nlohmann::json& value)
{
    if (!value.is_number()) {
        return false;
    }
    const double d = value.get<double>();
    return std::isfinite(d) && d == std::trunc(d);
}

std::optional<double> wholeNumber(const nlohmann::json& node, const char* key)
{
    const auto it = node.find(key);
    return it != node.end() && isWholeNumber(*it) ? std::optional(it->get<double>()) : std::nullopt;
}

std::optional<double> number(const nlohmann::json& node, const char* key)
{
    const auto it = node.find(key);
    return it != node.end() && it->is_number() ? std::optional(it->get<double>()) : std::nullopt;
}

bool allObjects(const nlohmann::json& container)
{
    return std::all_of(container.begin(), container.end(), [](const auto& item) { return item.is_object(); });
}

// The definition name of a reference: its text after eight characters (Unicode scalars), unchecked.
std::string_view referencedName(std::string_view reference)
{
    std::size_t offset = 0;
    for (int skipped = 0; skipped < 8 && offset < reference.size(); ++skipped) {
        do {
            ++offset;
        } while (offset < reference.size() && (static_cast<unsigned char>(reference[offset]) & 0xC0) == 0x80);
    }
    return reference.substr(offset);
}

// How the interpreter reads a received value.
struct ElementAccess
{
    using Value = simdjson::dom::element;
    using Type = simdjson::dom::element_type;
    using Field = simdjson::dom::object::iterator;

    static constexpr std::size_t smallObject = 64;

    // The verdicts on values held against `watched` are recorded there.
    const WireSchema::Node* watched = nullptr;
    WireSchema::PageTreeVerdicts* verdicts = nullptr;

    bool watches(const WireSchema::Node& node) const { return &node == watched; }

    void record(const Value& value, bool accepted) const { verdicts->record(value, accepted); }

    static bool contains(const Value& value, std::string_view key)
    {
        const wire::Key wanted(key);
        const auto fields = wire::fieldsOf(value);
        return std::any_of(
            fields.begin(), fields.end(), [&](const auto& field) { return wire::Key(field.key) == wanted; });
    }

    static bool keyComesAgain(Field field, Field end)
    {
        const wire::Key key(field.key());
        for (++field; field != end; ++field) {
            if (wire::Key(field.key()) == key) {
                return true;
            }
        }
        return false;
    }

    static Kind kind(const Value& value)
    {
        switch (value.type()) {
        case Type::NULL_VALUE:
            return Kind::null;
        case Type::BOOL:
            return Kind::boolean;
        case Type::STRING:
            return Kind::string;
        case Type::ARRAY:
            return Kind::array;
        case Type::OBJECT:
            return Kind::object;
        default:
            return Kind::number;
        }
    }

    static double number(const Value& value) { return wire::numberValue(value); }

    static std::string_view text(const Value& value) { return value.get_string().value_unsafe(); }

    static std::size_t count(const Value& value) { return wire::countOf(value); }

    template <class Visit> static bool everyElement(const Value& value, Visit&& visit)
    {
        for (const auto element : wire::elementsOf(value)) {
            if (!visit(element)) {
                return false;
            }
        }
        return true;
    }

    // True when visit(key, value) holds for the last member of every key; members hidden by a later one of the same
    // key may be visited too, but their answers count for nothing (see wire::Members::everyLast). An object is walked
    // in place, and only when a member fails is it asked whether a later member hides it: a small object by searching
    // the rest, a large one through its hidden members, worked out once for the whole check however many schema
    // nodes (the alternatives of a "oneOf") walk it.
    template <class Visit> bool everyLastMember(const Value& value, Visit&& visit)
    {
        const auto fields = wire::fieldsOf(value);
        const bool large = fields.size() > smallObject;
        const std::vector<bool>* hidden = nullptr;
        std::size_t i = 0;
        for (auto it = fields.begin(); it != fields.end(); ++it, ++i) {
            if (visit(it.key(), it.value())) {
                continue;
            }
            if (!large) {
                if (!keyComesAgain(it, fields.end())) {
                    return false;
                }
                continue;
            }
            if (!hidden) {
                hidden = &hiddenMembers(fields);
            }
            if (!(*hidden)[i]) {
                return false;
            }
        }
        return true;
    }

    static bool equals(const Value& value, const nlohmann::json& other) { return wire::sameJson(value, other); }

private:
    // Which members of a large object a later member of the same key hides. An object with members is known by
    // where its first key lies in the parsed frame, which no other object shares.
    template <class Fields> const std::vector<bool>& hiddenMembers(const Fields& fields)
    {
        const char* identity = fields.begin().key().data();
        if (const auto known = m_hidden.find(identity); known != m_hidden.end()) {
            return known->second;
        }
        std::vector<bool> hidden(fields.size(), false);
        std::unordered_map<std::string_view, std::size_t> lastPosition;
        lastPosition.reserve(fields.size());
        std::size_t i = 0;
        for (auto it = fields.begin(); it != fields.end(); ++it, ++i) {
            const auto [entry, inserted] = lastPosition.try_emplace(it.key(), i);
            if (!inserted) {
                hidden[entry->second] = true;
                entry->second = i;
            }
        }
        return m_hidden.emplace(identity, std::move(hidden)).first->second;
    }

    std::unordered_map<const char*, std::vector<bool>> m_hidden;
};

// How the interpreter reads a page tree held in memory: as the JSON its encoder would make of it.
struct TreeAccess
{
    using Value = PageTreeJson;

    static bool watches(const WireSchema::Node&) { return false; }

    static void record(const Value&, bool) {}

    static Kind kind(const Value& value)
    {
        switch (value.kind()) {
        case PageTreeJson::Kind::null:
            return Kind::null;
        case PageTreeJson::Kind::boolean:
            return Kind::boolean;
        case PageTreeJson::Kind::text:
            return Kind::string;
        case PageTreeJson::Kind::array:
            return Kind::array;
        case PageTreeJson::Kind::object:
            return Kind::object;
        default:
            return Kind::number;
        }
    }

    static double number(const Value& value)
    {
        return value.kind() == PageTreeJson::Kind::integer ? static_cast<double>(value.integer()) : value.floating();
    }

    static std::string_view text(const Value& value) { return value.text(); }

    static std::size_t count(const Value& value) { return value.size(); }

    template <class Visit> static bool everyElement(const Value& value, Visit&& visit)
    {
        for (std::size_t i = 0, n = value.size(); i < n; ++i) {
            if (!visit(value.element(i))) {
                return false;
            }
        }
        return true;
    }

    static bool contains(const Value& value, std::string_view key)
    {
        PageTreeJson::Members members;
        const std::size_t n = value.members(members);
        return std::any_of(members.begin(), members.begin() + n, [&](const auto& m) { return m.first == key; });
    }

    // A record holds each key once.
    template <class Visit> static bool everyLastMember(const Value& value, Visit&& visit)
    {
        PageTreeJson::Members members;
        const std::size_t n = value.members(members);
        for (std::size_t i = 0; i < n; ++i) {
            if (!visit(members[i].first, members[i].second)) {
                return false;
            }
        }
        return true;
    }

    static bool equals(const Value& value, const nlohmann::json& other)
    {
        return wire::sameJson(value.toJson(), other);
    }
};

} // namespace

struct WireSchema::Node
{
    enum class Type
    {
        any,
        null,
        boolean,
        integer,
        number,
        string,
        array,
        object,
    };

    enum class Format
    {
        any,
        httpURL,
        base64,
        dateTime,
    };

    bool isObject = false;           // a node that is not a JSON object refuses every value
    bool hasReference = false;       // "$ref" is text: it decides alone
    const Node* reference = nullptr; // the definition it names; none refuses
    bool hasOneOf = false;           // "oneOf" is an array of objects: it decides alone
    std::vector<const Node*> oneOf;
    const nlohmann::json* constant = nullptr;
    const nlohmann::json* options = nullptr; // "enum"
    Type type = Type::any;
    double minimum = negativeInfinity;
    std::optional<double> maximum;
    double exclusiveMinimum = negativeInfinity;
    std::optional<double> minLength;
    std::optional<double> maxLength;
    std::optional<std::string> pattern;
    Format format = Format::any;
    const Node* items = nullptr; // none: the array node refuses
    std::optional<double> maxItems;

    struct Property
    {
        wire::Key name;
        const Node* node = nullptr;
        std::uint64_t requiredBit = 0; // this key's bit in requiredMask when "required" names it
        bool requiredBeyondMask = false;
    };

    bool hasProperties = false;            // "properties" is an object of objects; without, the object node refuses
    std::deque<std::string> propertyNames; // stable storage for the keys of `properties`
    std::vector<Property> properties;
    // "required" (when every entry is text): one bit per distinct name; a name that is not declared refuses every
    // object, since it could be there only as an undeclared member.
    std::uint64_t requiredMask = 0;
    std::vector<std::string> requiredBeyondMask; // the 65th required name and on: looked for one by one
    bool requiresUndeclared = false;

    // A handful of declared keys, each told apart by its length and first bytes: a scan beats any search.
    const Property* property(std::string_view key) const
    {
        const wire::Key wanted(key);
        for (const auto& entry : properties) {
            if (entry.name == wanted) {
                return &entry;
            }
        }
        return nullptr;
    }
};

struct WireSchema::Nodes
{
    std::deque<Node> nodes;                                       // stable addresses
    std::vector<std::pair<std::string, const Node*>> definitions; // sorted by name; empty when not usable

    Node& add() { return nodes.emplace_back(); }

    const Node* definition(std::string_view name) const
    {
        const auto it =
            std::lower_bound(definitions.begin(), definitions.end(), name, [](const auto& entry, std::string_view n) {
                return std::string_view(entry.first) < n;
            });
        return it != definitions.end() && it->first == name ? it->second : nullptr;
    }
};

// Reads schema nodes into `target`, resolving references against `definitions`.
class WireSchema::Compiler
{
public:
    Compiler(Nodes& target, const Nodes& definitions)
        : m_target(target)
        , m_definitions(definitions)
    {}

    const Node* compile(const nlohmann::json& source)
    {
        Node& node = m_target.add();
        fill(node, source);
        return &node;
    }

    void fill(Node& node, const nlohmann::json& source)
    {
        node.isObject = source.is_object();
        if (!node.isObject) {
            return;
        }
        if (const auto ref = source.find("$ref"); ref != source.end() && ref->is_string()) {
            node.hasReference = true;
            node.reference = m_definitions.definition(referencedName(ref->get_ref<const std::string&>()));
            return;
        }
        if (const auto oneOf = source.find("oneOf"); oneOf != source.end() && oneOf->is_array() && allObjects(*oneOf)) {
            node.hasOneOf = true;
            for (const auto& alternative : *oneOf) {
                node.oneOf.push_back(compile(alternative));
            }
            return;
        }
        if (const auto constant = source.find("const"); constant != source.end()) {
            node.constant = &*constant;
        }
        if (const auto options = source.find("enum"); options != source.end() && options->is_array()) {
            node.options = &*options;
        }
        const auto type = source.find("type");
        if (type == source.end() || !type->is_string()) {
            return;
        }
        fillType(node, type->get_ref<const std::string&>(), source);
    }

private:
    void fillType(Node& node, const std::string& type, const nlohmann::json& source)
    {
        using Type = Node::Type;
        if (type == "null") {
            node.type = Type::null;
        } else if (type == "boolean") {
            node.type = Type::boolean;
        } else if (type == "integer" || type == "number") {
            node.type = type == "integer" ? Type::integer : Type::number;
            node.minimum = number(source, "minimum").value_or(negativeInfinity);
            node.maximum = number(source, "maximum");
            node.exclusiveMinimum = number(source, "exclusiveMinimum").value_or(negativeInfinity);
        } else if (type == "string") {
            node.type = Type::string;
            node.minLength = wholeNumber(source, "minLength");
            node.maxLength = wholeNumber(source, "maxLength");
            if (const auto pattern = source.find("pattern"); pattern != source.end() && pattern->is_string()) {
                node.pattern = pattern->get<std::string>();
            }
            if (const auto format = source.find("format"); format != source.end() && format->is_string()) {
                const auto& name = format->get_ref<const std::string&>();
                node.format = name == "http-url"    ? Node::Format::httpURL
                              : name == "base64"    ? Node::Format::base64
                              : name == "date-time" ? Node::Format::dateTime
                                                    : Node::Format::any;
            }
        } else if (type == "array") {
            node.type = Type::array;
            if (const auto items = source.find("items"); items != source.end() && items->is_object()) {
                node.items = compile(*items);
            }
            node.maxItems = wholeNumber(source, "maxItems");
        } else if (type == "object") {
            node.type = Type::object;
            const auto properties = source.find("properties");
            node.hasProperties = properties != source.end() && properties->is_object() && allObjects(*properties);
            if (node.hasProperties) {
                for (const auto& [key, member] : properties->items()) {
                    node.propertyNames.push_back(key);
                    node.properties.push_back({wire::Key(node.propertyNames.back()), compile(member)});
                }
            }
            if (const auto required = source.find("required"); required != source.end() && required->is_array()) {
                const bool allTexts =
                    std::all_of(required->begin(), required->end(), [](const auto& n) { return n.is_string(); });
                for (const auto& name : *required) {
                    if (allTexts) {
                        requireMember(node, name.get_ref<const std::string&>());
                    }
                }
            }
        }
        // Any other name: the node accepts what "const" and "enum" left.
    }

    static void requireMember(Node& node, const std::string& name)
    {
        const wire::Key key(name);
        const auto declared = std::find_if(
            node.properties.begin(), node.properties.end(), [&](const auto& entry) { return entry.name == key; });
        if (declared == node.properties.end()) {
            node.requiresUndeclared = true;
        } else if (declared->requiredBit == 0 && !declared->requiredBeyondMask) {
            const auto bits = static_cast<unsigned>(std::popcount(node.requiredMask));
            if (bits < 64) {
                declared->requiredBit = std::uint64_t{1} << bits;
                node.requiredMask |= declared->requiredBit;
            } else {
                declared->requiredBeyondMask = true;
                node.requiredBeyondMask.push_back(name);
            }
        }
    }

    Nodes& m_target;
    const Nodes& m_definitions;
};

namespace {

template <class Access> class Interpreter
{
public:
    using Value = typename Access::Value;
    using Node = WireSchema::Node;

    explicit Interpreter(Access& access)
        : m_access(access)
    {}

    bool check(const Value& value, const Node& node, int depth)
    {
        if (m_access.watches(node)) {
            const bool accepted = checkNode(value, node, depth);
            m_access.record(value, accepted);
            return accepted;
        }
        return checkNode(value, node, depth);
    }

private:
    bool checkNode(const Value& value, const Node& node, int depth)
    {
        if (!node.isObject || depth > maximumSchemaDepth) {
            return false;
        }
        if (node.hasReference) {
            return node.reference && check(value, *node.reference, depth + 1);
        }
        if (node.hasOneOf) {
            int satisfied = 0;
            for (const Node* alternative : node.oneOf) {
                satisfied += check(value, *alternative, depth + 1) ? 1 : 0;
            }
            return satisfied == 1;
        }
        if (node.constant && !m_access.equals(value, *node.constant)) {
            return false;
        }
        if (node.options && std::none_of(node.options->begin(), node.options->end(), [&](const auto& option) {
                return m_access.equals(value, option);
            })) {
            return false;
        }
        const Kind kind = m_access.kind(value);
        switch (node.type) {
        case Node::Type::any:
            return true;
        case Node::Type::null:
            return kind == Kind::null;
        case Node::Type::boolean:
            return kind == Kind::boolean;
        case Node::Type::integer:
        case Node::Type::number:
            return kind == Kind::number && checkNumber(m_access.number(value), node);
        case Node::Type::string:
            return kind == Kind::string && checkString(m_access.text(value), node);
        case Node::Type::array:
            return kind == Kind::array && checkArray(value, node, depth);
        case Node::Type::object:
            return kind == Kind::object && checkObject(value, node, depth);
        }
        return true;
    }

    static bool checkNumber(double number, const Node& node)
    {
        if (!std::isfinite(number) || (node.type == Node::Type::integer && number != std::round(number))) {
            return false;
        }
        if (!(node.minimum <= number)) {
            return false;
        }
        if (node.maximum && !(*node.maximum >= number)) {
            return false;
        }
        return node.exclusiveMinimum < number;
    }

    static bool checkString(std::string_view text, const Node& node)
    {
        // A base64 text is ASCII once its format holds, so its length is its size: checked first, it spares
        // counting the scalars of a screenshot.
        const bool base64 = node.format == Node::Format::base64;
        if (base64 && !wire_format::isBase64(text)) {
            return false;
        }
        if (node.minLength || node.maxLength) {
            const auto length = static_cast<double>(base64 ? text.size() : scalarCount(text));
            if ((node.minLength && *node.minLength > length) || (node.maxLength && *node.maxLength < length)) {
                return false;
            }
        }
        if (node.pattern && !wire_format::patternFound(*node.pattern, text)) {
            return false;
        }
        switch (node.format) {
        case Node::Format::any:
            return true;
        case Node::Format::httpURL:
            return wire_format::isHttpURL(text);
        case Node::Format::base64:
            return true; // checked above
        case Node::Format::dateTime:
            return wire_format::isDateTime(text);
        }
        return true;
    }

    bool checkArray(const Value& value, const Node& node, int depth)
    {
        if (!node.items) {
            return false;
        }
        if (node.maxItems && static_cast<double>(m_access.count(value)) > *node.maxItems) {
            return false;
        }
        return m_access.everyElement(value,
                                     [&](const auto& element) { return check(element, *node.items, depth + 1); });
    }

    bool checkObject(const Value& value, const Node& node, int depth)
    {
        if (!node.hasProperties) {
            return false;
        }
        if (node.requiresUndeclared) {
            return false;
        }
        // One walk: each member must be declared and satisfy its node, and the required keys are ticked off as
        // they are met (a hidden duplicate counts too: "required" asks only that the key be there).
        std::uint64_t present = 0;
        const bool membersHold = m_access.everyLastMember(value, [&](std::string_view key, const auto& member) {
            const Node::Property* declared = node.property(key);
            if (!declared) {
                return false;
            }
            present |= declared->requiredBit;
            return check(member, *declared->node, depth + 1);
        });
        return membersHold && (present & node.requiredMask) == node.requiredMask &&
               std::all_of(node.requiredBeyondMask.begin(), node.requiredBeyondMask.end(), [&](const auto& name) {
                   return m_access.contains(value, name);
               });
    }

    Access& m_access;
};

} // namespace

WireSchema::WireSchema(nlohmann::json document)
    : m_document(std::move(document))
    , m_nodes(std::make_unique<Nodes>())
{
    const nlohmann::json* definitions = nullptr;
    if (m_document.is_object()) {
        if (const auto it = m_document.find("$defs"); it != m_document.end() && it->is_object()) {
            definitions = &*it;
        }
    }
    Compiler compiler(*m_nodes, *m_nodes);
    if (definitions && allObjects(*definitions)) {
        // Every definition gets its node first, so references (cycles included) can point at it.
        std::vector<std::pair<Node*, const nlohmann::json*>> pending;
        for (const auto& [name, source] : definitions->items()) {
            Node& node = m_nodes->add();
            m_nodes->definitions.emplace_back(name, &node);
            pending.emplace_back(&node, &source);
        }
        for (const auto& [node, source] : pending) {
            compiler.fill(*node, *source);
        }
    }
    m_root = compiler.compile(m_document);
    if (definitions) {
        if (const auto it = definitions->find("pageTree"); it != definitions->end() && it->is_object()) {
            const Node* defined = m_nodes->definition("pageTree");
            m_pageTree = defined ? defined : compiler.compile(*it);
        }
    }
}

WireSchema::~WireSchema() = default;

bool WireSchema::accepts(const simdjson::dom::element& value, const Node& node, PageTreeVerdicts* verdicts) const
{
    ElementAccess access;
    if (verdicts) {
        access.watched = m_pageTree;
        access.verdicts = verdicts;
    }
    return Interpreter<ElementAccess>(access).check(value, node, 0);
}

bool WireSchema::accepts(const BrowserPageTree& tree, const Node& node) const
{
    TreeAccess access;
    return Interpreter<TreeAccess>(access).check(PageTreeJson(tree), node, 0);
}

std::optional<bool> WireSchema::PageTreeVerdicts::of(const simdjson::dom::element& value) const
{
    if (!value.is_object() || wire::fieldsOf(value).begin() == wire::fieldsOf(value).end()) {
        return std::nullopt;
    }
    const char* identity = wire::fieldsOf(value).begin().key().data();
    for (const auto& [seen, accepted] : m_seen) {
        if (seen == identity) {
            return accepted;
        }
    }
    return std::nullopt;
}

void WireSchema::PageTreeVerdicts::record(const simdjson::dom::element& value, bool accepted)
{
    if (!value.is_object() || wire::fieldsOf(value).begin() == wire::fieldsOf(value).end() || of(value)) {
        return;
    }
    m_seen.emplace_back(wire::fieldsOf(value).begin().key().data(), accepted);
}

WireSchema::Detached::Detached() = default;

WireSchema::Detached::~Detached() = default;

std::unique_ptr<WireSchema::Detached> WireSchema::detach(const nlohmann::json& node) const
{
    std::unique_ptr<Detached> detached(new Detached);
    detached->m_source = node;
    detached->m_nodes = std::make_unique<Nodes>();
    detached->m_node = Compiler(*detached->m_nodes, *m_nodes).compile(detached->m_source);
    return detached;
}

} // namespace tavlen

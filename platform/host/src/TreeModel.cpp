// Building a host tree from its tree model (docs/tree-model.md).
#include <cmath>
#include <limits>
#include <nlohmann/json.hpp>
#include <stdexcept>

#include "TreeInternal.h"

namespace host::detail {
namespace {

using nlohmann::json;

struct KindName {
    const char* name;
    FbDoNodeKind kind;
};

constexpr KindName kKindNames[] = {
    {"structure", kFbDoStructure}, {"double", kFbDoDouble}, {"integer", kFbDoInteger},
    {"unsigned", kFbDoUnsigned},   {"bool", kFbDoBool},     {"word", kFbDoWord},
    {"text", kFbDoText},           {"import", kFbDoImport}, {"trigger", kFbDoTrigger},
    {"choice", kFbDoChoice},
};

// Deepest nesting of nodes below the root; a deeper model is refused before its nodes are made.
constexpr size_t kMaxDepth = 64;

[[noreturn]] void fail(const std::string& where, const std::string& what) {
    throw std::runtime_error("tree model: " + (where.empty() ? std::string("root") : where) + ": " +
                             what);
}

// Members a node may have; any other is a mistake in the model.
constexpr const char* kNodeMembers[] = {
    "name",     "kind",         "index",  "number",    "value",      "status", "inUse",  "children",
    "selected", "alternatives", "source", "valueKind", "attributes", "access", "comment"};

void checkMembers(const json& spec, const std::string& where) {
    for (const auto& member : spec.items()) {
        bool known = false;
        for (const char* name : kNodeMembers) {
            known = known || member.key() == name;
        }
        if (!known) {
            fail(where, "unknown member \"" + member.key() + "\"");
        }
    }
}

// A text member of a node (empty when absent).
std::string textField(const json& spec, const char* key, const std::string& where) {
    auto found = spec.find(key);
    if (found == spec.end()) {
        return std::string();
    }
    if (!found->is_string()) {
        fail(where, std::string("\"") + key + "\" is a string");
    }
    return found->get_ref<const std::string&>();
}

// A bool member of a node.
bool boolField(const json& spec, const char* key, bool fallback, const std::string& where) {
    auto found = spec.find(key);
    if (found == spec.end()) {
        return fallback;
    }
    if (!found->is_boolean()) {
        fail(where, std::string("\"") + key + "\" is true or false");
    }
    return found->get_ref<const json::boolean_t&>();
}

FbDoNodeKind kindFromName(const std::string& name, const std::string& where) {
    for (const KindName& entry : kKindNames) {
        if (name == entry.name) {
            return entry.kind;
        }
    }
    fail(where, "unknown kind \"" + name + "\"");
}

double doubleFromJson(const json& value, const std::string& where) {
    if (value.is_number()) {
        return value.get<double>();
    }
    double named = 0.0;
    if (value.is_string() && doubleFromName(value.get_ref<const std::string&>(), &named)) {
        return named;
    }
    fail(where, "a double value is a number, \"NaN\", \"Infinity\" or \"-Infinity\"");
}

// A 32-bit number: a JSON integer in [min, max], or a "0x..." text.
int64_t integerFromJson(const json& value, int64_t min, int64_t max, const std::string& where) {
    int64_t number = 0;
    if (value.is_number_integer()) {
        number = value.get<int64_t>();
    } else if (value.is_string() && value.get<std::string>().rfind("0x", 0) == 0) {
        const std::string digits = value.get<std::string>().substr(2);
        size_t used = 0;
        try {
            number = static_cast<int64_t>(std::stoull(digits, &used, 16));
        } catch (const std::exception&) {
            used = 0;
        }
        if (digits.empty() || used != digits.size()) {
            fail(where, "bad hexadecimal number");
        }
    } else if (value.is_boolean()) {
        number = value.get<bool>() ? 1 : 0;
    } else {
        fail(where, "expected an integer");
    }
    if (number < min || number > max) {
        fail(where, "number out of range");
    }
    return number;
}

uint32_t wordFromJson(const json& value, const std::string& where) {
    return static_cast<uint32_t>(integerFromJson(value, 0, 0xFFFFFFFFll, where));
}

void setInitialValue(TreeNode& node, const json& value, const std::string& where) {
    switch (node.valueKind) {
        case kFbDoDouble:
            node.number64 = doubleFromJson(value, where);
            break;
        case kFbDoInteger:
            node.word =
                static_cast<uint32_t>(integerFromJson(value, std::numeric_limits<int32_t>::min(),
                                                      std::numeric_limits<int32_t>::max(), where));
            break;
        case kFbDoBool:
        case kFbDoTrigger:
            if (!value.is_boolean() && !value.is_number_integer()) {
                fail(where, "a bool value is true or false");
            }
            node.word = integerFromJson(value, 0, 1, where) != 0 ? 1 : 0;
            break;
        case kFbDoUnsigned:
        case kFbDoWord:
            node.word = wordFromJson(value, where);
            break;
        case kFbDoText:
            if (!value.is_string()) {
                fail(where, "a text value is a string");
            }
            node.text = utf16FromUtf8(value.get_ref<const std::string&>());
            break;
        default:
            fail(where, "this kind holds no value");
    }
}

// Pending references resolved once every node exists.
struct Reference {
    TreeNode* node;
    std::string attribute;  // empty: the import's source
    std::string path;
};

class ModelBuilder {
  public:
    explicit ModelBuilder(HostTree::State& state) : myState(state) {}

    void build(const json& model) {
        if (!model.is_object()) {
            fail("", "the model is a JSON object");
        }
        myState.modelName = textField(model, "name", "");
        if (!model.contains("root")) {
            fail("", "the model has no \"root\"");
        }
        TreeNode* root = makeNode(model.at("root"), nullptr, 0, "", 0);
        myState.treeObject.pRoot = root;
        resolveReferences();
        assignHandles();
    }

  private:
    TreeNode* makeNode(const json& spec, TreeNode* parent, uint32_t index, const std::string& path,
                       size_t depth) {
        if (depth > kMaxDepth) {
            fail(path, "nodes nested deeper than " + std::to_string(kMaxDepth) + " levels");
        }
        if (!spec.is_object()) {
            fail(path, "a node is a JSON object");
        }
        checkMembers(spec, path);
        auto owned = std::make_unique<TreeNode>();
        TreeNode& node = *owned;
        myState.nodes.push_back(std::move(owned));
        node.tree = &myState;
        node.parent = parent;
        node.index = index;
        node.name = textField(spec, "name", path);
        if (node.name.find('.') != std::string::npos) {
            fail(path, "a node name has no \".\"");
        }
        node.path = path;
        const std::string kind = textField(spec, "kind", path);
        node.nodeKind = kind.empty() ? kFbDoStructure : kindFromName(kind, path);
        node.number = spec.contains("number") ? wordFromJson(spec.at("number"), path) : index;
        node.inUse.store(boolField(spec, "inUse", true, path), std::memory_order_relaxed);
        if (parent != nullptr && !path.empty()) {
            if (!myState.byPath.emplace(path, &node).second) {
                fail(path, "two nodes with this parameter name");
            }
        }
        setUpValue(node, spec);
        setUpLeaves(node);
        addChildren(node, spec, depth);
        addAlternatives(node, spec, depth);
        addAttributes(node, spec);
        return &node;
    }

    void setUpValue(TreeNode& node, const json& spec) {
        node.valueKind = node.kind();
        if (node.kind() == kFbDoImport) {
            const std::string valueKind = textField(spec, "valueKind", node.path);
            node.valueKind = valueKind.empty() ? kFbDoDouble : kindFromName(valueKind, node.path);
            if (!isValueKind(node.valueKind)) {
                fail(node.path, "an import's valueKind is a value kind");
            }
            const std::string source = textField(spec, "source", node.path);
            if (!source.empty()) {
                myReferences.push_back({&node, "", source});
            }
        }
        if (spec.contains("value")) {
            setInitialValue(node, spec.at("value"), node.path);
        }
        if (spec.contains("status")) {
            node.status = wordFromJson(spec.at("status"), node.path);
        }
        if (node.kind() == kFbDoChoice) {
            node.selection =
                spec.contains("selected") ? wordFromJson(spec.at("selected"), node.path) : 0;
        }
    }

    static void setUpLeaves(TreeNode& node) {
        const bool valueNode = isValueKind(node.kind()) || node.kind() == kFbDoImport;
        node.valueLeaves = valueNode;
        if (valueNode) {
            node.leaves[1] = {&node, kFbDoLeafValue};
            node.leaves[2] = {&node, kFbDoLeafStatus};
        }
        if (node.kind() == kFbDoImport) {
            node.leaves[0] = {&node, kFbDoLeafDataReference};
        }
    }

    void addChildren(TreeNode& node, const json& spec, size_t depth) {
        if (!spec.contains("children")) {
            return;
        }
        const json& children = spec.at("children");
        if (!children.is_array()) {
            fail(node.path, "\"children\" is an array");
        }
        uint32_t next = 0;
        for (const json& child : children) {
            const uint32_t index = child.is_object() && child.contains("index")
                                       ? wordFromJson(child.at("index"), node.path)
                                       : next;
            if (index >= 0x10000) {
                fail(node.path, "child index above 65535");
            }
            if (index < node.children.size() && node.children[index] != nullptr) {
                fail(node.path, "two children with index " + std::to_string(index));
            }
            if (index >= node.children.size()) {
                node.children.resize(index + 1, nullptr);
            }
            node.children[index] =
                makeNode(child, &node, index, childPath(node, child, index), depth + 1);
            next = index + 1;
        }
    }

    void addAlternatives(TreeNode& node, const json& spec, size_t depth) {
        if (!spec.contains("alternatives")) {
            return;
        }
        const json& alternatives = spec.at("alternatives");
        if (node.kind() != kFbDoChoice || !alternatives.is_array() || alternatives.size() > 2) {
            fail(node.path, "only a choice node has \"alternatives\", an array of up to two");
        }
        for (uint32_t i = 0; i < alternatives.size(); ++i) {
            if (alternatives[i].is_null()) {
                continue;
            }
            TreeNode* alternative =
                makeNode(alternatives[i], &node, i, childPath(node, alternatives[i], i), depth + 1);
            alternative->isAlternative = true;
            node.alternatives[i] = alternative;
        }
    }

    void addAttributes(TreeNode& node, const json& spec) {
        if (!spec.contains("attributes")) {
            return;
        }
        const json& attributes = spec.at("attributes");
        if (!attributes.is_object()) {
            fail(node.path, "\"attributes\" is an object of attribute -> parameter name");
        }
        for (const auto& [attribute, target] : attributes.items()) {
            if (!target.is_string()) {
                fail(node.path, "attribute \"" + attribute + "\" names a parameter");
            }
            myReferences.push_back({&node, attribute, target.get_ref<const std::string&>()});
        }
    }

    // Parameter name of a child: the parent's name, a point and the child's name; an unnamed
    // child is named by its index.
    static std::string childPath(const TreeNode& parent, const json& child, uint32_t index) {
        std::string own = child.is_object() ? textField(child, "name", parent.path) : "";
        if (own.empty()) {
            own = std::to_string(index);
        }
        return parent.path.empty() ? own : parent.path + "." + own;
    }

    void resolveReferences() {
        for (const Reference& reference : myReferences) {
            auto found = myState.byPath.find(reference.path);
            if (found == myState.byPath.end()) {
                fail(reference.node->path, "no node \"" + reference.path + "\"");
            }
            if (reference.attribute.empty()) {
                reference.node->source = found->second;
            } else {
                reference.node->attributes[reference.attribute] = found->second;
            }
        }
        for (const Reference& reference : myReferences) {
            if (reference.attribute.empty()) {
                checkSourceChain(reference.node);
            }
        }
    }

    static void checkSourceChain(const TreeNode* import) {
        const TreeNode* node = import;
        for (size_t steps = 0; node->kind() == kFbDoImport && node->source != nullptr; ++steps) {
            if (steps > 16) {
                fail(import->path, "the import's sources form a loop");
            }
            node = node->source;
        }
    }

    void assignHandles() {
        myState.firstHandle = reserveHandles(static_cast<uint32_t>(myState.nodes.size()));
        for (size_t i = 0; i < myState.nodes.size(); ++i) {
            myState.nodes[i]->handle = myState.firstHandle + static_cast<uint32_t>(i);
        }
    }

    HostTree::State& myState;
    std::vector<Reference> myReferences;
};

}  // namespace

void buildTreeFromModel(HostTree::State& state, const std::string& jsonText) {
    json model;
    try {
        model = json::parse(jsonText);
    } catch (const json::exception& error) {
        throw std::runtime_error(std::string("tree model: ") + error.what());
    }
    try {
        ModelBuilder(state).build(model);
    } catch (const json::exception& error) {
        throw std::runtime_error(std::string("tree model: ") + error.what());
    }
}

}  // namespace host::detail

namespace host {

const char* kindName(FbDoNodeKind kind) {
    for (const detail::KindName& entry : detail::kKindNames) {
        if (entry.kind == kind) {
            return entry.name;
        }
    }
    return "unknown";
}

bool doubleFromName(const std::string& text, double* value) {
    if (text == "NaN") {
        *value = std::numeric_limits<double>::quiet_NaN();
    } else if (text == "Infinity") {
        *value = std::numeric_limits<double>::infinity();
    } else if (text == "-Infinity") {
        *value = -std::numeric_limits<double>::infinity();
    } else {
        return false;
    }
    return true;
}

}  // namespace host

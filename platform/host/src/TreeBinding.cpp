// Node handles, source-attribute aliases and the name table of the calculation program.
#include "TreeInternal.h"

using host::detail::treeNode;

namespace {

host::HostTree::State* stateOf(FbDoTree* tree) {
    if (tree == nullptr) {
        tree = host::detail::addressSpaceTreeObject();
    }
    return tree != nullptr && tree->pData != nullptr ? tree->pData->state : nullptr;
}

// The attribute of a node: its own, else (for a connected import) its sources'.
const TreeNode* attributeOf(const TreeNode* node, const std::string& attribute) {
    for (size_t steps = 0; node != nullptr && steps < 32; ++steps) {
        auto found = node->attributes.find(attribute);
        if (found != node->attributes.end()) {
            return found->second;
        }
        node = node->kind() == kFbDoImport ? node->source : nullptr;
    }
    return nullptr;
}

std::string describe(const std::string& path, const std::string& attribute,
                     const TreeNode* target) {
    return path + ":" + attribute + " -> " + (target != nullptr ? target->path : "(none)");
}

}  // namespace

uint32_t FbDo_NodeHandle(FbDoNode node) {
    return node != nullptr ? treeNode(node)->handle : 0;
}

FbDoAlias FbDo_LookupAlias(FbDoTree* tree, const char* attribute, const char* path) {
    host::HostTree::State* state = stateOf(tree);
    if (state == nullptr || attribute == nullptr || path == nullptr) {
        return nullptr;
    }
    auto node = state->byPath.find(path);
    if (node == state->byPath.end()) {
        return nullptr;
    }
    std::lock_guard<std::mutex> guard(state->bindingLock);
    std::unique_ptr<FbDoAliasObject>& alias = state->aliases[{path, attribute}];
    if (!alias) {
        const TreeNode* target = attributeOf(node->second, attribute);
        alias = std::make_unique<FbDoAliasObject>();
        alias->handle = target != nullptr ? target->handle : 0;
        alias->noHandle = 0;
        alias->text = describe(path, attribute, target);
    }
    return alias.get();
}

const uint32_t* FbDo_AliasHandle(FbDoAlias alias, uint32_t element) {
    static const uint32_t kNoHandle = 0;
    if (alias == nullptr) {
        return &kNoHandle;
    }
    return element == 0 ? &alias->handle : &alias->noHandle;
}

int FbDo_AliasValid(FbDoAlias alias, uint32_t element) {
    return *FbDo_AliasHandle(alias, element) != 0 ? 1 : 0;
}

int FbDo_AliasText(FbDoAlias alias, std::string* text, uint32_t /*element*/) {
    if (text == nullptr) {
        return IllegalParameter;
    }
    *text = alias != nullptr ? alias->text : std::string();
    return alias != nullptr ? Success : IllegalParameter;
}

void nameTableInsert(NodeVarTable& table, const std::string& name, uint32_t handle) {
    table.names[name] = handle;
}

int nameTableCommit(const NodeVarTable& table) {
    host::HostTree::State* state = host::detail::treeOfHandle(table.varNode);
    if (state == nullptr && !table.names.empty()) {
        state = host::detail::treeOfHandle(table.names.begin()->second);
    }
    if (state == nullptr) {
        return IllegalParameter;
    }
    std::lock_guard<std::mutex> guard(state->bindingLock);
    for (const auto& [name, handle] : table.names) {
        state->committedNames[name] = handle;
    }
    return Success;
}

// Inner structures of the host parameter tree, shared by the Tree*.cpp files (not part of the
// seam).
#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <utility>
#include <vector>

#include "FbDo.h"
#include "HostTree.h"

struct TreeNode;

// A leaf is a view of its node: which node and which leaf number.
struct FbDoLeafObject {
    TreeNode* owner;
    uint32_t number;
};

// A source attribute found by FbDo_LookupAlias.
struct FbDoAliasObject {
    uint32_t handle;    // 0: the attribute names no node
    uint32_t noHandle;  // always 0: what other elements read
    std::string text;   // description for traces
};

// Links the framework's tree object to its host state.
struct FbDoTreeData {
    host::HostTree* host;
    host::HostTree::State* state;
};

namespace host::detail {

// Short mutual exclusion of one node's value, status and text. Readers and writers hold it
// for a copy only, so it spins (yielding) instead of sleeping.
class NodeLock {
  public:
    void lock() {
        while (myFlag.test_and_set(std::memory_order_acquire)) {
            std::this_thread::yield();
        }
    }
    void unlock() { myFlag.clear(std::memory_order_release); }

  private:
    std::atomic_flag myFlag = ATOMIC_FLAG_INIT;
};

// What one read takes from a node under its lock.
struct Sample {
    FbDoNodeKind kind;  // kind of the value (an import's source kind, or its own value kind)
    bool inUse;         // the node (and, for an import, its source) is in use
    bool readable;      // the node holds a value at all
    double number;      // double kind
    uint32_t word;      // integer (two's complement), unsigned, bool, word, trigger kinds
    uint32_t status;
};

// Conversions between the value kinds; never undefined (NaN becomes 0, out of range saturates).
uint32_t wordFromDouble(double value, FbDoNodeKind kind);
double doubleFromWord(uint32_t word, FbDoNodeKind kind);
bool isWordKind(FbDoNodeKind kind);
bool isValueKind(FbDoNodeKind kind);  // value kinds incl. text, not import

// UTF-8 to UTF-16 and back (throw std::runtime_error on malformed UTF-8).
std::u16string utf16FromUtf8(const std::string& text);
std::string utf8FromUtf16(const std::u16string& text);

}  // namespace host::detail

// One node of a host tree.
struct TreeNode : FbDoNodeObject {
    host::HostTree::State* tree = nullptr;
    TreeNode* parent = nullptr;
    bool isAlternative = false;  // an alternative of a choice node, not a child
    uint32_t index = 0;          // child index (alternative number for alternatives)
    uint32_t number = 0;
    uint32_t handle = 0;
    std::string name;
    std::string path;                 // parameter name
    std::vector<TreeNode*> children;  // by index; null in gaps
    TreeNode* alternatives[2] = {nullptr, nullptr};
    FbDoNodeKind valueKind = kFbDoStructure;  // kind of the stored value (imports: own value)
    TreeNode* source = nullptr;               // import: the node it reads, null: unconnected
    std::map<std::string, TreeNode*> attributes;
    FbDoLeafObject leaves[3] = {};  // 15, 19, 20; owner null where the node has no such leaf

    // Guarded by lock:
    mutable host::detail::NodeLock lock;
    double number64 = 0.0;
    uint32_t word = 0;
    uint32_t status = 0;
    uint32_t selection = 0;
    std::u16string text;
    std::atomic<bool> inUse{true};

    FbDoNodeKind kind() const { return static_cast<FbDoNodeKind>(nodeKind); }
    bool hasLeaves() const { return leaves[1].owner != nullptr; }
};

// State of one host tree.
struct host::HostTree::State {
    FbDoTree treeObject{};
    FbDoTreeData data{};
    std::string modelName;
    std::vector<std::unique_ptr<TreeNode>> nodes;  // nodes[i] has handle firstHandle + i
    uint32_t firstHandle = 0;
    std::unordered_map<std::string, TreeNode*> byPath;

    // Exclusive tree access (FbDo_BeginTreeAccess / FbDo_EndTreeAccess).
    std::mutex access;
    std::atomic<std::thread::id> accessOwner{};

    std::atomic<uint32_t> pendingChanges{0};
    std::atomic<uint32_t> commits{0};

    std::mutex bindingLock;  // aliases and committed names
    std::map<std::pair<std::string, std::string>, std::unique_ptr<FbDoAliasObject>> aliases;
    std::map<std::string, uint32_t> committedNames;

    TreeNode* nodeOfHandle(uint32_t handle) const {
        if (handle < firstHandle || handle - firstHandle >= nodes.size()) {
            return nullptr;
        }
        return nodes[handle - firstHandle].get();
    }
};

namespace host::detail {

inline TreeNode* treeNode(FbDoNode node) {
    return static_cast<TreeNode*>(node);
}

// Takes a consistent sample of the value a read of `node` gives (an import reads its source).
Sample sampleOf(const TreeNode* node);

// The node whose value a read of `node` gives: the end of an import's source chain.
const TreeNode* dataNodeOf(const TreeNode* node);

// Builds the nodes of a model (TreeModel.cpp). Throws std::runtime_error.
void buildTreeFromModel(HostTree::State& state, const std::string& jsonText);

// Live trees: handle blocks and lookup across trees (TreeRegistry.cpp).
uint32_t reserveHandles(uint32_t count);
void registerTree(HostTree::State* state);
void unregisterTree(HostTree::State* state);
HostTree::State* treeOfHandle(uint32_t handle);

// The address space's tree for calls that name no tree (TreeLifeCycle.cpp).
FbDoTree* addressSpaceTreeObject();

}  // namespace host::detail

namespace host::detail {

// Change callbacks (TreeChanges.cpp): the tree an address space's callback belongs to, the
// removal of a destroyed tree's callbacks, and the delivery of a tree's pending changes.
void bindChangeCallbacks(AsInfo* pAsInfo, FbDoTree* tree);
void dropChangeCallbacksOf(const FbDoTree* tree);
uint32_t deliverChanges(HostTree::State& state);

}  // namespace host::detail

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

// Guards one node's value, status and text. Writers (and readers of the text) hold it
// exclusively for a copy only, so it spins (yielding) instead of sleeping; readers of the
// numeric fields take no lock: they copy between readBegin and readValid and copy again when a
// writer overlapped. The guarded numeric fields are atomics stored with release and loaded
// with acquire order, so a copy that saw any store of a writer also sees that writer's stamp.
class NodeSequence {
  public:
    void lock() {
        uint32_t stamp = myStamp.load(std::memory_order_relaxed);
        for (;;) {
            if ((stamp & 1u) == 0 &&
                myStamp.compare_exchange_weak(stamp, stamp + 1, std::memory_order_acquire,
                                              std::memory_order_relaxed)) {
                return;
            }
            std::this_thread::yield();
            stamp = myStamp.load(std::memory_order_relaxed);
        }
    }
    // Only the holder changes an odd stamp, so a plain store releases it.
    void unlock() {
        myStamp.store(myStamp.load(std::memory_order_relaxed) + 1, std::memory_order_release);
    }

    // The stamp now, odd while a writer holds the node; a copy that begins with an even stamp
    // is valid when readValid confirms it.
    uint32_t stamp() const { return myStamp.load(std::memory_order_acquire); }
    // True when no writer overlapped the copy that began with `stamp`.
    bool readValid(uint32_t stamp) const {
        return myStamp.load(std::memory_order_relaxed) == stamp;
    }

  private:
    std::atomic<uint32_t> myStamp{0};
};

// What one read takes from a node in one consistent copy.
struct Sample {
    FbDoNodeKind kind;  // kind of the value (an import's source kind, or its own value kind)
    bool inUse;         // the node (and, for an import, its source) is in use
    double number;      // double kind
    uint32_t word;      // integer (two's complement), unsigned, bool, word, trigger kinds
    uint32_t status;
};

// Conversions between the value kinds; never undefined (NaN becomes 0, out of range saturates).
uint32_t wordFromDouble(double value, FbDoNodeKind kind);
double doubleFromWord(uint32_t word, FbDoNodeKind kind);

inline bool isWordKind(FbDoNodeKind kind) {
    return kind == kFbDoInteger || kind == kFbDoUnsigned || kind == kFbDoBool ||
           kind == kFbDoWord || kind == kFbDoTrigger;
}
// Kinds that hold a number, which number reads give and number writes store: double and the
// word kinds.
inline bool isNumberKind(FbDoNodeKind kind) {
    constexpr uint32_t kNumberKinds = (1u << kFbDoDouble) | (1u << kFbDoInteger) |
                                      (1u << kFbDoUnsigned) | (1u << kFbDoBool) |
                                      (1u << kFbDoWord) | (1u << kFbDoTrigger);
    return ((kNumberKinds >> kind) & 1u) != 0;
}
// Value kinds incl. text, not import.
inline bool isValueKind(FbDoNodeKind kind) {
    return kind == kFbDoDouble || kind == kFbDoText || isWordKind(kind);
}

// UTF-8 to UTF-16 and back (throw std::runtime_error on malformed UTF-8).
std::u16string utf16FromUtf8(const std::string& text);
std::string utf8FromUtf16(const std::u16string& text);

}  // namespace host::detail

// One node of a host tree. What navigation, reads and writes touch comes first, in the
// node's own cache line; the rest (names, links, attributes, text) follows.
struct alignas(64) TreeNode : FbDoNodeObject {
    FbDoNodeKind valueKind = kFbDoStructure;      // kind of the stored value (imports: own value)
    bool valueLeaves = false;                     // has leaves 19 and 20 (value and import nodes)
    bool isAlternative = false;                   // an alternative of a choice node, not a child
    mutable host::detail::NodeSequence sequence;  // guards the values below and the text
    std::atomic<uint32_t> status{0};
    std::atomic<double> number64{0.0};
    std::atomic<uint32_t> word{0};
    std::atomic<bool> inUse{true};
    TreeNode* source = nullptr;       // import: the node it reads, null: unconnected
    std::vector<TreeNode*> children;  // by index; null in gaps

    host::HostTree::State* tree = nullptr;
    TreeNode* parent = nullptr;
    uint32_t index = 0;  // child index (alternative number for alternatives)
    uint32_t number = 0;
    uint32_t handle = 0;
    std::atomic<uint32_t> selection{0};  // choice nodes
    std::string name;
    std::string path;  // parameter name
    TreeNode* alternatives[2] = {nullptr, nullptr};
    std::map<std::string, TreeNode*> attributes;
    FbDoLeafObject leaves[3] = {};  // 15, 19, 20; owner null where the node has no such leaf
    std::u16string text;            // guarded by sequence, held exclusively

    FbDoNodeKind kind() const { return static_cast<FbDoNodeKind>(nodeKind); }
    bool hasLeaves() const { return valueLeaves; }
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

// One copy of the value fields of `data` into `sample` (its own in-use flag in sample.inUse);
// false when a writer held the node or overlapped the copy.
[[gnu::always_inline]] inline bool copyOnce(const TreeNode& data, Sample& sample) {
    const uint32_t stamp = data.sequence.stamp();
    sample.inUse = data.inUse.load(std::memory_order_acquire);
    sample.number = data.number64.load(std::memory_order_acquire);
    sample.word = data.word.load(std::memory_order_acquire);
    sample.status = data.status.load(std::memory_order_acquire);
    return (stamp & 1u) == 0 && data.sequence.readValid(stamp);
}

// The copy once no writer holds or overlaps it; out of line (TreeNodeAccess.cpp), so that a
// read that meets no writer makes no call.
void copyAfterWriters(const TreeNode& data, Sample& sample);

// Takes a consistent sample of the value a read of `node` gives (an import reads its source).
[[gnu::always_inline]] inline Sample sampleOf(const TreeNode* node) {
    bool inUse = true;
    const TreeNode* data = node;
    while (data->kind() == kFbDoImport && data->source != nullptr) {
        inUse = inUse && data->inUse.load(std::memory_order_acquire);
        data = data->source;
    }
    Sample sample{};
    sample.kind = data->valueKind;
    if (!copyOnce(*data, sample)) {
        copyAfterWriters(*data, sample);
    }
    sample.inUse = inUse && sample.inUse;
    return sample;
}

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

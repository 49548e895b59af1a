// Navigation, node queries, reads, writes and triggers of the host parameter tree.
#include <atomic>
#include <cmath>
#include <cstring>
#include <limits>
#include <thread>

#include "KernelInternal.h"
#include "TreeInternal.h"

using host::detail::isNumberKind;
using host::detail::NodeSequence;
using host::detail::Sample;
using host::detail::treeNode;

namespace host::detail {

[[gnu::noinline]] void copyAfterWriters(const TreeNode& data, Sample& sample) {
    while (!copyOnce(data, sample)) {
        std::this_thread::yield();
    }
}

}  // namespace host::detail

namespace {

std::atomic<uint64_t> nullNodeWrites{0};

TreeNode* leafOwner(FbDoLeaf leaf, uint32_t number) {
    return leaf != nullptr && leaf->number == number ? leaf->owner : nullptr;
}

// In use along an import's source chain.
bool chainInUse(const TreeNode* node) {
    bool inUse = node->inUse.load(std::memory_order_acquire);
    while (inUse && node->kind() == kFbDoImport && node->source != nullptr) {
        node = node->source;
        inUse = node->inUse.load(std::memory_order_acquire);
    }
    return inUse;
}

// A read of `node` that can give a number: usable when present, in use and numeric. Takes the
// kind, number, word and status of the data node in one copy and reports the status (with OOU
// when not usable) unless `status` is null.
[[gnu::always_inline]] inline bool sampleNumber(FbDoNode node, uint32_t* status, Sample& sample) {
    if (node == nullptr) {
        if (status != nullptr) {
            *status = kFbDoStatusNotInUse;
        }
        return false;
    }
    sample = host::detail::sampleOf(treeNode(node));
    const bool usable = sample.inUse && isNumberKind(sample.kind);
    if (status != nullptr) {
        *status = usable ? sample.status : (sample.status | kFbDoStatusNotInUse);
    }
    return usable;
}

double numberOf(const Sample& sample) {
    return sample.kind == kFbDoDouble ? sample.number
                                      : host::detail::doubleFromWord(sample.word, sample.kind);
}

uint32_t wordOf(const Sample& sample) {
    return sample.kind == kFbDoDouble ? host::detail::wordFromDouble(sample.number, kFbDoWord)
                                      : sample.word;
}

// What a write stores in a node: `number` in a double node, `word` in a node of another kind.
struct StoredValue {
    double number;
    uint32_t word;
};

bool sameBits(double a, double b) {
    uint64_t left = 0;
    uint64_t right = 0;
    std::memcpy(&left, &a, sizeof left);
    std::memcpy(&right, &b, sizeof right);
    return left == right;
}

// A value or import node that stores numbers of its value kind.
bool takesNumbers(const TreeNode& target) {
    return target.hasLeaves() && isNumberKind(target.valueKind);
}

// True when the node holds the value (and, unless null, the status) a write would store. Valid
// only inside a copy that the node's sequence confirms.
[[gnu::always_inline]] inline bool holdsValue(const TreeNode& target, StoredValue value,
                                              const uint32_t* status) {
    const bool sameValue =
        target.valueKind == kFbDoDouble
            ? sameBits(target.number64.load(std::memory_order_acquire), value.number)
            : target.word.load(std::memory_order_acquire) == value.word;
    return sameValue &&
           (status == nullptr || target.status.load(std::memory_order_acquire) == *status);
}

// Stores the value and (unless null) the status under the node's sequence.
[[gnu::noinline]] int storeValue(TreeNode& target, StoredValue value, const uint32_t* status) {
    std::lock_guard<NodeSequence> guard(target.sequence);
    if (target.valueKind == kFbDoDouble) {
        target.number64.store(value.number, std::memory_order_release);
    } else {
        target.word.store(value.word, std::memory_order_release);
    }
    if (status != nullptr) {
        target.status.store(*status, std::memory_order_release);
    }
    return Success;
}

// Writes the own value of a value or import node; `convert` gives the value to store for the
// node's value kind, `status` may be null. A write of what the node holds already changes
// nothing: it is complete on one copy of the node that no writer overlapped, without taking
// the node. Any other write (also one that met a writer) takes the node and stores.
template <typename Convert>
int writeNode(FbDoNode node, const uint32_t* status, Convert convert) {
    if (node == nullptr) {
        nullNodeWrites.fetch_add(1, std::memory_order_relaxed);
        return IllegalParameter;
    }
    TreeNode* target = treeNode(node);
    if (!takesNumbers(*target)) {
        return IllegalParameter;
    }
    const StoredValue value = convert(target->valueKind);
    const uint32_t stamp = target->sequence.stamp();
    if ((stamp & 1u) == 0 && holdsValue(*target, value, status) &&
        target->sequence.readValid(stamp)) {
        return Success;
    }
    return storeValue(*target, value, status);
}

}  // namespace

// ---- Navigation ----

FbDoNode FbDo_GetChild(FbDoNode node, uint32_t index) {
    if (node == nullptr) {
        return nullptr;
    }
    const TreeNode* parent = treeNode(node);
    return index < parent->children.size() ? parent->children[index] : nullptr;
}

FbDoNode FbDo_FirstChild(FbDoNode node) {
    if (node == nullptr) {
        return nullptr;
    }
    for (TreeNode* child : treeNode(node)->children) {
        if (child != nullptr) {
            return child;
        }
    }
    return nullptr;
}

FbDoNode FbDo_NextSibling(FbDoNode node) {
    if (node == nullptr || treeNode(node)->parent == nullptr || treeNode(node)->isAlternative) {
        return nullptr;
    }
    const TreeNode* self = treeNode(node);
    const std::vector<TreeNode*>& siblings = self->parent->children;
    for (size_t i = self->index + 1; i < siblings.size(); ++i) {
        if (siblings[i] != nullptr) {
            return siblings[i];
        }
    }
    return nullptr;
}

FbDoLeaf FbDo_FindLeaf(FbDoNode node, uint32_t leaf) {
    if (node == nullptr) {
        return nullptr;
    }
    // Decided on the node's first cache line; the leaf objects are only addressed.
    TreeNode* owner = treeNode(node);
    if (leaf == kFbDoLeafDataReference) {
        const bool failed = host::kernel::KernelCall("FbDo_FindLeaf").injected != Success;
        return owner->kind() == kFbDoImport && !failed ? &owner->leaves[0] : nullptr;
    }
    if (leaf != kFbDoLeafValue && leaf != kFbDoLeafStatus) {
        return nullptr;
    }
    return owner->hasLeaves() ? &owner->leaves[leaf == kFbDoLeafValue ? 1 : 2] : nullptr;
}

FbDoLeaf FbDo_GetLeaf(FbDoNode node, uint32_t leaf) {
    return FbDo_FindLeaf(node, leaf);
}

// ---- Node queries ----

int FbDo_IsInUse(FbDoNode node) {
    return node != nullptr && chainInUse(treeNode(node)) ? 1 : 0;
}

int FbDo_IsActive(FbDoNode node) {
    return FbDo_IsInUse(node);
}

uint32_t FbDo_SelectedChoice(FbDoNode node) {
    if (node == nullptr || node->nodeKind != kFbDoChoice) {
        return 0;
    }
    return treeNode(node)->selection.load(std::memory_order_acquire);
}

uint32_t FbDo_GetChoice(FbDoNode node) {
    host::detail::runCallAction("FbDo_GetChoice");
    return FbDo_SelectedChoice(node);
}

FbDoNode FbDo_GetChoiceNode(FbDoNode node, uint32_t alternative) {
    if (node == nullptr || node->nodeKind != kFbDoChoice || alternative > 1) {
        return nullptr;
    }
    return treeNode(node)->alternatives[alternative];
}

FbDoNode FbDo_SensorSelect(FbDoNode node, uint32_t alternative) {
    return FbDo_GetChoiceNode(node, alternative);
}

uint32_t FbDo_NodeNumber(FbDoNode node) {
    return node != nullptr ? treeNode(node)->number : 0;
}

int FbDo_IsStructureNode(FbDoNode node) {
    return node != nullptr && (node->nodeKind == kFbDoStructure || node->nodeKind == kFbDoChoice)
               ? 1
               : 0;
}

int FbDo_ParameterName(FbDoNode node, std::string* text, AsInfo* /*pAsInfo*/) {
    if (text == nullptr) {
        return IllegalParameter;
    }
    if (node == nullptr) {
        text->clear();
        return IllegalParameter;
    }
    *text = treeNode(node)->path;
    return Success;
}

uint32_t FbDo_NodeCountQuery(FbDoNode node) {
    if (node == nullptr) {
        return 0;
    }
    if (FbDo_IsStructureNode(node) != 0) {
        uint32_t count = 0;
        for (const TreeNode* child : treeNode(node)->children) {
            count += child != nullptr ? 1 : 0;
        }
        return count;
    }
    Sample sample{};
    if (!sampleNumber(node, nullptr, sample) || sample.kind == kFbDoDouble) {
        return 0;
    }
    return sample.word;
}

int FbDo_QueryNode(FbDoNode node) {
    if (FbDo_IsInUse(node) == 0) {
        return 0;
    }
    return node->nodeKind != kFbDoImport || FbDo_IsConnected(node) != 0 ? 1 : 0;
}

uint32_t FbDo_QueryNodeState(FbDoNode node) {
    if (node == nullptr) {
        return kFbDoStatusNotInUse;
    }
    if (!treeNode(node)->hasLeaves()) {
        return FbDo_IsInUse(node) != 0 ? 0 : kFbDoStatusNotInUse;
    }
    const Sample sample = host::detail::sampleOf(treeNode(node));
    return sample.inUse ? sample.status : (sample.status | kFbDoStatusNotInUse);
}

uint32_t FbDo_IsConnected(FbDoNode node) {
    if (node == nullptr || node->nodeKind != kFbDoImport || treeNode(node)->source == nullptr) {
        return 0;
    }
    return treeNode(node)->source->handle;
}

uint32_t FbDo_DataReferenceTarget(FbDoLeaf dataReferenceLeaf) {
    return FbDo_IsConnected(leafOwner(dataReferenceLeaf, kFbDoLeafDataReference));
}

int FbDo_GetDataReference(FbDoLeaf dataReferenceLeaf, std::string* text) {
    const TreeNode* import = leafOwner(dataReferenceLeaf, kFbDoLeafDataReference);
    if (text == nullptr || import == nullptr) {
        if (text != nullptr) {
            text->clear();
        }
        return IllegalParameter;
    }
    *text = import->source != nullptr ? import->source->path : std::string();
    return Success;
}

// ---- Reads ----

double FbDo_ReadDouble(FbDoNode node, double defaultValue, uint32_t* status, uint32_t /*flags*/) {
    Sample sample{};
    return sampleNumber(node, status, sample) ? numberOf(sample) : defaultValue;
}

double FbDo_ReadDoubleWithStatus(FbDoNode node, double defaultValue, FbDoLeaf /*valueLeaf*/,
                                 uint32_t* status, uint32_t flags) {
    return FbDo_ReadDouble(node, defaultValue, status, flags);
}

double FbDo_ReadLiveDouble(FbDoNode node) {
    if (node == nullptr) {
        return std::numeric_limits<double>::quiet_NaN();
    }
    const Sample sample = host::detail::sampleOf(treeNode(node));
    if (!isNumberKind(sample.kind)) {
        return std::numeric_limits<double>::quiet_NaN();
    }
    return numberOf(sample);
}

uint32_t FbDo_ReadUnsigned(FbDoNode node, uint32_t defaultValue, FbDoLeaf /*valueLeaf*/,
                           FbDoLeaf /*statusLeaf*/, uint32_t* status, uint32_t /*flags*/) {
    Sample sample{};
    if (!sampleNumber(node, status, sample)) {
        return defaultValue;
    }
    return sample.kind == kFbDoDouble ? host::detail::wordFromDouble(sample.number, kFbDoUnsigned)
                                      : sample.word;
}

uint32_t FbDo_ReadUint32(FbDoNode node, uint32_t defaultValue, uint32_t* status, uint32_t flags) {
    return FbDo_ReadUnsigned(node, defaultValue, nullptr, nullptr, status, flags);
}

int32_t FbDo_ReadInteger(FbDoNode node, int32_t defaultValue, FbDoLeaf /*valueLeaf*/,
                         FbDoLeaf /*statusLeaf*/, uint32_t* status, uint32_t /*flags*/) {
    Sample sample{};
    if (!sampleNumber(node, status, sample)) {
        return defaultValue;
    }
    const uint32_t word = sample.kind == kFbDoDouble
                              ? host::detail::wordFromDouble(sample.number, kFbDoInteger)
                              : sample.word;
    return static_cast<int32_t>(word);
}

uint32_t FbDo_ReadBool(FbDoNode node, uint32_t defaultValue, FbDoLeaf /*valueLeaf*/,
                       FbDoLeaf /*statusLeaf*/, uint32_t* status, uint32_t /*flags*/) {
    Sample sample{};
    if (!sampleNumber(node, status, sample)) {
        return defaultValue;
    }
    return sample.kind == kFbDoDouble ? host::detail::wordFromDouble(sample.number, kFbDoBool)
                                      : (sample.word != 0 ? 1u : 0u);
}

uint32_t FbDo_ReadWordWithStatus(FbDoNode node, uint32_t defaultValue, uint32_t* status,
                                 uint32_t /*flags*/) {
    Sample sample{};
    return sampleNumber(node, status, sample) ? wordOf(sample) : defaultValue;
}

int FbDo_ReadText(FbDoNode node, std::u16string* text, const char16_t* defaultText,
                  FbDoLeaf /*valueLeaf*/, FbDoLeaf /*statusLeaf*/, uint32_t* status,
                  uint32_t /*flags*/) {
    if (text == nullptr) {
        return IllegalParameter;
    }
    if (node != nullptr) {
        const TreeNode* data = host::detail::dataNodeOf(treeNode(node));
        const bool inUse = chainInUse(treeNode(node));
        std::lock_guard<NodeSequence> guard(data->sequence);
        const uint32_t own = data->status.load(std::memory_order_relaxed);
        if (data->valueKind == kFbDoText && inUse) {
            *text = data->text;
            if (status != nullptr) {
                *status = own;
            }
            return Success;
        }
        if (status != nullptr) {
            *status = own | kFbDoStatusNotInUse;
        }
    } else if (status != nullptr) {
        *status = kFbDoStatusNotInUse;
    }
    text->assign(defaultText != nullptr ? defaultText : u"");
    return ResourceNotAvailable;
}

uint32_t FbDo_ReadLeafValue(FbDoLeaf valueLeaf) {
    const TreeNode* owner = leafOwner(valueLeaf, kFbDoLeafValue);
    if (owner == nullptr) {
        return 0;
    }
    const Sample sample = host::detail::sampleOf(owner);
    return host::detail::isWordKind(sample.kind) ? sample.word : 0;
}

uint32_t FbDo_LeafStatus(FbDoLeaf statusLeaf) {
    const TreeNode* owner = leafOwner(statusLeaf, kFbDoLeafStatus);
    if (owner == nullptr) {
        return kFbDoStatusNotInUse;
    }
    const Sample sample = host::detail::sampleOf(owner);
    return sample.inUse ? sample.status : (sample.status | kFbDoStatusNotInUse);
}

// ---- Writes ----

uint64_t host::nullNodeWriteCount() {
    return nullNodeWrites.load(std::memory_order_relaxed);
}

int FbDo_WriteDouble(FbDoNode node, double value, const uint32_t* status) {
    return writeNode(node, status, [value](FbDoNodeKind kind) {
        return kind == kFbDoDouble ? StoredValue{value, 0}
                                   : StoredValue{0.0, host::detail::wordFromDouble(value, kind)};
    });
}

int FbDo_WriteBool(FbDoNode node, uint32_t value, FbDoLeaf /*valueLeaf*/, FbDoLeaf /*statusLeaf*/,
                   const uint32_t* status) {
    return FbDo_WriteLiveOutput(node, value != 0 ? 1u : 0u, status);
}

int FbDo_WriteLiveOutput(FbDoNode node, uint32_t word, const uint32_t* status) {
    return writeNode(node, status, [word](FbDoNodeKind kind) {
        if (kind == kFbDoDouble) {
            return StoredValue{static_cast<double>(word), 0};
        }
        const bool isBool = kind == kFbDoBool || kind == kFbDoTrigger;
        return StoredValue{0.0, isBool ? (word != 0 ? 1u : 0u) : word};
    });
}

int FbDo_SetLeafStatus(FbDoLeaf statusLeaf, uint32_t status) {
    TreeNode* owner = leafOwner(statusLeaf, kFbDoLeafStatus);
    if (owner == nullptr) {
        return IllegalParameter;
    }
    std::lock_guard<NodeSequence> guard(owner->sequence);
    owner->status.store(status, std::memory_order_release);
    return Success;
}

// ---- Triggers ----

int FbDo_TriggerFired(FbDoNode trigger, uint32_t* lastState, FbDoLeaf valueLeaf,
                      FbDoLeaf statusLeaf, uint32_t* scratch) {
    uint32_t status = 0;
    const uint32_t now = FbDo_ReadBool(trigger, 0, valueLeaf, statusLeaf, &status, 0) & 1u;
    if (scratch != nullptr) {
        *scratch = status;
    }
    if (lastState == nullptr) {
        return 0;
    }
    const bool fired = now != 0 && (*lastState & 1u) == 0;
    *lastState = now;
    return fired ? 1 : 0;
}

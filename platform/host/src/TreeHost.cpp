// Host control of one parameter tree (HostTree.h).
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "TreeInternal.h"

namespace host {

using detail::NodeSequence;
using detail::treeNode;

namespace {

std::string readFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        throw std::runtime_error("tree model: cannot read \"" + path + "\"");
    }
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

[[noreturn]] void refuse(const TreeNode* node, const char* what) {
    throw std::invalid_argument("tree node \"" + node->path + "\": " + what);
}

// Sets a value node's own value and (optionally) marks nothing else.
template <typename SetValue>
void setOwnValue(TreeNode* node, SetValue setValue) {
    std::lock_guard<NodeSequence> guard(node->sequence);
    setValue(*node);
}

}  // namespace

HostTree::HostTree(std::unique_ptr<State> state) : myState(std::move(state)) {
    myState->data.host = this;
    myState->data.state = myState.get();
    myState->treeObject.pData = &myState->data;
    detail::registerTree(myState.get());
}

HostTree::~HostTree() {
    detail::unregisterTree(myState.get());
    detachAddressSpaces();
}

std::unique_ptr<HostTree> HostTree::fromFile(const std::string& path) {
    return fromJson(readFile(path));
}

namespace {
std::atomic<uint64_t> theModelBuilds{0};
}  // namespace

uint64_t treeModelBuildCount() {
    return theModelBuilds.load();
}

std::unique_ptr<HostTree> HostTree::fromJson(const std::string& text) {
    ++theModelBuilds;
    auto state = std::make_unique<State>();
    detail::buildTreeFromModel(*state, text);
    return std::unique_ptr<HostTree>(new HostTree(std::move(state)));
}

HostTree* HostTree::of(const FbDoTree* tree) {
    return tree != nullptr && tree->pData != nullptr ? tree->pData->host : nullptr;
}

HostTree* HostTree::ofNode(FbDoNode node) {
    return node != nullptr ? treeNode(node)->tree->data.host : nullptr;
}

FbDoTree* HostTree::tree() {
    return &myState->treeObject;
}
FbDoNode HostTree::root() const {
    return myState->treeObject.pRoot;
}
const std::string& HostTree::name() const {
    return myState->modelName;
}

void HostTree::install(AsInfo* pAsInfo) {
    pAsInfo->pTheTree = tree();
    detail::bindChangeCallbacks(pAsInfo, tree());
}

void HostTree::detachAddressSpaces() {
    detail::dropChangeCallbacksOf(&myState->treeObject);
    FbDoTree& tree = myState->treeObject;
    void* object = tree.pPreprocessing;
    void (*release)(void*) = tree.pfnReleasePreprocessing;
    tree.SetPreprocessing(nullptr);
    if (object != nullptr && release != nullptr) {
        release(object);
    }
}

FbDoNode HostTree::find(const std::string& path) const {
    if (path.empty()) {
        return root();
    }
    auto found = myState->byPath.find(path);
    return found != myState->byPath.end() ? found->second : nullptr;
}

FbDoNode HostTree::at(const NodeRef& ref) const {
    if (ref.node() != nullptr) {
        if (treeNode(ref.node())->tree != myState.get()) {
            throw std::invalid_argument("tree node of another tree");
        }
        return ref.node();
    }
    FbDoNode node = find(ref.path());
    if (node == nullptr) {
        throw std::out_of_range("no tree node \"" + ref.path() + "\"");
    }
    return node;
}

FbDoNode HostTree::byHandle(uint32_t handle) const {
    return myState->nodeOfHandle(handle);
}

void HostTree::setDouble(const NodeRef& ref, double value) {
    if (FbDo_WriteDouble(at(ref), value, nullptr) != Success) {
        refuse(treeNode(at(ref)), "takes no number");
    }
}

void HostTree::setInteger(const NodeRef& ref, int32_t value) {
    TreeNode* node = treeNode(at(ref));
    if (!detail::isWordKind(node->valueKind) || !node->hasLeaves()) {
        setDouble(ref, static_cast<double>(value));
        return;
    }
    setUnsigned(ref, static_cast<uint32_t>(value));
}

void HostTree::setUnsigned(const NodeRef& ref, uint32_t value) {
    if (FbDo_WriteLiveOutput(at(ref), value, nullptr) != Success) {
        refuse(treeNode(at(ref)), "takes no number");
    }
}

void HostTree::setBool(const NodeRef& ref, bool value) {
    TreeNode* node = treeNode(at(ref));
    if (node->valueKind != kFbDoBool && node->valueKind != kFbDoTrigger) {
        refuse(node, "is no bool or trigger");
    }
    setUnsigned(ref, value ? 1 : 0);
}

void HostTree::setText(const NodeRef& ref, const std::u16string& value) {
    TreeNode* node = treeNode(at(ref));
    if (node->valueKind != kFbDoText || !node->hasLeaves()) {
        refuse(node, "is no text");
    }
    setOwnValue(node, [&value](TreeNode& target) { target.text = value; });
}

void HostTree::setStatus(const NodeRef& ref, uint32_t status) {
    TreeNode* node = treeNode(at(ref));
    if (!node->hasLeaves()) {
        refuse(node, "has no status");
    }
    setOwnValue(node, [status](TreeNode& target) {
        target.status.store(status, std::memory_order_release);
    });
}

void HostTree::setInUse(const NodeRef& ref, bool inUse) {
    treeNode(at(ref))->inUse.store(inUse, std::memory_order_release);
}

void HostTree::setSelectedChoice(const NodeRef& ref, uint32_t selection) {
    TreeNode* node = treeNode(at(ref));
    if (node->kind() != kFbDoChoice) {
        refuse(node, "is no choice");
    }
    node->selection.store(selection, std::memory_order_release);
}

double HostTree::doubleValue(const NodeRef& ref) const {
    return FbDo_ReadLiveDouble(at(ref));
}

int32_t HostTree::integerValue(const NodeRef& ref) const {
    return static_cast<int32_t>(wordValue(ref));
}

uint32_t HostTree::wordValue(const NodeRef& ref) const {
    const detail::Sample sample = detail::sampleOf(treeNode(at(ref)));
    if (!detail::isWordKind(sample.kind)) {
        refuse(treeNode(at(ref)), "holds no word");
    }
    return sample.word;
}

bool HostTree::boolValue(const NodeRef& ref) const {
    return (wordValue(ref) & 1u) != 0;
}

std::u16string HostTree::textValue(const NodeRef& ref) const {
    const TreeNode* data = detail::dataNodeOf(treeNode(at(ref)));
    if (data->valueKind != kFbDoText) {
        refuse(treeNode(at(ref)), "is no text");
    }
    std::lock_guard<NodeSequence> guard(data->sequence);
    return data->text;
}

uint32_t HostTree::status(const NodeRef& ref) const {
    return detail::sampleOf(treeNode(at(ref))).status;
}

bool HostTree::inUse(const NodeRef& ref) const {
    return FbDo_IsInUse(at(ref)) != 0;
}

uint32_t HostTree::selectedChoice(const NodeRef& ref) const {
    TreeNode* node = treeNode(at(ref));
    if (node->kind() != kFbDoChoice) {
        refuse(node, "is no choice");
    }
    return FbDo_SelectedChoice(node);
}

FbDoNodeKind HostTree::kind(const NodeRef& ref) const {
    return treeNode(at(ref))->kind();
}

void HostTree::markChanged() {
    myState->pendingChanges.fetch_add(1, std::memory_order_acq_rel);
}

void HostTree::changeDouble(const NodeRef& ref, double value) {
    setDouble(ref, value);
    markChanged();
}

void HostTree::changeUnsigned(const NodeRef& ref, uint32_t value) {
    setUnsigned(ref, value);
    markChanged();
}

uint32_t HostTree::pendingChanges() const {
    return myState->pendingChanges.load(std::memory_order_acquire);
}

uint32_t HostTree::deliverChanges() {
    return detail::deliverChanges(*myState);
}

uint32_t HostTree::commitCount() const {
    return myState->commits.load(std::memory_order_acquire);
}

std::map<std::string, uint32_t> HostTree::committedNames() const {
    std::lock_guard<std::mutex> guard(myState->bindingLock);
    return myState->committedNames;
}

FbDoNode HostTree::committedNode(const std::string& name) const {
    std::lock_guard<std::mutex> guard(myState->bindingLock);
    auto found = myState->committedNames.find(name);
    return found != myState->committedNames.end() ? byHandle(found->second) : nullptr;
}

std::u16string treeTextFromUtf8(const std::string& text) {
    return detail::utf16FromUtf8(text);
}

std::string utf8FromTreeText(const std::u16string& text) {
    return detail::utf8FromUtf16(text);
}

}  // namespace host

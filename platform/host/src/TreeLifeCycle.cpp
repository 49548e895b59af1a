// The address space's tree: made by the framework's tree calls from the configured model.
#include "Tarvo.h"
#include "TreeInternal.h"

namespace host {
namespace {

struct AddressSpaceTree {
    std::mutex lock;
    std::string modelFile;
    std::string modelJson;
    std::string lastError;
    std::unique_ptr<HostTree> tree;
    std::unique_ptr<HostTree> prepared;  // taken instead of a tree made from the model
};

AddressSpaceTree& addressSpace() {
    static AddressSpaceTree instance;
    return instance;
}

std::unique_ptr<HostTree> loadConfiguredModel(AddressSpaceTree& space) {
    if (space.prepared) {
        return std::move(space.prepared);
    }
    if (!space.modelFile.empty()) {
        return HostTree::fromFile(space.modelFile);
    }
    if (!space.modelJson.empty()) {
        return HostTree::fromJson(space.modelJson);
    }
    throw std::runtime_error("no tree model configured");
}

// Gives `pAsInfo` the address space's tree, making it from the model when needed.
int ensureTree(AsInfo* pAsInfo) {
    if (pAsInfo == nullptr) {
        return IllegalParameter;
    }
    AddressSpaceTree& space = addressSpace();
    std::lock_guard<std::mutex> guard(space.lock);
    if (pAsInfo->pTheTree != nullptr) {
        return Success;
    }
    if (!space.tree) {
        try {
            space.tree = loadConfiguredModel(space);
        } catch (const std::exception& error) {
            space.lastError = error.what();
            return TarvoFileNotReadable;
        }
    }
    space.tree->install(pAsInfo);
    return Success;
}

// Empties pTheTree of the current address space's block when it holds the space's tree; the
// caller holds space.lock.
void forgetInCurrentAddressSpace(const AddressSpaceTree& space) {
    AsInfo* current = Sysmanlib_AsInfo_GetCurrent();
    if (space.tree && current != nullptr && current->pTheTree == space.tree->tree()) {
        current->pTheTree = nullptr;
    }
}

}  // namespace

void setTreeModelFile(const std::string& path) {
    AddressSpaceTree& space = addressSpace();
    std::lock_guard<std::mutex> guard(space.lock);
    space.modelFile = path;
    space.modelJson.clear();
    space.prepared.reset();
}

void setTreeModelJson(const std::string& text) {
    AddressSpaceTree& space = addressSpace();
    std::lock_guard<std::mutex> guard(space.lock);
    space.modelJson = text;
    space.modelFile.clear();
    space.prepared.reset();
}

std::string treeModelError() {
    AddressSpaceTree& space = addressSpace();
    std::lock_guard<std::mutex> guard(space.lock);
    return space.lastError;
}

HostTree* addressSpaceTree() {
    AddressSpaceTree& space = addressSpace();
    std::lock_guard<std::mutex> guard(space.lock);
    return space.tree.get();
}

void dropAddressSpaceTree() {
    AddressSpaceTree& space = addressSpace();
    std::lock_guard<std::mutex> guard(space.lock);
    forgetInCurrentAddressSpace(space);
    space.tree.reset();
}

void prepareAddressSpaceTree(std::unique_ptr<HostTree> tree) {
    AddressSpaceTree& space = addressSpace();
    std::lock_guard<std::mutex> guard(space.lock);
    space.prepared = std::move(tree);
}

void keepAddressSpaceTree() {
    AddressSpaceTree& space = addressSpace();
    std::lock_guard<std::mutex> guard(space.lock);
    if (!space.tree) {
        return;
    }
    forgetInCurrentAddressSpace(space);
    space.tree->detachAddressSpaces();
}

namespace detail {

FbDoTree* addressSpaceTreeObject() {
    AsInfo* current = Sysmanlib_AsInfo_GetCurrent();
    if (current != nullptr && current->pTheTree != nullptr) {
        return current->pTheTree;
    }
    AddressSpaceTree& space = addressSpace();
    std::lock_guard<std::mutex> guard(space.lock);
    return space.tree ? space.tree->tree() : nullptr;
}

}  // namespace detail
}  // namespace host

int Tarvo_TreeStart(uint32_t /*argument*/) {
    AsInfo* current = Sysmanlib_AsInfo_GetCurrent();
    return current != nullptr ? host::ensureTree(current) : TarvoNotRegistered;
}

int Tarvo_FbDoPrepare(AsInfo* pAsInfo) {
    return host::ensureTree(pAsInfo);
}

int Tarvo_ParameterService(uint32_t /*service*/, uint32_t /*mode*/) {
    AsInfo* current = Sysmanlib_AsInfo_GetCurrent();
    return current != nullptr ? host::ensureTree(current) : TarvoNotRegistered;
}

// The live host trees of the process and their blocks of node handles.
#include <algorithm>

#include "TreeInternal.h"

namespace host::detail {
namespace {

struct Registry {
    std::mutex lock;
    uint32_t nextHandle = 1;
    std::vector<HostTree::State*> trees;
};

// Never destroyed: a tree held by a static is unregistered after the end of main.
Registry& registry() {
    static auto* instance = new Registry();
    return *instance;
}

}  // namespace

uint32_t reserveHandles(uint32_t count) {
    Registry& live = registry();
    std::lock_guard<std::mutex> guard(live.lock);
    const uint32_t first = live.nextHandle;
    live.nextHandle += count;
    return first;
}

void registerTree(HostTree::State* state) {
    Registry& live = registry();
    std::lock_guard<std::mutex> guard(live.lock);
    live.trees.push_back(state);
}

void unregisterTree(HostTree::State* state) {
    Registry& live = registry();
    std::lock_guard<std::mutex> guard(live.lock);
    live.trees.erase(std::remove(live.trees.begin(), live.trees.end(), state), live.trees.end());
}

HostTree::State* treeOfHandle(uint32_t handle) {
    Registry& live = registry();
    std::lock_guard<std::mutex> guard(live.lock);
    for (HostTree::State* state : live.trees) {
        if (state->nodeOfHandle(handle) != nullptr) {
            return state;
        }
    }
    return nullptr;
}

}  // namespace host::detail

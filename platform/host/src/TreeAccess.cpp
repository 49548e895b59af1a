// Exclusive access to a host tree and the commit of what was written.
#include "TreeInternal.h"

namespace {

host::HostTree::State* stateOf(FbDoTree* tree) {
    return tree != nullptr && tree->pData != nullptr ? tree->pData->state : nullptr;
}

}  // namespace

int FbDo_BeginTreeAccess(FbDoTree* tree) {
    host::HostTree::State* state = stateOf(tree);
    if (state == nullptr) {
        return IllegalParameter;
    }
    const std::thread::id self = std::this_thread::get_id();
    if (state->accessOwner.load(std::memory_order_acquire) == self) {
        return AlreadyOwned;
    }
    state->access.lock();
    state->accessOwner.store(self, std::memory_order_release);
    return Success;
}

int FbDo_EndTreeAccess(FbDoTree* tree) {
    host::HostTree::State* state = stateOf(tree);
    if (state == nullptr) {
        return IllegalParameter;
    }
    if (state->accessOwner.load(std::memory_order_acquire) != std::this_thread::get_id()) {
        return NotOwner;
    }
    state->accessOwner.store(std::thread::id(), std::memory_order_release);
    state->access.unlock();
    return Success;
}

int FbDo_CommitPreprocessing(FbDoTree* tree) {
    host::HostTree::State* state = stateOf(tree);
    if (state == nullptr) {
        return IllegalParameter;
    }
    state->commits.fetch_add(1, std::memory_order_acq_rel);
    return Success;
}

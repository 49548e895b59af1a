// Change callbacks of the address spaces and their delivery on a framework task.
#include <stdexcept>

#include "TreeInternal.h"

namespace host::detail {
namespace {

// One registered callback. `tree` is the address space's tree when the callback was registered,
// or the one installed later (AsInfo blocks are not read at delivery time).
struct Registration {
    AsInfo* asInfo;
    FbDoChangeCallback callback;
    FbDoTree* tree;
};

struct Registrations {
    std::mutex lock;
    std::vector<Registration> entries;
};

// Never destroyed: a tree held by a static drops its callbacks after the end of main.
Registrations& registrations() {
    static auto* instance = new Registrations();
    return *instance;
}

std::vector<Registration> registrationsOf(const FbDoTree* tree) {
    Registrations& all = registrations();
    std::lock_guard<std::mutex> guard(all.lock);
    std::vector<Registration> found;
    for (const Registration& entry : all.entries) {
        if (entry.tree == tree) {
            found.push_back(entry);
        }
    }
    return found;
}

}  // namespace

void bindChangeCallbacks(AsInfo* pAsInfo, FbDoTree* tree) {
    Registrations& all = registrations();
    std::lock_guard<std::mutex> guard(all.lock);
    for (Registration& entry : all.entries) {
        if (entry.asInfo == pAsInfo) {
            entry.tree = tree;
        }
    }
}

void dropChangeCallbacksOf(const FbDoTree* tree) {
    Registrations& all = registrations();
    std::lock_guard<std::mutex> guard(all.lock);
    std::vector<Registration> kept;
    for (const Registration& entry : all.entries) {
        if (entry.tree != tree) {
            kept.push_back(entry);
        }
    }
    all.entries.swap(kept);
}

uint32_t deliverChanges(HostTree::State& state) {
    if (state.accessOwner.load(std::memory_order_acquire) == std::this_thread::get_id()) {
        throw std::logic_error("tree changes delivered while this task holds the tree access");
    }
    const uint32_t changes = state.pendingChanges.exchange(0, std::memory_order_acq_rel);
    const std::vector<Registration> receivers = registrationsOf(&state.treeObject);
    if (changes == 0 || receivers.empty()) {
        return 0;
    }
    // The framework task takes the tree access, so a callback never overlaps a cycle.
    std::thread frameworkTask([&state, &receivers, changes] {
        FbDo_BeginTreeAccess(&state.treeObject);
        for (uint32_t change = 0; change < changes; ++change) {
            for (const Registration& receiver : receivers) {
                receiver.callback(receiver.asInfo);
            }
        }
        FbDo_EndTreeAccess(&state.treeObject);
    });
    frameworkTask.join();
    return changes * static_cast<uint32_t>(receivers.size());
}

}  // namespace host::detail

int FbDo_RegisterChangeCallback(AsInfo* pAsInfo, FbDoChangeCallback callback) {
    if (pAsInfo == nullptr || callback == nullptr) {
        return IllegalParameter;
    }
    host::detail::Registrations& all = host::detail::registrations();
    std::lock_guard<std::mutex> guard(all.lock);
    for (host::detail::Registration& entry : all.entries) {
        if (entry.asInfo == pAsInfo) {
            entry.callback = callback;
            entry.tree = pAsInfo->pTheTree;
            return Success;
        }
    }
    all.entries.push_back({pAsInfo, callback, pAsInfo->pTheTree});
    return Success;
}

// Change callbacks of the address spaces and their delivery on a framework task.
#include <stdexcept>

#include "KernelInternal.h"
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

// Calls the callbacks of `state`'s tree once per pending change on a framework task, which
// takes the tree access around them when `takeAccess` is set; returns the calls made.
uint32_t deliver(HostTree::State& state, bool takeAccess) {
    const uint32_t changes = state.pendingChanges.exchange(0, std::memory_order_acq_rel);
    const std::vector<Registration> receivers = registrationsOf(&state.treeObject);
    if (changes == 0 || receivers.empty()) {
        return 0;
    }
    std::thread frameworkTask([&state, &receivers, changes, takeAccess] {
        if (takeAccess) {
            FbDo_BeginTreeAccess(&state.treeObject);
        }
        for (uint32_t change = 0; change < changes; ++change) {
            for (const Registration& receiver : receivers) {
                receiver.callback(receiver.asInfo);
            }
        }
        if (takeAccess) {
            FbDo_EndTreeAccess(&state.treeObject);
        }
    });
    frameworkTask.join();
    return changes * static_cast<uint32_t>(receivers.size());
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
    return deliver(state, true);  // with the access: a callback never overlaps a cycle
}

}  // namespace host::detail

uint32_t host::deliverChangesDuringAccess(HostTree& tree) {
    return detail::deliver(*tree.tree()->pData->state, false);
}

int FbDo_RegisterChangeCallback(AsInfo* pAsInfo, FbDoChangeCallback callback) {
    if (Error injected = host::kernel::KernelCall("FbDo_RegisterChangeCallback").injected) {
        return injected;
    }
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

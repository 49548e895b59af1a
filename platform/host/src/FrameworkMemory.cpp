// The debug allocator and the exit-time destructor list.
#include <cstdlib>
#include <mutex>
#include <vector>

#include "HostFramework.h"
#include "Tarvo.h"

namespace host {
namespace {

struct MemoryState {
    std::mutex mutex;
    // Blocks live as long as the address space; keeping them listed here keeps them reachable,
    // which is what they are (the leak checker reports only unreachable blocks).
    std::vector<void*> blocks;
    StaticDestructorRecord* destructors = nullptr;  // last registered first
    bool exitHandlerInstalled = false;
};

MemoryState& memory() {
    static MemoryState* instance = new MemoryState();
    return *instance;
}

void runAtExit() {
    runStaticDestructors();
}

}  // namespace

size_t debugAllocationCount() {
    std::lock_guard<std::mutex> lock(memory().mutex);
    return memory().blocks.size();
}

void runStaticDestructors() {
    for (;;) {
        StaticDestructorRecord* record;
        {
            std::lock_guard<std::mutex> lock(memory().mutex);
            record = memory().destructors;
            if (record == nullptr) {
                return;
            }
            memory().destructors = record->next;
        }
        record->destructor(record->object);  // outside the lock: it may register more
    }
}

}  // namespace host

void* Tarvo_DebugAlloc(uint32_t /*tag*/, size_t size, const char* /*sourcePath*/, uint32_t /*line*/,
                       uint32_t /*flag*/) {
    if (size == 0) {
        return nullptr;
    }
    void* block = std::calloc(1, size);
    if (block == nullptr) {
        return nullptr;
    }
    std::lock_guard<std::mutex> lock(host::memory().mutex);
    host::memory().blocks.push_back(block);
    return block;
}

void registerStaticDestructor(StaticDestructorRecord* record) {
    if (record == nullptr || record->destructor == nullptr) {
        return;
    }
    std::lock_guard<std::mutex> lock(host::memory().mutex);
    host::MemoryState& m = host::memory();
    if (!m.exitHandlerInstalled) {
        m.exitHandlerInstalled = std::atexit(host::runAtExit) == 0;
    }
    record->next = m.destructors;
    m.destructors = record;
}

#include "DisplayAddressSpace.h"

#include "FbDo.h"
#include "HostFramework.h"
#include "HostKernel.h"
#include "HostTrace.h"
#include "Sysmanlib.h"
#include "libSysman.h"

namespace pegtest {
namespace {

constexpr uint32_t kCycleCommand = 43;

// The running program's parts: set before the address space's task starts, read on its tasks.
DisplayProgram& program() {
    static DisplayProgram* instance = new DisplayProgram();
    return *instance;
}

int call(const std::function<int(AsInfo*)>& part, AsInfo* pAsInfo) {
    return part ? part(pAsInfo) : 0;
}

int onFbDO(AsInfo* pAsInfo) {
    if (program().treeFile.empty()) {
        return 0;
    }
    const int result = Tarvo_TreeStart(0);
    return result != 0 ? result : call(program().onTree, pAsInfo);
}

int onServicesTaskSetup(AsInfo* pAsInfo) {
    return PEG_start(pAsInfo);
}

int onStart(AsInfo* pAsInfo) {
    return call(program().onStart, pAsInfo);
}

int onProcess(AsInfo* pAsInfo) {
    return call(program().onCycle, pAsInfo);
}

SysManHookTable displayHooks() {
    SysManHookTable hooks{};
    hooks.onFbDO = onFbDO;
    hooks.onServicesTaskSetup = onServicesTaskSetup;
    hooks.onStart = onStart;
    hooks.onProcess = onProcess;
    hooks.onLoopStart = Sysmanlib_DefaultLoopStart;
    return hooks;
}

const ComponentStartFunction kStartTable[] = {PEG_initComponent, nullptr};

void runProgram() {
    static const SysManHookTable hooks = displayHooks();
    SysManStartWithHooks(&hooks, kStartTable);
}

}  // namespace

DisplayAddressSpace::DisplayAddressSpace(DisplayProgram settings) {
    host::resetKernel();
    host::resetFramework();
    host::useVirtualTime();
    host::resetTraceSettings();
    host::setTreeModelFile(settings.treeFile);
    program() = std::move(settings);
    setDisplayEntry(program().displayEntry);
    myDisplay = std::make_unique<sim::DisplayService>();
    myManager = std::make_unique<sim::SystemManager>(sim::SystemManagerOptions{});
    myManager->watchTask(host::spawnTask("TestAS", runProgram));
    myStarted = myManager->awaitRegistration() && myManager->startUp() && myManager->run();
}

DisplayAddressSpace::~DisplayAddressSpace() {
    AsInfo* block = Sysmanlib_AsInfo_GetCurrent();
    auto* service =
        block != nullptr ? static_cast<ServiceObject*>(block->pDisplayService) : nullptr;
    if (service != nullptr) {
        delete service->pClient;
    }
    if (beforeEnd) {
        beforeEnd();
    }
    myManager.reset();
    myDisplay.reset();
    host::dropAddressSpaceTree();
    setDisplayEntry(nullptr);
    program() = DisplayProgram{};
    host::resetFramework();
}

bool DisplayAddressSpace::cycle() {
    return myManager->trigger(kCycleCommand, 0);
}

}  // namespace pegtest

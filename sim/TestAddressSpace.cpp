// The test address space. Its display client answers each record with command 29 to the same
// item, carrying the record's command code, so a test sees both directions of the display path.
#include "TestAddressSpace.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <mutex>

#include "FbDo.h"
#include "HostTree.h"
#include "Kernel.h"
#include "Sysmanlib.h"
#include "Tarvo.h"
#include "libSysman.h"

namespace sim {

const char kDisplayServiceName[] = "ZUB_PEG_Service";

namespace {

constexpr uint32_t kDisplayAnswerCode = 29;
constexpr uint32_t kServiceTaskPriority = 135;
constexpr uint32_t kServiceTaskStack = 16384;

class TestDisplayClient : public ServiceClient {
  public:
    using ServiceClient::ServiceClient;

    int onCommand(const void* pRecord, uint32_t length) override;
};

struct TestState {
    std::mutex mutex;
    TestAddressSpaceOptions options;
    std::vector<HookCall> calls;
    std::vector<std::vector<uint8_t>> displayRecords;
    std::unique_ptr<TestDisplayClient> displayClient;
};

TestState& state() {
    static TestState* instance = new TestState();
    return *instance;
}

TestAddressSpaceOptions options() {
    std::lock_guard<std::mutex> lock(state().mutex);
    return state().options;
}

int note(int slot, const AsInfo* pAsInfo, uint32_t argument1 = 0, uint32_t argument2 = 0) {
    std::lock_guard<std::mutex> lock(state().mutex);
    state().calls.push_back(
        HookCall{slot, pAsInfo != nullptr ? pAsInfo->nStateCode : 0, argument1, argument2});
    return slot == state().options.failingSlot ? state().options.failCode : 0;
}

int TestDisplayClient::onCommand(const void* pRecord, uint32_t length) {
    const auto* bytes = static_cast<const uint8_t*>(pRecord);
    {
        std::lock_guard<std::mutex> lock(state().mutex);
        state().displayRecords.emplace_back(bytes, bytes + length);
    }
    if (length < kServiceRecordHeader) {
        return 0;
    }
    uint32_t itemId = 0;
    uint32_t code = 0;
    for (int i = 3; i >= 0; --i) {
        itemId = itemId << 8 | bytes[i];
        code = code << 8 | bytes[4 + i];
    }
    const uint8_t payload[4] = {static_cast<uint8_t>(code), static_cast<uint8_t>(code >> 8),
                                static_cast<uint8_t>(code >> 16), static_cast<uint8_t>(code >> 24)};
    return send(itemId, kDisplayAnswerCode, payload, sizeof(payload));
}

int displayComponent(AsInfo* pAsInfo, const char** ppServiceName, void* pServiceObject) {
    if (ppServiceName != nullptr) {
        *ppServiceName = kDisplayServiceName;
    }
    if (pServiceObject == nullptr) {
        return 0;
    }
    auto client =
        std::make_unique<TestDisplayClient>(pAsInfo, static_cast<ServiceObject*>(pServiceObject));
    static_cast<ServiceObject*>(pServiceObject)->pClient = client.get();
    pAsInfo->pDisplayService = pServiceObject;
    const int result = client->open();
    std::lock_guard<std::mutex> lock(state().mutex);
    state().displayClient = std::move(client);
    return result;
}

// Output := 2 * input, with the input's status.
int doubleInput(AsInfo* pAsInfo, const TestAddressSpaceOptions& settings) {
    host::HostTree* tree = host::HostTree::of(pAsInfo->pTheTree);
    if (tree == nullptr) {
        return 1;
    }
    FbDoNode input = tree->find(settings.input);
    FbDoNode output = tree->find(settings.output);
    if (input == nullptr || output == nullptr) {
        return 1;
    }
    FbDo_BeginTreeAccess(pAsInfo->pTheTree);
    uint32_t status = 0;
    const double value = FbDo_ReadDouble(input, 0.0, &status, 0);
    const int result = FbDo_WriteDouble(output, 2.0 * value, &status);
    FbDo_EndTreeAccess(pAsInfo->pTheTree);
    return result;
}

// An activity of the calling task with `id` that completes when a one-shot alarm expires one
// second from now.
int startTimer(uint32_t id) {
    Clock clock = nullptr;
    Activity activity = nullptr;
    const Time second{1, 0};
    Error result = CreateVirtualClock(GetSystemClock(), 0, &clock);
    if (result == Success) {
        result = CreateActivity(CurrentTask(), 255, 0, id, &activity);
    }
    if (result == Success) {
        result = AsynchronousReceive(activity, clock, nullptr);
    }
    return result != Success ? result : SetClockAlarm(clock, 0, nullptr, &second);
}

// An activity with `id` whose receive fails: its clock is closed under it.
int startFailingActivity(uint32_t id) {
    Clock clock = nullptr;
    Activity activity = nullptr;
    Error result = CreateVirtualClock(GetSystemClock(), 0, &clock);
    if (result == Success) {
        result = CreateActivity(CurrentTask(), 255, 0, id, &activity);
    }
    if (result == Success) {
        result = AsynchronousReceive(activity, clock, nullptr);
    }
    return result != Success ? result : closeKernelObject(clock);
}

int onRun(AsInfo* pAsInfo) {
    int result = note(13, pAsInfo);
    const TestAddressSpaceOptions settings = options();
    for (uint32_t id : settings.timerIds) {
        result = result != 0 ? result : startTimer(id);
    }
    if (result == 0 && settings.failedActivityId != 0) {
        result = startFailingActivity(settings.failedActivityId);
    }
    return result;
}

template <int Slot>
int hook(AsInfo* pAsInfo) {
    return note(Slot, pAsInfo);
}

int onConnected() {
    return note(0, nullptr);
}

int getStartText(char* text, uint32_t size) {
    const std::string startText = options().startText;
    std::snprintf(text, size, "%s", startText.c_str());
    return note(1, nullptr, size);
}

// The parameter of `path` in the address space's tree, or null.
FbDoNode parameter(const AsInfo* pAsInfo, const std::string& path) {
    host::HostTree* tree = host::HostTree::of(pAsInfo->pTheTree);
    return tree != nullptr && !path.empty() ? tree->find(path) : nullptr;
}

// The change callback: counts the delivered changes in the changeCounter parameter.
int onTreeChange(void* argument) {
    const auto* pAsInfo = static_cast<const AsInfo*>(argument);
    FbDoNode counter = parameter(pAsInfo, options().changeCounter);
    if (counter == nullptr) {
        return 1;
    }
    uint32_t status = 0;
    const double count = FbDo_ReadDouble(counter, 0.0, &status, 0);
    return FbDo_WriteDouble(counter, count + 1.0, &status);
}

std::string savedFilePath(const AsInfo* pAsInfo, const std::string& file) {
    return std::string(
               pAsInfo->selfInfo.szBasePath,
               strnlen(pAsInfo->selfInfo.szBasePath, sizeof(pAsInfo->selfInfo.szBasePath))) +
           file;
}

int onFbDO(AsInfo* pAsInfo) {
    int result = note(5, pAsInfo);
    const TestAddressSpaceOptions settings = options();
    if (result != 0 || !settings.useTree) {
        return result;
    }
    result = Tarvo_TreeStart(0);
    if (result == 0 && !settings.changeCounter.empty()) {
        result = FbDo_RegisterChangeCallback(pAsInfo, onTreeChange);
    }
    return result;
}

// State 11: the value the previous life saved, when there is one, goes to restoredOutput.
int onStart(AsInfo* pAsInfo) {
    const int result = note(10, pAsInfo);
    const TestAddressSpaceOptions settings = options();
    if (result != 0 || settings.savedFile.empty()) {
        return result;
    }
    std::ifstream file(savedFilePath(pAsInfo, settings.savedFile));
    double saved = 0.0;
    FbDoNode restored = parameter(pAsInfo, settings.restoredOutput);
    if (!file || !(file >> saved)) {
        return 0;
    }
    return restored != nullptr ? FbDo_WriteDouble(restored, saved, nullptr) : 1;
}

// Shutdown: the output's value is saved for the next life.
int onShutdown(AsInfo* pAsInfo) {
    const int result = note(18, pAsInfo);
    const TestAddressSpaceOptions settings = options();
    if (result != 0 || settings.savedFile.empty()) {
        return result;
    }
    FbDoNode output = parameter(pAsInfo, settings.output);
    std::ofstream file(savedFilePath(pAsInfo, settings.savedFile), std::ios::trunc);
    if (output == nullptr || !file) {
        return 1;
    }
    file.precision(17);
    file << FbDo_ReadLiveDouble(output) << '\n';
    return file ? 0 : 1;
}

int onServicesTaskSetup(AsInfo* pAsInfo) {
    const int result = note(8, pAsInfo);
    if (result != 0 || pAsInfo->pDisplayService == nullptr) {
        return result;
    }
    Task task = nullptr;
    const Error created = Tarvo_CreateTask(pAsInfo, kServiceTaskStack, &task, kDisplayServiceName);
    return created != Success ? created
                              : Tarvo_StartServiceTask(pAsInfo, task, kServiceTaskPriority);
}

int onCommand50(AsInfo* pAsInfo, uint32_t argument) {
    return note(14, pAsInfo, argument);
}

int onProcess(AsInfo* pAsInfo) {
    const int result = note(16, pAsInfo);
    const TestAddressSpaceOptions settings = options();
    return result != 0 || !settings.useTree ? result : doubleInput(pAsInfo, settings);
}

int onTimer(AsInfo* pAsInfo, uint32_t id, uint32_t status) {
    return note(19, pAsInfo, id, status);
}

int onLoopStart(AsInfo* pAsInfo) {
    const int result = note(21, pAsInfo);
    return result != 0 ? result : Sysmanlib_DefaultLoopStart(pAsInfo);
}

const SysManHookTable kTestHooks = {
    onConnected, getStartText, hook<2>,
    hook<3>,     hook<4>,      onFbDO,
    hook<6>,     hook<7>,      onServicesTaskSetup,
    hook<9>,     onStart,      hook<11>,
    hook<12>,    onRun,        onCommand50,
    hook<15>,    onProcess,    hook<17>,
    onShutdown,  onTimer,      hook<20>,
    onLoopStart,
};

const ComponentStartFunction kTestStartTable[] = {Tarvo_Component1Init, displayComponent, nullptr};

}  // namespace

void configureTestAddressSpace(const TestAddressSpaceOptions& settings) {
    std::unique_ptr<TestDisplayClient> old;
    {
        std::lock_guard<std::mutex> lock(state().mutex);
        state().options = settings;
        state().calls.clear();
        state().displayRecords.clear();
        old = std::move(state().displayClient);
    }
}

const SysManHookTable& testHooks() {
    return kTestHooks;
}

const ComponentStartFunction* testStartTable() {
    return kTestStartTable;
}

void runTestAddressSpace() {
    const void* codeStart = nullptr;
    const void* codeEnd = nullptr;
    Tarvo_GetCodeRange(&codeStart, &codeEnd);  // without a range no health monitor runs
    SysManStart(codeStart, codeEnd, nullptr, kTestStartTable, nullptr, &kTestHooks, 0);
}

int testProgramMain() {
    const void* codeStart = nullptr;
    const void* codeEnd = nullptr;
    Tarvo_GetCodeRange(&codeStart, &codeEnd);  // without a range no health monitor runs
    SysManRegisterDefaultHooks(&kTestHooks);
    SysManStartDefault(codeStart, codeEnd, nullptr, kTestStartTable, 0);
    return 1;
}

std::vector<HookCall> testHookCalls() {
    std::lock_guard<std::mutex> lock(state().mutex);
    return state().calls;
}

std::vector<int> testHookSlots() {
    std::vector<int> slots;
    for (const HookCall& call : testHookCalls()) {
        slots.push_back(call.slot);
    }
    return slots;
}

std::vector<std::vector<uint8_t>> testDisplayRecords() {
    std::lock_guard<std::mutex> lock(state().mutex);
    return state().displayRecords;
}

}  // namespace sim

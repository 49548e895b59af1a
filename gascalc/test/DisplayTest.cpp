// The display handlers against the simulated display service: the preprocessing entry, the
// method label and the items shown or hidden per "CalcMethod", in the Default and ZM1 layouts.
// The commands reach the display through the client of the service object that came with the
// command record, as the display-service client hands it over.
#include <cstring>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "CalcBlock.h"
#include "CalorantFixture.h"
#include "CalorantTrace.h"
#include "DisplayHandlers.h"
#include "HostKernel.h"
#include "HostService.h"
#include "Kernel.h"
#include "ProgramContext.h"
#include "SimDisplayService.h"
#include "Taste.h"

namespace {

using calorant_test::CalorantFixture;

// One record the display received: item, code and payload bytes.
struct Sent {
    uint32_t item;
    uint32_t command;
    std::vector<uint8_t> payload;
    bool operator==(const Sent& other) const {
        return item == other.item && command == other.command && payload == other.payload;
    }
};

void PrintTo(const Sent& sent, std::ostream* out) {
    *out << "{item " << sent.item << ", code " << sent.command << ", payload";
    for (uint8_t byte : sent.payload) {
        *out << ' ' << static_cast<int>(byte);
    }
    *out << "}";
}

// Command 39 with the 4-byte value (1 hidden, 0 shown).
Sent hidden(uint32_t item, uint32_t value) {
    return {item, 39, host::u32Payload(value)};
}

// Command 19 to the label item with the key and its NUL.
Sent label(const char* key) {
    std::vector<uint8_t> bytes(key, key + std::strlen(key) + 1);
    return {2000, 19, bytes};
}

class DisplayTest : public CalorantFixture {
  protected:
    void SetUp() override {
        CalorantFixture::SetUp();
        ASSERT_EQ(CreateConnection(&service.hConnection1, &service.hConnection2), Success);
        std::strcpy(service.szName, "ZUB_PEG_Service");
        client = std::make_unique<ServiceClient>(asInfo.get(), &service);
        service.pClient = client.get();
        ASSERT_EQ(client->open(), Success);
    }
    void TearDown() override {
        client.reset();
        closeKernelObject(service.hConnection1);
        closeKernelObject(service.hConnection2);
        CalorantFixture::TearDown();
    }

    // Delivers a record at an odd address, as the display service may hand it over, with the
    // service object `through` (the connected one by default).
    void deliver(uint32_t item, uint32_t command, ServiceObject* through = nullptr) {
        uint8_t bytes[1 + 16] = {};
        uint8_t* record = bytes + 1;
        for (int i = 0; i < 4; ++i) {
            record[i] = static_cast<uint8_t>(item >> (8 * i));
            record[4 + i] = static_cast<uint8_t>(command >> (8 * i));
        }
        const PEGCommand pegCommand(record, 16);
        EXPECT_EQ(OnPegEvent(through != nullptr ? through : &service, &pegCommand), 0);
    }

    // What reached the display since the previous call, oldest first.
    std::vector<Sent> sent() {
        std::vector<Sent> recent;
        for (const host::SentCommand& command : display.takeSent()) {
            recent.push_back({command.itemId, command.commandCode, command.payload});
        }
        return recent;
    }

    void useMethod(int32_t method) {
        sent();
        calcBlock.methodParameters.calcMethod.Store(method);
    }

    // Whether the display shows item `id` hidden (std::nullopt: never set).
    std::optional<bool> hiddenOnDisplay(uint32_t id) {
        const sim::DisplayItemState* state = display.model().item(id);
        return state != nullptr ? state->hidden : std::nullopt;
    }

    std::optional<std::string> labelOnDisplay() {
        const sim::DisplayItemState* state = display.model().item(2000);
        return state != nullptr ? state->languageTextKey : std::nullopt;
    }

    sim::DisplayService display;
    ServiceObject service{};  // the service object the commands come with
    std::unique_ptr<ServiceClient> client;
};

TEST_F(DisplayTest, PreprocessingEntryShownOnlyWithGroupsAndOnlyOnOpen) {
    ASSERT_EQ(startLayout("Default"), 0);
    deliver(1000, 2);
    EXPECT_EQ(sent(), std::vector<Sent>{hidden(1701, 0)});
    EXPECT_EQ(hiddenOnDisplay(1701), false);
    deliver(1000, 3);
    EXPECT_TRUE(sent().empty());
    ForgetCalorantRun();
    host::dropAddressSpaceTree();
    // A tree without preprocessing groups: its preprocessing object could not be built.
    host::failNextCall("CreateLocalMutex", ResourceNotAvailable);
    ASSERT_EQ(startLayout("Default"), 0);
    sent();
    deliver(1999, 2);
    EXPECT_EQ(sent(), std::vector<Sent>{hidden(1701, 1)});
    EXPECT_EQ(hiddenOnDisplay(1701), true);
}

TEST_F(DisplayTest, MethodLabelAndItemsPerCalcMethod) {
    ASSERT_EQ(startLayout("Default"), 0);
    const std::vector<Sent> aga8 = {hidden(2100, 1), hidden(2200, 1), hidden(2300, 0),
                                    label("AGA8_DC92_LR")};
    const std::vector<Sent> constant = {hidden(2100, 0), hidden(2200, 1), hidden(2300, 1),
                                        label("C_CONST_LR")};
    auto sgerg = [](uint32_t co2, uint32_t h2, uint32_t n2) {
        return std::vector<Sent>{hidden(2100, 1),   hidden(2200, 0),  hidden(2300, 1),
                                 hidden(2240, co2), hidden(2250, h2), hidden(2260, n2),
                                 label("SGERG_LR")};
    };
    const struct {
        int32_t method;
        std::vector<Sent> expected;
    } cases[] = {
        {2, aga8},
        {3, aga8},
        {4, sgerg(0, 1, 1)},
        {5, sgerg(1, 1, 0)},
        {6, sgerg(0, 0, 1)},
        {7, sgerg(1, 0, 0)},
        {8, sgerg(0, 1, 0)},
        {9, sgerg(0, 1, 1)},
        {10, sgerg(1, 1, 0)},
        {11, sgerg(0, 0, 1)},
        {12, sgerg(1, 0, 0)},
        {13, sgerg(0, 1, 0)},
        {14, {}},
        {15, {}},
        {16, {}},
        {17, constant},
        {18, {}},
        {19, {}},
        {20, sgerg(0, 0, 1)},
        {21, sgerg(1, 0, 0)},
        {22, sgerg(0, 0, 1)},
        {23, sgerg(1, 0, 0)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("CalcMethod " + std::to_string(c.method));
        for (uint32_t command : {2u, 3u, 7u}) {
            useMethod(c.method);
            deliver(2050, command);
            EXPECT_EQ(sent(), c.expected) << "command " << command;
        }
    }
    EXPECT_FALSE(traces.contains(calorant::kTraceMethodNotShown));
}

// What the display shows after a method, and that the codes without a label of their own
// leave the label and the three method groups as the previous method set them.
TEST_F(DisplayTest, DisplayKeepsTheLastLabelForCodesWithoutOne) {
    ASSERT_EQ(startLayout("Default"), 0);
    const struct {
        int32_t method;
        const char* label;
        bool constantHidden, sgergHidden, aga8Hidden;
    } shown[] = {
        {17, "C_CONST_LR", false, true, true},  {14, "C_CONST_LR", false, true, true},
        {3, "AGA8_DC92_LR", true, true, false}, {19, "AGA8_DC92_LR", true, true, false},
        {0, "AGA8_DC92_LR", true, true, false}, {21, "SGERG_LR", true, false, true},
        {16, "SGERG_LR", true, false, true},
    };
    for (const auto& c : shown) {
        SCOPED_TRACE("CalcMethod " + std::to_string(c.method));
        useMethod(c.method);
        deliver(2000, 7);
        EXPECT_EQ(labelOnDisplay(), c.label);
        EXPECT_EQ(hiddenOnDisplay(2100), c.constantHidden);
        EXPECT_EQ(hiddenOnDisplay(2200), c.sgergHidden);
        EXPECT_EQ(hiddenOnDisplay(2300), c.aga8Hidden);
    }
    // Method 21 (hydrogen and nitrogen inputs) left its input lines on the display.
    EXPECT_EQ(hiddenOnDisplay(2240), true);
    EXPECT_EQ(hiddenOnDisplay(2250), false);
    EXPECT_EQ(hiddenOnDisplay(2260), false);
    EXPECT_EQ(display.model().item(2220), nullptr) << "not the ZM1 layout";
}

TEST_F(DisplayTest, RejectedCodesAreTracedAndSendNothing) {
    ASSERT_EQ(startLayout("BM1"), 0);
    for (int32_t method : {0, 1, 24, -3}) {
        useMethod(method);
        traces.clear();
        deliver(2000, 7);
        EXPECT_TRUE(sent().empty()) << method;
        const auto rejected = traces.withId(calorant::kTraceMethodNotShown);
        ASSERT_EQ(rejected.size(), 1u) << method;
        EXPECT_EQ(rejected[0].intArg(0), method);
    }
}

TEST_F(DisplayTest, OtherItemsAndCommandsAreIgnored) {
    ASSERT_EQ(startLayout("Default"), 0);
    useMethod(9);
    deliver(2000, 5);
    deliver(999, 2);
    deliver(3000, 2);
    deliver(1000, 7);
    EXPECT_TRUE(sent().empty());
    // A record of the preprocessing page goes to the page only.
    deliver(64005, 2);
    EXPECT_TRUE(sent().empty());
    EXPECT_TRUE(display.model().itemIds().empty());
}

// The answers go through the service object of the command: one without a client sends
// nothing, whatever other client the address space has.
TEST_F(DisplayTest, AnswersGoThroughTheServiceObjectOfTheCommand) {
    ASSERT_EQ(startLayout("Default"), 0);
    asInfo->pDisplayService = &service;
    useMethod(2);
    ServiceObject withoutClient{};
    deliver(2000, 2, &withoutClient);
    deliver(1000, 2, &withoutClient);
    EXPECT_TRUE(sent().empty());
    deliver(2000, 2);
    EXPECT_EQ(sent().size(), 4u);
}

TEST_F(DisplayTest, ZM1DensityInputLinesFollowTheirInputs) {
    ASSERT_EQ(startLayout("ZM1"), 0);
    tree().setInUse("Source.Rhob.d_imp", false);
    useMethod(9);
    deliver(2050, 7);
    const std::vector<Sent> expected = {hidden(2100, 1), hidden(2200, 0), hidden(2300, 1),
                                        hidden(2220, 0), hidden(2230, 1), hidden(2240, 0),
                                        hidden(2250, 1), hidden(2260, 1), label("SGERG_LR")};
    EXPECT_EQ(sent(), expected);
    EXPECT_EQ(hiddenOnDisplay(2220), false);
    EXPECT_EQ(hiddenOnDisplay(2230), true);
    // An input in use whose state is not good hides its line as well.
    for (const uint32_t state : {0x2u, 0x8u, 0x400u}) {
        SCOPED_TRACE(state);
        tree().setStatus("PP.PP_4.Out", state);  // the line that feeds the import
        deliver(2050, 7);
        EXPECT_EQ(hiddenOnDisplay(2220), true);
    }
    tree().setStatus("PP.PP_4.Out", 0);
    deliver(2050, 7);
    EXPECT_EQ(hiddenOnDisplay(2220), false);
}

// The display task's side of the test below: open the preprocessing entry and the method page
// (which reads the taste in ZM1) again and again, then say so.
ServiceObject* gDisplayService = nullptr;
Semaphore gDisplayDone;
constexpr int kDisplayRounds = 300;

void openPagesFromTheDisplayTask() {
    for (int round = 0; round < kDisplayRounds; ++round) {
        for (uint32_t item : {1000u, 2000u}) {
            uint8_t record[16] = {};
            for (int i = 0; i < 4; ++i) {
                record[i] = static_cast<uint8_t>(item >> (8 * i));
            }
            record[4] = 2;
            const PEGCommand command(record, sizeof(record));
            OnPegEvent(gDisplayService, &command);
        }
    }
    ReleaseSemaphore(gDisplayDone);
}

TEST_F(DisplayTest, TreeAndTasteArePublishedSafelyToTheDisplayTask) {
    // The FbDO hook publishes the tree and the taste on the initial task while the display task
    // may already read them (a race the tsan run reports when they are plain pointers).
    ASSERT_EQ(startLayout("ZM1"), 0);
    useMethod(9);
    Taste* const taste = ProgramContext::myTaste.Load();
    FbDoTree* const tree = ProgramContext::tree.Load();
    ASSERT_NE(taste, nullptr);
    ASSERT_NE(tree, nullptr);
    ProgramContext::myTaste.Store(nullptr);
    ProgramContext::tree.Store(nullptr);
    gDisplayService = &service;
    ASSERT_EQ(CreateSemaphore(0, &gDisplayDone), Success);
    Task task = 0;
    ASSERT_EQ(createTask("display", 8, 0, &openPagesFromTheDisplayTask, &task), Success);
    ASSERT_EQ(RunTask(task), Success);
    for (int round = 0; round < kDisplayRounds; ++round) {
        ProgramContext::tree.Store(round % 2 != 0 ? tree : nullptr);
        ProgramContext::myTaste.Store(round % 2 != 0 ? taste : nullptr);
    }
    ProgramContext::tree.Store(tree);
    ProgramContext::myTaste.Store(taste);
    ASSERT_EQ(WaitForSemaphore(gDisplayDone), Success);
    CloseSemaphore(gDisplayDone);
    // With both in place the ZM1 method page shows its density input lines again.
    sent();
    deliver(2000, 2);
    const std::vector<Sent> page = sent();
    ASSERT_EQ(page.size(), 9u);
    EXPECT_EQ(page[3], hidden(2220, 0));
    EXPECT_EQ(page[4], hidden(2230, 0));
}

TEST_F(DisplayTest, WithoutTreeOrTasteTheHandlersStillAnswer) {
    useMethod(9);
    deliver(1000, 2);
    EXPECT_EQ(sent(), std::vector<Sent>{hidden(1701, 1)});
    useMethod(2);
    deliver(2000, 2);
    EXPECT_EQ(sent().size(), 4u);
    EXPECT_EQ(OnPegEvent(&service, nullptr), 0);
    const uint8_t shortRecord[8] = {0xD0, 0x07, 0, 0, 2, 0, 0, 0};
    const PEGCommand incomplete(shortRecord, sizeof(shortRecord));
    EXPECT_EQ(OnPegEvent(&service, &incomplete), 0);
    EXPECT_TRUE(sent().empty()) << "a record shorter than its header reaches no handler";
}

}  // namespace

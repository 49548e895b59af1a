// The display handlers through a recording display port: the preprocessing entry, the method
// label and the items shown or hidden per "CalcMethod", in the Default and ZM1 layouts.
#include <vector>

#include "CalcBlock.h"
#include "CalorantDisplayPort.h"
#include "CalorantFixture.h"
#include "CalorantTrace.h"
#include "DisplayHandlers.h"
#include "HostKernel.h"

namespace {

using calorant_test::CalorantFixture;
using calorant_test::forgetProgram;

// One command sent to the display: 39 (hidden value) or 19 (key).
struct Sent {
    uint32_t command;
    uint32_t item;
    uint32_t value;
    std::string key;
    bool operator==(const Sent& other) const {
        return command == other.command && item == other.item && value == other.value &&
               key == other.key;
    }
};

std::ostream& operator<<(std::ostream& out, const Sent& sent) {
    return out << "{" << sent.command << ", " << sent.item << ", " << sent.value << ", \""
               << sent.key << "\"}";
}

std::vector<Sent> sent;
void* sentThrough = nullptr;

void recordHidden(void* serviceObject, uint32_t item, uint32_t value) {
    sentThrough = serviceObject;
    sent.push_back({39, item, value, ""});
}
void recordKey(void* serviceObject, uint32_t item, const char* key) {
    sentThrough = serviceObject;
    sent.push_back({19, item, 0, key});
}

Sent hidden(uint32_t item, uint32_t value) {
    return {39, item, value, ""};
}
Sent label(const char* key) {
    return {19, 2000, 0, key};
}

class DisplayTest : public CalorantFixture {
  protected:
    void SetUp() override {
        CalorantFixture::SetUp();
        sent.clear();
        sentThrough = nullptr;
        ConnectCalorantDisplayPort({nullptr, nullptr, recordHidden, recordKey});
    }
    void TearDown() override {
        ConnectCalorantDisplayPort({nullptr, nullptr, nullptr, nullptr});
        CalorantFixture::TearDown();
    }

    // Delivers a record at an odd address, as the display service may hand it over.
    void deliver(uint32_t item, uint32_t command) {
        uint8_t bytes[1 + 16] = {};
        uint8_t* record = bytes + 1;
        for (int i = 0; i < 4; ++i) {
            record[i] = static_cast<uint8_t>(item >> (8 * i));
            record[4 + i] = static_cast<uint8_t>(command >> (8 * i));
        }
        const PEGCommand pegCommand(record, 16);
        EXPECT_EQ(OnPegEvent(&service, &pegCommand), 0);
    }

    void useMethod(int32_t method) {
        sent.clear();
        calcBlock.methodParameters.calcMethod.Store(method);
    }

    ServiceObject service{};  // the service object the commands come with
};

TEST_F(DisplayTest, PreprocessingEntryShownOnlyWithGroupsAndOnlyOnOpen) {
    ASSERT_EQ(startLayout("Default"), 0);
    deliver(1000, 2);
    EXPECT_EQ(sent, std::vector<Sent>{hidden(1701, 0)});
    EXPECT_EQ(sentThrough, &service);
    sent.clear();
    deliver(1000, 3);
    EXPECT_TRUE(sent.empty());
    forgetProgram();
    host::dropAddressSpaceTree();
    // A tree without preprocessing groups: its preprocessing object could not be built.
    host::failNextCall("CreateLocalMutex", ResourceNotAvailable);
    ASSERT_EQ(startLayout("Default"), 0);
    sent.clear();
    deliver(1999, 2);
    EXPECT_EQ(sent, std::vector<Sent>{hidden(1701, 1)});
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
            EXPECT_EQ(sent, c.expected) << "command " << command;
        }
    }
    EXPECT_FALSE(traces.contains(calorant::kTraceMethodNotShown));
}

TEST_F(DisplayTest, RejectedCodesAreTracedAndSendNothing) {
    ASSERT_EQ(startLayout("BM1"), 0);
    for (int32_t method : {0, 1, 24, -3}) {
        useMethod(method);
        traces.clear();
        deliver(2000, 7);
        EXPECT_TRUE(sent.empty()) << method;
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
    EXPECT_TRUE(sent.empty());
    // A record of the preprocessing page goes to the page only.
    deliver(64005, 2);
    EXPECT_TRUE(sent.empty());
}

TEST_F(DisplayTest, ZM1DensityInputLinesFollowTheirInputs) {
    ASSERT_EQ(startLayout("ZM1"), 0);
    tree().setInUse("Source.Rhob.d_imp", false);
    useMethod(9);
    deliver(2050, 7);
    const std::vector<Sent> expected = {hidden(2100, 1), hidden(2200, 0), hidden(2300, 1),
                                        hidden(2220, 0), hidden(2230, 1), hidden(2240, 0),
                                        hidden(2250, 1), hidden(2260, 1), label("SGERG_LR")};
    EXPECT_EQ(sent, expected);
}

TEST_F(DisplayTest, WithoutTreeOrTasteTheHandlersStillAnswer) {
    useMethod(9);
    deliver(1000, 2);
    EXPECT_EQ(sent, std::vector<Sent>{hidden(1701, 1)});
    useMethod(2);
    deliver(2000, 2);
    EXPECT_EQ(sent.size(), 4u);
    EXPECT_EQ(OnPegEvent(&service, nullptr), 0);
}

}  // namespace

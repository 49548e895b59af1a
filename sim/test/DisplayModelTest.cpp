// The display model: what each command the items send does to the shown state, and the dump.
#include <gtest/gtest.h>

#include <cstring>
#include <sstream>

#include "DisplayModel.h"
#include "HostKernel.h"
#include "Kernel.h"
#include "SimDisplayService.h"
#include "Tarvo.h"

namespace {

using host::SentCommand;

std::vector<uint8_t> narrowPayload(const char* text) {
    return std::vector<uint8_t>(text, text + std::strlen(text) + 1);
}

// The report prints the payload of every text code as its text, the others as bytes.
TEST(DisplayModelTest, TextPayloadsPrintAsTextOthersAsBytes) {
    const struct {
        uint32_t code;
        std::vector<uint8_t> payload;
        std::string printed;
    } cases[] = {
        {18, narrowPayload("ready"), "\"ready\""},
        {19, narrowPayload("SGERG_LR"), "\"SGERG_LR\""},
        {26, host::text16Payload(u"12.5 \u00b0C"), "\"12.5 \u00b0C\""},
        {26, {0x41, 0x00, 0x42, 0x00}, "\"AB\""},
        {30, narrowPayload("DS_ready_LR"), "\"DS_ready_LR\""},
        {37, narrowPayload("Src.P1"), "\"Src.P1\""},
        {29, host::u32Payload(4), "04000000"},
        {39, host::u32Payload(1), "01000000"},
        {28, {}, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        EXPECT_EQ(sim::DisplayModel::payloadText(c.code, c.payload), c.printed);
    }
}

TEST(DisplayModelTest, EachCommandSetsItsField) {
    sim::DisplayModel model;
    model.apply(SentCommand{5, 37, narrowPayload("Src.P1")});
    model.apply(SentCommand{5, 26, host::text16Payload(u"12.5 \u00b0C")});
    model.apply(SentCommand{5, 19, narrowPayload("SGERG_LR")});
    model.apply(SentCommand{5, 30, narrowPayload("DS_ready_LR")});
    model.apply(SentCommand{5, 39, host::u32Payload(1)});
    model.apply(SentCommand{5, 23, {}});
    model.apply(SentCommand{5, 29, host::u32Payload(4)});
    model.apply(SentCommand{5, 10, {}});
    const sim::DisplayItemState* item = model.item(5);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->boundParameter, "Src.P1");
    EXPECT_EQ(item->text, u"12.5 \u00b0C");
    EXPECT_EQ(item->languageTextKey, "SGERG_LR");
    EXPECT_EQ(item->textKey, "DS_ready_LR");
    EXPECT_EQ(item->hidden, true);
    EXPECT_EQ(item->enabled, false);
    EXPECT_EQ(item->selection, 4);
    EXPECT_FALSE(item->isList);
    EXPECT_EQ(item->codes, (std::vector<uint32_t>{37, 26, 19, 30, 39, 23, 29, 10}));
    EXPECT_EQ(model.item(6), nullptr);
}

TEST(DisplayModelTest, ClearMakesASelectionBoxWhoseTextsAreEntries) {
    sim::DisplayModel model;
    model.apply(SentCommand{64101, 26, host::text16Payload(u"before")});
    model.apply(SentCommand{64101, 28, {}});
    model.apply(SentCommand{64101, 26, host::text16Payload(u"Pressure")});
    model.apply(SentCommand{64101, 26, host::text16Payload(u"(G1)  CH4")});
    model.apply(SentCommand{64101, 29, host::u32Payload(0xFFFFFFFF)});
    const sim::DisplayItemState& box = *model.item(64101);
    EXPECT_TRUE(box.isList);
    EXPECT_EQ(box.entries, (std::vector<std::u16string>{u"Pressure", u"(G1)  CH4"}));
    EXPECT_EQ(box.text, u"before") << "texts sent before the clear stay";
    EXPECT_EQ(box.selection, -1);
    model.apply(SentCommand{64101, 28, {}});
    EXPECT_TRUE(model.item(64101)->entries.empty());
}

TEST(DisplayModelTest, ShortPayloadsChangeNothingButTheCodes) {
    sim::DisplayModel model;
    model.apply(SentCommand{7, 39, {1, 0}});
    model.apply(SentCommand{7, 29, {}});
    model.apply(SentCommand{7, 26, {'a', 0, 'b'}});  // no terminator: up to the end
    model.apply(SentCommand{7, 18, {}});             // 18 without text: an empty text
    const sim::DisplayItemState& item = *model.item(7);
    EXPECT_FALSE(item.hidden.has_value());
    EXPECT_FALSE(item.selection.has_value());
    EXPECT_EQ(item.text, u"");
    model.apply(SentCommand{7, 26, {'a', 0, 'b'}});
    EXPECT_EQ(model.item(7)->text, u"a");
    EXPECT_EQ(model.item(7)->codes, (std::vector<uint32_t>{39, 29, 26, 18, 26}));
}

// An item sent none of the fields shows the codes it received, each once.
TEST(DisplayModelTest, DumpListsItemsAscendingWithTheFieldsSent) {
    sim::DisplayModel model;
    model.apply(SentCommand{64205, 26, host::text16Payload(u"in use")});
    model.apply(SentCommand{2100, 39, host::u32Payload(1)});
    model.apply(SentCommand{64101, 28, {}});
    model.apply(SentCommand{64101, 26, host::text16Payload(u"\"Q\" \u00e4")});
    model.apply(SentCommand{64101, 29, host::u32Payload(0)});
    model.apply(SentCommand{64202, 37, narrowPayload("Src.PP1_L1")});
    model.apply(SentCommand{2000, 19, narrowPayload("AGA8_DC92_LR")});
    model.apply(SentCommand{111, 30, narrowPayload("K_LR")});
    model.apply(SentCommand{111, 22, {}});
    model.apply(SentCommand{0, 1, {}});
    model.apply(SentCommand{0, 7, {}});
    model.apply(SentCommand{0, 1, {}});
    model.select(410, 2);
    EXPECT_EQ(model.dump(),
              "0 codes=1,7\n"
              "111 key=\"K_LR\" enabled=1\n"
              "410 selection=2\n"
              "2000 languageKey=\"AGA8_DC92_LR\"\n"
              "2100 hidden=1\n"
              "64101 list entries=[\"\\\"Q\\\" \xc3\xa4\"] selection=0\n"
              "64202 bind=\"Src.PP1_L1\"\n"
              "64205 text=\"in use\"\n");
    EXPECT_EQ(model.itemIds(),
              (std::vector<uint32_t>{0, 111, 410, 2000, 2100, 64101, 64202, 64205}));
}

TEST(DisplayModelTest, TextsPrintAsUtf8WithSurrogatePairs) {
    sim::DisplayModel model;
    model.apply(SentCommand{1, 26, host::text16Payload(u"\U0001F600\xD800x")});
    EXPECT_EQ(model.dump(), "1 text=\"\xF0\x9F\x98\x80\xEF\xBF\xBDx\"\n");
}

// Answers each record by sending its item the record's payload as a text (code 26).
class EchoClient : public ServiceClient {
  public:
    using ServiceClient::ServiceClient;
    int onCommand(const void* pRecord, uint32_t length) override {
        const auto* bytes = static_cast<const uint8_t*>(pRecord);
        send(bytes[0] | bytes[1] << 8, 26, bytes + 12, length - 12);
        return 1;
    }
};

TEST(DisplayServiceTest, InjectedCommandsAndTheAnswersReachTheModel) {
    host::resetKernel();
    {
        sim::DisplayService display;
        ServiceObject service{};
        ASSERT_EQ(CreateConnection(&service.hConnection1, &service.hConnection2), Success);
        std::strcpy(service.szName, "ZUB_PEG_Service");
        AsInfo block{};
        EchoClient client(&block, &service);
        EXPECT_EQ(display.injectText(300, 29, u"x"), std::nullopt) << "no client yet";
        ASSERT_EQ(client.open(), Success);
        Task task = nullptr;
        ASSERT_EQ(Tarvo_CreateTask(&block, 16384, &task, "display"), Success);
        ASSERT_EQ(Tarvo_StartServiceTask(&block, task, 135), Success);

        EXPECT_EQ(display.injectText(300, 9, u"shown"), 1);
        EXPECT_EQ(display.injectValue(410, 29, 3), 1);
        EXPECT_EQ(display.model().item(300)->text, u"shown");
        EXPECT_EQ(display.model().item(410)->selection, 3) << "the display's own selection";
        EXPECT_EQ(display.takeSent().size(), 2u);
        EXPECT_TRUE(display.takeSent().empty()) << "taken records are not kept";
        std::ostringstream state;
        display.printState(state);
        EXPECT_EQ(state.str(), "300 text=\"shown\"\n410 text=\"\\u0003\" selection=3\n")
            << "the u32 3 echoed as a text of one character, a control character escaped";
    }
    host::resetKernel();
}

}  // namespace

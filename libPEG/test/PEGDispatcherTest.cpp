// The item dispatcher and the item base: registration, routing by id and code, the default
// handlers and the item senders.
#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <vector>

#include "HostTrace.h"
#include "PEGItem.h"
#include "PEGTestSupport.h"

namespace {

using pegtest::Sent;
using pegtest::words;

// Dispatches one record (item, code, payload) from `service`.
uint32_t dispatch(ServiceObject* service, uint32_t itemId, uint32_t code,
                  const std::vector<uint8_t>& payload = {}) {
    const std::vector<uint8_t> record = host::makeServiceRecord(itemId, code, payload);
    const PEGCommand command(record.data(), static_cast<uint32_t>(record.size()));
    return PEGDispatcher::instance().dispatchCommand(service, &command);
}

// Records which handler ran; onCommand29 also keeps the command's payload word.
class ProbeItem : public PEGItem {
  public:
    using PEGItem::PEGItem;
    bool onCommand4() override { return record(4); }
    bool onCommand18() override { return record(18); }
    bool onCommand52() override { return record(52); }
    bool onCommand58() override { return record(58); }
    bool onCommand29(const PEGCommand& command) override {
        command.payloadWord(word);
        return record(29);
    }
    bool record(uint32_t code) {
        handled.push_back(code);
        return code != 52;
    }
    std::vector<uint32_t> handled;
    uint32_t word = 0;
};

class DispatcherTest : public pegtest::ItemTest {
  protected:
    void SetUp() override {
        pegtest::ItemTest::SetUp();
        host::setTraceLevel(7);
    }
};

TEST_F(DispatcherTest, UnknownIdAnswersOneAndStillReplacesTheCurrentClient) {
    host::TraceCapture capture;
    EXPECT_EQ(currentPEGClient.load(), nullptr);
    EXPECT_EQ(dispatch(&service, 777, 2), 1u);
    EXPECT_EQ(currentPEGClient.load(), &service);
    const auto dispatched = capture.withId(TraceId(0x38, 0, 7));
    ASSERT_EQ(dispatched.size(), 1u);
    EXPECT_EQ(dispatched[0].intArg(0), 2) << "code first";
    EXPECT_EQ(dispatched[0].intArg(1), 777);
    ASSERT_EQ(capture.withId(TraceId(0x38, 1, 6)).size(), 1u);
    EXPECT_EQ(capture.withId(TraceId(0x38, 1, 6))[0].intArg(0), 777);
}

TEST_F(DispatcherTest, CodesReachTheirHandlersAndUnhandledCodesAnswerZero) {
    ProbeItem item(500);
    struct Case {
        uint32_t code;
        uint32_t answer;
        std::vector<uint32_t> handled;
    };
    const Case cases[] = {{4, 1, {4}}, {18, 1, {18}}, {52, 0, {52}}, {58, 1, {58}},      {0, 0, {}},
                          {53, 0, {}}, {57, 0, {}},   {59, 0, {}},   {0xFFFFFFFF, 0, {}}};
    for (const Case& c : cases) {
        item.handled.clear();
        host::TraceCapture capture;
        EXPECT_EQ(dispatch(&service, 500, c.code), c.answer) << c.code;
        EXPECT_EQ(item.handled, c.handled) << c.code;
        EXPECT_EQ(capture.contains(TraceId(0x39, 0, 3)), c.handled.empty()) << c.code;
    }
    item.handled.clear();
    EXPECT_EQ(dispatch(&service, 500, 29, words({41})), 1u);
    EXPECT_EQ(item.handled, std::vector<uint32_t>{29});
    EXPECT_EQ(item.word, 41u) << "code 29's handler gets the record";
}

// The handler each code reaches, told by the slot its default handler traces: codes 1 to 17 the
// handlers of slots 1 to 17, code 58 slot 18, codes 18 to 52 slots 19 to 53; no other code has
// one. Every code up to 60 is tried, so two codes whose handlers were swapped are caught.
TEST_F(DispatcherTest, EveryCodeReachesItsOwnHandlerWhoseDefaultTracesItsSlot) {
    PEGItem item(501);
    const auto slotOf = [](uint32_t code) -> uint32_t {
        if (code >= 1 && code <= 17) {
            return code;
        }
        if (code == 58) {
            return 18;
        }
        if (code >= 18 && code <= 52) {
            return code + 1;
        }
        return 0;  // none
    };
    for (uint32_t code = 0; code <= 60; ++code) {
        SCOPED_TRACE(code);
        host::TraceCapture capture;
        const uint32_t slot = slotOf(code);
        EXPECT_EQ(dispatch(&service, 501, code), slot != 0 ? 1u : 0u);
        std::vector<uint32_t> tracedSlots;
        for (const host::TraceRecord& record : capture.records()) {
            if ((record.id >> 16) == 0x39 && ((record.id >> 4) & 0xFFF) != 0) {
                tracedSlots.push_back((record.id >> 4) & 0xFFF);
                EXPECT_EQ(record.id & 0xF, code == 7 ? 7u : 6u) << "the level";
                EXPECT_EQ(record.intArg(0), 501);
            }
        }
        EXPECT_EQ(tracedSlots, slot != 0 ? std::vector<uint32_t>{slot} : std::vector<uint32_t>{});
        EXPECT_EQ(capture.contains(TraceId(0x39, 0, 3)), slot == 0) << "an unhandled code";
    }
}

TEST_F(DispatcherTest, DuplicateIdStaysWithTheFirstItemAndIsTraced) {
    ProbeItem first(600);
    host::TraceCapture capture;
    auto second = std::make_unique<ProbeItem>(600);
    ASSERT_EQ(capture.withId(TraceId(0x38, 2, 3)).size(), 1u);
    EXPECT_EQ(PEGDispatcher::instance().find(600), &first);
    second.reset();  // its id belongs to the first item: nothing is removed
    EXPECT_EQ(PEGDispatcher::instance().find(600), &first);
    EXPECT_EQ(dispatch(&service, 600, 4), 1u);
    EXPECT_EQ(first.handled, std::vector<uint32_t>{4});
}

TEST_F(DispatcherTest, DestroyedItemLeavesTheDispatcher) {
    {
        PEGItem item(601);
        EXPECT_EQ(PEGDispatcher::instance().find(601), &item);
    }
    EXPECT_EQ(PEGDispatcher::instance().find(601), nullptr);
}

TEST_F(DispatcherTest, ItemsBuiltInAScopeAreReachedOnlyWhenTheOutermostScopeEnds) {
    ProbeItem before(800);
    auto outer = std::make_unique<PEGDispatcher::BuildScope>();
    ProbeItem first(801);
    {
        const PEGDispatcher::BuildScope inner;
        const ProbeItem second(802);
    }
    ProbeItem third(803);
    { const PEGDispatcher::BuildScope inner; }
    // Still building: no command reaches an item, whether built before or inside the scope.
    for (uint32_t id : {800u, 801u, 803u}) {
        host::TraceCapture capture;
        EXPECT_EQ(PEGDispatcher::instance().find(id), nullptr) << id;
        EXPECT_EQ(dispatch(&service, id, 4), 1u) << id;
        ASSERT_EQ(capture.withId(TraceId(0x38, 1, 6)).size(), 1u) << id;
        EXPECT_EQ(capture.withId(TraceId(0x38, 1, 6))[0].intArg(0), static_cast<int>(id));
    }
    EXPECT_EQ(currentPEGClient.load(), &service) << "the command's service is kept all the same";
    EXPECT_TRUE(before.handled.empty());
    EXPECT_TRUE(first.handled.empty());
    EXPECT_TRUE(third.handled.empty());

    outer.reset();
    EXPECT_EQ(PEGDispatcher::instance().find(802), nullptr) << "destroyed while parked";
    for (ProbeItem* item : {&before, &first, &third}) {
        EXPECT_EQ(PEGDispatcher::instance().find(item->id()), item) << item->id();
        EXPECT_EQ(dispatch(&service, item->id(), 4), 1u) << item->id();
        EXPECT_EQ(item->handled, std::vector<uint32_t>{4}) << item->id();
    }
}

TEST_F(DispatcherTest, ARebuildInAScopeReplacesTheItemsAndRefusesTakenIds) {
    auto old = std::make_unique<ProbeItem>(810);
    ProbeItem kept(811);
    std::unique_ptr<ProbeItem> rebuilt;
    std::unique_ptr<ProbeItem> parkedTwin;
    std::unique_ptr<ProbeItem> publishedTwin;
    host::TraceCapture capture;
    {
        const PEGDispatcher::BuildScope building;
        old.reset();
        rebuilt = std::make_unique<ProbeItem>(810);
        parkedTwin = std::make_unique<ProbeItem>(810);
        publishedTwin = std::make_unique<ProbeItem>(811);
        EXPECT_EQ(capture.withId(TraceId(0x38, 2, 3)).size(), 2u) << "both duplicates traced";
        parkedTwin.reset();  // its id is the rebuilt item's: nothing is removed
    }
    EXPECT_EQ(PEGDispatcher::instance().find(810), rebuilt.get());
    EXPECT_EQ(PEGDispatcher::instance().find(811), &kept);
    EXPECT_EQ(dispatch(&service, 810, 18), 1u);
    EXPECT_EQ(rebuilt->handled, std::vector<uint32_t>{18});
}

TEST_F(DispatcherTest, ANewLifeForgetsTheItemsScopesAndServiceOfTheEarlierOne) {
    auto earlier = std::make_unique<ProbeItem>(820);
    auto scope = std::make_unique<PEGDispatcher::BuildScope>();
    ProbeItem parked(821);
    dispatch(&service, 820, 4);
    ASSERT_EQ(currentPEGClient.load(), &service);

    PEGDispatcher::instance().beginLife();
    EXPECT_EQ(currentPEGClient.load(), nullptr) << "nothing is sent through the old service";
    EXPECT_EQ(PEGDispatcher::instance().find(820), nullptr);
    EXPECT_EQ(PEGDispatcher::instance().find(821), nullptr);

    // This life's items register and are reached at once: the earlier scope is gone too.
    ProbeItem current(820);
    earlier.reset();  // the earlier life's item no longer owns its id
    scope.reset();    // nor publishes anything when its scope ends
    EXPECT_EQ(PEGDispatcher::instance().find(820), &current);
    EXPECT_EQ(PEGDispatcher::instance().find(821), nullptr);
    EXPECT_EQ(dispatch(&service, 820, 4), 1u);
    EXPECT_EQ(current.handled, std::vector<uint32_t>{4});
    EXPECT_TRUE(parked.handled.empty());
}

TEST_F(DispatcherTest, NullArgumentsThrowWithTheirTexts) {
    struct Case {
        std::function<void()> call;
        const char* text;
    };
    const Case cases[] = {
        {[] { PEGDispatcher::instance().registerItem(nullptr); },
         "PEGDispatcher::registerItem item to register in NULL"},
        {[] { PEGDispatcher::instance().deregisterItem(nullptr); },
         "PEGDispatcher::deregisterItem item to unregister in NULL"},
        {[this] { PEGDispatcher::instance().dispatchCommand(&service, nullptr); },
         "PEGDispatcher::dispatchCommand command to dispatch is NULL"},
    };
    for (const Case& c : cases) {
        try {
            c.call();
            ADD_FAILURE() << "no exception for " << c.text;
        } catch (const std::runtime_error& error) {
            EXPECT_STREQ(error.what(), c.text);
        }
    }
    EXPECT_EQ(currentPEGClient.load(), nullptr) << "a null command replaces nothing";
}

TEST_F(DispatcherTest, ItemSendersSendNothingBeforeTheFirstCommand) {
    PEGItem item(700);
    item.setVisible(false);
    item.enable();
    EXPECT_TRUE(pegtest::sentBy(peer).empty());
}

TEST_F(DispatcherTest, ItemSendersSendToTheItemThroughTheLatestCommandsService) {
    PEGItem item(700);
    dispatch(&service, 700, 2);
    item.setVisible(true);
    item.setVisible(false);
    item.setHidden(5);
    item.enable();
    item.disable();
    item.setEnabled(true);
    item.setEnabled(false);
    item.command10();
    item.command58();
    EXPECT_EQ(pegtest::sentBy(peer), (std::vector<Sent>{{700, 39, words({0})},
                                                        {700, 39, words({1})},
                                                        {700, 39, words({5})},
                                                        {700, 22, {}},
                                                        {700, 23, {}},
                                                        {700, 22, {}},
                                                        {700, 23, {}},
                                                        {700, 10, {}},
                                                        {700, 58, {}}}));
}

}  // namespace

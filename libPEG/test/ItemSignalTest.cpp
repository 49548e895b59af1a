#include "ItemSignal.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

namespace {

// Receivers that log which object was called with what.
struct Receiver {
    Receiver() = default;
    Receiver(int receiverId, std::vector<std::string>* receiverLog)
        : id(receiverId), log(receiverLog) {}

    int id = 0;
    std::vector<std::string>* log = nullptr;

    void onCommand() { log->push_back(std::to_string(id) + ":command"); }
    void onValue(int value) { log->push_back(std::to_string(id) + ":" + std::to_string(value)); }
    void onFlag(bool on) { log->push_back(std::to_string(id) + (on ? ":on" : ":off")); }
    void onText(const std::u16string& text) {
        texts.push_back(&text);
        log->push_back(std::to_string(id) + ":text" + std::to_string(text.size()));
    }
    bool isReady() const { return id > 0; }

    std::vector<const std::u16string*> texts;
};

struct Base {
    virtual ~Base() = default;
    virtual void hit() { ++baseHits; }
    int baseHits = 0;
};
struct Padding {
    virtual ~Padding() = default;
    int filler = 0;
};
// Second base at a non-zero offset: the member pointer carries a this-adjustment.
struct Derived : Padding, Base {
    void hit() override { ++derivedHits; }
    int derivedHits = 0;
};

TEST(ItemSignal, EmitWithoutReceiversDoesNothing) {
    ItemSignal<void> signal;
    signal.emit();
    ItemSignal<int> values;
    values.emit(3);
    EXPECT_EQ(values.receiverCount(), 0u);
}

TEST(ItemSignal, SamePairIsHeldOnceAndCalledOncePerEmit) {
    std::vector<std::string> log;
    Receiver receiver{1, &log};
    ItemSignal<int> signal;
    signal.connect(makeMemberSlot(&receiver, &Receiver::onValue));
    signal.connect(makeMemberSlot(&receiver, &Receiver::onValue));
    signal.emit(7);
    EXPECT_EQ(log, (std::vector<std::string>{"1:7"}));
}

TEST(ItemSignal, LowerObjectAddressIsCalledFirst) {
    std::vector<std::string> log;
    std::array<Receiver, 2> receivers{Receiver{1, &log}, Receiver{2, &log}};
    ItemSignal<void> signal;
    signal.connect(makeMemberSlot(&receivers[1], &Receiver::onCommand));
    signal.connect(makeMemberSlot(&receivers[0], &Receiver::onCommand));
    signal.emit();
    EXPECT_EQ(log, (std::vector<std::string>{"1:command", "2:command"}));
}

TEST(ItemSignal, TextReceiversShareOneStringObject) {
    std::vector<std::string> log;
    Receiver first{1, &log};
    Receiver second{2, &log};
    ItemSignal<std::u16string> signal;
    signal.connect(makeMemberSlot(&first, &Receiver::onText));
    signal.connect(makeMemberSlot(&second, &Receiver::onText));
    const std::u16string text = u"O2";
    signal.emit(text);
    ASSERT_EQ(first.texts.size(), 1u);
    ASSERT_EQ(second.texts.size(), 1u);
    EXPECT_EQ(first.texts[0], &text);
    EXPECT_EQ(second.texts[0], &text);
}

TEST(ItemSignal, IntegerSignalReachesAMemberTakingBool) {
    std::vector<std::string> log;
    Receiver receiver{4, &log};
    ItemSignal<int> signal;
    signal.connect(ItemSignal<int>::Slot(&receiver, &Receiver::onFlag));
    signal.emit(1);
    signal.emit(0);
    EXPECT_EQ(log, (std::vector<std::string>{"4:on", "4:off"}));
}

TEST(ItemSignal, DisconnectRemovesOnlyThatPair) {
    std::vector<std::string> log;
    Receiver receiver{1, &log};
    ItemSignal<int> signal;
    signal.connect(makeMemberSlot(&receiver, &Receiver::onValue));
    signal.connect(ItemSignal<int>::Slot(&receiver, &Receiver::onFlag));
    signal.disconnect(makeMemberSlot(&receiver, &Receiver::onValue));
    signal.emit(1);
    EXPECT_EQ(log, (std::vector<std::string>{"1:on"}));
}

TEST(MemberSlot, EmptySlotDoesNothingWhenInvoked) {
    MemberSlot<void(int)> empty;
    EXPECT_TRUE(empty.empty());
    empty(5);
    MemberSlot<bool()> query;
    EXPECT_FALSE(query());
}

TEST(MemberSlot, ConstMemberWithResult) {
    Receiver ready{3, nullptr};
    MemberSlot<bool()> query(&ready, &Receiver::isReady);
    EXPECT_FALSE(query.empty());
    EXPECT_TRUE(query());
}

TEST(MemberSlot, VirtualMemberIsDispatchedWithThisAdjustment) {
    Derived object;
    Base* base = &object;
    MemberSlot<void()> viaBase(base, &Base::hit);
    MemberSlot<void()> viaDerived(&object, &Derived::hit);
    viaBase();
    viaDerived();
    EXPECT_EQ(object.derivedHits, 2);
    EXPECT_EQ(object.baseHits, 0);
}

TEST(MemberSlot, EqualityAndOrderFollowObjectThenMember) {
    std::array<Receiver, 2> receivers{};
    auto a = makeMemberSlot(&receivers[0], &Receiver::onCommand);
    auto b = makeMemberSlot(&receivers[1], &Receiver::onCommand);
    EXPECT_TRUE(a == makeMemberSlot(&receivers[0], &Receiver::onCommand));
    EXPECT_TRUE(a < b);
    EXPECT_FALSE(b < a);
    MemberSlot<void(int)> value(&receivers[0], &Receiver::onValue);
    MemberSlot<void(int)> flag(&receivers[0], &Receiver::onFlag);
    EXPECT_TRUE(value != flag);
    EXPECT_NE(value < flag, flag < value);
}

}  // namespace

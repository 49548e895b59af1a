// The framework's system-manager calls: the state table, the state reply exchange, the service
// registry and the messages to the system manager, against a peer task on the link.
#include <cstring>
#include <string>
#include <vector>

#include "HostFramework.h"
#include "KernelTestFixture.h"
#include "Sysmanlib.h"
#include "Tarvo.h"

namespace {

// One message as the system manager receives it on the link.
struct Received {
    uint32_t kind = 0;
    uint32_t argument1 = 0;
    uint32_t argument2 = 0;
    std::string payload;
    size_t length = 0;
};

}  // namespace

class SysmanlibTest : public KernelTest {
  protected:
    void SetUp() override {
        KernelTest::SetUp();
        host::resetFramework();
        ASSERT_EQ(CreateConnection(&block.hLink, &peerEnd), Success);
    }
    void TearDown() override {
        KernelTest::TearDown();
        host::resetFramework();
    }

    // A peer task that receives one message and, when `answer` is set, answers with
    // (answer word, next state).
    void peerReceivesOne(bool answer = false, uint32_t answerWord = 0, uint32_t nextState = 0) {
        start("Peer", [this, answer, answerWord, nextState] {
            char payload[kCommandDataSize] = {};
            Buffer message[3] = {
                {ImmediateBuffer, 0, 0, 0},
                {ImmediateBuffer, 0, 0, 0},
                {DataBuffer | LastBuffer, reinterpret_cast<uintptr_t>(payload), sizeof(payload), 0},
            };
            if (SynchronousReceive(peerEnd, message) != Success) {
                return;
            }
            received.kind = static_cast<uint32_t>(message[0].TheAddress);
            received.argument1 = static_cast<uint32_t>(message[0].Length);
            received.argument2 = static_cast<uint32_t>(message[1].TheAddress);
            received.length = message[2].Transferred;
            received.payload = std::string(payload, strnlen(payload, received.length));
            if (answer) {
                Buffer reply[1] = {{ImmediateBuffer | LastBuffer, answerWord, nextState, 0}};
                SynchronousSend(peerEnd, reply);
            }
        });
    }

    std::vector<uint8_t> description(uint32_t activityId, const std::string& name) {
        std::vector<uint8_t> data(kCommandDataSize, 0);
        data[kServiceDescActivityIdOffset] = static_cast<uint8_t>(activityId);
        std::memcpy(data.data() + kServiceDescNameOffset, name.data(), name.size());
        return data;
    }

    AsInfo block{};  // a fresh fixture, and so a zero block, for each test
    Connection peerEnd = nullptr;
    Received received;
};

TEST_F(SysmanlibTest, StateTableHoldsTheCodesZeroToEighteen) {
    for (uint32_t code = 0; code < kSysmanlibStateCount; ++code) {
        EXPECT_EQ(Sysmanlib_FindState(code), static_cast<int32_t>(code));
    }
    EXPECT_EQ(Sysmanlib_FindState(19), -1);
    EXPECT_EQ(Sysmanlib_FindState(0xFFFFFFFFu), -1);
}

TEST_F(SysmanlibTest, AcceptedStateReplyMovesToTheAnsweredState) {
    block.nStateCode = 3;
    block.nStateIndex = 3;
    peerReceivesOne(true, kSysmanlibAnswerOk, 7);
    EXPECT_EQ(Sysmanlib_SendStateReply(&block, 28), Success);
    host::waitForQuiescence();
    EXPECT_EQ(received.kind, kSysmanlibStateReply);
    EXPECT_EQ(received.argument1, 28u);
    EXPECT_EQ(received.argument2, 3u) << "the state it answers";
    EXPECT_EQ(block.nStateCode, 7u);
    EXPECT_EQ(block.nStateIndex, 7u);
}

TEST_F(SysmanlibTest, RefusedOrUnknownAnswerLeavesTheState) {
    const struct {
        uint32_t word;
        uint32_t state;
    } answers[] = {{21, 7}, {kSysmanlibAnswerOk, 19}};
    for (const auto& answer : answers) {
        block.nStateCode = 4;
        block.nStateIndex = 4;
        peerReceivesOne(true, answer.word, answer.state);
        EXPECT_EQ(Sysmanlib_SendStateReply(&block, 28), IllegalParameter);
        EXPECT_EQ(block.nStateCode, 4u);
        EXPECT_EQ(block.nStateIndex, 4u);
    }
    EXPECT_EQ(Sysmanlib_SendStateReply(nullptr, 28), IllegalParameter);
}

TEST_F(SysmanlibTest, ClosedLinkFailsTheExchange) {
    closeKernelObject(peerEnd);
    EXPECT_EQ(Sysmanlib_SendStateReply(&block, 28), ConnectionClosed);
    EXPECT_EQ(Sysmanlib_SendCode(&block, 25), ConnectionClosed);
}

TEST_F(SysmanlibTest, CodesTriggersAndChecksumsReachTheSystemManager) {
    block.nStateCode = 14;
    const struct {
        uint32_t kind;
        uint32_t argument;
        Error (*send)(AsInfo*);
    } rows[] = {
        {kSysmanlibCode, 25, [](AsInfo* p) { return Sysmanlib_SendCode(p, 25); }},
        {kSysmanlibTriggerProcessed, 14, [](AsInfo* p) { return Sysmanlib_TriggerProcessed(p); }},
        {kSysmanlibChecksum, 0xabcd, [](AsInfo* p) { return Sysmanlib_ReportChecksum(p, 0xabcd); }},
        {kSysmanlibDirChecksum, 0x55,
         [](AsInfo* p) { return Sysmanlib_ReportDirChecksum(p, 0x55); }},
        {kSysmanlibCode, kSysmanlibCodeLoopStarted,
         [](AsInfo* p) { return Error{Sysmanlib_DefaultLoopStart(p)}; }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.kind);
        peerReceivesOne();
        EXPECT_EQ(row.send(&block), Success);
        host::waitForQuiescence();
        EXPECT_EQ(received.kind, row.kind);
        EXPECT_EQ(received.argument1, row.argument);
    }
}

TEST_F(SysmanlibTest, TriggerDoneGoesOverTheRegisteredBlocksLink) {
    EXPECT_EQ(Sysmanlib_TriggerDone(), IllegalParameter) << "no block registered";
    ASSERT_EQ(Sysmanlib_AsInfo_Register(&block), 0);
    peerReceivesOne();
    EXPECT_EQ(Sysmanlib_TriggerDone(), Success);
    host::waitForQuiescence();
    EXPECT_EQ(received.kind, kSysmanlibTriggerDone);
}

TEST_F(SysmanlibTest, RequestedServiceNameIsBounded) {
    peerReceivesOne();
    EXPECT_EQ(Sysmanlib_RequestService(&block, std::string(40, 'S').c_str()), Success);
    host::waitForQuiescence();
    EXPECT_EQ(received.kind, kSysmanlibRequestService);
    EXPECT_EQ(received.payload, std::string(kServiceDescNameSize - 1, 'S'));
    EXPECT_EQ(received.length, kServiceDescNameSize);
    peerReceivesOne();
    EXPECT_EQ(Sysmanlib_RequestService(&block, nullptr), Success);
    host::waitForQuiescence();
    EXPECT_EQ(received.payload, "") << "a component without a service";
}

TEST_F(SysmanlibTest, RegistryConnectsFindsAndReleasesServices) {
    block.hServiceRegistry = Sysmanlib_CreateServiceRegistry("TestAS", 2, 1);
    ASSERT_NE(block.hServiceRegistry, nullptr);
    auto* registry = static_cast<SysmanlibServiceRegistry*>(block.hServiceRegistry);
    static int entryCalls;
    static ServiceObject* entryService;
    entryCalls = 0;
    auto entry = [](AsInfo*, const char** name, void* service) {
        ++entryCalls;
        entryService = static_cast<ServiceObject*>(service);
        return name == nullptr ? 0 : 1;
    };
    Connection first = reinterpret_cast<Connection>(0x10);
    EXPECT_EQ(Sysmanlib_ConnectService(&block, entry, description(101, "First").data(), first,
                                       nullptr, 0),
              0);
    ASSERT_EQ(entryCalls, 1);
    EXPECT_STREQ(entryService->szName, "First");
    EXPECT_EQ(entryService->nActivityId, 101u);
    EXPECT_EQ(entryService->hConnection1, first);
    EXPECT_EQ(entryService->pOwner, &block);
    EXPECT_EQ(
        Sysmanlib_ConnectService(&block, nullptr, description(102, std::string(40, 'L')).data(),
                                 nullptr, nullptr, 1),
        0);
    ServiceObject* second = Sysmanlib_FindServiceByActivity(registry, 102);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(std::string(second->szName), std::string(kServiceDescNameSize, 'L'));
    EXPECT_EQ(second->nFlags, 1u);
    EXPECT_EQ(Sysmanlib_ConnectService(&block, nullptr, description(103, "Third").data(), nullptr,
                                       nullptr, 0),
              ResourceNotAvailable)
        << "the registry is full";
    EXPECT_EQ(
        Sysmanlib_ConnectService(&block, entry, description(104, "").data(), nullptr, nullptr, 0),
        0);
    EXPECT_EQ(entryCalls, 1) << "no name, no service, no entry call";

    EXPECT_EQ(Sysmanlib_FindServiceByArgument(registry, 101), entryService);
    EXPECT_EQ(Sysmanlib_FindServiceByArgument(registry, 999), nullptr);
    peerReceivesOne();
    EXPECT_EQ(Sysmanlib_ReleaseService(entryService), Success);
    host::waitForQuiescence();
    EXPECT_EQ(received.kind, kSysmanlibReleaseService);
    EXPECT_EQ(received.argument1, 101u);
    EXPECT_EQ(received.payload, "First");
    EXPECT_EQ(Sysmanlib_FindServiceByActivity(registry, 101), nullptr);
    EXPECT_EQ(Sysmanlib_FindServiceByActivity(registry, 102), second);
    EXPECT_EQ(Sysmanlib_ReleaseService(nullptr), IllegalParameter);
    EXPECT_EQ(Sysmanlib_CreateServiceRegistry("x", 0, 0), nullptr);
}

TEST_F(SysmanlibTest, RegistrationNameIsSentBoundedWithItsNul) {
    Connection nameEnd = nullptr;
    Connection clientEnd = nullptr;
    ASSERT_EQ(CreateConnection(&clientEnd, &nameEnd), Success);
    std::string name;
    uintptr_t length = 0;
    start("NamePeer", [&] {
        char text[kRegNameSize] = {};
        Buffer message[2] = {
            {ImmediateBuffer, 0, 0, 0},
            {DataBuffer | LastBuffer, reinterpret_cast<uintptr_t>(text), sizeof(text), 0},
        };
        if (SynchronousReceive(nameEnd, message) == Success) {
            name = text;
            length = message[1].Transferred;
        }
    });
    EXPECT_EQ(Sysmanlib_SendName(4, 0, "RegistrationName", 8, 0, clientEnd), Success);
    host::waitForQuiescence();
    EXPECT_EQ(name, "Registr");
    EXPECT_EQ(length, 8u);
    EXPECT_EQ(Sysmanlib_SendName(4, 0, nullptr, 8, 0, clientEnd), IllegalParameter);
}

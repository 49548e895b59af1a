// The service-client base against a service peer: connecting, sending without waiting, and
// records handed to onCommand on the client's service task. Synchronisation goes through the
// peer's waits only.
#include <cstring>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "FrameworkTestSupport.h"
#include "HostKernel.h"
#include "HostService.h"

namespace {

using frameworktest::makeAsInfo;

struct Received {
    uint32_t itemId;
    uint32_t commandCode;
    std::vector<uint8_t> payload;
    Task task;
    bool oddAddress;
};

uint32_t readU32(const uint8_t* bytes) {
    return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
           static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

// Records each command and answers it with command 99 carrying the item id.
class RecordingClient : public ServiceClient {
  public:
    using ServiceClient::ServiceClient;

    int onCommand(const void* pRecord, uint32_t length) override {
        const auto* bytes = static_cast<const uint8_t*>(pRecord);
        received.push_back(Received{readU32(bytes), readU32(bytes + 4),
                                    std::vector<uint8_t>(bytes + 12, bytes + length), CurrentTask(),
                                    (reinterpret_cast<uintptr_t>(pRecord) & 1u) != 0});
        const uint32_t item = readU32(bytes);
        send(item, 99, &item, sizeof item);
        return static_cast<int>(item);
    }

    std::vector<Received> received;
};

class ServiceClientTest : public frameworktest::FrameworkTest {
  protected:
    void SetUp() override {
        frameworktest::FrameworkTest::SetUp();
        host::resetKernel();
        ASSERT_EQ(CreateConnection(&service.hConnection1, &service.hConnection2), Success);
        std::strcpy(service.szName, "ZUB_PEG_Service");
        service.pOwner = block.get();
    }
    void TearDown() override {
        host::resetKernel();
        frameworktest::FrameworkTest::TearDown();
    }

    // Opens `client` and starts a service task for it.
    Task startServing(ServiceClient& client) {
        EXPECT_EQ(client.open(), Success);
        Task task = nullptr;
        EXPECT_EQ(Tarvo_CreateTask(block.get(), 16384, &task, "ZUB_PEG_Service"), Success);
        EXPECT_EQ(Tarvo_StartServiceTask(block.get(), task, 135), Success);
        return task;
    }

    std::unique_ptr<AsInfo> block = makeAsInfo("Vesk");
    ServiceObject service{};
};

TEST_F(ServiceClientTest, OpenNeedsServiceObjectConnectionsAndAPeer) {
    ServiceClient withoutService(block.get(), nullptr);
    EXPECT_EQ(withoutService.open(), IllegalParameter);

    ServiceClient client(block.get(), &service);
    EXPECT_EQ(client.open(), ServiceNotAvailable);  // nobody offers the service yet
    host::ServicePeer peer("ZUB_PEG_Service");
    EXPECT_FALSE(peer.connected());
    EXPECT_EQ(client.open(), Success);
    EXPECT_EQ(client.open(), Success);
    EXPECT_TRUE(peer.waitForClient());

    ServiceClient second(block.get(), &service);
    EXPECT_EQ(second.open(), AlreadyOwned);

    ServiceObject unusable = service;
    unusable.hConnection2 = nullptr;
    ServiceClient third(block.get(), &unusable);
    EXPECT_EQ(third.open(), ServiceNotAvailable);
}

TEST_F(ServiceClientTest, LeavingClientDisconnectsFromThePeer) {
    host::ServicePeer peer("ZUB_PEG_Service");
    {
        ServiceClient client(block.get(), &service);
        ASSERT_EQ(client.open(), Success);
        EXPECT_TRUE(peer.connected());
    }
    EXPECT_FALSE(peer.connected());
    ServiceClient next(block.get(), &service);
    EXPECT_EQ(next.open(), Success);
}

TEST_F(ServiceClientTest, SendQueuesForThePeerWithoutAnyServiceTask) {
    host::ServicePeer peer("ZUB_PEG_Service");
    ServiceClient client(block.get(), &service);
    EXPECT_EQ(client.send(1, 1, nullptr, 0), ServiceNotAvailable);  // not open
    ASSERT_EQ(client.open(), Success);

    const char16_t text[] = u"abc";
    EXPECT_EQ(client.send(0, 1, nullptr, 0), Success);
    EXPECT_EQ(client.sendCommand(310, 26, text, sizeof text), Success);
    EXPECT_EQ(client.send(7, 18, nullptr, 5), Success);  // no payload: the length is ignored
    std::vector<uint8_t> tooLong(kServiceRecordMax - kServiceRecordHeader + 1);
    EXPECT_EQ(client.send(7, 29, tooLong.data(), static_cast<uint32_t>(tooLong.size())),
              BufferTooSmall);

    auto sent = peer.takeSent();
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(sent[0].itemId, 0u);
    EXPECT_EQ(sent[0].commandCode, 1u);
    EXPECT_TRUE(sent[0].payload.empty());
    EXPECT_EQ(sent[1].itemId, 310u);
    EXPECT_EQ(sent[1].commandCode, 26u);
    EXPECT_EQ(sent[1].payload, host::text16Payload(u"abc"));  // 8 bytes, terminator included
    EXPECT_TRUE(sent[2].payload.empty());
    EXPECT_TRUE(peer.takeSent().empty());
}

TEST_F(ServiceClientTest, SendAfterThePeerLeftReportsTheClosedConnection) {
    ServiceClient client(block.get(), &service);
    {
        host::ServicePeer peer("ZUB_PEG_Service");
        ASSERT_EQ(client.open(), Success);
    }
    EXPECT_EQ(client.send(1, 22, nullptr, 0), ConnectionClosed);
}

TEST_F(ServiceClientTest, RecordsReachOnCommandOnTheServiceTaskInArrivalOrder) {
    host::ServicePeer peer("ZUB_PEG_Service");
    RecordingClient client(block.get(), &service);
    ASSERT_EQ(client.open(), Success);
    // Records pushed before the task runs wait for it.
    peer.push(host::makeServiceRecord(410, 29, host::u32Payload(3)));
    const uint64_t second =
        peer.push(host::makeServiceRecord(64101, 26, host::text16Payload(u"x")));
    EXPECT_EQ(client.query(), 2u);
    EXPECT_EQ(peer.handled(second), std::nullopt);

    Task task = nullptr;
    ASSERT_EQ(Tarvo_CreateTask(block.get(), 16384, &task, "ZUB_PEG_Service"), Success);
    ASSERT_EQ(Tarvo_StartServiceTask(block.get(), task, 135), Success);
    const uint64_t third = peer.push(host::makeServiceRecord(100, 10));
    EXPECT_EQ(peer.waitHandled(third), 100);
    EXPECT_EQ(peer.handled(second), 64101);
    EXPECT_EQ(client.query(), 0u);

    ASSERT_EQ(client.received.size(), 3u);
    EXPECT_EQ(client.received[0].itemId, 410u);
    EXPECT_EQ(client.received[0].commandCode, 29u);
    EXPECT_EQ(client.received[0].payload, host::u32Payload(3));
    EXPECT_EQ(client.received[1].payload, host::text16Payload(u"x"));
    EXPECT_EQ(client.received[2].itemId, 100u);
    EXPECT_TRUE(client.received[2].payload.empty());
    for (const Received& r : client.received) {
        EXPECT_TRUE(host::sameObject(r.task, task));
        EXPECT_TRUE(r.oddAddress);
    }
    char name[32];
    ASSERT_EQ(GetTaskName(task, name, sizeof name - 1, nullptr), Success);
    EXPECT_STREQ(name, "ZUB_PEG_Service");

    // The answers sent from onCommand, in order.
    auto sent = peer.takeSent();
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(sent[0].commandCode, 99u);
    EXPECT_EQ(sent[0].payload, host::u32Payload(410));
    EXPECT_EQ(sent[2].payload, host::u32Payload(100));
}

TEST_F(ServiceClientTest, ServiceTaskEndsWithItsLastClientAndUndeliveredRecordsAreDropped) {
    host::ServicePeer peer("ZUB_PEG_Service");
    Task task = nullptr;
    uint64_t pending = 0;
    {
        RecordingClient client(block.get(), &service);
        ASSERT_EQ(client.open(), Success);
        ASSERT_EQ(Tarvo_CreateTask(block.get(), 16384, &task, "display"), Success);
        pending = peer.push(host::makeServiceRecord(1, 10));  // task not started: stays queued
    }
    EXPECT_EQ(peer.waitHandled(pending), std::nullopt);

    std::optional<RecordingClient> client(std::in_place, block.get(), &service);
    const Task served = startServing(*client);
    ASSERT_EQ(peer.waitHandled(peer.push(host::makeServiceRecord(2, 10))), 2);
    client.reset();             // leaves the service and ends the task's loop
    host::waitForQuiescence();  // the task's entry has returned by then
    host::TaskInfo info;
    ASSERT_EQ(host::describeTask(served, &info), Success);
    EXPECT_EQ(info.state, host::TaskState::Ended);
}

// Throws from onCommand, as a faulty display entry would.
class ThrowingClient : public ServiceClient {
  public:
    using ServiceClient::ServiceClient;
    int onCommand(const void*, uint32_t) override { throw std::runtime_error("display fault"); }
};

TEST_F(ServiceClientTest, FaultInOnCommandEndsTheTaskWithoutResultAndTheClientCanLeave) {
    std::string fault;
    host::setTaskFaultHandler([&fault](Task, const char* what) { fault = what; });
    host::ServicePeer peer("ZUB_PEG_Service");
    {
        ThrowingClient client(block.get(), &service);
        const Task task = startServing(client);
        ASSERT_EQ(installTaskErrorHandler(task), Success);
        EXPECT_EQ(peer.waitHandled(peer.push(host::makeServiceRecord(5, 10))), std::nullopt);
        host::waitForQuiescence();
    }  // leaving does not wait for the ended task
    EXPECT_EQ(fault, "display fault");
}

TEST_F(ServiceClientTest, StartServiceTaskChecksItsArguments) {
    Task task = nullptr;
    ASSERT_EQ(Tarvo_CreateTask(block.get(), 16384, &task, nullptr), Success);
    EXPECT_EQ(Tarvo_CreateTask(block.get(), 16384, nullptr, nullptr), IllegalParameter);
    EXPECT_EQ(Tarvo_StartServiceTask(nullptr, task, 135), IllegalParameter);
    EXPECT_EQ(Tarvo_StartServiceTask(block.get(), nullptr, 135), TarvoServiceTaskUnknown);
    EXPECT_EQ(Tarvo_StartServiceTask(block.get(), task, 135), Success);
    EXPECT_EQ(Tarvo_StartServiceTask(block.get(), task, 135), TarvoServiceTaskUnknown);
}

TEST(ServicePeerTest, RecordsAreLittleEndianAndOneNameHasOnePeer) {
    EXPECT_EQ(host::makeServiceRecord(0x01020304, 26, {0xAA}),
              (std::vector<uint8_t>{4, 3, 2, 1, 26, 0, 0, 0, 0, 0, 0, 0, 0xAA}));
    EXPECT_EQ(host::text16Payload(u"\u00e4"), (std::vector<uint8_t>{0xE4, 0, 0, 0}));
    host::ServicePeer peer("Tarvo.Component1");
    EXPECT_THROW(host::ServicePeer("Tarvo.Component1"), std::logic_error);
    EXPECT_THROW(peer.push(host::makeServiceRecord(1, 1)), std::logic_error);  // no client
    EXPECT_THROW(peer.push(std::vector<uint8_t>(11)), std::logic_error);
}

}  // namespace

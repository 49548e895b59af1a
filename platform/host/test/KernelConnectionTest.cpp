// Connections: rendezvous, what each descriptor kind delivers, overflow and closing.
#include <cstring>
#include <string>

#include "KernelTestFixture.h"

namespace {

Buffer immediate(uintptr_t first, uintptr_t second, uint32_t flags = 0) {
    return Buffer{ImmediateBuffer | flags, first, second, 0};
}

Buffer data(void* address, uintptr_t length, uint32_t flags = 0) {
    return Buffer{DataBuffer | flags, reinterpret_cast<uintptr_t>(address), length, 0};
}

Buffer object(uint32_t kind, Object handle, uint32_t flags = 0) {
    return Buffer{kind | flags, reinterpret_cast<uintptr_t>(handle), 0, 0};
}

Object objectIn(const Buffer& descriptor) {
    return reinterpret_cast<Object>(descriptor.TheAddress);
}

class KernelConnectionTest : public KernelTest {
  protected:
    void SetUp() override {
        KernelTest::SetUp();
        ASSERT_EQ(CreateConnection(&one, &other), Success);
    }

    Connection one = nullptr;
    Connection other = nullptr;
    char sentText[8] = "hello";
    char received[16] = {};
    Buffer sent[2] = {};
    Error sendResult = -1;
    Error receiveResult = -1;
};

TEST_F(KernelConnectionTest, SendWaitsUntilTheReceiverHasTakenTheMessage) {
    Task sender = start("sender", [this] {
        sent[0] = immediate(7, 9);
        sent[1] = data(sentText, 6, LastBuffer);
        sendResult = SynchronousSend(one, sent);
    });
    EXPECT_EQ(stateOf(sender), host::TaskState::Blocked);

    Buffer room[2] = {immediate(0, 0), data(received, sizeof received, LastBuffer)};
    EXPECT_EQ(SynchronousReceive(other, room), Success);
    host::waitForQuiescence();

    EXPECT_EQ(sendResult, Success);
    EXPECT_EQ(stateOf(sender), host::TaskState::Ended);
    EXPECT_EQ(room[0].TheAddress, 7u);
    EXPECT_EQ(room[0].Length, 9u);
    EXPECT_EQ(room[1].Transferred, 6u);
    EXPECT_EQ(sent[1].Transferred, 6u);
    EXPECT_STREQ(received, "hello");
}

TEST_F(KernelConnectionTest, ReceiveWaitsForASenderAndEitherEndSends) {
    Task receiver = start("receiver", [this] {
        Buffer room = data(received, sizeof received, LastBuffer);
        receiveResult = SynchronousReceive(one, &room);
    });
    EXPECT_EQ(stateOf(receiver), host::TaskState::Blocked);

    Buffer message = data(sentText, 6, LastBuffer);
    EXPECT_EQ(SynchronousSend(other, &message), Success);
    host::waitForQuiescence();
    EXPECT_EQ(receiveResult, Success);
    EXPECT_STREQ(received, "hello");
}

TEST_F(KernelConnectionTest, ObjectsAreHandedOverAsHandlesOfTheReceiversOwn) {
    Semaphore semaphore = nullptr;
    ASSERT_EQ(CreateSemaphore(0, &semaphore), Success);
    Object handedOver = nullptr;
    start("receiver", [&] {
        Buffer room = object(ObjectBuffer, nullptr, LastBuffer);
        receiveResult = SynchronousReceive(other, &room);
        handedOver = objectIn(room);
        ReleaseSemaphore(handedOver);  // usable by the receiver
        closeKernelObject(handedOver);
    });
    Buffer message = object(ObjectBuffer, semaphore, LastBuffer);
    ASSERT_EQ(SynchronousSend(one, &message), Success);
    host::waitForQuiescence();

    EXPECT_EQ(receiveResult, Success);
    EXPECT_NE(handedOver, semaphore);
    EXPECT_EQ(TryToObtainSemaphore(semaphore), Success) << "released through the other handle";
    EXPECT_EQ(ReleaseSemaphore(semaphore), Success) << "the receiver's close left it open";
}

TEST_F(KernelConnectionTest, LinksAndNullObjectsAreHandedOver) {
    Link link = nullptr;
    ASSERT_EQ(createObjectLink(CurrentTask(), &link), Success);
    Buffer message[2] = {object(LinkBuffer, link), object(ObjectBuffer, nullptr, LastBuffer)};
    Buffer room[2] = {object(LinkBuffer, nullptr),
                      object(ObjectBuffer, reinterpret_cast<Object>(1), LastBuffer)};
    start("sender", [&] { sendResult = SynchronousSend(one, message); });
    ASSERT_EQ(SynchronousReceive(other, room), Success);

    Link receivedLink = objectIn(room[0]);
    EXPECT_NE(receivedLink, link);
    EXPECT_TRUE(host::sameObject(receivedLink, CurrentTask()));
    EXPECT_EQ(objectIn(room[1]), nullptr);
}

struct OverflowCase {
    const char* name;
    int sentDescriptors;
    uintptr_t sentLength;
    uint32_t roomKind;
    Error expected;
    uint32_t transferred;
};

TEST_F(KernelConnectionTest, MessagesThatDoNotFitReportItToBothSides) {
    const OverflowCase cases[] = {
        {"data longer than the room", 1, 8, DataBuffer, BufferTooSmall, 4},
        {"more descriptors than the room", 2, 4, DataBuffer, BufferTooSmall, 4},
        {"another kind of descriptor", 1, 4, ImmediateBuffer, BufferKindMismatch, 0},
    };
    for (const OverflowCase& c : cases) {
        SCOPED_TRACE(c.name);
        char source[8] = {'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h'};
        char target[8] = {};
        Buffer message[2] = {data(source, c.sentLength), immediate(1, 2, LastBuffer)};
        if (c.sentDescriptors == 1) {
            message[0].BufferType |= LastBuffer;
        }
        sendResult = -1;
        start("sender", [&] { sendResult = SynchronousSend(one, message); });
        Buffer room{c.roomKind | LastBuffer, reinterpret_cast<uintptr_t>(target), 4, 99};
        EXPECT_EQ(SynchronousReceive(other, &room), c.expected);
        host::waitForQuiescence();
        EXPECT_EQ(sendResult, c.expected);
        EXPECT_EQ(room.Transferred, c.transferred);
        EXPECT_EQ(std::string(target, c.transferred), std::string(source, c.transferred));
    }
}

TEST_F(KernelConnectionTest, MalformedMessagesAreRefusedBeforeAnythingIsSent) {
    Buffer noLast[16] = {};  // sixteen immediate descriptors, none marked last
    EXPECT_EQ(SynchronousSend(one, noLast), IllegalParameter);
    Buffer nullData = data(nullptr, 4, LastBuffer);
    EXPECT_EQ(SynchronousSend(one, &nullData), IllegalParameter);
    Buffer closedObject = object(ObjectBuffer, reinterpret_cast<Object>(0x7), LastBuffer);
    EXPECT_EQ(SynchronousSend(one, &closedObject), ObjectIsNotValid);
    EXPECT_EQ(SynchronousSend(nullptr, nullptr), NULLObjectSpecified);
}

TEST_F(KernelConnectionTest, ClosingAnEndWakesBothSidesWithClearCodes) {
    start("sender", [this] { sendResult = SynchronousSend(one, nullptr); });
    start("receiver", [this] { receiveResult = SynchronousReceive(one, nullptr); });
    ASSERT_EQ(closeKernelObject(other), Success);
    host::waitForQuiescence();

    EXPECT_EQ(sendResult, ConnectionClosed);
    EXPECT_EQ(receiveResult, ConnectionClosed);
    EXPECT_EQ(SynchronousSend(one, nullptr), ConnectionClosed);
    EXPECT_EQ(SynchronousReceive(other, nullptr), ObjectIsNotValid);
}

TEST_F(KernelConnectionTest, SendersAreServedInArrivalOrder) {
    std::string order;
    for (const char* name : {"1", "2", "3"}) {
        start(name, [this, name] {
            Buffer message = immediate(static_cast<uintptr_t>(name[0]), 0, LastBuffer);
            SynchronousSend(one, &message);
        });
    }
    for (int i = 0; i < 3; ++i) {
        Buffer room = immediate(0, 0, LastBuffer);
        ASSERT_EQ(SynchronousReceive(other, &room), Success);
        order += static_cast<char>(room.TheAddress);
    }
    EXPECT_EQ(order, "123");
}

}  // namespace

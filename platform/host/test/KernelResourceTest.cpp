// Named resources with passwords, links, error names, the atomic word, the memory query and
// injected failures.
#include <cstring>

#include "KernelTestFixture.h"

namespace {

using KernelResourceTest = KernelTest;

TEST_F(KernelResourceTest, AResourceIsGivenOnlyForItsPassword) {
    Semaphore semaphore = nullptr;
    ASSERT_EQ(CreateSemaphore(0, &semaphore), Success);
    ASSERT_EQ(host::registerResource("RealTimeClock", semaphore, "!lanternmeadows"), Success);
    ASSERT_EQ(closeKernelObject(semaphore), Success) << "the registration keeps it open";

    Object requested = nullptr;
    EXPECT_EQ(RequestResource(&requested, "RealTimeClock", "!wrong"), IncorrectPassword);
    EXPECT_EQ(RequestResource(&requested, "RealTimeClock", ""), IncorrectPassword);
    EXPECT_EQ(requested, nullptr);
    EXPECT_EQ(RequestResource(&requested, "NoSuchThing", ""), UnknownResourceName);
    ASSERT_EQ(RequestResource(&requested, "RealTimeClock", "!lanternmeadows"), Success);
    EXPECT_EQ(ReleaseSemaphore(requested), Success);

    Object another = nullptr;
    ASSERT_EQ(RequestResource(&another, "RealTimeClock", "!lanternmeadows"), Success);
    EXPECT_NE(another, requested);
    EXPECT_TRUE(host::sameObject(another, requested));
    EXPECT_EQ(TryToObtainSemaphore(another), Success);
}

TEST_F(KernelResourceTest, EmptyPasswordsMatchNullAndRegistrationsAreUnique) {
    Connection one = nullptr;
    Connection other = nullptr;
    ASSERT_EQ(CreateConnection(&one, &other), Success);
    ASSERT_EQ(host::registerResource("conSysManCmd", one, nullptr), Success);
    EXPECT_EQ(host::registerResource("conSysManCmd", other, ""), IllegalParameter);
    EXPECT_EQ(host::registerResource("", other, ""), IllegalParameter);
    EXPECT_EQ(host::registerResource("bad", nullptr, ""), NULLObjectSpecified);

    Object requested = nullptr;
    EXPECT_EQ(RequestResource(&requested, "conSysManCmd", nullptr), Success);
    EXPECT_EQ(RequestResource(&requested, nullptr, ""), IllegalParameter);
    ASSERT_EQ(host::unregisterResource("conSysManCmd"), Success);
    EXPECT_EQ(RequestResource(&requested, "conSysManCmd", ""), UnknownResourceName);
    EXPECT_EQ(host::unregisterResource("conSysManCmd"), UnknownResourceName);
}

TEST_F(KernelResourceTest, HandlesAreCheckedForTheirKind) {
    Semaphore semaphore = nullptr;
    ASSERT_EQ(CreateSemaphore(0, &semaphore), Success);
    EXPECT_EQ(SignalCondition(semaphore), IncorrectObjectType);
    EXPECT_EQ(WaitForSemaphore(nullptr), NULLObjectSpecified);
    EXPECT_EQ(WaitForLocalMutex(reinterpret_cast<LocalMutex>(semaphore)), IncorrectObjectType);
    Buffer descriptor{ImmediateBuffer | LastBuffer, 0, 0, 0};
    EXPECT_EQ(SynchronousReceive(semaphore, &descriptor), IllegalParameter)
        << "a semaphore is received on without descriptors";
}

TEST_F(KernelResourceTest, LinksAndTheAddressSpaceObject) {
    Object space = objectByIndex(1);
    ASSERT_NE(space, nullptr);
    EXPECT_EQ(objectByIndex(2), nullptr);
    Link link = nullptr;
    ASSERT_EQ(createObjectLink(space, &link), Success);
    Link linkToLink = nullptr;
    ASSERT_EQ(createObjectLink(link, &linkToLink), Success);
    EXPECT_TRUE(host::sameObject(linkToLink, space));
    EXPECT_FALSE(host::sameObject(link, CurrentTask()));
    EXPECT_EQ(closeKernelObject(space), IllegalParameter) << "the address space stays";

    uint32_t pages = 0;
    ASSERT_EQ(addressSpaceMemoryPages(space, &pages), Success);
    EXPECT_GT(pages, 0u);
    EXPECT_EQ(addressSpaceMemoryPages(link, &pages), IncorrectObjectType);
}

TEST_F(KernelResourceTest, AtomicModifyWordClearsThenSetsAndGivesTheOldValue) {
    uint32_t word = 0xF0;
    uint32_t old = 0;
    ASSERT_EQ(atomicModifyWord(&word, &old, 0x30, 0x1), Success);
    EXPECT_EQ(old, 0xF0u);
    EXPECT_EQ(word, 0xC1u);
    EXPECT_EQ(atomicModifyWord(nullptr, &old, 0, 1), IllegalParameter);
}

TEST_F(KernelResourceTest, ErrorCodesHaveTheirNames) {
    EXPECT_STREQ(KernelErrorName(Success), "Success");
    EXPECT_STREQ(KernelErrorName(ResourceNotAvailable), "ResourceNotAvailable");
    EXPECT_STREQ(KernelErrorName(138), "ResourceNotAvailable");
    EXPECT_STREQ(KernelErrorName(209), "OperationTimedOut");
    EXPECT_STREQ(KernelErrorName(140), "CallerDoesntOwnTheSemaphore");
    EXPECT_STREQ(KernelErrorName(16), "NULLObjectSpecified");
    EXPECT_STREQ(KernelErrorName(IncorrectPassword), "IncorrectPassword");
    EXPECT_STREQ(KernelErrorName(12345), "UnknownError");
}

TEST_F(KernelResourceTest, AnInjectedFailureHitsTheNextCallOfThatFunctionOnly) {
    host::failNextCall("CreateSemaphore", 5);
    Semaphore semaphore = nullptr;
    EXPECT_EQ(CreateBinarySemaphore(&semaphore), Success) << "another function";
    semaphore = nullptr;
    EXPECT_EQ(CreateSemaphore(1, &semaphore), 5);
    EXPECT_EQ(semaphore, nullptr);
    EXPECT_EQ(CreateSemaphore(1, &semaphore), Success);
    EXPECT_NE(semaphore, nullptr);
}

}  // namespace

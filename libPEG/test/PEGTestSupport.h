// Helpers of the display-library tests: the program's display entry as a settable function, and
// a fixture with a registered address-space block, a display service peer and its service
// object.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <vector>

#include "FrameworkTestSupport.h"
#include "HostKernel.h"
#include "HostService.h"
#include "Kernel.h"
#include "PEG.h"
#include "PEGDispatcher.h"

namespace pegtest {

using DisplayEntry = std::function<int(ServiceObject*, const PEGCommand*)>;

// What OnPegEvent does from now on; empty: answers 0. Set while no command is handled.
void setDisplayEntry(DisplayEntry entry);

// A registered block (set up, so it has the text dictionary), a peer offering
// "ZUB_PEG_Service" and a usable service object of that name. The client that PEG_connect
// makes is destroyed at the end.
class DisplayServiceTest : public frameworktest::FrameworkTest {
  protected:
    void SetUp() override {
        frameworktest::FrameworkTest::SetUp();
        host::resetKernel();
        currentPEGClient = nullptr;
        ASSERT_EQ(Sysmanlib_AsInfo_Register(block.get()), Success);
        ASSERT_NE(Sysmanlib_AsInfo_Setup(block.get(), 0), 0);
        ASSERT_EQ(CreateConnection(&service.hConnection1, &service.hConnection2), Success);
        std::strcpy(service.szName, kPEGServiceName);
        service.nActivityId = 100;
        service.pOwner = block.get();
    }
    void TearDown() override {
        delete service.pClient;
        currentPEGClient = nullptr;
        setDisplayEntry(nullptr);
        host::resetKernel();
        frameworktest::FrameworkTest::TearDown();
    }

    // The client of the service object, made by PEG_connect.
    void connect() { ASSERT_EQ(PEG_connect(block.get(), &service, nullptr), 0); }

    std::unique_ptr<AsInfo> block = frameworktest::makeAsInfo("Vesk");
    ServiceObject service{};
    host::ServicePeer peer{kPEGServiceName};
};

// A peer offering "ZUB_PEG_Service" and a plain client opened on it, for the items' senders.
// The kernel is not reset: the item dispatcher's mutex, made at its first use, lives as long as
// the test process.
class ItemTest : public frameworktest::FrameworkTest {
  protected:
    void SetUp() override {
        frameworktest::FrameworkTest::SetUp();
        currentPEGClient = nullptr;
        ASSERT_EQ(CreateConnection(&service.hConnection1, &service.hConnection2), Success);
        std::strcpy(service.szName, kPEGServiceName);
        client = std::make_unique<ServiceClient>(nullptr, &service);
        service.pClient = client.get();
        ASSERT_EQ(client->open(), Success);
    }
    void TearDown() override {
        currentPEGClient = nullptr;
        client.reset();
        closeKernelObject(service.hConnection1);
        closeKernelObject(service.hConnection2);
        frameworktest::FrameworkTest::TearDown();
    }

    ServiceObject service{};
    host::ServicePeer peer{kPEGServiceName};
    std::unique_ptr<ServiceClient> client;
};

// A sent command as the tests compare it.
struct Sent {
    uint32_t itemId;
    uint32_t commandCode;
    std::vector<uint8_t> payload;
    bool operator==(const Sent& other) const {
        return itemId == other.itemId && commandCode == other.commandCode &&
               payload == other.payload;
    }
};
void PrintTo(const Sent& sent, std::ostream* os);
std::vector<Sent> sentBy(host::ServicePeer& peer);

// Payload bytes: little-endian words, a narrow text with its NUL, a UTF-16 text with its
// terminator.
std::vector<uint8_t> words(std::initializer_list<uint32_t> values);
std::vector<uint8_t> narrow(const char* text);
std::vector<uint8_t> wide(const std::u16string& text);

}  // namespace pegtest

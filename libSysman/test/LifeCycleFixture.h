// A test address space started against the simulated system manager and display service on
// virtual time; torn down by ending the simulation.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "HostFramework.h"
#include "HostKernel.h"
#include "HostTrace.h"
#include "SimDisplayService.h"
#include "SimSystemManager.h"
#include "Tarvo.h"
#include "TestAddressSpace.h"
#include "libSysman.h"

class LifeCycleTest : public ::testing::Test {
  protected:
    void SetUp() override {
        host::resetKernel();
        host::resetFramework();
        host::resetTraceSettings();
        host::setTraceLevel(15);
        host::useVirtualTime();
    }

    void TearDown() override {
        manager.reset();
        display.reset();
        sim::configureTestAddressSpace({});
        SysManRegisterDefaultHooks(nullptr);
        host::resetFramework();
        host::resetTraceSettings();
    }

    // Starts the simulation and the test address space and waits for its registration.
    bool start(sim::SystemManagerOptions options = {}, sim::TestAddressSpaceOptions space = {}) {
        sim::configureTestAddressSpace(space);
        manager = std::make_unique<sim::SystemManager>(std::move(options));
        display = std::make_unique<sim::DisplayService>();
        task = host::spawnTask("TestAS", sim::runTestAddressSpace);
        manager->watchTask(task);
        return manager->awaitRegistration();
    }

    // Starts the simulation and an address space whose initial task runs `body`.
    bool startWith(void (*body)()) {
        sim::configureTestAddressSpace({});
        manager = std::make_unique<sim::SystemManager>(sim::SystemManagerOptions{});
        display = std::make_unique<sim::DisplayService>();
        task = host::spawnTask("TestAS", body);
        manager->watchTask(task);
        return manager->awaitRegistration();
    }

    // Start, the whole start-up and RUN.
    bool startAndRun(sim::SystemManagerOptions options = {},
                     sim::TestAddressSpaceOptions space = {}) {
        return start(std::move(options), space) && manager->startUp() && manager->run();
    }

    AsInfo* block() const { return Sysmanlib_AsInfo_GetCurrent(); }

    std::vector<uint32_t> replies() const {
        std::vector<uint32_t> codes;
        for (const sim::Event& event : manager->events(sim::EventKind::StateReply)) {
            codes.push_back(event.value);
        }
        return codes;
    }

    // Slots called since the first `from` calls.
    static std::vector<int> slotsSince(size_t from) {
        std::vector<int> slots = sim::testHookSlots();
        return std::vector<int>(slots.begin() + static_cast<std::ptrdiff_t>(from), slots.end());
    }

    // The fatal stops the simulated system manager saw.
    std::vector<sim::Event> stops() const { return manager->events(sim::EventKind::FatalStop); }

    std::unique_ptr<sim::SystemManager> manager;
    std::unique_ptr<sim::DisplayService> display;
    Task task = nullptr;
};

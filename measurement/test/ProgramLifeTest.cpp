// The program-wide holders of a local mutex across lives of the address space in one process:
// each life opens its own lock, and the end of the life closes it exactly once.
#include <gtest/gtest.h>

#include <functional>

#include "HostFramework.h"
#include "HostKernel.h"
#include "HostTrace.h"
#include "PEGDispatcher.h"
#include "UpdatableRegistry.h"
#include "VeskInstance.h"

namespace {

// One holder and a use of it that takes its lock.
struct Holder {
    const char* name;
    std::function<void()> use;
};

const Holder kHolders[] = {
    {"registry", [] { UpdatableRegistry::instance().markChanged(); }},
    {"application object", [] { VeskInstance::shared().use([](Vesk&) {}); }},
    {"item dispatcher", [] { PEGDispatcher::instance().find(1); }},
};

class ProgramLifeTest : public ::testing::Test {
  protected:
    void SetUp() override {
        host::resetKernel();
        host::setTraceLevel(7);
    }
    void TearDown() override {
        host::resetKernel();
        host::resetTraceSettings();
    }
};

TEST_F(ProgramLifeTest, EachLifeOpensItsOwnLockAndItsEndClosesItOnce) {
    for (const Holder& holder : kHolders) {
        SCOPED_TRACE(holder.name);
        host::TraceWatch errors(3);
        const size_t before = host::openObjectCount();
        ASSERT_NO_THROW(holder.use());
        const size_t opened = host::openObjectCount();
        EXPECT_GT(opened, before) << "the first life opened a lock";

        host::resetKernel();  // the life ends; the next begins in the same process
        ASSERT_NO_THROW(holder.use()) << "the next life's lock is its own";
        EXPECT_EQ(host::openObjectCount(), opened - before) << "and the only one open";

        host::endAllTasks();
        host::runStaticDestructors();  // the second life's memory goes before its objects
        EXPECT_EQ(host::openObjectCount(), 0u) << "its end closed the lock";
        EXPECT_TRUE(errors.records().empty())
            << "no failed call: id " << std::hex << errors.records().front().id;
    }
}

}  // namespace

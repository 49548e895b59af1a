#include <gtest/gtest.h>

#include <vector>

#include "HostKernel.h"
#include "Status.h"
#include "TreeFixture.h"

namespace {

class OxygenStatusTest : public TreeFixture {
  protected:
    OxygenStatus make() {
        return OxygenStatus(node("Oxygen.SNo2.CStatus_O2"), node("Oxygen.SNo2.LhStatus_O2"),
                            node("Oxygen.SNo2.myAlarm"), node("Oxygen.SNo2.myWarning"),
                            node("Oxygen.SNo2.Rev_O2"), &reset1, &reset2,
                            node("Oxygen.SNo2.myInputFailureAlarm"), node("General.Imp_zeroQn"));
    }
    uint32_t live() const { return tree->wordValue("Oxygen.SNo2.CStatus_O2"); }
    uint32_t latched() const { return tree->wordValue("Oxygen.SNo2.LhStatus_O2"); }

    ItemSignal<void> reset1;
    ItemSignal<void> reset2;
};

TEST_F(OxygenStatusTest, EventsOfOneCycle) {
    struct Case {
        const char* name;
        const char* output;  // bool node set true for the cycle, or null
        bool unweighted;
        uint32_t word;
    };
    const std::vector<Case> cases = {
        {"idle", nullptr, false, 0x4000},
        {"alarm", "Oxygen.SNo2.myAlarm", false, 0x4001},
        {"warning", "Oxygen.SNo2.myWarning", false, 0x4002},
        {"revision", "Oxygen.SNo2.Rev_O2", false, 0x4004},
        {"input failure", "Oxygen.SNo2.myInputFailureAlarm", false, 0xC000},
        {"zero flow", "General.Imp_zeroQn", false, 0x14000},
        {"unweighted", nullptr, true, 0x0},
    };
    for (const Case& c : cases) {
        OxygenStatus status(make());
        if (c.output != nullptr) {
            tree->setBool(c.output, true);
        }
        status.update(c.unweighted, false);
        EXPECT_EQ(live(), c.word) << c.name;
        if (c.output != nullptr) {
            tree->setBool(c.output, false);
        }
    }
}

TEST_F(OxygenStatusTest, ZeroFlowCountsOnlyWhenUsable) {
    OxygenStatus status(make());
    tree->setBool("General.Imp_zeroQn", true);
    tree->setStatus("General.Imp_zeroQn", 0x2);
    status.update(false, false);
    EXPECT_EQ(live(), 0x4000u);
    tree->setStatus("General.Imp_zeroQn", 0x0);
    tree->setInUse("General.Imp_zeroQn", false);
    status.update(false, false);
    EXPECT_EQ(live(), 0x4000u);
}

// The word is latched in the cycle whose reading of the periods has the hour ended, never on
// the trigger node itself: a trigger set while the cycle's reading says otherwise latches
// nothing.
TEST_F(OxygenStatusTest, TheHourEndLatchesThePeriodWord) {
    OxygenStatus status(make());
    tree->setBool("Oxygen.SNo2.Rev_O2", true);
    status.update(false, false);
    EXPECT_EQ(latched(), 0u);
    tree->setBool("Oxygen.SNo2.Rev_O2", false);
    tree->setBool("General.TrigAvg_Hour", true);
    status.update(false, false);
    EXPECT_EQ(latched(), 0u);
    EXPECT_EQ(live(), 0x4004u);  // revision stays recorded until the hour ends
    status.update(true, true);
    EXPECT_EQ(latched(), 0x0004u);  // including this cycle's event
    EXPECT_EQ(live(), 0x4000u);
}

TEST_F(OxygenStatusTest, ResetRequestsAreReportedOnce) {
    OxygenStatus status(make());
    reset1.emit();
    reset1.emit();
    reset2.emit();
    status.update(false, false);
    EXPECT_EQ(live(), 0x4018u);
    status.update(false, true);
    EXPECT_EQ(latched(), 0x4018u);
    status.update(false, false);
    EXPECT_EQ(live(), 0x4000u);  // requests were taken by the first update
}

TEST_F(OxygenStatusTest, RequestsFromTheDisplayTask) {
    OxygenStatus status(make());
    host::spawnTask("display", [this] {
        for (int i = 0; i < 200; ++i) {
            reset1.emit();
        }
    });
    for (int i = 0; i < 200; ++i) {
        status.update(false, false);
    }
    host::waitForQuiescence();
    status.update(false, false);
    EXPECT_EQ(live(), 0x4008u);
}

TEST_F(OxygenStatusTest, DisconnectsOnDestruction) {
    {
        OxygenStatus status(make());
        EXPECT_EQ(reset1.receiverCount(), 1u);
        EXPECT_EQ(reset2.receiverCount(), 1u);
    }
    EXPECT_EQ(reset1.receiverCount(), 0u);
    reset1.emit();
}

}  // namespace

// Access rights, taste name, display context, framework components, the debug allocator and the
// exit-time destructor list.
#include <vector>

#include "FrameworkTestSupport.h"

namespace {

using frameworktest::makeAsInfo;
using FrameworkServicesTest = frameworktest::FrameworkTest;

TEST_F(FrameworkServicesTest, AccessRightsFollowTheGrantedMask) {
    auto block = makeAsInfo();
    EXPECT_EQ(Tarvo_CheckAccess(block.get(), 12), Success);  // all granted by default
    host::setAccessRights(~(1u << 12));
    EXPECT_EQ(Tarvo_CheckAccess(block.get(), 12), TarvoAccessDenied);
    EXPECT_EQ(Tarvo_CheckAccess(block.get(), 11), Success);
    EXPECT_EQ(Tarvo_CheckAccess(block.get(), 32), TarvoAccessDenied);
    EXPECT_EQ(Tarvo_CheckAccess(nullptr, 11), TarvoAccessDenied);
}

TEST_F(FrameworkServicesTest, TasteNameStaysValidAfterAChange) {
    auto block = makeAsInfo();
    EXPECT_STREQ(Tarvo_GetTasteName(block.get()), "");
    host::setTasteName("ZM1");
    const char* zm1 = Tarvo_GetTasteName(block.get());
    host::setTasteName("BM1");
    EXPECT_STREQ(zm1, "ZM1");
    EXPECT_STREQ(Tarvo_GetTasteName(block.get()), "BM1");
    EXPECT_STREQ(Tarvo_GetTasteName(nullptr), "");
}

TEST_F(FrameworkServicesTest, DisplayContextIsLentUntilReleased) {
    auto block = makeAsInfo();
    EXPECT_EQ(Tarvo_DisplayContext(block.get()), nullptr);
    host::setDisplayContext(std::string("Vesk.I1.PP.PP_3"));
    const char* context = Tarvo_DisplayContext(block.get());
    ASSERT_NE(context, nullptr);
    host::setDisplayContext(std::string("Vesk.I1.PPGrp.ALev2"));
    EXPECT_STREQ(context, "Vesk.I1.PP.PP_3");  // the lent text does not change under the caller
    Tarvo_ReleaseDisplayContext(0);
    EXPECT_STREQ(Tarvo_DisplayContext(block.get()), "Vesk.I1.PPGrp.ALev2");
    Tarvo_ReleaseDisplayContext(0);
    EXPECT_EQ(Tarvo_DisplayContext(nullptr), nullptr);
}

TEST_F(FrameworkServicesTest, ComponentsNameTheirServiceAndKeepTheConnectedOne) {
    const ComponentStartFunction entries[] = {Tarvo_Component1Init, Tarvo_Component2Init,
                                              Tarvo_Component3Init, Tarvo_Component4Init,
                                              Tarvo_Component5Init, Tarvo_Component6Init};
    auto block = makeAsInfo();
    ServiceObject services[6] = {};
    for (int i = 0; i < 6; ++i) {
        const char* name = nullptr;
        EXPECT_EQ(entries[i](block.get(), &name, nullptr), 0);
        EXPECT_EQ(std::string(name), "Tarvo.Component" + std::to_string(i + 1));
        EXPECT_EQ(host::componentService(i + 1), nullptr);
        EXPECT_EQ(entries[i](block.get(), nullptr, &services[i]), 0);
        EXPECT_EQ(host::componentService(i + 1), &services[i]);
        EXPECT_EQ(entries[i](nullptr, &name, nullptr), IllegalParameter);
    }
    EXPECT_EQ(host::componentService(0), nullptr);
    EXPECT_EQ(host::componentService(7), nullptr);
}

TEST_F(FrameworkServicesTest, ComponentStepsNeedABlock) {
    auto block = makeAsInfo();
    for (auto step : {Tarvo_Component1Start, Tarvo_Component2Start, Tarvo_Component3Start,
                      Tarvo_Component4TaskSetup}) {
        EXPECT_EQ(step(block.get()), Success);
        EXPECT_EQ(step(nullptr), IllegalParameter);
    }
}

TEST_F(FrameworkServicesTest, DebugAllocGivesZeroedBlocks) {
    const size_t before = host::debugAllocationCount();
    auto* block = static_cast<AsInfo*>(Tarvo_DebugAlloc(1, sizeof(AsInfo), "src/test", 1, 0));
    ASSERT_NE(block, nullptr);
    const auto* bytes = reinterpret_cast<const uint8_t*>(block);
    for (size_t i = 0; i < sizeof(AsInfo); ++i) {
        ASSERT_EQ(bytes[i], 0u) << i;
    }
    EXPECT_EQ(Tarvo_DebugAlloc(1, 0, "src/test", 2, 0), nullptr);
    EXPECT_EQ(host::debugAllocationCount(), before + 1);
}

std::vector<int> destroyed;

void recordDestruction(void* object) {
    destroyed.push_back(*static_cast<int*>(object));
}

TEST_F(FrameworkServicesTest, StaticDestructorsRunLastRegisteredFirst) {
    static int first = 1;
    static int second = 2;
    static StaticDestructorRecord records[] = {{nullptr, &first, recordDestruction},
                                               {nullptr, &second, recordDestruction},
                                               {nullptr, &first, nullptr}};
    destroyed.clear();
    for (auto& record : records) {
        registerStaticDestructor(&record);
    }
    registerStaticDestructor(nullptr);
    host::runStaticDestructors();
    EXPECT_EQ(destroyed, (std::vector<int>{2, 1}));
    host::runStaticDestructors();  // the list is empty now
    EXPECT_EQ(destroyed.size(), 2u);
}

}  // namespace

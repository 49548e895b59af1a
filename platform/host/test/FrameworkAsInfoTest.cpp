#include "FrameworkTestSupport.h"
#include "TarvoText.h"

namespace {

using frameworktest::makeAsInfo;
using AsInfoRegistryTest = frameworktest::FrameworkTest;

TEST_F(AsInfoRegistryTest, NothingIsRegisteredAtFirst) {
    EXPECT_EQ(Sysmanlib_AsInfo_GetCurrent(), nullptr);
    EXPECT_EQ(Sysmanlib_AsInfo_IsRegistered(), 0);
    EXPECT_EQ(Sysmanlib_AsInfo_Registered(), 0);
    EXPECT_STREQ(Sysmanlib_AsInfo_GetName(), "");
    EXPECT_EQ(Sysmanlib_AsInfo_GetLanguage(), 0);
    EXPECT_EQ(Sysmanlib_AsInfo_GetInstanceIndex(), 0u);
}

TEST_F(AsInfoRegistryTest, RegisteredBlockGivesNameLanguageAndInstance) {
    auto block = makeAsInfo("Vesk", 3, 2);
    ASSERT_EQ(Sysmanlib_AsInfo_Register(block.get()), Success);
    EXPECT_EQ(Sysmanlib_AsInfo_GetCurrent(), block.get());
    EXPECT_NE(Sysmanlib_AsInfo_IsRegistered(), 0);
    EXPECT_EQ(Sysmanlib_AsInfo_Registered(), 1);
    EXPECT_STREQ(Sysmanlib_AsInfo_GetName(), "Vesk");
    EXPECT_EQ(Sysmanlib_AsInfo_GetLanguage(), 3);  // as set: any non-zero value is the second
    EXPECT_EQ(Sysmanlib_AsInfo_GetInstanceIndex(), 2u);
}

TEST_F(AsInfoRegistryTest, SecondRegistrationIsRefusedAndKeepsTheFirst) {
    auto first = makeAsInfo("First");
    auto second = makeAsInfo("Second");
    ASSERT_EQ(Sysmanlib_AsInfo_Register(first.get()), Success);
    EXPECT_EQ(Sysmanlib_AsInfo_Register(second.get()), AlreadyOwned);
    EXPECT_EQ(Sysmanlib_AsInfo_Register(nullptr), IllegalParameter);
    EXPECT_EQ(Sysmanlib_AsInfo_GetCurrent(), first.get());
    EXPECT_EQ(Sysmanlib_AsInfo_Registered(), 1);
}

TEST_F(AsInfoRegistryTest, NameWithoutTerminatorInItsFieldReadsEmpty) {
    auto block = makeAsInfo();
    std::memset(block->selfInfo.szAsName, 'x', sizeof(block->selfInfo.szAsName));
    ASSERT_EQ(Sysmanlib_AsInfo_Register(block.get()), Success);
    EXPECT_STREQ(Sysmanlib_AsInfo_GetName(), "");
}

TEST_F(AsInfoRegistryTest, HostOverridesLanguageAndInstanceUntilCleared) {
    auto block = makeAsInfo("Vesk", 0, 1);
    ASSERT_EQ(Sysmanlib_AsInfo_Register(block.get()), Success);
    host::setLanguage(1);
    host::setInstanceIndex(7);
    EXPECT_EQ(Sysmanlib_AsInfo_GetLanguage(), 1);
    EXPECT_EQ(Sysmanlib_AsInfo_GetInstanceIndex(), 7u);
    host::setLanguage(std::nullopt);
    host::setInstanceIndex(std::nullopt);
    EXPECT_EQ(Sysmanlib_AsInfo_GetLanguage(), 0);
    EXPECT_EQ(Sysmanlib_AsInfo_GetInstanceIndex(), 1u);
}

TEST_F(AsInfoRegistryTest, SetupSucceedsOnlyForTheRegisteredBlockAndConnectsTheTextService) {
    auto block = makeAsInfo();
    auto other = makeAsInfo("Other");
    EXPECT_EQ(Sysmanlib_AsInfo_Setup(block.get(), 0), 0);  // not registered yet
    ASSERT_EQ(Sysmanlib_AsInfo_Register(block.get()), Success);
    EXPECT_EQ(Sysmanlib_AsInfo_Setup(nullptr, 0), 0);
    EXPECT_EQ(Sysmanlib_AsInfo_Setup(other.get(), 0), 0);
    EXPECT_EQ(other->pTextService, nullptr);

    EXPECT_NE(Sysmanlib_AsInfo_Setup(block.get(), 0), 0);
    ASSERT_NE(block->pTextService, nullptr);
    const auto* service = static_cast<const ServiceObject*>(block->pTextService);
    EXPECT_EQ(service->pOwner, block.get());
    EXPECT_NE(textDictionaryOf(block.get()), nullptr);
    EXPECT_EQ(textDictionaryOf(other.get()), nullptr);
}

}  // namespace

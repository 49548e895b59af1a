// The taste: the layout chosen by exact name, and every accessor's node in each layout's tree,
// walked before the first reload and found at a reload.
#include <stdexcept>

#include "CalorantFixture.h"
#include "Calorant_AccessClasses.h"

namespace {

using calorant_test::CalorantFixture;
using calorant_test::removeModelNode;

TEST(TasteKindTest, OnlyTheExactNamesSelectZM1AndBM1) {
    struct Case {
        const char* name;
        TasteKind kind;
    };
    const Case cases[] = {
        {"ZM1", kTasteZM1},         {"BM1", kTasteBM1},     {"zm1", kTasteDefault},
        {"ZM1 ", kTasteDefault},    {"ZM", kTasteDefault},  {"ZM12", kTasteDefault},
        {"bm1", kTasteDefault},     {"BM", kTasteDefault},  {"", kTasteDefault},
        {"Default", kTasteDefault}, {"ZM2", kTasteDefault}, {" BM1", kTasteDefault},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("name \"") + c.name + "\"");
        EXPECT_EQ(TasteKindOfName(c.name), c.kind);
        FbDoNodeObject root{};
        const Taste taste(c.name, &root);
        EXPECT_EQ(taste.kind(), c.kind);
        EXPECT_EQ(taste.getDefault(), c.kind == kTasteDefault ? &root : nullptr);
        EXPECT_EQ(taste.getZM1(), c.kind == kTasteZM1 ? &root : nullptr);
        EXPECT_EQ(taste.getBM1(), c.kind == kTasteBM1 ? &root : nullptr);
    }
}

// A taste whose kind was never set, as storage that was not constructed holds it.
class UnselectedTaste : public Taste {};

TEST(TasteKindTest, EveryAccessorOfAnUnselectedTasteThrowsWithItsLine) {
    const UnselectedTaste taste;
    const uint16_t lines[] = {44,  55,  66,  77,  88,  99,  110, 121, 132, 143, 154, 165,
                              176, 187, 198, 209, 220, 231, 242, 253, 264, 275, 286, 297,
                              308, 319, 330, 341, 353, 364, 375, 386, 397, 408, 419, 430,
                              441, 452, 463, 474, 485, 496, 507, 518, 529, 540, 551, 563};
    ASSERT_EQ(sizeof(lines) / sizeof(lines[0]), static_cast<size_t>(TasteRole::Count));
    for (size_t role = 0; role < static_cast<size_t>(TasteRole::Count); ++role) {
        SCOPED_TRACE("role " + std::to_string(role));
        try {
            taste.node(static_cast<TasteRole>(role));
            ADD_FAILURE() << "no exception";
        } catch (const std::runtime_error& failure) {
            EXPECT_EQ(std::string(failure.what()),
                      "src/Taste:" + std::to_string(lines[role]) + " No taste selected");
        }
    }
    EXPECT_THROW(taste.getVar(), std::runtime_error);
    EXPECT_THROW(taste.getCompDefault(), std::runtime_error);
}

TEST(TasteKindTest, FindingTheNodesOfAnUnselectedTasteLeavesItsAccessorsThrowing) {
    UnselectedTaste taste;
    taste.findNodes();
    EXPECT_THROW(taste.getVar(), std::runtime_error);
    EXPECT_THROW(taste.getEventsBM1(), std::runtime_error);
}

// Each accessor with its node path per layout ("" = the layout has no such node).
struct AccessorCase {
    const char* accessor;
    FbDoNode (Taste::*get)() const;
    const char* paths[3];  // Default, ZM1, BM1 (parameter names in the layout models)
};

const AccessorCase kAccessors[] = {
    {"getCompDefault", &Taste::getCompDefault, {"Comp", "", ""}},
    {"getCompZM1", &Taste::getCompZM1, {"", "Comp", ""}},
    {"getCompBM1", &Taste::getCompBM1, {"", "", "Comp"}},
    {"getSourceRefCond",
     &Taste::getSourceRefCond,
     {"Source.RefCond", "Source.RefCond", "Source.RefCond"}},
    {"getMeasCalcMethod",
     &Taste::getMeasCalcMethod,
     {"8.MeasCalcMethod", "7.MeasCalcMethod", "8.MeasCalcMethod"}},
    {"getCalcMethod", &Taste::getCalcMethod, {"8.CalcMethod", "7.CalcMethod", "8.CalcMethod"}},
    {"getCalcMethodOption",
     &Taste::getCalcMethodOption,
     {"8.CalcMethodOption", "7.CalcMethodOption", "8.CalcMethodOption"}},
    {"getMeasCond", &Taste::getMeasCond, {"MeasCond", "MeasCond", "MeasCond"}},
    {"getBase1Default", &Taste::getBase1Default, {"Base1", "", ""}},
    {"getBase1ZM1", &Taste::getBase1ZM1, {"", "Base1", ""}},
    {"getBase1BM1", &Taste::getBase1BM1, {"", "", "Base1"}},
    {"getBase1RefCond",
     &Taste::getBase1RefCond,
     {"Base1.RefCond", "Base1.RefCond", "Base1.RefCond"}},
    {"getBase1Const",
     &Taste::getBase1Const,
     {"Base1.ZmZb_on_error", "Base1.ZmZb_on_error", "Base1.ZmZb_on_error"}},
    {"getBase1C", &Taste::getBase1C, {"Base1.C", "Base1.C", "Base1.C"}},
    {"getBase1rhob", &Taste::getBase1rhob, {"Base1.rhob", "Base1.rhob", "Base1.rhob"}},
    {"getBase1d", &Taste::getBase1d, {"Base1.d", "Base1.d", "Base1.d"}},
    {"getBase1HsV", &Taste::getBase1HsV, {"Base1.HsV", "Base1.HsV", "Base1.HsV"}},
    {"getBase1HiV", &Taste::getBase1HiV, {"Base1.HiV", "", ""}},
    {"getBase1HsM", &Taste::getBase1HsM, {"Base1.HsM", "", ""}},
    {"getBase1HiM", &Taste::getBase1HiM, {"Base1.HiM", "", ""}},
    {"getBase1Ws", &Taste::getBase1Ws, {"Base1.Ws", "", ""}},
    {"getBase1Wi", &Taste::getBase1Wi, {"Base1.Wi", "", ""}},
    {"getBase1pb", &Taste::getBase1pb, {"Base1.pb", "Base1.pb", "Base1.pb"}},
    {"getBase1tb", &Taste::getBase1tb, {"Base1.tb", "Base1.tb", "Base1.tb"}},
    {"getBase1K", &Taste::getBase1K, {"Base1.K", "Base1.K", "Base1.K"}},
    {"getBase1Zb", &Taste::getBase1Zb, {"Base1.Zb", "Base1.Zb", "Base1.Zb"}},
    {"getBase1AirZ", &Taste::getBase1AirZ, {"Base1.AirZ", "Base1.AirZ", "Base1.AirZ"}},
    {"getBase1AirDensity",
     &Taste::getBase1AirDensity,
     {"Base1.AirDensity", "Base1.AirDensity", "Base1.AirDensity"}},
    {"getOptionalBaseOutput", &Taste::getOptionalBaseOutput, {"OptionalBaseOutput", "", ""}},
    {"getPropertiesOutput", &Taste::getPropertiesOutput, {"PropertiesOutput", "", ""}},
    {"getExtendedOutput", &Taste::getExtendedOutput, {"ExtendedOutput", "", "ExtendedOutput"}},
    {"getEventsDefault", &Taste::getEventsDefault, {"Events", "", ""}},
    {"getEventsZM1", &Taste::getEventsZM1, {"", "Events", ""}},
    {"getEventsBM1", &Taste::getEventsBM1, {"", "", "Events"}},
    {"getSourceIso6976", &Taste::getSourceIso6976, {"Source.Iso6976", "", "Source.Iso6976"}},
    {"getSourceAga8Mode0",
     &Taste::getSourceAga8Mode0,
     {"Source.Aga8Mode0", "", "Source.Aga8Mode0"}},
    {"getSourceAga8Mode1",
     &Taste::getSourceAga8Mode1,
     {"Source.Aga8Mode1", "", "Source.Aga8Mode1"}},
    {"getSourceAga8Calc12", &Taste::getSourceAga8Calc12, {"Source.Aga8Calc12", "", ""}},
    {"getRhobDefault", &Taste::getRhobDefault, {"Source.Rhob", "", ""}},
    {"getRhobZM1", &Taste::getRhobZM1, {"", "Source.Rhob", ""}},
    {"getRhobBM1", &Taste::getRhobBM1, {"", "", "Source.Rhob"}},
    {"getHVHM_HsV",
     &Taste::getHVHM_HsV,
     {"Source.HVHM.HsV_imp", "Source.HVHM.HsV_imp", "Source.HVHM.HsV_imp"}},
    {"getHVHM_HiV", &Taste::getHVHM_HiV, {"Source.HVHM.HiV_imp", "", ""}},
    {"getHVHM_HsM", &Taste::getHVHM_HsM, {"Source.HVHM.HsM_imp", "", ""}},
    {"getHVHM_HiM", &Taste::getHVHM_HiM, {"Source.HVHM.HiM_imp", "", ""}},
    {"getHVHM_Ws", &Taste::getHVHM_Ws, {"Source.HVHM.Ws_imp", "", ""}},
    {"getHVHM_Wi", &Taste::getHVHM_Wi, {"Source.HVHM.Wi_imp", "", ""}},
    {"getVar", &Taste::getVar, {"Var", "Var", "Var"}},
};
static_assert(sizeof(kAccessors) / sizeof(kAccessors[0]) == static_cast<size_t>(TasteRole::Count),
              "every accessor");

class TasteLayoutTest : public CalorantFixture,
                        public ::testing::WithParamInterface<std::pair<const char*, int>> {};

TEST_P(TasteLayoutTest, EveryAccessorGivesTheNodeOfItsRoleOrNull) {
    const auto [name, column] = GetParam();
    ASSERT_EQ(startLayout(name), 0);
    Taste* taste = ProgramContext::myTaste.Load();
    ASSERT_NE(taste, nullptr);
    // Walked before the first reload, then the nodes the reload found.
    for (const char* when : {"walked", "found"}) {
        SCOPED_TRACE(when);
        for (const AccessorCase& accessor : kAccessors) {
            SCOPED_TRACE(accessor.accessor);
            const std::string path = accessor.paths[column];
            const FbDoNode expected = path.empty() ? nullptr : node(path);
            EXPECT_EQ((taste->*accessor.get)(), expected);
        }
        taste->findNodes();
    }
}

TEST_P(TasteLayoutTest, AMissingIntermediateNodeGivesNullWithoutTouchingFurther) {
    const auto [name, column] = GetParam();
    // Without the Source node every accessor below it answers null.
    const int sourceChild = column == 1 ? 6 : 7;
    ASSERT_EQ(
        startLayout(name, [&](nlohmann::json& model) { removeModelNode(model, {}, sourceChild); }),
        0);
    Taste* taste = ProgramContext::myTaste.Load();
    ASSERT_NE(taste, nullptr);
    for (const char* when : {"walked", "found"}) {
        SCOPED_TRACE(when);
        EXPECT_EQ(taste->getHVHM_HsV(), nullptr);
        EXPECT_EQ(taste->getSourceRefCond(), nullptr);
        EXPECT_NE(taste->getMeasCond(), nullptr);
        taste->findNodes();
    }
}

INSTANTIATE_TEST_SUITE_P(Layouts, TasteLayoutTest,
                         ::testing::Values(std::make_pair("Default", 0), std::make_pair("ZM1", 1),
                                           std::make_pair("BM1", 2)),
                         [](const auto& paramInfo) { return std::string(paramInfo.param.first); });

// The generated access classes of each layout model and the taste agree on the group nodes.
template <typename Root>
void expectGroupsAgree(const Taste& taste, const Root& root) {
    EXPECT_EQ(taste.getVar(), root.getVar());
    EXPECT_EQ(taste.getMeasCond(), root.getMeasCond());
    EXPECT_NE(taste.getMeasCond(), nullptr);
}

TEST_F(CalorantFixture, GeneratedAccessClassesAndTasteAgree) {
    ASSERT_EQ(startLayout("Default"), 0);
    const Taste& taste = *ProgramContext::myTaste.Load();
    const Calorant_Root root(GetRootNodeOfTree(asInfo->pTheTree));
    expectGroupsAgree(taste, root);
    EXPECT_EQ(taste.getCompDefault(), root.getComp());
    EXPECT_EQ(taste.getBase1Default(), root.getBase1());
    EXPECT_EQ(taste.getEventsDefault(), root.getEvents());
    EXPECT_EQ(taste.getOptionalBaseOutput(), root.getOptionalBaseOutput());
    EXPECT_EQ(taste.getPropertiesOutput(), root.getPropertiesOutput());
    EXPECT_EQ(taste.getExtendedOutput(), root.getExtendedOutput());
    ForgetCalorantRun();
    host::dropAddressSpaceTree();

    ASSERT_EQ(startLayout("ZM1"), 0);
    const CalorantZM1_Root zm1(GetRootNodeOfTree(asInfo->pTheTree));
    expectGroupsAgree(*ProgramContext::myTaste.Load(), zm1);
    EXPECT_EQ(ProgramContext::myTaste.Load()->getCompZM1(), zm1.getComp());
    EXPECT_EQ(ProgramContext::myTaste.Load()->getBase1ZM1(), zm1.getBase1());
    EXPECT_EQ(ProgramContext::myTaste.Load()->getEventsZM1(), zm1.getEvents());
    ForgetCalorantRun();
    host::dropAddressSpaceTree();

    ASSERT_EQ(startLayout("BM1"), 0);
    const CalorantBM1_Root bm1(GetRootNodeOfTree(asInfo->pTheTree));
    expectGroupsAgree(*ProgramContext::myTaste.Load(), bm1);
    EXPECT_EQ(ProgramContext::myTaste.Load()->getCompBM1(), bm1.getComp());
    EXPECT_EQ(ProgramContext::myTaste.Load()->getBase1BM1(), bm1.getBase1());
    EXPECT_EQ(ProgramContext::myTaste.Load()->getEventsBM1(), bm1.getEvents());
    EXPECT_EQ(ProgramContext::myTaste.Load()->getExtendedOutput(), bm1.getExtendedOutput());
}

TEST(TasteKindTest, TasteWithoutTreeRootAnswersNullForEveryPath) {
    const Taste taste("BM1", nullptr);
    EXPECT_EQ(taste.getCompBM1(), nullptr);
    EXPECT_EQ(taste.getHVHM_HsV(), nullptr);
    EXPECT_EQ(taste.getCompDefault(), nullptr);
}

}  // namespace

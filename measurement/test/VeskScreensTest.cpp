// Vesk-Prog's screens end to end: the program runs from registration on against the simulated
// system manager and display service; the tests send display commands as the display would and
// check what the display shows.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "HostFramework.h"
#include "HostKernel.h"
#include "HostTrace.h"
#include "HostTree.h"
#include "PEG.h"
#include "PEGmain.h"
#include "ScratchDirectory.h"
#include "SimDisplayService.h"
#include "SimSystemManager.h"
#include "Tarvo.h"
#include "VeskInstance.h"
#include "Veskmain.h"
#include "libSysman.h"

namespace {

constexpr uint32_t kInstance = 12;
const std::string kDewPointPrefix = "#Vesk.I12.DPs.";
constexpr uint32_t kServiceRight = 1u << 12;
constexpr uint32_t kAllRights = 0xFFFFFFFFu;

// Trace points of the screens (file 2).
constexpr uint32_t kUnknownSensorEntryTrace = TraceId(2, 9, 3);
constexpr uint32_t kEventExceptionTrace = TraceId(2, 16, 3);

const char kDictionary[] = R"({
  "DS_unknown_LR": ["unknown", "unbekannt"],
  "DS_ready_LR": ["ready", "bereit"],
  "DS_alarm_LR": ["alarm", "Alarm"],
  "DS_warning_LR": ["warning", "Warnung"],
  "DS_revision_LR": ["revision", "Revision"]
})";

// Replacements made in the program's tree model for a test.
using ModelEdits = std::vector<std::pair<std::string, std::string>>;

// Two sensors, their upper warning limit at 10.
const ModelEdits kTwoSensors = {
    {R"("name": "Oxygen", "kind": "choice", "selected": 0)",
     R"("name": "Oxygen", "kind": "choice", "selected": 1)"},
    {R"({"index": 3, "name": "UWL_O2", "kind": "double", "access": "parameter")",
     R"({"index": 3, "name": "UWL_O2", "kind": "double", "access": "parameter", "value": 10)"}};
// The lines node moves away from child 3, so the dew-point screen finds no further sensors.
const ModelEdits kNoFurtherDewPointSensors = {
    {R"({"index": 3, "name": "Lines")", R"({"index": 30, "name": "Lines")"}};
// Life-time presets of both alternatives.
const ModelEdits kLifeTimePreset = {
    {R"("name": "LTP_O2", "kind": "double", "access": "parameter")",
     R"("name": "LTP_O2", "kind": "double", "access": "parameter", "value": 365)"}};

class VeskScreensTest : public ::testing::Test {
  protected:
    void SetUp() override {
        host::resetKernel();
        host::resetFramework();
        host::resetTraceSettings();
        host::setTraceLevel(7);
        host::useVirtualTime();
        ASSERT_EQ(host::setTextDictionary(kDictionary), "");
    }
    void TearDown() override {
        manager.reset();
        display.reset();
        host::dropAddressSpaceTree();
        SysManRegisterDefaultHooks(nullptr);
        host::setAccessRights(kAllRights);
        host::resetFramework();
        host::resetTraceSettings();
    }

    // Writes the model with `edits` applied and runs the program on it up to RUN.
    void start(const ModelEdits& edits = {}) {
        std::ifstream in(VESK_MODEL_FILE);
        std::stringstream text;
        text << in.rdbuf();
        std::string model = text.str();
        for (const auto& [from, to] : edits) {
            size_t at = model.find(from);
            ASSERT_NE(at, std::string::npos) << from;
            for (; at != std::string::npos; at = model.find(from, at + to.size())) {
                model.replace(at, from.size(), to);
            }
        }
        std::ofstream("model.json") << model;
        host::setTreeModelFile("model.json");

        sim::SystemManagerOptions options;
        options.self.asName = "VeskAS";
        options.self.instance = kInstance;
        display = std::make_unique<sim::DisplayService>();
        manager = std::make_unique<sim::SystemManager>(options);
        manager->watchTask(host::spawnTask("Vesk", [] { VeskProgramMain(); }));
        ASSERT_TRUE(manager->awaitRegistration());
        ASSERT_TRUE(manager->startUp());
        ASSERT_TRUE(manager->run());
        ASSERT_TRUE(display->connected());
        ASSERT_NE(theDisplaySet, nullptr);
    }

    host::HostTree& tree() { return *host::addressSpaceTree(); }

    // Delivers a command the screen must accept (answer 1).
    void command(uint32_t item, uint32_t code) {
        ASSERT_EQ(display->deliver(item, code), std::optional<int>(1)) << item << " " << code;
    }
    void select(uint32_t item, uint32_t entry) {
        ASSERT_EQ(display->injectValue(item, 29, entry), std::optional<int>(1)) << item;
    }
    void cycle() { ASSERT_TRUE(manager->trigger(43, 0)); }

    const sim::DisplayItemState& item(uint32_t id) {
        const sim::DisplayItemState* state = display->model().item(id);
        static const sim::DisplayItemState kNothing;
        return state != nullptr ? *state : kNothing;
    }
    std::string boundTo(uint32_t id) { return item(id).boundParameter.value_or("<none>"); }
    // The records the display received so far, oldest first.
    const std::vector<host::SentCommand>& sentSoFar() {
        for (host::SentCommand& command : display->takeSent()) {
            mySentSoFar.push_back(std::move(command));
        }
        return mySentSoFar;
    }
    size_t sentCount() { return sentSoFar().size(); }

    // Expects both value fields of line `line` bound to `name`, and the label left alone.
    void expectValueFields(uint32_t line, const std::string& name) {
        EXPECT_EQ(boundTo(line + 2), name) << line;
        EXPECT_EQ(boundTo(line + 3), name) << line;
        EXPECT_FALSE(item(line + 1).boundParameter.has_value()) << line;
    }

    std::unique_ptr<sim::DisplayService> display;
    std::unique_ptr<sim::SystemManager> manager;
    ScratchDirectory scratch;

  private:
    std::vector<host::SentCommand> mySentSoFar;
};

TEST(DewPointPrefix, WritesTheInstanceWithTwoDigitsAtLeast) {
    const std::pair<uint32_t, const char*> cases[] = {{1, "#Vesk.I01.DPs."},
                                                      {7, "#Vesk.I07.DPs."},
                                                      {12, "#Vesk.I12.DPs."},
                                                      {123, "#Vesk.I123.DPs."}};
    for (const auto& [index, prefix] : cases) {
        EXPECT_EQ(dewPointPrefix(index), prefix) << index;
    }
}

TEST_F(VeskScreensTest, SingleSensorScreensBindTheFirstAlternative) {
    start();
    command(100, 2);
    command(200, 2);
    command(300, 2);
    command(400, 2);
    const std::string prefix = "Oxygen.SNo1.";
    const std::pair<uint32_t, const char*> lines[] = {
        {110, "CV_O2"},  {210, "CV_O2"}, {220, "ChA_O2"}, {230, "LhA_O2"}, {240, "CdA_O2"},
        {250, "LdA_O2"}, {310, "CV_O2"}, {320, "LT_O2d"}, {420, "CV_O2"},  {440, "CV_O2BV"}};
    for (const auto& [line, name] : lines) {
        expectValueFields(line, prefix + name);
    }
    // The second sensor's items are hidden, not bound.
    for (uint32_t id : {340u, 350u, 360u, 430u}) {
        EXPECT_EQ(item(id).hidden, std::optional<bool>(true)) << id;
        EXPECT_FALSE(item(id + 2).boundParameter.has_value()) << id;
    }
    // Every right granted: both reset prompts and the revision box can be used; the box shows
    // the revision state (off).
    for (uint32_t id : {330u, 360u, 410u}) {
        EXPECT_EQ(item(id).enabled, std::optional<bool>(true)) << id;
    }
    EXPECT_EQ(item(410).selection, std::optional<int32_t>(0));
}

TEST_F(VeskScreensTest, TwoSensorScreensFollowTheSensorInUse) {
    start(kTwoSensors);
    command(300, 2);
    command(400, 2);
    const std::string prefix = "Oxygen.SNo2.";
    const std::pair<uint32_t, const char*> lines[] = {
        {310, "CV_O2M"}, {320, "LT_O2dM"}, {340, "CV_O2S"}, {350, "LT_O2dS"},
        {420, "CV_O2M"}, {430, "CV_O2S"},  {440, "CV_O2BV"}};
    for (const auto& [line, name] : lines) {
        expectValueFields(line, prefix + name);
    }
    EXPECT_FALSE(item(360).hidden.has_value());

    // Sensor 1 in use: the overview and the oxygen screen show it; a command 7 with the same
    // sensor in use sends nothing.
    cycle();
    command(100, 2);
    command(200, 2);
    expectValueFields(110, prefix + "CV_O2M");
    expectValueFields(210, prefix + "CV_O2M");
    const size_t before = sentCount();
    command(100, 7);
    command(200, 7);
    EXPECT_EQ(sentCount(), before);

    // Sensor 1 above its warning limit while sensor 2 is not: sensor 2 takes over, and the
    // next command 7 binds the value lines to it.
    tree().setDouble("Oxygen.SNo2.Imp_O2M", 20.0);
    tree().setDouble("Oxygen.SNo2.Imp_O2S", 5.0);
    cycle();
    command(100, 7);
    command(200, 7);
    expectValueFields(110, prefix + "CV_O2S");
    expectValueFields(210, prefix + "CV_O2S");
}

TEST_F(VeskScreensTest, ResetPromptsFollowTheServiceRight) {
    start(kTwoSensors);
    // Table: granted rights -> whether the reset prompts and the revision box are usable.
    const std::pair<uint32_t, bool> cases[] = {
        {kAllRights, true}, {0, false}, {kServiceRight, true}, {~kServiceRight, false}};
    for (const auto& [rights, usable] : cases) {
        host::setAccessRights(rights);
        command(300, 3);
        command(400, 3);
        for (uint32_t id : {330u, 360u, 410u}) {
            EXPECT_EQ(item(id).enabled, std::optional<bool>(usable)) << id << " " << rights;
        }
    }
}

TEST_F(VeskScreensTest, ResetPromptsResetTheLifeTimeOfTheirSensor) {
    ModelEdits edits = kTwoSensors;
    edits.insert(edits.end(), kLifeTimePreset.begin(), kLifeTimePreset.end());
    start(edits);
    command(300, 2);
    tree().setDouble("Oxygen.SNo2.LT_O2dM", 10.0);
    tree().setDouble("Oxygen.SNo2.LT_O2dS", 20.0);
    command(330, 9);
    EXPECT_DOUBLE_EQ(tree().doubleValue("Oxygen.SNo2.LT_O2dM"), 365.0);
    EXPECT_DOUBLE_EQ(tree().doubleValue("Oxygen.SNo2.LT_O2dS"), 20.0);
    command(360, 9);
    EXPECT_DOUBLE_EQ(tree().doubleValue("Oxygen.SNo2.LT_O2dS"), 365.0);
}

TEST_F(VeskScreensTest, SingleSensorResetPromptResetsTheOnlySensor) {
    start(kLifeTimePreset);
    command(300, 2);
    tree().setDouble("Oxygen.SNo1.LT_O2d", 10.0);
    command(360, 9);  // hidden and not connected with one sensor
    EXPECT_DOUBLE_EQ(tree().doubleValue("Oxygen.SNo1.LT_O2d"), 10.0);
    command(330, 9);
    EXPECT_DOUBLE_EQ(tree().doubleValue("Oxygen.SNo1.LT_O2d"), 365.0);
}

TEST_F(VeskScreensTest, RevisionBoxSwitchesTheRevisionAndShowsItsState) {
    start();
    command(400, 2);
    select(410, 1);
    EXPECT_EQ(item(410).selection, std::optional<int32_t>(1));
    cycle();
    EXPECT_TRUE(tree().boolValue("Oxygen.SNo1.Rev_O2"));
    ASSERT_NE(theDisplaySet, nullptr);
    EXPECT_TRUE(theDisplaySet->oxygenRevision.revisionBox().revisionState());

    // An entry other than 0 and 1 changes the box's selection but not the revision.
    select(410, 2);
    cycle();
    EXPECT_TRUE(tree().boolValue("Oxygen.SNo1.Rev_O2"));
    EXPECT_EQ(theDisplaySet->oxygenRevision.revisionBox().selectedIndex(), 2);

    select(410, 0);
    cycle();
    EXPECT_FALSE(tree().boolValue("Oxygen.SNo1.Rev_O2"));
    EXPECT_EQ(item(410).selection, std::optional<int32_t>(0));
}

TEST_F(VeskScreensTest, LosingTheRightSwitchesRevisionOffAndTheBoxShowsIt) {
    start();
    command(400, 2);
    select(410, 1);
    cycle();
    ASSERT_TRUE(tree().boolValue("Oxygen.SNo1.Rev_O2"));
    // The cycle (initial task) switches the revision off; the box is told and sends 29 with 0.
    host::setAccessRights(0);
    const size_t before = sentCount();
    cycle();
    EXPECT_FALSE(tree().boolValue("Oxygen.SNo1.Rev_O2"));
    const std::vector<host::SentCommand> sent = sentSoFar();
    ASSERT_GT(sent.size(), before);
    EXPECT_EQ(sent.back().itemId, 410u);
    EXPECT_EQ(sent.back().commandCode, 29u);
    EXPECT_EQ(item(410).selection, std::optional<int32_t>(0));
}

TEST_F(VeskScreensTest, SensorSelectionBindsTheDewPointLinesOfThatSensor) {
    start();
    command(900, 2);
    EXPECT_FALSE(item(910).hidden.has_value());  // the model configures further sensors
    EXPECT_EQ(item(921).textKey, std::optional<std::string>("VeskTemp_dp_sensor"));
    const char* const suffixes[] = {"", "2", "3"};
    for (uint32_t entry = 0; entry < 3; ++entry) {
        select(905, entry);
        const std::string s = suffixes[entry];
        const std::pair<uint32_t, std::string> lines[] = {
            {920, "CV_tdps" + s}, {930, "CV_pdps" + s}, {940, "CV_twdp" + s}, {950, "CV_hwdp" + s}};
        for (const auto& [line, name] : lines) {
            for (uint32_t prompt = 1; prompt <= 3; ++prompt) {
                EXPECT_EQ(boundTo(line + prompt), kDewPointPrefix + name) << line + prompt;
            }
        }
        const std::pair<uint32_t, std::string> keys[] = {{921, "VeskTemp_dp_sensor" + s},
                                                         {931, "VeskPressure_dp_sensor" + s},
                                                         {941, "VeskWater_dew_point" + s},
                                                         {951, "VeskWater_humidity" + s}};
        for (const auto& [label, key] : keys) {
            EXPECT_EQ(item(label).textKey, std::optional<std::string>(key)) << label;
        }
    }

    // Entry 3 is traced and binds nothing.
    host::TraceCapture traces;
    const size_t before = sentCount();
    select(905, 3);
    EXPECT_EQ(sentCount(), before);
    const auto unknown = traces.withId(kUnknownSensorEntryTrace);
    ASSERT_EQ(unknown.size(), 1u);

    // Command 2 sets the first sensor's label key again; the value fields keep sensor 3.
    command(900, 2);
    EXPECT_EQ(item(921).textKey, std::optional<std::string>("VeskTemp_dp_sensor"));
    EXPECT_EQ(boundTo(922), kDewPointPrefix + "CV_tdps3");
}

TEST_F(VeskScreensTest, WithoutFurtherDewPointSensorsTheSelectionIsHidden) {
    start(kNoFurtherDewPointSensors);
    command(900, 2);
    EXPECT_EQ(item(910).hidden, std::optional<bool>(true));
    const std::vector<uint32_t>& codes = item(921).codes;
    ASSERT_EQ(codes.size(), 2u);
    EXPECT_EQ(codes[0], 10u);
    EXPECT_EQ(codes[1], 30u);
    EXPECT_EQ(item(921).textKey, std::optional<std::string>("VeskTemp_dp_sensor"));
}

TEST_F(VeskScreensTest, StatePromptsShowTheAnalysersStateTexts) {
    start();
    // Table: device alarm, warning and revision words -> the state text.
    struct Case {
        uint32_t alarm, warning, revision;
        const char16_t* text;
    };
    const Case cases[] = {{0, 0, 0, u"ready"},
                          {1, 0, 0, u"alarm"},
                          {0, 1, 1, u"warning, revision"},
                          {1, 1, 1, u"alarm, warning, revision"}};
    for (const Case& c : cases) {
        tree().setUnsigned("Sulfur.Imp_DA", c.alarm);
        tree().setUnsigned("Sulfur.Imp_DW", c.warning);
        tree().setUnsigned("Sulfur.Imp_DR", c.revision);
        command(500, 7);
        EXPECT_EQ(item(510).text, std::optional<std::u16string>(c.text));
    }
    // A device input that is not in use leaves the state unknown.
    for (const char* input : {"Sulfur.Imp_DA", "Sulfur.Imp_DW", "Sulfur.Imp_DR"}) {
        tree().setUnsigned(input, 0);
    }
    tree().setInUse("Sulfur.Imp_DA", false);
    command(500, 7);
    EXPECT_EQ(item(510).text, std::optional<std::u16string>(u"unknown"));

    // The dew-point screen shows its analyser's text, in the display's language.
    host::setLanguage(1);
    command(900, 7);
    ASSERT_TRUE(item(970).text.has_value());
    VeskInstance::shared().use(
        [&](Vesk& vesk) { EXPECT_EQ(*item(970).text, vesk.dewPointDeviceStateText()); });
    EXPECT_NE(*item(970).text, u"???");
}

TEST_F(VeskScreensTest, PreprocessingPageRecordsAreConsumedBeforeTheItems) {
    start();
    // The page's record is answered 0 without reaching the dispatcher; an id that no item has
    // reaches it and is answered 1.
    EXPECT_EQ(display->deliver(64001, 3), std::optional<int>(0));
    EXPECT_EQ(display->deliver(99999, 3), std::optional<int>(1));
}

TEST_F(VeskScreensTest, DisplayEntryAnswersZeroForWhatAHandlerThrows) {
    start();
    host::TraceCapture traces;
    EXPECT_EQ(OnPegEvent(nullptr, nullptr), 0);
    const auto failures = traces.withId(kEventExceptionTrace);
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(failures[0].textArg(0), "PEGDispatcher::dispatchCommand command to dispatch is NULL");
}

TEST_F(VeskScreensTest, AfterTheShutdownTheScreensLeaveTheApplicationObjectAlone) {
    start(kTwoSensors);
    cycle();
    command(100, 2);
    command(500, 7);
    ASSERT_TRUE(manager->shutdown());
    ASSERT_EQ(VeskInstance::shared().get(), nullptr);
    // Every screen command still arrives and is answered; nothing reaches a deleted object:
    // no state text is sent, the prompts are disabled, the overview keeps its binding.
    const size_t textsBefore = item(510).codes.size();
    for (const auto& [id, code] : std::vector<std::pair<uint32_t, uint32_t>>{{100, 7},
                                                                             {200, 2},
                                                                             {300, 2},
                                                                             {330, 9},
                                                                             {360, 9},
                                                                             {400, 3},
                                                                             {500, 7},
                                                                             {900, 2},
                                                                             {900, 7}}) {
        command(id, code);
    }
    select(410, 1);
    EXPECT_EQ(item(510).codes.size(), textsBefore);
    EXPECT_FALSE(item(970).text.has_value());
    EXPECT_EQ(item(330).enabled, std::optional<bool>(false));
    EXPECT_EQ(item(410).enabled, std::optional<bool>(false));
    expectValueFields(110, "Oxygen.SNo2.CV_O2M");
}

}  // namespace

#include "PEGmain.h"

#include <cstdio>
#include <exception>
#include <stdexcept>
#include <utility>

#include "MemberSlot.h"
#include "PEG.h"
#include "PEGDispatcher.h"
#include "Tarvo.h"
#include "TarvoTrace.h"
#include "VeskInstance.h"
#include "Veskmain.h"
#include "ZUB_Preprocessing.h"

const std::string kOxygenSingleSensorPrefix = "Oxygen.SNo1.";
const std::string kOxygenTwoSensorsPrefix = "Oxygen.SNo2.";

DisplaySet* theDisplaySet = nullptr;

namespace {

// Trace file 2: the screens.
constexpr uint32_t trace(uint32_t point, uint32_t level) {
    return TraceId(2, point, level);
}
constexpr uint32_t kOverviewBindTrace = trace(0, 7);
constexpr uint32_t kSensorSelectedTrace[] = {trace(1, 7), trace(2, 7), trace(3, 7)};
constexpr uint32_t kFurtherDewPointSensorsTrace = trace(4, 7);
constexpr uint32_t kNoFurtherDewPointSensorsTrace = trace(5, 7);
constexpr uint32_t kSensorEntryTrace[] = {trace(6, 7), trace(7, 7), trace(8, 7)};
constexpr uint32_t kUnknownSensorEntryTrace = trace(9, 3);  // index
constexpr uint32_t kRevisionOffEntryTrace = trace(10, 7);
constexpr uint32_t kRevisionOnEntryTrace = trace(11, 7);
constexpr uint32_t kRevisionStateSetTrace = trace(12, 7);    // state
constexpr uint32_t kRevisionStateShownTrace = trace(13, 7);  // state
constexpr uint32_t kRevisionGrantedTrace = trace(14, 7);
constexpr uint32_t kRevisionDeniedTrace = trace(15, 7);
constexpr uint32_t kEventExceptionTrace = trace(16, 3);  // exception text
constexpr uint32_t kEventUnknownExceptionTrace = trace(17, 3);

// The right that the life-time resets and the revision switch need.
constexpr uint32_t kServiceRight = 12;

// The failure text of an address space without instance index.
constexpr char kNoInstanceIndexText[] =
    "measurement/src/PEGmain.cpp:256 Sysmanlib_AsInfo_GetInstanceIndex failed";

uint8_t selector() {
    return Tarvo_GetTraceSelector();
}

// Calls `use(Vesk&)` under the guard the shutdown hook shares; false without application object.
template <typename Use>
bool withVesk(Use&& use) {
    return VeskInstance::shared().use(std::forward<Use>(use));
}

// Whether sensor 1 was in use in the last cycle; `known` without application object.
bool firstSensorInUse(bool known) {
    withVesk([&](Vesk& vesk) { known = vesk.oxygenGroup().isFirstSensorInUse(); });
    return known;
}

// Whether the service right is granted; false without application object.
bool serviceRightGranted() {
    bool granted = false;
    withVesk([&](Vesk& vesk) { granted = Tarvo_CheckAccess(vesk.asInfo(), kServiceRight) == 0; });
    return granted;
}

// The name of the oxygen value of the sensor in use.
const char* oxygenValueName(bool singleSensor, bool firstSensorInUse) {
    if (singleSensor) {
        return "CV_O2";
    }
    return firstSensorInUse ? "CV_O2M" : "CV_O2S";
}

// Both value fields of `line` show the parameter `prefix` + `name`.
void bindLine(UserLine& line, const std::string& prefix, const char* name) {
    line.bindValueFields(prefix + name);
}

const std::string& oxygenPrefix(bool singleSensor) {
    return singleSensor ? kOxygenSingleSensorPrefix : kOxygenTwoSensorsPrefix;
}

}  // namespace

// ---- Selection boxes --------------------------------------------------------------------------

SensorSelComboBox::SensorSelComboBox() : Combo(905) {}

SensorSelComboBox::~SensorSelComboBox() = default;

bool SensorSelComboBox::selectionChanged(int32_t index) {
    if (index < 0 || index > 2) {
        TARVO_TRACE(selector(), kUnknownSensorEntryTrace, TraceFormat(kTraceArgInt), index);
        return true;
    }
    TARVO_TRACE(selector(), kSensorEntryTrace[index], 0);
    sensorSignal.emit(index + 1);
    return true;
}

RevisionComboBox::RevisionComboBox() : Combo(410) {}

RevisionComboBox::~RevisionComboBox() = default;

bool RevisionComboBox::selectionChanged(int32_t index) {
    if (index == 0 || index == 1) {
        TARVO_TRACE(selector(), index == 0 ? kRevisionOffEntryTrace : kRevisionOnEntryTrace, 0);
        stateSignal.emit(index);
    }
    return true;
}

void RevisionComboBox::setRevisionState(bool value) {
    myRevisionState = value ? 1 : 0;
    TARVO_TRACE(selector(), kRevisionStateSetTrace, TraceFormat(kTraceArgInt),
                static_cast<uint32_t>(value));
    showRevisionState();
}

void RevisionComboBox::showRevisionState() {
    const uint32_t state = myRevisionState;
    TARVO_TRACE(selector(), kRevisionStateShownTrace, TraceFormat(kTraceArgInt), state);
    PEG_sendValue(currentPEGClient, id(), state);
}

// ---- Oxygen screens ---------------------------------------------------------------------------

OxygenValueLine::OxygenValueLine(uint32_t itemId, bool singleSensor, const std::string& prefix)
    : mySingleSensor(singleSensor), myPrefix(prefix), myLine(itemId) {}

void OxygenValueLine::bind() {
    if (!mySingleSensor) {
        myFirstSensorInUse = firstSensorInUse(myFirstSensorInUse);
    }
    bindLine(myLine, myPrefix, oxygenValueName(mySingleSensor, myFirstSensorInUse));
}

void OxygenValueLine::followSensorInUse() {
    if (mySingleSensor) {
        return;
    }
    const bool first = firstSensorInUse(myFirstSensorInUse);
    if (first != myFirstSensorInUse) {
        myFirstSensorInUse = first;
        bindLine(myLine, myPrefix, oxygenValueName(false, first));
    }
}

OverviewDisplay::OverviewDisplay(bool singleSensor, const std::string& prefix)
    : View(100), myValueLine(110, singleSensor, prefix) {}

OverviewDisplay::~OverviewDisplay() = default;

bool OverviewDisplay::command2Hook() {
    TARVO_TRACE(selector(), kOverviewBindTrace, 0);
    myValueLine.bind();
    return true;
}

bool OverviewDisplay::command7Hook() {
    myValueLine.followSensorInUse();
    return true;
}

OxygenDisplay::OxygenDisplay(bool singleSensor, const std::string& prefix)
    : View(200),
      myValueLine(210, singleSensor, prefix),
      myCurrentHourLine(220),
      myLastHourLine(230),
      myCurrentDayLine(240),
      myLastDayLine(250) {}

OxygenDisplay::~OxygenDisplay() = default;

bool OxygenDisplay::command2Hook() {
    const std::string& prefix = myValueLine.prefix();
    bindLine(myCurrentHourLine, prefix, "ChA_O2");
    bindLine(myLastHourLine, prefix, "LhA_O2");
    bindLine(myCurrentDayLine, prefix, "CdA_O2");
    bindLine(myLastDayLine, prefix, "LdA_O2");
    myValueLine.bind();
    return true;
}

bool OxygenDisplay::command7Hook() {
    myValueLine.followSensorInUse();
    return true;
}

OxygenSensorsDisplay::OxygenSensorsDisplay(const std::string& prefix, bool singleSensor)
    : View(300),
      myPrefix(prefix),
      mySingleSensor(singleSensor),
      mySensor1Line(310),
      myLifeTime1Line(320),
      myReset1Prompt(330),
      mySensor2Line(340),
      myLifeTime2Line(350),
      myReset2Prompt(360) {
    myReset1Prompt.command9Signal.connect(
        makeMemberSlot(this, &OxygenSensorsDisplay::resetLifeTime1));
    if (!mySingleSensor) {
        myReset2Prompt.command9Signal.connect(
            makeMemberSlot(this, &OxygenSensorsDisplay::resetLifeTime2));
    }
}

OxygenSensorsDisplay::~OxygenSensorsDisplay() = default;

bool OxygenSensorsDisplay::command2Hook() {
    if (mySingleSensor) {
        bindLine(mySensor1Line, myPrefix, "CV_O2");
        bindLine(myLifeTime1Line, myPrefix, "LT_O2d");
        mySensor2Line.setHidden(1);
        myLifeTime2Line.setHidden(1);
        myReset2Prompt.setHidden(1);
    } else {
        bindLine(mySensor1Line, myPrefix, "CV_O2M");
        bindLine(myLifeTime1Line, myPrefix, "LT_O2dM");
        bindLine(mySensor2Line, myPrefix, "CV_O2S");
        bindLine(myLifeTime2Line, myPrefix, "LT_O2dS");
    }
    checkAccess();
    return true;
}

bool OxygenSensorsDisplay::command3Hook() {
    checkAccess();
    return true;
}

void OxygenSensorsDisplay::checkAccess() {
    const bool granted = serviceRightGranted();
    myReset1Prompt.setEnabled(granted);
    myReset2Prompt.setEnabled(granted);
}

void OxygenSensorsDisplay::resetLifeTime1() {
    withVesk([](Vesk& vesk) { vesk.oxygenGroup().resetLifeTime1(); });
}

void OxygenSensorsDisplay::resetLifeTime2() {
    withVesk([](Vesk& vesk) { vesk.oxygenGroup().resetLifeTime2(); });
}

OxygenRevisionDisplay::OxygenRevisionDisplay(const std::string& prefix, bool singleSensor)
    : View(400),
      myPrefix(prefix),
      mySingleSensor(singleSensor),
      mySensor1Line(420),
      mySensor2Line(430),
      myBestValueLine(440) {
    myRevisionBox.stateSignal.connect(makeMemberSlot(this, &OxygenRevisionDisplay::setRevision));
    withVesk([this](Vesk& vesk) {
        vesk.oxygenGroup().revisionDisplaySlot =
            makeMemberSlot(&myRevisionBox, &RevisionComboBox::setRevisionState);
    });
}

OxygenRevisionDisplay::~OxygenRevisionDisplay() {
    withVesk([this](Vesk& vesk) {
        MemberSlot<void(bool)>& slot = vesk.oxygenGroup().revisionDisplaySlot;
        if (slot == makeMemberSlot(&myRevisionBox, &RevisionComboBox::setRevisionState)) {
            slot = MemberSlot<void(bool)>();
        }
    });
}

bool OxygenRevisionDisplay::command2Hook() {
    bindLine(mySensor1Line, myPrefix, oxygenValueName(mySingleSensor, true));
    if (mySingleSensor) {
        mySensor2Line.setHidden(1);
    } else {
        bindLine(mySensor2Line, myPrefix, "CV_O2S");
    }
    bindLine(myBestValueLine, myPrefix, "CV_O2BV");
    checkAccess();
    myRevisionBox.showRevisionState();
    return true;
}

bool OxygenRevisionDisplay::command3Hook() {
    checkAccess();
    myRevisionBox.showRevisionState();
    return true;
}

void OxygenRevisionDisplay::checkAccess() {
    if (serviceRightGranted()) {
        TARVO_TRACE(selector(), kRevisionGrantedTrace, 0);
        myRevisionBox.enable();
    } else {
        TARVO_TRACE(selector(), kRevisionDeniedTrace, 0);
        myRevisionBox.disable();
    }
}

void OxygenRevisionDisplay::setRevision(int on) {
    withVesk([on](Vesk& vesk) { vesk.oxygenGroup().setRevision(on); });
}

// ---- Analyser screens -------------------------------------------------------------------------

std::string dewPointPrefix(uint32_t index) {
    char number[16];
    std::snprintf(number, sizeof(number), "%02u", static_cast<unsigned>(index));
    return std::string("#Vesk.I") + number + ".DPs.";
}

DewPointInputsDisplay::DewPointInputsDisplay()
    : View(900),
      mySelectionPrompt(910),
      myStatePrompt(970),
      myTemperatureLine(920),
      myPressureLine(930),
      myDewPointLine(940),
      myHumidityLine(950) {
    mySensorBox.sensorSignal.connect(makeMemberSlot(this, &DewPointInputsDisplay::selectSensor));
    const uint32_t index = Sysmanlib_AsInfo_GetInstanceIndex();
    if (index == 0) {
        throw std::runtime_error(kNoInstanceIndexText);
    }
    myPrefix = dewPointPrefix(index);
}

DewPointInputsDisplay::~DewPointInputsDisplay() = default;

bool DewPointInputsDisplay::command2Hook() {
    bool further = false;
    withVesk([&](Vesk& vesk) { further = vesk.hasFurtherDewPointSensors(); });
    if (!further) {
        TARVO_TRACE(selector(), kNoFurtherDewPointSensorsTrace, 0);
        mySelectionPrompt.setHidden(1);
        myTemperatureLine.labelCommand10();
    } else {
        TARVO_TRACE(selector(), kFurtherDewPointSensorsTrace, 0);
    }
    myTemperatureLine.setLabelTextKey("VeskTemp_dp_sensor");
    return true;
}

bool DewPointInputsDisplay::command7Hook() {
    std::u16string text;
    if (withVesk([&](Vesk& vesk) { text = vesk.dewPointDeviceStateText(); })) {
        myStatePrompt.setText(text);
    }
    return true;
}

void DewPointInputsDisplay::selectSensor(int sensor) {
    if (sensor < 1 || sensor > 3) {
        return;
    }
    TARVO_TRACE(selector(), kSensorSelectedTrace[sensor - 1], 0);
    const std::string suffix = sensor == 1 ? "" : std::to_string(sensor);
    myTemperatureLine.bindParameter(myPrefix + "CV_tdps" + suffix);
    myPressureLine.bindParameter(myPrefix + "CV_pdps" + suffix);
    myDewPointLine.bindParameter(myPrefix + "CV_twdp" + suffix);
    myHumidityLine.bindParameter(myPrefix + "CV_hwdp" + suffix);
    myTemperatureLine.setLabelTextKey("VeskTemp_dp_sensor" + suffix);
    myPressureLine.setLabelTextKey("VeskPressure_dp_sensor" + suffix);
    myDewPointLine.setLabelTextKey("VeskWater_dew_point" + suffix);
    myHumidityLine.setLabelTextKey("VeskWater_humidity" + suffix);
}

SulfurInputsDisplay::SulfurInputsDisplay() : View(500), myStatePrompt(510) {}

SulfurInputsDisplay::~SulfurInputsDisplay() = default;

bool SulfurInputsDisplay::command7Hook() {
    std::u16string text;
    if (withVesk([&](Vesk& vesk) { text = vesk.sulfurDeviceStateText(); })) {
        myStatePrompt.setText(text);
    }
    return true;
}

// ---- The set and the entries ------------------------------------------------------------------

DisplaySet::DisplaySet(bool single)
    : singleSensor(single),
      overview(single, oxygenPrefix(single)),
      oxygen(single, oxygenPrefix(single)),
      oxygenSensors(oxygenPrefix(single), single),
      oxygenRevision(oxygenPrefix(single), single) {}

void initPEG() {
    bool singleSensor = false;
    if (!withVesk([&](Vesk& vesk) { singleSensor = vesk.oxygenGroup().isSingleSensor(); })) {
        throw std::runtime_error("initPEG called but global Vesk instance is NULL");
    }
    // The display client already runs: until the scope ends it answers every command as one
    // for no item, so no command meets a screen that is half built or being deleted.
    const PEGDispatcher::BuildScope building;
    // The screens of an earlier run of the program in this process (a restart on the host).
    delete theDisplaySet;
    theDisplaySet = nullptr;
    theDisplaySet = new DisplaySet(singleSensor);
}

int OnPegEvent(ServiceObject* pService, const PEGCommand* pCommand) {
    try {
        if (HandlePreprocessingDisplayEvent(VeskTree(), pCommand) != 0) {
            return 0;
        }
        return static_cast<int>(PEGDispatcher::instance().dispatchCommand(pService, pCommand));
    } catch (const std::exception& error) {
        TARVO_TRACE(selector(), kEventExceptionTrace, TraceFormat(kTraceArgText), error.what());
    } catch (...) {
        TARVO_TRACE(selector(), kEventUnknownExceptionTrace, 0);
    }
    return 0;
}

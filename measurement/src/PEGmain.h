// The screens of Vesk-Prog on the device's local display and the program's display entry.
//
// The screens never read the tree: they tell the display which parameter each value field
// shows (code 37 with the context prefix and the parameter name), set label keys (code 30),
// hide and enable items and send the analyser state texts. They reach the application object
// and its oxygen group only through VeskInstance::use, the guard the shutdown hook shares, so a
// command that arrives after the shutdown deleted the object finds none and changes nothing.
//
// Tasks. initPEG and the constructors run on the initial task (the start hook); hooks,
// receivers and OnPegEvent on the display client task; RevisionComboBox::setRevisionState on
// the task of whoever changed the revision state. The screens take no lock of their own.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "Combo.h"
#include "ItemSignal.h"
#include "PromptT.h"
#include "UserLine.h"
#include "View.h"

using Prompt = PromptT<std::u16string>;

// The context prefixes of the oxygen node's two alternatives.
extern const std::string kOxygenSingleSensorPrefix;  // "Oxygen.SNo1."
extern const std::string kOxygenTwoSensorsPrefix;    // "Oxygen.SNo2."

// Selection box 905: entries 0, 1, 2 choose dew-point sensor 1, 2, 3.
class SensorSelComboBox : public Combo {
  public:
    SensorSelComboBox();
    ~SensorSelComboBox() override;

    // Emitted with the sensor number 1 to 3 of the entry selected.
    ItemSignal<int> sensorSignal;

    // Entries 0 to 2 emit sensorSignal with 1 to 3; any other entry is traced and emits
    // nothing. Returns true.
    bool selectionChanged(int32_t index) override;
};

// Selection box 410: entry 0 switches the oxygen revision off, entry 1 on; shows the state.
class RevisionComboBox : public Combo {
  public:
    RevisionComboBox();
    ~RevisionComboBox() override;

    // Emitted with 0 (off) or 1 (on) for the entry selected.
    ItemSignal<int> stateSignal;

    // Entry 0 emits stateSignal with 0, entry 1 with 1; any other entry does nothing.
    // Returns true.
    bool selectionChanged(int32_t index) override;
    // Stores the revision state and shows it. Any task (the oxygen group calls it through its
    // revision display slot when the state changed).
    void setRevisionState(bool value);
    // Code 29 with the stored state to 410 through currentPEGClient (nothing before the first
    // command arrived).
    void showRevisionState();

    bool revisionState() const { return myRevisionState != 0; }

  private:
    std::atomic<uint8_t> myRevisionState{0};
};

// The line of the oxygen value: with one sensor bound to its value, with two to the value of
// the sensor in use, which it asks the oxygen group for (the last answer is kept; sensor 1 until
// the first).
class OxygenValueLine {
  public:
    OxygenValueLine(uint32_t itemId, bool singleSensor, const std::string& prefix);

    // Asks for the sensor in use (two sensors) and binds the line.
    void bind();
    // Two sensors: binds the line again when the sensor in use changed.
    void followSensorInUse();

    const std::string& prefix() const { return myPrefix; }

  private:
    bool mySingleSensor;
    bool myFirstSensorInUse = true;
    std::string myPrefix;
    UserLine myLine;
};

// Screen 100: the oxygen value of the sensor in use.
class OverviewDisplay : public View {
  public:
    OverviewDisplay(bool singleSensor, const std::string& prefix);
    ~OverviewDisplay() override;

    // Binds 110 (traced).
    bool command2Hook() override;
    // Binds 110 again when the sensor in use changed.
    bool command7Hook() override;

  private:
    OxygenValueLine myValueLine;
};

// Screen 200: the oxygen value and its hourly and daily means.
class OxygenDisplay : public View {
  public:
    OxygenDisplay(bool singleSensor, const std::string& prefix);
    ~OxygenDisplay() override;

    // Binds the four mean lines, then the value line as the overview does.
    bool command2Hook() override;
    // As the overview's, for the value line.
    bool command7Hook() override;

  private:
    OxygenValueLine myValueLine;
    UserLine myCurrentHourLine;
    UserLine myLastHourLine;
    UserLine myCurrentDayLine;
    UserLine myLastDayLine;
};

// Screen 300: the sensors' values and life times with their reset prompts (right 12).
class OxygenSensorsDisplay : public View {
  public:
    // Connects prompt 330 to the reset of sensor 1, and 360 to that of sensor 2 with two
    // sensors.
    OxygenSensorsDisplay(const std::string& prefix, bool singleSensor);
    ~OxygenSensorsDisplay() override;

    // Binds the lines of the sensors (hides those of sensor 2 with one), then checkAccess.
    bool command2Hook() override;
    bool command3Hook() override;
    // Enables 330 and 360 when right 12 is granted, else disables both; disables them when
    // there is no application object.
    void checkAccess();

    // Receivers of the prompts: the oxygen group's life-time resets.
    void resetLifeTime1();
    void resetLifeTime2();

  private:
    std::string myPrefix;
    bool mySingleSensor;
    UserLine mySensor1Line;
    UserLine myLifeTime1Line;
    Prompt myReset1Prompt;
    UserLine mySensor2Line;
    UserLine myLifeTime2Line;
    Prompt myReset2Prompt;
};

// Screen 400: the revision switch with the sensors' values and the best value.
class OxygenRevisionDisplay : public View {
  public:
    // Connects the box to the oxygen group's revision switch and enters the box in the group's
    // revision display slot.
    OxygenRevisionDisplay(const std::string& prefix, bool singleSensor);
    // Empties the group's revision display slot when it still names this screen's box.
    ~OxygenRevisionDisplay() override;

    // Binds the lines (hides 430 with one sensor), checkAccess, then shows the revision state.
    bool command2Hook() override;
    bool command3Hook() override;
    // Enables 410 when right 12 is granted, else (or without application object) disables it.
    void checkAccess();

    // Receiver of the box: the oxygen group's revision switch (1 on, 0 off).
    void setRevision(int on);

    RevisionComboBox& revisionBox() { return myRevisionBox; }

  private:
    std::string myPrefix;
    bool mySingleSensor;
    RevisionComboBox myRevisionBox;
    UserLine mySensor1Line;
    UserLine mySensor2Line;
    UserLine myBestValueLine;
};

// Screen 900: the inputs of the chosen dew-point sensor and the dew-point analyser's state.
class DewPointInputsDisplay : public View {
  public:
    // Computes the dew-point prefix "#Vesk.I<instance, two digits at least>.DPs.". Throws
    // std::runtime_error when the address space has no instance index.
    DewPointInputsDisplay();
    ~DewPointInputsDisplay() override;

    // Hides 910 when no further sensors are configured; sets 920's label key to sensor 1's.
    bool command2Hook() override;
    // Sends the dew-point analyser's state text to 970.
    bool command7Hook() override;
    // Binds the four lines to sensor 1, 2 or 3 and sets their label keys; other values do
    // nothing.
    void selectSensor(int sensor);

    const std::string& prefix() const { return myPrefix; }

  private:
    Prompt mySelectionPrompt;
    Prompt myStatePrompt;
    UserLine myTemperatureLine;
    UserLine myPressureLine;
    UserLine myDewPointLine;
    UserLine myHumidityLine;
    SensorSelComboBox mySensorBox;
    std::string myPrefix;
};

// Screen 500: the sulfur analyser's state.
class SulfurInputsDisplay : public View {
  public:
    SulfurInputsDisplay();
    ~SulfurInputsDisplay() override;

    // Sends the sulfur analyser's state text to 510.
    bool command7Hook() override;

  private:
    Prompt myStatePrompt;
};

// The program's screens, built in this order.
struct DisplaySet {
    explicit DisplaySet(bool singleSensor);

    bool singleSensor;
    OverviewDisplay overview;
    OxygenDisplay oxygen;
    OxygenSensorsDisplay oxygenSensors;
    OxygenRevisionDisplay oxygenRevision;
    DewPointInputsDisplay dewPointInputs;
    SulfurInputsDisplay sulfurInputs;
};

// The display set, null until initPEG has run.
extern DisplaySet* theDisplaySet;

// Builds the screens for the application object's oxygen configuration (start hook). A set of
// an earlier run of the program in this process is destroyed first. Both happen inside a
// PEGDispatcher::BuildScope: the display client reaches no screen until all are built. Throws
// std::runtime_error "initPEG called but global Vesk instance is NULL" without application object;
// an exception while building leaves no screen and theDisplaySet null.
void initPEG();

// The dew-point context prefix of the address-space instance `index` (1-based).
std::string dewPointPrefix(uint32_t index);

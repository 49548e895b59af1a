// The application object of Vesk-Prog: owns the sulfur, dew-point and oxygen groups, runs their
// cycle, publishes the device's collective alarm, warning and input failure, keeps the averages
// across restarts in the data-set file and gives the display screens the analyser state texts.
// Built, loaded, cycled, saved and destroyed on the initial task (the life-cycle hooks); the
// state texts, hasFurtherDewPointSensors, oxygenGroup and asInfo are also used from the display
// task and change nothing.
#pragma once

#include <cstdint>
#include <string>

#include "AsInfo.h"
#include "DewPointGroup.h"
#include "OxygenGroup.h"
#include "PeriodEnds.h"
#include "SulfurGroup.h"
#include "Vesk_AccessClasses.h"

class Vesk {
  public:
    // Layout of the data-set file: magic, version, then the saved averages of the sulfur,
    // dew-point and oxygen groups (64 bytes each), little-endian: kDataSetSize bytes. Files of
    // the current version follow them with the CRC-32 (TarvoFiles.h) of those bytes; files of
    // the earlier version, without it and always of exactly kDataSetSize bytes, still load.
    static constexpr uint32_t kDataSetMagic = 0x0FBAAAFE;
    static constexpr uint32_t kDataSetVersion = 6;
    static constexpr uint32_t kUncheckedDataSetVersion = 5;
    static constexpr uint32_t kDataSetSize = 1416;
    static constexpr uint32_t kDataSetFileSize = kDataSetSize + 4;
    // The saved state of one average: the hour's and then the day's weighted sum, weight sum,
    // plain sum and count (a NaN count: an empty period).
    static constexpr uint32_t kSavedAverageSize = 64;

    // Fetches and null-checks the General node and the collective outputs, then builds the
    // groups from their nodes in the order sulfur, dew point, oxygen. A missing node throws
    // std::invalid_argument (the check text names it) and nothing remains built.
    Vesk(Vesk_Root root, AsInfo* pAsInfo);
    Vesk(const Vesk&) = delete;
    Vesk& operator=(const Vesk&) = delete;
    // Traces, then destroys the oxygen, dew-point and sulfur groups in this order.
    ~Vesk();

    // Names the data-set file "VeskDataI<index, two digits at least>.bin" in the address
    // space's directory of file access (the base path of its self-information, else the working
    // directory) as found at the first load (kept for every later save), reads it and restores the
    // groups from it. A file whose content is bad (short, of another magic or version, failing
    // its checksum, of the unchecked version at any size but kDataSetSize) is traced and
    // removed; a file that cannot be opened or read is traced with the operating system's
    // reason and kept; either way the groups start without saved state. Arms the watch of the
    // hour and day triggers. Then looks up the analyser state texts ("???" for a missing one).
    // Throws std::runtime_error when the address space has no instance index. Start hook,
    // inside the tree access.
    void loadDataFile();
    // One cycle: reads the hour and day triggers once, runs the three groups on that reading,
    // then publishes the groups' outputs and writes the collective outputs. In a cycle in which
    // a period ends, the groups close it in memory, the averages are saved (the file is
    // replaced whole, never removed first), and only then is anything the close decided
    // published: the closed periods' means, the day's alarm decisions and the group and
    // collective outputs they feed. A stop at any moment loses at most what was counted since
    // the last completed save, counts nothing twice and shows nothing decided from sums that
    // the file still holds. A failed save is traced and the cycle publishes as after a good
    // one; the sums stay in memory for the next save, and the previous file stays unless it
    // holds sums of a period that has ended (then it is removed, so no later start counts them
    // again; a removal that fails is tried again in every later cycle until a save or a
    // removal succeeds: a cycle without a period end then only removes, and a period end's
    // save replaces the file). Without such a file a cycle with no period end makes no file
    // call. Cycle hook.
    void update();
    // Writes the groups' saved averages to the data-set file through a temporary file, so a
    // failure leaves the previous file whole. Throws std::runtime_error on any failure up to
    // the file's rename (std::range_error from the buffer), after removing the previous file
    // when it holds sums of a period that has ended; a failure to force the directory after
    // the rename is traced with the reason, and the save counts as done. Shutdown hook, and
    // update at a period's end.
    void saveDataFile();

    // The state texts of the analysers in the display's current language: the ready text
    // alone, else the alarm, warning and revision texts that apply joined by ", ", else the
    // unknown text. Display task.
    std::u16string sulfurDeviceStateText() const;
    std::u16string dewPointDeviceStateText() const;
    std::u16string composeDeviceStateText(unsigned int mask) const;
    // True when the count of further dew-point sensors (child 3 of the root's child 3) is
    // above 0; false when either node is missing. Display task.
    bool hasFurtherDewPointSensors() const;

    OxygenGroup& oxygenGroup() { return myOxygenGroup; }
    const OxygenGroup& oxygenGroup() const { return myOxygenGroup; }
    AsInfo* asInfo() const { return pAsInfo; }

    // The data-set file's name and the directory fixed at the first load ("" before).
    const std::string& dataFileName() const { return myDataFileName; }
    const std::string& dataFileDirectory() const { return myDataFileDirectory; }

  private:
    // State texts: unknown, ready, alarm, warning, revision.
    enum StateText { kUnknown, kReady, kAlarm, kWarning, kRevision, kStateTextCount };

    // What the file on disk may hold: sums of the running hour, of the running day, and sums
    // of a period that has ended since the file was written (a later start would count those
    // again: the file must go).
    struct FilePeriods {
        bool hour = false;
        bool day = false;
        bool endedPeriod = false;
    };

    // The file's path: the fixed directory and the name, built at the load ("" before).
    const std::string& dataFilePath() const { return myDataFilePath; }
    // Reads and checks the file into `buffer` (positioned after the header); throws
    // data_set_file::BadContent for a bad content, std::runtime_error when it cannot be read.
    void readDataFile(Buff& buffer) const;
    // The file's bytes after its version: checks the checksum of a file of the current version.
    static void checkChecksum(uint32_t version, const uint8_t* file, std::size_t size);
    // The periods of which the loaded data set (positioned after the header) holds sums; reads
    // through a view of its own, so the data set's position stays.
    static FilePeriods periodsHeldBy(Buff& dataSet);
    // Removes the file (a bad one, or one whose sums belong to a period that has ended); traces
    // a failure. True when no file is left.
    bool removeFile();
    // When the file holds sums of an ended period, removes it (traced) and forgets what it held
    // once it is gone; otherwise does nothing.
    void removeFileIfEnded();
    // Writes the groups' saved averages through a temporary file; see saveDataFile.
    void writeDataFile();
    // Saves the averages at the end of the periods `ends`; see update.
    void saveAtPeriodEnd(const PeriodEnds& ends);
    void lookUpStateTexts();

    std::string myDataFileName;
    std::string myDataFileDirectory;
    std::string myDataFilePath;
    const char16_t* myStateTexts[2][kStateTextCount] = {};
    AsInfo* pAsInfo;
    Vesk_Root myVeskNode;
    Vesk_General myGeneralNode;
    BoolOutputNode myCollectiveAlarm;
    BoolOutputNode myCollectiveWarning;
    BoolOutputNode myCollectiveInputFailure;
    SulfurGroup mySulfurGroup;
    DewPointGroup myDewPointGroup;
    OxygenGroup myOxygenGroup;
    PeriodTriggers myPeriodTriggers;
    FilePeriods myFilePeriods;
};

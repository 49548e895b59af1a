#include "Vesk.h"

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <iomanip>
#include <memory>
#include <sstream>
#include <stdexcept>

#include "DataSetFile.h"
#include "GeneralNodeFetch.h"
#include "NodeIo.h"
#include "Tarvo.h"
#include "TarvoFiles.h"
#include "TarvoText.h"
#include "TarvoTrace.h"
#include "VeskTraceFile.h"
#include "util/Buffer.h"

namespace {

// The source path that failure texts name, relative to the repository.
constexpr char kSourcePath[] = "measurement/src/Vesk.cpp";

// The application object's trace file, shared with the data-set file.
constexpr uint32_t kFile = vesk_trace::kFile;
constexpr uint32_t kDestroyedTrace = TraceId(kFile, 0, 7);
constexpr uint32_t kLoadTrace = TraceId(kFile, 1, 7);
constexpr uint32_t kMagicTrace = TraceId(kFile, 2, 3);              // expected, read
constexpr uint32_t kVersionTrace = TraceId(kFile, 3, 4);            // expected, read
constexpr uint32_t kNotReadTrace = TraceId(kFile, 4, 5);            // name, reason
constexpr uint32_t kNotRemovedTrace = TraceId(kFile, 5, 5);         // name
constexpr uint32_t kMissingTextTrace = TraceId(kFile, 6, 3);        // -
constexpr uint32_t kFurtherSensorsTrace = TraceId(kFile, 7, 7);     // count
constexpr uint32_t kStateTextTrace = TraceId(kFile, 8, 7);          // mask, language
constexpr uint32_t kPeriodSaveFailedTrace = TraceId(kFile, 9, 3);   // reason
constexpr uint32_t kPeriodSavedTrace = TraceId(kFile, 10, 6);       // hour ended, day ended
constexpr uint32_t kNotSyncedTrace = TraceId(kFile, 11, 4);         // reason
constexpr uint32_t kEndedFileRemovedTrace = TraceId(kFile, 12, 4);  // name
// Point 13 is the data-set file's (vesk_trace::kDataSetTooDeepPoint).

// The parts of the data-set file's name, built once at program start.
const std::string kDataFilePrefix = "VeskDataI";
const std::string kDataFileSuffix = ".bin";

// The root's child that leads to the count of further dew-point sensors, and its child.
constexpr uint32_t kFurtherSensorsParent = 3;
constexpr uint32_t kFurtherSensorsCount = 3;

// Dictionary keys of the state texts, in the order of Vesk::StateText.
const char* const kStateTextKeys[] = {"DS_unknown_LR", "DS_ready_LR", "DS_alarm_LR",
                                      "DS_warning_LR", "DS_revision_LR"};
constexpr char16_t kMissingText[] = u"???";
constexpr char16_t kSeparator[] = u", ";

// The working directory, or "" when it cannot be told.
std::string currentDirectory() {
    char path[4096];
    return getcwd(path, sizeof(path)) != nullptr ? std::string(path) : std::string();
}

// The address space's directory of file access: the base path its self-information names (the
// device runs the address space there; a relative one is taken from the working directory),
// else the working directory; "" when neither can be told. Without trailing "/" or "/.".
std::string fileAccessDirectory(const AsInfo* pAsInfo) {
    const char* base = pAsInfo != nullptr ? pAsInfo->selfInfo.szBasePath : "";
    std::string directory(
        base, pAsInfo != nullptr ? strnlen(base, sizeof(SelfInformation::szBasePath)) : 0);
    if (directory.empty() || directory[0] != '/') {
        const std::string working = currentDirectory();
        if (working.empty()) {
            return working;
        }
        directory = directory.empty() ? working : working + "/" + directory;
    }
    for (;;) {
        if (directory.size() > 1 && directory.back() == '/') {
            directory.pop_back();
        } else if (directory.size() > 2 && directory.compare(directory.size() - 2, 2, "/.") == 0) {
            directory.resize(directory.size() - 2);
        } else {
            return directory;
        }
    }
}

}  // namespace

Vesk::Vesk(Vesk_Root root, AsInfo* asInfo)
    : pAsInfo(asInfo),
      myVeskNode(root),
      myGeneralNode(checkNotNull(myVeskNode.getGeneral(), "myVeskNode.getGeneral()")),
      myCollectiveAlarm(checkNotNull(myGeneralNode.getA_gen(), "myGeneralNode.getA_gen()")),
      myCollectiveWarning(checkNotNull(myGeneralNode.getW_gen(), "myGeneralNode.getW_gen()")),
      myCollectiveInputFailure(checkNotNull(myGeneralNode.getA_IFc(), "myGeneralNode.getA_IFc()")),
      mySulfurGroup(myGeneralNode, checkNotNull(myVeskNode.getSulfur(), "myVeskNode.getSulfur()")),
      myDewPointGroup(myGeneralNode, checkNotNull(myVeskNode.getDPs(), "myVeskNode.getDPs()")),
      myOxygenGroup(myGeneralNode, checkNotNull(myVeskNode.getOxygen(), "myVeskNode.getOxygen()")),
      myPeriodTriggers(GeneralNodeFetch(myGeneralNode).hourTrigger(),
                       GeneralNodeFetch(myGeneralNode).dayTrigger()) {
    // Until the texts are looked up, every state reads "???".
    for (auto& language : myStateTexts) {
        for (const char16_t*& text : language) {
            text = kMissingText;
        }
    }
}

Vesk::~Vesk() {
    TARVO_TRACE(Tarvo_GetTraceSelector(), kDestroyedTrace, 0);
    // The members go in reverse order: oxygen, dew point, sulfur.
}

void Vesk::loadDataFile() {
    TARVO_TRACE(Tarvo_GetTraceSelector(), kLoadTrace, 0);
    const uint32_t index = Sysmanlib_AsInfo_GetInstanceIndex();
    if (index == 0) {
        throw std::runtime_error(std::string(kSourcePath) +
                                 ":59 Failed to obtain index of tarvo instance");
    }
    std::ostringstream name;
    name << kDataFilePrefix << std::setw(2) << std::setfill('0') << index << kDataFileSuffix;
    myDataFileName = name.str();
    if (myDataFileDirectory.empty()) {
        myDataFileDirectory = fileAccessDirectory(pAsInfo);
    }
    myDataFilePath =
        myDataFileDirectory.empty() ? myDataFileName : myDataFileDirectory + "/" + myDataFileName;

    myPeriodTriggers.arm();  // a trigger already set does not end a period

    std::unique_ptr<ManagedBuff> buffer;
    myFilePeriods = FilePeriods();
    try {
        buffer = std::make_unique<ManagedBuff>(kDataSetSize);
        readDataFile(*buffer);
        myFilePeriods = periodsHeldBy(*buffer);
    } catch (const data_set_file::BadContent& error) {
        TARVO_TRACE(Tarvo_GetTraceSelector(), kNotReadTrace,
                    TraceFormat(kTraceArgText, kTraceArgText), myDataFileName.c_str(),
                    error.what());
        buffer.reset();
        removeFile();
    } catch (const std::exception& error) {
        // Not read (missing, or a fault of the system): the file stays for a later start.
        TARVO_TRACE(Tarvo_GetTraceSelector(), kNotReadTrace,
                    TraceFormat(kTraceArgText, kTraceArgText), myDataFileName.c_str(),
                    error.what());
        buffer.reset();
    }
    mySulfurGroup.restore(buffer.get());
    myDewPointGroup.restore(buffer.get());
    myOxygenGroup.restore(buffer.get());
    buffer.reset();
    lookUpStateTexts();
}

void Vesk::readDataFile(Buff& buffer) const {
    uint8_t file[kDataSetFileSize];
    const std::size_t size =
        data_set_file::read(dataFilePath(), file, kDataSetSize, kDataSetFileSize);
    std::memcpy(buffer.data(), file, kDataSetSize);
    const uint32_t magic = buffer.readValue<uint32_t>();
    if (magic != kDataSetMagic) {
        TARVO_TRACE(Tarvo_GetTraceSelector(), kMagicTrace, TraceFormat(kTraceArgInt, kTraceArgInt),
                    kDataSetMagic, magic);
        throw data_set_file::BadContent("File magic mismatch");
    }
    const uint32_t version = buffer.readValue<uint32_t>();
    if (version != kDataSetVersion && version != kUncheckedDataSetVersion) {
        TARVO_TRACE(Tarvo_GetTraceSelector(), kVersionTrace,
                    TraceFormat(kTraceArgInt, kTraceArgInt), kDataSetVersion, version);
        throw data_set_file::BadContent("File version mismatch");
    }
    checkChecksum(version, file, size);
}

void Vesk::checkChecksum(uint32_t version, const uint8_t* file, std::size_t size) {
    if (version == kUncheckedDataSetVersion) {
        // Written before files carried a checksum, always of exactly the data set's size: any
        // other size is a damaged file (a version byte changed on a file of today).
        if (size != kDataSetSize) {
            throw data_set_file::BadContent("File size mismatch");
        }
        return;
    }
    if (size < kDataSetFileSize) {
        throw data_set_file::BadContent("File checksum missing");
    }
    uint32_t checksum = 0;
    checksumInit(&checksum);
    checksumUpdate(&checksum, file, kDataSetSize);
    uint32_t stored = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        stored |= static_cast<uint32_t>(file[kDataSetSize + i]) << (8 * i);
    }
    if (stored != checksum) {
        throw data_set_file::BadContent("File checksum mismatch");
    }
}

Vesk::FilePeriods Vesk::periodsHeldBy(Buff& dataSet) {
    // The places of the hour's and the day's count among the eight doubles of a saved average.
    constexpr std::size_t kHourCount = 3;
    constexpr std::size_t kDayCount = 7;
    Buff saved(dataSet.data(), kDataSetSize);
    saved.setPosition(dataSet.offset());
    FilePeriods held;
    while (saved.remaining() >= kSavedAverageSize) {
        double state[kSavedAverageSize / sizeof(double)];
        for (double& value : state) {
            value = saved.readValue<double>();
        }
        held.hour = held.hour || !std::isnan(state[kHourCount]);
        held.day = held.day || !std::isnan(state[kDayCount]);
    }
    return held;
}

bool Vesk::removeFile() {
    try {
        const std::string notSynced = data_set_file::remove(dataFilePath());
        if (!notSynced.empty()) {
            TARVO_TRACE(Tarvo_GetTraceSelector(), kNotSyncedTrace, TraceFormat(kTraceArgText),
                        notSynced.c_str());
        }
        return true;
    } catch (const std::exception&) {
        TARVO_TRACE(Tarvo_GetTraceSelector(), kNotRemovedTrace, TraceFormat(kTraceArgText),
                    myDataFileName.c_str());
        return false;
    }
}

void Vesk::removeFileIfEnded() {
    if (!myFilePeriods.endedPeriod) {
        return;
    }
    TARVO_TRACE(Tarvo_GetTraceSelector(), kEndedFileRemovedTrace, TraceFormat(kTraceArgText),
                myDataFileName.c_str());
    if (removeFile()) {
        myFilePeriods = FilePeriods();
    }
}

void Vesk::lookUpStateTexts() {
    const ServiceClient* dictionary = textDictionaryOf(pAsInfo);
    for (int text = kUnknown; text < kStateTextCount; ++text) {
        for (uint32_t language = 0; language < 2; ++language) {
            myStateTexts[language][text] =
                Tarvo_LookupText(dictionary, kStateTextKeys[text], language);
        }
    }
    for (auto& language : myStateTexts) {
        for (const char16_t*& text : language) {
            if (text == nullptr) {
                TARVO_TRACE(Tarvo_GetTraceSelector(), kMissingTextTrace, 0);
                text = kMissingText;
            }
        }
    }
}

void Vesk::update() {
    const PeriodEnds ends = myPeriodTriggers.read();
    bool alarm = false;
    bool warning = false;
    bool inputFailure = false;
    mySulfurGroup.update(ends, alarm, warning, inputFailure);
    myDewPointGroup.update(ends, alarm, warning, inputFailure);
    myOxygenGroup.update(ends, alarm, warning, inputFailure);
    if (ends.any() && !myDataFileName.empty()) {
        saveAtPeriodEnd(ends);
    } else {
        removeFileIfEnded();  // a removal after a failed save that failed too
    }
    mySulfurGroup.publish(ends);
    myDewPointGroup.publish(ends);
    myOxygenGroup.publish(ends);
    node_io::writeBool(myCollectiveAlarm, alarm);
    node_io::writeBool(myCollectiveWarning, warning);
    node_io::writeBool(myCollectiveInputFailure, inputFailure);
}

void Vesk::saveAtPeriodEnd(const PeriodEnds& ends) {
    // Sums of the running periods that the file holds become sums of ended ones. Where it
    // holds none (it was written at a period end with the hour empty, and no day ended since),
    // it stays through a failed save: a later start goes on from it and counts nothing twice.
    myFilePeriods.endedPeriod = myFilePeriods.endedPeriod || (ends.hour && myFilePeriods.hour) ||
                                (ends.day && myFilePeriods.day);
    myFilePeriods.hour = myFilePeriods.hour && !ends.hour;
    myFilePeriods.day = myFilePeriods.day && !ends.day;
    try {
        writeDataFile();
        myFilePeriods = {!ends.hour, !ends.day, false};
        TARVO_TRACE(Tarvo_GetTraceSelector(), kPeriodSavedTrace,
                    TraceFormat(kTraceArgInt, kTraceArgInt), ends.hour ? 1 : 0, ends.day ? 1 : 0);
        return;
    } catch (const std::exception& error) {
        TARVO_TRACE(Tarvo_GetTraceSelector(), kPeriodSaveFailedTrace, TraceFormat(kTraceArgText),
                    error.what());
    }
    removeFileIfEnded();
}

void Vesk::saveDataFile() {
    try {
        writeDataFile();
    } catch (const std::exception&) {
        removeFileIfEnded();
        throw;
    }
    myFilePeriods = {true, true, false};
}

void Vesk::writeDataFile() {
    if (myDataFileName.empty()) {
        throw std::runtime_error("data-set file not written: its name is not known");
    }
    ManagedBuff buffer(kDataSetSize);
    buffer.writeValue(kDataSetMagic);
    buffer.writeValue(kDataSetVersion);
    mySulfurGroup.save(buffer);
    myDewPointGroup.save(buffer);
    myOxygenGroup.save(buffer);
    if (buffer.offset() != kDataSetSize) {
        throw std::runtime_error("data-set file not written: the groups saved " +
                                 std::to_string(buffer.offset()) + " bytes");
    }
    uint8_t file[kDataSetFileSize];
    std::memcpy(file, buffer.data(), kDataSetSize);
    uint32_t checksum = 0;
    checksumInit(&checksum);
    checksumUpdate(&checksum, file, kDataSetSize);
    for (std::size_t i = 0; i < 4; ++i) {
        file[kDataSetSize + i] = static_cast<uint8_t>(checksum >> (8 * i));
    }
    const std::string notSynced =
        data_set_file::writeAtomically(dataFilePath(), file, kDataSetFileSize);
    if (!notSynced.empty()) {
        TARVO_TRACE(Tarvo_GetTraceSelector(), kNotSyncedTrace, TraceFormat(kTraceArgText),
                    notSynced.c_str());
    }
}

std::u16string Vesk::sulfurDeviceStateText() const {
    return composeDeviceStateText(mySulfurGroup.deviceStateMask());
}

std::u16string Vesk::dewPointDeviceStateText() const {
    return composeDeviceStateText(myDewPointGroup.deviceStateMask());
}

std::u16string Vesk::composeDeviceStateText(unsigned int mask) const {
    const uint32_t language = Sysmanlib_AsInfo_GetLanguage() != 0 ? 1 : 0;
    TARVO_TRACE(Tarvo_GetTraceSelector(), kStateTextTrace, TraceFormat(kTraceArgInt, kTraceArgInt),
                mask, language);
    const auto& texts = myStateTexts[language];
    if ((mask & kDeviceReady) != 0) {
        return texts[kReady];
    }
    std::u16string result;
    const std::pair<unsigned int, StateText> parts[] = {
        {kDeviceAlarm, kAlarm}, {kDeviceWarning, kWarning}, {kDeviceRevision, kRevision}};
    for (const auto& [bit, text] : parts) {
        if ((mask & bit) != 0) {
            result += result.empty() ? u"" : kSeparator;
            result += texts[text];
        }
    }
    return result.empty() ? std::u16string(texts[kUnknown]) : result;
}

bool Vesk::hasFurtherDewPointSensors() const {
    FbDoNode parent = FbDo_GetChild(myVeskNode, kFurtherSensorsParent);
    FbDoNode countNode = parent != nullptr ? FbDo_GetChild(parent, kFurtherSensorsCount) : nullptr;
    const uint32_t count = countNode != nullptr ? FbDo_NodeCountQuery(countNode) : 0;
    TARVO_TRACE(Tarvo_GetTraceSelector(), kFurtherSensorsTrace, TraceFormat(kTraceArgInt), count);
    return count > 0;
}

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "FileBytes.h"
#include "GroupFixture.h"
#include "HostFramework.h"
#include "HostKernel.h"
#include "HostTrace.h"
#include "Kernel.h"
#include "ScratchDirectory.h"
#include "TarvoFiles.h"
#include "Vesk.h"

namespace {

using Bytes = FileBytes::Bytes;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

const std::vector<std::string> kSulfurTokens = {"Merc", "HC", "TS", "H2S", "COS", "MM", "EM"};
const std::vector<std::string> kDewPointTokens = {"tdps",  "tdps2", "tdps3", "pdps",
                                                  "pdps2", "pdps3", "hcdtp"};  // with lower limits

// The application object over the program's tree, in a working directory of the test's own.
class VeskTest : public GroupFixture, protected FileBytes {
  protected:
    VeskTest() {
        Sysmanlib_AsInfo_Setup(addressSpace(), 0);
        host::setInstanceIndex(1);
        quietLimits();
    }
    ~VeskTest() override {
        host::setInstanceIndex(std::nullopt);
        host::setLanguage(std::nullopt);
        host::resetTraceSettings();
    }

    // Limits that the inputs (all 0) do not reach.
    void quietLimits() {
        setAll("Sulfur", "UAL_", kSulfurTokens, 1000.0);
        setAll("Sulfur", "UWL_", kSulfurTokens, 1000.0);
        setAll("DPs", "UAL_", kDewPointTokens, 1000.0);
        setAll("DPs", "LAL_", kDewPointTokens, -1000.0);
        for (const std::string alternative : {"Oxygen.SNo1.", "Oxygen.SNo2."}) {
            tree->setDouble(alternative + "UWL_O2", 1000.0);
            tree->setDouble(alternative + "UAL_O2", 1000.0);
            tree->setDouble(alternative + "LWL_LT", -1.0);
        }
    }
    // Starts a case of a table afresh: no data-set file, a new tree, limits the inputs do not
    // reach.
    void startAfresh() {
        std::remove(kFile);
        tree = host::HostTree::fromFile(VESK_MODEL_FILE);
        quietLimits();
    }
    std::unique_ptr<Vesk> make() { return std::make_unique<Vesk>(tree->root(), addressSpace()); }

    // A data-set file saved after one cycle with the H2S input at `value`.
    Bytes savedFile(double value) {
        tree->setDouble("Sulfur.Imp_H2S", value);
        auto vesk = make();
        vesk->loadDataFile();
        vesk->update();
        vesk->saveDataFile();
        return read(kFile);
    }

    static constexpr const char* kFile = "VeskDataI01.bin";
    ScratchDirectory scratch;
    const std::string& directory = scratch.path();
};

TEST_F(VeskTest, FileNameCarriesTheInstanceIndexWithTwoDigitsAtLeast) {
    for (const auto& [index, name] : std::vector<std::pair<uint8_t, std::string>>{
             {1, "VeskDataI01.bin"}, {12, "VeskDataI12.bin"}, {123, "VeskDataI123.bin"}}) {
        host::setInstanceIndex(index);
        auto vesk = make();
        vesk->loadDataFile();
        EXPECT_EQ(vesk->dataFileName(), name);
        vesk->saveDataFile();
        EXPECT_EQ(read(name).size(), Vesk::kDataSetFileSize) << name;
        std::remove(name.c_str());
    }
}

TEST_F(VeskTest, NoInstanceIndexFailsTheLoadAndTheSave) {
    host::setInstanceIndex(0);
    auto vesk = make();
    try {
        vesk->loadDataFile();
        FAIL() << "no exception";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(),
                     "measurement/src/Vesk.cpp:59 Failed to obtain index of tarvo instance");
    }
    EXPECT_EQ(vesk->dataFileName(), "");
    EXPECT_THROW(vesk->saveDataFile(), std::runtime_error);
    EXPECT_FALSE(exists(kFile));
}

TEST_F(VeskTest, SavedFileHasTheLayoutOfTheDataSet) {
    const Bytes file = savedFile(7.0);
    ASSERT_EQ(file.size(), 1420u);
    EXPECT_EQ(Bytes(file.begin(), file.begin() + 8),
              (Bytes{0xFE, 0xAA, 0xBA, 0x0F, 0x06, 0x00, 0x00, 0x00}));
    // The CRC-32 of the first 1416 bytes follows them, little-endian.
    uint32_t checksum = 0;
    checksumInit(&checksum);
    checksumUpdate(&checksum, file.data(), 1416);
    EXPECT_EQ(Bytes(file.begin() + 1416, file.end()),
              (Bytes{static_cast<uint8_t>(checksum), static_cast<uint8_t>(checksum >> 8),
                     static_cast<uint8_t>(checksum >> 16), static_cast<uint8_t>(checksum >> 24)}));
    // H2S is the fourth sulfur host: its state starts at 8 + 3 * 64; its hour's plain sum is
    // the third double, little-endian.
    double plainSum = 0.0;
    const size_t at = 8 + 3 * 64 + 16;
    uint64_t bits = 0;
    for (size_t i = 0; i < 8; ++i) {
        bits |= static_cast<uint64_t>(file[at + i]) << (8 * i);
    }
    std::memcpy(&plainSum, &bits, sizeof(plainSum));
    EXPECT_DOUBLE_EQ(plainSum, 7.0);
}

// The 22 saved averages of the file in their order: the seven sulfur quantities, the fourteen
// dew-point quantities, then the averaged oxygen value; each with its input and its running hour.
struct SavedSlot {
    std::string input;
    std::string currentHour;
};
std::vector<SavedSlot> savedSlotsInFileOrder() {
    std::vector<SavedSlot> slots;
    for (const char* token : {"Merc", "HC", "TS", "H2S", "COS", "MM", "EM"}) {
        slots.push_back({std::string("Sulfur.Imp_") + token, std::string("Sulfur.ChA_") + token});
    }
    for (const char* token : {"tdps", "tdps2", "tdps3", "pdps", "pdps2", "pdps3", "twdp", "twdp2",
                              "twdp3", "hwdp", "hwdp2", "hwdp3", "hcdtp", "thdp"}) {
        slots.push_back({std::string("DPs.Imp_") + token, std::string("DPs.ChA_") + token});
    }
    slots.push_back({"Oxygen.SNo1.Imp_O2", "Oxygen.SNo1.ChA_O2"});
    return slots;
}

// A little-endian double of the file at `offset`, and its inverse.
double doubleAt(const Bytes& file, size_t offset) {
    uint64_t bits = 0;
    for (size_t i = 0; i < 8; ++i) {
        bits |= static_cast<uint64_t>(file.at(offset + i)) << (8 * i);
    }
    double value = 0.0;
    std::memcpy(&value, &bits, sizeof(value));
    return value;
}
void putDouble(Bytes& file, size_t offset, double value) {
    uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof(bits));
    for (size_t i = 0; i < 8; ++i) {
        file.at(offset + i) = static_cast<uint8_t>(bits >> (8 * i));
    }
}

// Each average is saved in its own 64 bytes at 8 + 64 x its place: the sulfur block from byte 8,
// the dew-point block from byte 456, the oxygen average at byte 1352. Every input carries a value
// of its own, so a host saved in another's place shows.
TEST_F(VeskTest, EveryAverageIsSavedInItsPlaceOfTheFile) {
    const std::vector<SavedSlot> slots = savedSlotsInFileOrder();
    ASSERT_EQ(8 + slots.size() * 64, Vesk::kDataSetSize);
    for (size_t k = 0; k < slots.size(); ++k) {
        tree->setDouble(slots[k].input, 0.25 * static_cast<double>(k + 1));
    }
    auto vesk = make();
    vesk->loadDataFile();
    vesk->update();
    vesk->saveDataFile();
    const Bytes file = read(kFile);
    ASSERT_EQ(file.size(), Vesk::kDataSetFileSize);
    for (size_t k = 0; k < slots.size(); ++k) {
        SCOPED_TRACE(slots[k].input);
        const size_t at = 8 + 64 * k;
        const double value = 0.25 * static_cast<double>(k + 1);
        EXPECT_EQ(doubleAt(file, at + 16), value);  // hour plain sum
        EXPECT_EQ(doubleAt(file, at + 24), 1.0);    // hour count
        EXPECT_EQ(doubleAt(file, at + 48), value);  // day plain sum
        EXPECT_EQ(doubleAt(file, at + 56), 1.0);    // day count
    }
}

// A file laid out by hand: each average reads its own 64 bytes. Its hour holds one value of
// weight 1 (a weighted sum equal to the value), so one more cycle at value 0 and weight 0 keeps
// that value as the running hour whether the flow is in use or not.
TEST_F(VeskTest, EveryAverageIsRestoredFromItsPlaceOfTheFile) {
    const std::vector<SavedSlot> slots = savedSlotsInFileOrder();
    Bytes file(Vesk::kDataSetSize, 0);
    file[0] = 0xFE;
    file[1] = 0xAA;
    file[2] = 0xBA;
    file[3] = 0x0F;
    file[4] = 0x05;
    for (size_t k = 0; k < slots.size(); ++k) {
        const size_t at = 8 + 64 * k;
        const double value = 0.25 * static_cast<double>(k + 1);
        for (size_t period : {0u, 32u}) {
            putDouble(file, at + period, value);       // weighted sum
            putDouble(file, at + period + 8, 1.0);     // weight sum
            putDouble(file, at + period + 16, value);  // plain sum
            putDouble(file, at + period + 24, 1.0);    // count
        }
        tree->setDouble(slots[k].input, 0.0);
    }
    tree->setDouble("General.Imp_Qn", 0.0);
    write(kFile, file);
    auto vesk = make();
    vesk->loadDataFile();
    vesk->update();
    for (size_t k = 0; k < slots.size(); ++k) {
        EXPECT_DOUBLE_EQ(tree->doubleValue(slots[k].currentHour), 0.25 * static_cast<double>(k + 1))
            << slots[k].currentHour;
    }
}

TEST_F(VeskTest, ARestartContinuesTheAveragesFromTheFile) {
    write(kFile, savedFile(7.0));
    tree->setDouble("Sulfur.Imp_H2S", 3.0);
    tree->setDouble("DPs.Imp_twdp", 3.0);
    auto vesk = make();
    vesk->loadDataFile();
    vesk->update();
    EXPECT_DOUBLE_EQ(tree->doubleValue("Sulfur.ChA_H2S"), 5.0);  // (7 + 3) / 2
    EXPECT_DOUBLE_EQ(tree->doubleValue("DPs.ChA_twdp"), 1.5);    // (0 + 3) / 2
    EXPECT_EQ(read(kFile).size(), 1420u);                        // the file stays
}

// A file whose content is bad is removed and the groups start empty; a good file of either
// version loads and stays. A file of the earlier version is exactly the 1416 bytes without
// checksum: at any other size its version byte is a damaged one.
TEST_F(VeskTest, ABadFileIsRemovedAndTheGroupsStartEmpty) {
    const Bytes good = savedFile(7.0);
    struct Case {
        const char* name;
        Bytes bytes;
        bool accepted;
    };
    auto changed = [&good](size_t at, uint8_t value) {
        Bytes bytes = good;
        bytes.at(at) = value;
        return bytes;
    };
    Bytes swappedMagic = good;
    std::swap(swappedMagic[0], swappedMagic[3]);
    std::swap(swappedMagic[1], swappedMagic[2]);
    Bytes longer = good;
    longer.insert(longer.end(), {1, 2, 3});
    Bytes unchecked(good.begin(), good.begin() + 1416);
    unchecked[4] = 5;
    Bytes uncheckedLonger = unchecked;
    uncheckedLonger.insert(uncheckedLonger.end(), {1, 2, 3});
    Bytes sumAndVersionChanged = changed(4, 5);
    sumAndVersionChanged.at(8 + 3 * 64 + 16) ^= 0x40;
    const std::vector<Case> cases = {
        {"1415 bytes", Bytes(good.begin(), good.end() - 5), false},
        {"checksum cut short", Bytes(good.begin(), good.end() - 1), false},
        {"magic in the wrong byte order", swappedMagic, false},
        {"version 4", changed(4, 4), false},
        {"version 7", changed(4, 7), false},
        {"a sum changed", changed(8 + 3 * 64 + 16, good[8 + 3 * 64 + 16] ^ 0x01), false},
        {"checksum changed", changed(1417, good[1417] ^ 0x80), false},
        {"extra bytes", longer, true},
        {"earlier version", unchecked, true},
        {"earlier version, extra bytes", uncheckedLonger, false},
        {"earlier version, 1415 bytes", Bytes(unchecked.begin(), unchecked.end() - 1), false},
        {"today's file with the version byte of the earlier one", changed(4, 5), false},
        {"today's file with the earlier version byte and a sum changed", sumAndVersionChanged,
         false}};
    host::setTraceLevel(5);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        write(kFile, c.bytes);
        tree->setDouble("Sulfur.Imp_H2S", 3.0);
        host::TraceCapture traces;
        auto vesk = make();
        vesk->loadDataFile();
        vesk->update();
        EXPECT_DOUBLE_EQ(tree->doubleValue("Sulfur.ChA_H2S"), c.accepted ? 5.0 : 3.0);
        EXPECT_EQ(exists(kFile), c.accepted);
        EXPECT_EQ(traces.contains(0x30045), !c.accepted);
        vesk->saveDataFile();
        EXPECT_EQ(read(kFile).size(), 1420u);  // extra bytes go with the next save
    }
}

TEST_F(VeskTest, WrongMagicAndVersionAreTracedWithBothValues) {
    Bytes file = savedFile(1.0);
    file[4] = 7;
    write(kFile, file);
    host::setTraceLevel(5);
    host::TraceCapture traces;
    make()->loadDataFile();
    ASSERT_EQ(traces.withId(0x30034).size(), 1u);
    EXPECT_EQ(traces.withId(0x30034)[0].intArg(0), 6);
    EXPECT_EQ(traces.withId(0x30034)[0].intArg(1), 7);
    const auto notRead = traces.withId(0x30045);
    ASSERT_EQ(notRead.size(), 1u);
    EXPECT_EQ(notRead[0].textArg(0), kFile);
    EXPECT_EQ(notRead[0].textArg(1), "File version mismatch");

    file[4] = 6;
    file[0] = 0;
    write(kFile, file);
    traces.clear();
    make()->loadDataFile();
    ASSERT_EQ(traces.withId(0x30023).size(), 1u);
    EXPECT_EQ(static_cast<uint32_t>(traces.withId(0x30023)[0].intArg(0)), 0x0FBAAAFEu);
    EXPECT_EQ(static_cast<uint32_t>(traces.withId(0x30023)[0].intArg(1)), 0x0FBAAA00u);
}

// Every single-byte change of a saved file (each byte inverted in turn) is rejected by the
// checksum or the header: no changed sum is restored, so every published mean is the one of
// the new value alone.
TEST_F(VeskTest, EveryByteFlipOfTheFileIsRejected) {
    for (const SavedSlot& slot : savedSlotsInFileOrder()) {
        tree->setDouble(slot.input, 4.0);
    }
    tree->setDouble("General.Imp_Qn", 2.0);
    const Bytes good = savedFile(4.0);
    ASSERT_EQ(good.size(), Vesk::kDataSetFileSize);
    for (const SavedSlot& slot : savedSlotsInFileOrder()) {
        tree->setDouble(slot.input, 1.0);
    }
    size_t restored = 0;
    for (size_t at = 0; at < good.size(); ++at) {
        Bytes flipped = good;
        flipped[at] ^= 0xFF;
        write(kFile, flipped);
        auto vesk = make();
        vesk->loadDataFile();
        vesk->update();
        for (const SavedSlot& slot : savedSlotsInFileOrder()) {
            if (tree->doubleValue(slot.currentHour) != 1.0) {
                ++restored;
                ADD_FAILURE() << "byte " << at << ": " << slot.currentHour << " = "
                              << tree->doubleValue(slot.currentHour);
            }
        }
        EXPECT_FALSE(exists(kFile)) << "byte " << at;
    }
    EXPECT_EQ(restored, 0u);
}

TEST_F(VeskTest, NoFileIsTracedWithTheReasonAndTheStartGoesOn) {
    host::setTraceLevel(5);
    host::TraceCapture traces;
    auto vesk = make();
    vesk->loadDataFile();
    ASSERT_EQ(traces.withId(0x30045).size(), 1u);
    EXPECT_EQ(traces.withId(0x30045)[0].textArg(1),
              "open " + directory + "/" + kFile + ": " + std::strerror(ENOENT));
    EXPECT_FALSE(traces.contains(0x30055));  // nothing to remove
    vesk->update();
    vesk->saveDataFile();
    EXPECT_EQ(read(kFile).size(), 1420u);
}

// A file that cannot be opened or read for a fault of the system is kept whole: the start goes
// on with empty averages, the trace names the operating system's reason, and the next start
// restores the file.
TEST_F(VeskTest, AReadErrorKeepsTheFile) {
    const Bytes good = savedFile(7.0);
    host::setTraceLevel(5);
    for (const char* call : {"fopen", "fread"}) {
        for (int errorNumber : {EMFILE, ENFILE, EIO, EACCES}) {
            SCOPED_TRACE(std::string(call) + " " + std::strerror(errorNumber));
            write(kFile, good);
            tree->setDouble("Sulfur.Imp_H2S", 3.0);
            host::TraceCapture traces;
            host::failNextFileCall(call, errorNumber);
            auto vesk = make();
            vesk->loadDataFile();
            vesk->update();
            EXPECT_DOUBLE_EQ(tree->doubleValue("Sulfur.ChA_H2S"), 3.0);
            EXPECT_EQ(read(kFile), good);
            ASSERT_EQ(traces.withId(0x30045).size(), 1u);
            const std::string reason = traces.withId(0x30045)[0].textArg(1);
            EXPECT_NE(reason.find(std::strerror(errorNumber)), std::string::npos) << reason;
            EXPECT_FALSE(traces.contains(0x30055));

            auto next = make();
            next->loadDataFile();
            next->update();
            EXPECT_DOUBLE_EQ(tree->doubleValue("Sulfur.ChA_H2S"), 5.0);
        }
    }
}

// Each step of the save up to the rename, forcing the new file to the medium included, leaves
// the previous file whole when it fails; the failure names the step and the reason.
TEST_F(VeskTest, AFailedWriteLeavesThePreviousFileWholeAndLoadable) {
    const Bytes previous = savedFile(7.0);
    for (const char* step : {"fopen", "fwrite", "fflush", "fsync", "fclose", "rename"}) {
        SCOPED_TRACE(step);
        tree->setDouble("Sulfur.Imp_H2S", 100.0);
        auto vesk = make();
        vesk->loadDataFile();
        vesk->update();
        host::failNextFileCall(step, ENOSPC);
        try {
            vesk->saveDataFile();
            ADD_FAILURE() << "no exception";
        } catch (const std::runtime_error& error) {
            EXPECT_NE(std::string(error.what()).find(std::strerror(ENOSPC)), std::string::npos)
                << error.what();
        }
        EXPECT_EQ(read(kFile), previous);
        EXPECT_FALSE(exists(std::string(kFile) + ".new"));
        write(kFile, previous);  // the load above moved on; the file itself was not touched
    }
    tree->setDouble("Sulfur.Imp_H2S", 3.0);
    auto vesk = make();
    vesk->loadDataFile();
    vesk->update();
    EXPECT_DOUBLE_EQ(tree->doubleValue("Sulfur.ChA_H2S"), 5.0);
}

// The directory is forced to the medium after the rename. Its failure, with the new file already
// in place, is traced with the reason and the save counts as done: no exception (the shutdown
// goes on), and the next start restores the new file.
TEST_F(VeskTest, AFailedDirectorySyncAfterTheRenameIsTracedAndTheSaveCounts) {
    const Bytes previous = savedFile(7.0);
    tree->setDouble("Sulfur.Imp_H2S", 100.0);
    auto vesk = make();
    vesk->loadDataFile();
    vesk->update();
    host::setTraceLevel(4);
    host::TraceCapture traces;
    host::failNextFileCall("syncDirectory", EIO);
    EXPECT_NO_THROW(vesk->saveDataFile());
    ASSERT_EQ(traces.withId(0x300b4).size(), 1u);
    EXPECT_EQ(traces.withId(0x300b4)[0].textArg(0),
              "sync directory " + directory + ": " + std::strerror(EIO));
    EXPECT_NE(read(kFile), previous);
    EXPECT_EQ(read(kFile).size(), 1420u);
    tree->setDouble("Sulfur.Imp_H2S", 1.0);
    auto next = make();
    next->loadDataFile();
    next->update();
    EXPECT_DOUBLE_EQ(tree->doubleValue("Sulfur.ChA_H2S"), (7.0 + 100.0 + 1.0) / 3.0);
}

// Whatever stands at the temporary name is cleared (the name is the writer's) and the save
// succeeds: a stale file, an empty directory, a directory with files and directories in it. A
// symbolic link at the name or inside is removed itself: a folder it points at keeps its file.
// One that cannot be cleared fails that save with the reason and keeps the old file whole; the
// next save after it is gone succeeds.
TEST_F(VeskTest, AStaleTemporaryDoesNotBlockTheSave) {
    const Bytes previous = savedFile(7.0);
    const std::string temporary = std::string(kFile) + ".new";
    ASSERT_EQ(mkdir("elsewhere", 0700), 0);
    write("elsewhere/kept", {9});
    const std::vector<std::pair<const char*, std::function<void()>>> stale = {
        {"link to a folder", [&] { ASSERT_EQ(symlink("elsewhere", temporary.c_str()), 0); }},
        {"directory with a link to a folder",
         [&] {
             ASSERT_EQ(mkdir(temporary.c_str(), 0700), 0);
             ASSERT_EQ(symlink("../elsewhere", (temporary + "/link").c_str()), 0);
             write(temporary + "/x", {1});
         }},
        {"directory with a link to a file",
         [&] {
             ASSERT_EQ(mkdir(temporary.c_str(), 0700), 0);
             ASSERT_EQ(symlink("../elsewhere/kept", (temporary + "/link").c_str()), 0);
         }},
        {"file",
         [&] {
             write(temporary, {1, 2, 3});
         }},
        {"empty directory", [&] { ASSERT_EQ(mkdir(temporary.c_str(), 0700), 0); }},
        {"directory with a file",
         [&] {
             ASSERT_EQ(mkdir(temporary.c_str(), 0700), 0);
             write(temporary + "/x", {1});
         }},
        {"directories with files",
         [&] {
             ASSERT_EQ(mkdir(temporary.c_str(), 0700), 0);
             ASSERT_EQ(mkdir((temporary + "/a").c_str(), 0700), 0);
             write(temporary + "/a/x", {1});
             write(temporary + "/y", {2});
         }},
    };
    auto vesk = make();
    vesk->loadDataFile();
    vesk->update();
    for (const auto& [name, makeStale] : stale) {
        SCOPED_TRACE(name);
        write(kFile, previous);
        makeStale();
        EXPECT_NO_THROW(vesk->saveDataFile());
        EXPECT_NE(read(kFile), previous);
        EXPECT_EQ(read(kFile).size(), 1420u);
        EXPECT_FALSE(exists(temporary));
        EXPECT_EQ(read("elsewhere/kept"), Bytes{9});
    }

    write(kFile, previous);
    ASSERT_EQ(mkdir(temporary.c_str(), 0700), 0);
    write(temporary + "/x", {1});
    host::failNextFileCall("unlinkat", EACCES);
    try {
        vesk->saveDataFile();
        ADD_FAILURE() << "no exception";
    } catch (const std::runtime_error& error) {
        EXPECT_NE(std::string(error.what()).find(temporary), std::string::npos) << error.what();
        EXPECT_NE(std::string(error.what()).find(std::strerror(EACCES)), std::string::npos)
            << error.what();
    }
    EXPECT_EQ(read(kFile), previous);
    EXPECT_NO_THROW(vesk->saveDataFile());
    EXPECT_FALSE(exists(temporary));
}

// A directory of the stale temporary swapped for a link to a folder while it is being cleared:
// the clearing goes on in the directory it opened and never through the link, so the folder's
// files, named as the swapped directory's, stay. That save fails; the next clears the link.
TEST_F(VeskTest, ADirectorySwappedForALinkWhileClearedIsNotFollowed) {
    const Bytes previous = savedFile(7.0);
    const std::string temporary = std::string(kFile) + ".new";
    ASSERT_EQ(mkdir("elsewhere", 0700), 0);
    write("elsewhere/x", {7});
    write("elsewhere/y", {8});
    ASSERT_EQ(mkdir(temporary.c_str(), 0700), 0);
    ASSERT_EQ(mkdir((temporary + "/a").c_str(), 0700), 0);
    write(temporary + "/a/x", {1});
    write(temporary + "/a/y", {2});
    auto vesk = make();
    vesk->loadDataFile();
    vesk->update();
    bool swapped = false;
    host::runAtNextCall("unlinkat", [&] {  // before the first entry of a/ goes
        swapped = std::rename((temporary + "/a").c_str(), "moved") == 0 &&
                  symlink("../elsewhere", (temporary + "/a").c_str()) == 0;
    });
    EXPECT_THROW(vesk->saveDataFile(), std::runtime_error);
    ASSERT_TRUE(swapped);
    EXPECT_EQ(read(kFile), previous);
    EXPECT_EQ(read("elsewhere/x"), Bytes{7});
    EXPECT_EQ(read("elsewhere/y"), Bytes{8});

    EXPECT_NO_THROW(vesk->saveDataFile());
    EXPECT_FALSE(exists(temporary));
    EXPECT_NE(read(kFile), previous);
    EXPECT_EQ(read("elsewhere/x"), Bytes{7});
    EXPECT_EQ(read("elsewhere/y"), Bytes{8});
}

// A link placed at the temporary name after the clearing, just before the temporary file is
// created, is not written through: that save fails with the old file whole and the link's target
// untouched; the next save clears the link.
TEST_F(VeskTest, ALinkPlacedAtTheTemporaryNameAfterTheClearingIsNotWrittenThrough) {
    const Bytes previous = savedFile(7.0);
    const std::string temporary = std::string(kFile) + ".new";
    write("kept", {9});
    auto vesk = make();
    vesk->loadDataFile();
    vesk->update();
    bool placed = false;
    host::runAtNextCall("fopen", [&] { placed = symlink("kept", temporary.c_str()) == 0; });
    try {
        vesk->saveDataFile();
        ADD_FAILURE() << "no exception";
    } catch (const std::runtime_error& error) {
        EXPECT_NE(std::string(error.what()).find("create " + directory + "/" + temporary),
                  std::string::npos)
            << error.what();
    }
    ASSERT_TRUE(placed);
    EXPECT_EQ(read("kept"), Bytes{9});
    EXPECT_EQ(read(kFile), previous);

    EXPECT_NO_THROW(vesk->saveDataFile());
    EXPECT_FALSE(exists(temporary));
    EXPECT_EQ(read("kept"), Bytes{9});
    EXPECT_EQ(read(kFile).size(), 1420u);
}

// Runs one cycle of `vesk` in which the trigger at `path` fires.
void cycleEnding(host::HostTree& tree, Vesk& vesk, const char* path) {
    tree.setBool(path, true);
    vesk.update();
    tree.setBool(path, false);
}

// The hour and the day end save the averages: a life that ends without a shutdown (the object
// is dropped unsaved) leaves the file of its last period end, so the next start continues the
// running periods and never counts the sums of a closed period again.
TEST_F(VeskTest, APeriodEndSavesSoAnUncleanStopCountsNothingTwice) {
    write(kFile, savedFile(100.0));  // hour and day: 100
    for (const char* trigger : {"General.TrigAvg_Hour", "General.TrigAvg_Day"}) {
        SCOPED_TRACE(trigger);
        const Bytes before = read(kFile);
        tree->setDouble("Sulfur.Imp_H2S", 1.0);
        {
            auto vesk = make();
            vesk->loadDataFile();
            vesk->update();
            EXPECT_EQ(read(kFile), before);  // no period ended: nothing saved
            cycleEnding(*tree, *vesk, trigger);
            vesk->update();  // after the last save: lost with the unclean stop
        }
        auto next = make();
        next->loadDataFile();
        next->update();
        const bool hourEnded = std::string(trigger) == "General.TrigAvg_Hour";
        // The period that ended starts from the new value; the other one goes on with the three
        // values up to the save.
        const double ended = 1.0;
        const double running = (100.0 + 1.0 + 1.0 + 1.0) / 4.0;
        EXPECT_DOUBLE_EQ(tree->doubleValue("Sulfur.ChA_H2S"), hourEnded ? ended : running);
        EXPECT_DOUBLE_EQ(tree->doubleValue("Sulfur.CdA_H2S"), hourEnded ? running : ended);
        write(kFile, before);
    }
}

// Lives on one data-set file, written as a script of cycles with H2S at 100: 'c' a cycle,
// 'h' / 'd' a cycle in which the hour / the day ends, 'H' / 'D' the same with the save failing
// (no room for the temporary file), 's' a shutdown (save) and the next life, 'S' the same with
// the shutdown's save failing, '|' a stop without a shutdown and the next life; '!' makes the
// next removal of the file fail; 'q' a cycle that must make no file call. After the script the
// life stops without a shutdown and the next one cycles once with H2S at 1.
struct LivesCase {
    const char* name;
    const char* script;
    double hourMean;  // of the last life's first cycle
    double dayMean;
};

class VeskLivesTest : public VeskTest {
  protected:
    // Runs `action` with a failure pending for every file call it could make, then checks that
    // each is still pending (the call, made on a name that is absent, fails with the injected
    // reason): `action` made no file call.
    static void expectNoFileCall(const std::function<void()>& action) {
        const std::vector<std::pair<const char*, std::function<void()>>> calls = {
            {"fopen", [] { EXPECT_EQ(basiclib::fopen("absent", "rb"), nullptr); }},
            {"remove", [] { basiclib::remove("absent"); }},
            {"rename", [] { basiclib::rename("absent", "absent.new"); }},
            {"unlinkat", [] { basiclib::unlinkat(AT_FDCWD, "absent", 0); }},
            {"syncDirectory", [] { basiclib::syncDirectory("absent"); }},
        };
        for (const auto& call : calls) {
            host::failNextFileCall(call.first, ENOTTY);
        }
        action();
        for (const auto& [name, call] : calls) {
            errno = 0;
            call();
            EXPECT_EQ(errno, ENOTTY) << name << " was called";
        }
    }

    // Runs the case's script from no file, then the next life; checks its means and that
    // every failing save at a period end and every failed removal was traced.
    void runLives(const LivesCase& c) {
        SCOPED_TRACE(c.name);
        startAfresh();
        tree->setDouble("Sulfur.Imp_H2S", 100.0);
        host::setTraceLevel(5);
        host::TraceCapture traces;
        size_t periodFailures = 0;
        size_t removalFailures = 0;
        auto vesk = make();
        vesk->loadDataFile();
        for (const char* step = c.script; *step != '\0'; ++step) {
            const bool fails = std::strchr("HDS", *step) != nullptr;
            if (fails) {
                host::failNextFileCall("fopen", ENOSPC);
            }
            switch (*step) {
                case '!':
                    host::failNextFileCall("remove", EACCES);
                    ++removalFailures;
                    break;
                case 'S':
                    EXPECT_THROW(vesk->saveDataFile(), std::runtime_error);
                    [[fallthrough]];
                case 's':
                    if (*step == 's') {
                        vesk->saveDataFile();
                    }
                    [[fallthrough]];
                case '|':
                    vesk = make();
                    vesk->loadDataFile();
                    break;
                case 'c':
                    vesk->update();
                    break;
                case 'q':
                    expectNoFileCall([&vesk] { vesk->update(); });
                    break;
                default: {
                    periodFailures += fails ? 1 : 0;
                    const bool hour = *step == 'h' || *step == 'H';
                    cycleEnding(*tree, *vesk,
                                hour ? "General.TrigAvg_Hour" : "General.TrigAvg_Day");
                }
            }
        }
        EXPECT_EQ(traces.withId(0x30093).size(), periodFailures);
        EXPECT_EQ(traces.withId(0x30055).size(), removalFailures);
        tree->setDouble("Sulfur.Imp_H2S", 1.0);
        auto next = make();
        next->loadDataFile();
        next->update();
        EXPECT_DOUBLE_EQ(tree->doubleValue("Sulfur.ChA_H2S"), c.hourMean);
        EXPECT_DOUBLE_EQ(tree->doubleValue("Sulfur.CdA_H2S"), c.dayMean);
    }
};

// A failed save at a period's end keeps the previous file where none of its sums belongs to a
// period that has just ended (it was written at a period end with the hour empty, and no day
// ended since), and removes it where a later start would count them again. The sums of the
// running program go into the next save.
TEST_F(VeskLivesTest, AFailedSaveAtAPeriodEndKeepsWhatCannotBeCountedAgain) {
    const std::vector<LivesCase> cases = {
        {"the second hour end fails: the day of the first survives", "cchcH", 1.0,
         (300.0 + 1.0) / 4.0},
        {"a day end fails: the file of its day goes", "cchcD", 1.0, 1.0},
        {"the first hour end after a file with an open hour fails: it goes", "ccsH", 1.0, 1.0},
        {"the first hour end after a file with the hour closed fails: it stays", "ch|cH", 1.0,
         (200.0 + 1.0) / 3.0},
        {"a day end after a file with the day closed fails: it stays", "cdcD", (200.0 + 1.0) / 3.0,
         1.0},
        {"a failed save is made good by the next", "chcHch", 1.0, (600.0 + 1.0) / 7.0},
    };
    for (const LivesCase& c : cases) {
        runLives(c);
    }
}

// A file that holds sums of an ended period and could not be removed after a failed save is
// still known for what it holds: the next cycle tries the removal again, and so does every
// cycle after it (a failed save at a period end or at the shutdown too) until it succeeds, so
// that a stop in that time does not count those sums twice; once it is gone, a cycle without a
// period end makes no file call. A save that succeeds meanwhile replaces it, what it holds is
// known anew, and the cycles after it leave it alone.
TEST_F(VeskLivesTest, AFailedRemovalIsTriedAgainUntilTheFileIsGone) {
    const std::vector<LivesCase> cases = {
        {"the next cycle removes it", "ccs!Hc", 1.0, 1.0},
        {"once it is gone, a cycle makes no file call", "ccs!Hcq", 1.0, 1.0},
        {"a cycle whose removal fails too is followed by one that removes it", "ccs!H!cc", 1.0,
         1.0},
        {"after two failed removals a day end's failed save removes it", "ccs!H!cD", 1.0, 1.0},
        {"a failing shutdown removes it", "ccs!HS", 1.0, 1.0},
        {"a save replaces it; a later failure keeps the new file with the open day", "ccs!H!chcH",
         1.0, (500.0 + 1.0) / 6.0},
    };
    for (const LivesCase& c : cases) {
        runLives(c);
    }
}

// The means of a closed period are published in the cycle in which it ends, after the save:
// every average's last-hour output and the file change in the same cycle.
TEST_F(VeskTest, APeriodEndClosesEveryAverageAndSavesInOneCycle) {
    tree->setDouble("General.Imp_Qn", 1.0);
    for (const SavedSlot& slot : savedSlotsInFileOrder()) {
        tree->setDouble(slot.input, 4.0);
    }
    auto vesk = make();
    vesk->loadDataFile();
    vesk->update();
    EXPECT_FALSE(exists(kFile));
    cycleEnding(*tree, *vesk, "General.TrigAvg_Hour");
    const Bytes file = read(kFile);
    ASSERT_EQ(file.size(), Vesk::kDataSetFileSize);
    const std::vector<SavedSlot> slots = savedSlotsInFileOrder();
    for (size_t k = 0; k < slots.size(); ++k) {
        std::string lastHour = slots[k].currentHour;
        lastHour.replace(lastHour.find("ChA_"), 4, "LhA_");
        EXPECT_DOUBLE_EQ(tree->doubleValue(lastHour), 4.0) << lastHour;
        EXPECT_TRUE(std::isnan(doubleAt(file, 8 + 64 * k + 24))) << "hour count " << lastHour;
        EXPECT_EQ(doubleAt(file, 8 + 64 * k + 56), 2.0) << "day count " << lastHour;
    }
}

// A loaded file's periods are told by their counts (an empty period: a NaN count, while its
// plain sum is 0.0), over all 22 saved averages. A failed save at a period's end removes the file
// only where it holds sums of the period that ended.
TEST_F(VeskTest, ALoadedFileHoldsThePeriodsItsCountsTell) {
    struct Case {
        const char* name;
        size_t slot;    // the one average with sums, 0 to 21
        size_t period;  // 0 its hour, 32 its day
        double plainSum;
        double count;
        const char* trigger;
        bool removed;
    };
    const char* const hour = "General.TrigAvg_Hour";
    const char* const day = "General.TrigAvg_Day";
    const std::vector<Case> cases = {
        {"the first average's hour, the hour ends", 0, 0, 6.0, 2.0, hour, true},
        {"the first average's hour, the day ends", 0, 0, 6.0, 2.0, day, false},
        {"the last average's day, the day ends", 21, 32, 6.0, 2.0, day, true},
        {"the last average's hour, the hour ends", 21, 0, 6.0, 2.0, hour, true},
        {"a day of zeros, the day ends", 3, 32, 0.0, 2.0, day, true},
        {"a day of zeros, the hour ends", 3, 32, 0.0, 2.0, hour, false},
    };
    host::setTraceLevel(3);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes file(Vesk::kDataSetSize, 0);
        const Bytes header = {0xFE, 0xAA, 0xBA, 0x0F, 0x06, 0x00, 0x00, 0x00};
        std::copy(header.begin(), header.end(), file.begin());
        for (size_t at = 8; at < Vesk::kDataSetSize; at += 32) {  // every period empty
            putDouble(file, at + 8, kNaN);                        // weight sum
            putDouble(file, at + 24, kNaN);                       // count
        }
        const size_t at = 8 + 64 * c.slot + c.period;
        putDouble(file, at, c.plainSum);  // weighted sum, weight 1 a value
        putDouble(file, at + 8, c.count);
        putDouble(file, at + 16, c.plainSum);
        putDouble(file, at + 24, c.count);
        uint32_t checksum = 0;
        checksumInit(&checksum);
        checksumUpdate(&checksum, file.data(), file.size());
        for (size_t i = 0; i < 4; ++i) {
            file.push_back(static_cast<uint8_t>(checksum >> (8 * i)));
        }
        write(kFile, file);
        host::TraceCapture traces;
        auto vesk = make();
        vesk->loadDataFile();
        ASSERT_FALSE(traces.contains(0x30045));  // loaded
        host::failNextFileCall("fopen", ENOSPC);
        cycleEnding(*tree, *vesk, c.trigger);
        EXPECT_EQ(traces.withId(0x30093).size(), 1u);
        EXPECT_EQ(exists(kFile), !c.removed);
    }
}

// What a period's end decides is published in its own cycle after the file is replaced, and in
// the cycle of a failed save after the failure: never while the file on disk still holds the
// sums the decision was made from. An action at the save's rename (run whether the rename then
// succeeds or fails) sees every output as before the cycle; after the cycle the closed means,
// the day's alarm outputs and the group, collective and status outputs they feed are all set.
TEST_F(VeskTest, WhatAPeriodEndDecidesIsPublishedAfterTheSave) {
    struct Watched {
        const char* name;
        std::function<double(const host::HostTree&)> read;
        bool fromTheDay;  // set by the day's end, else by the hour's
        double after;
    };
    auto value = [](const char* path) {
        return [path](const host::HostTree& t) { return t.doubleValue(path); };
    };
    auto flag = [](const char* path) {
        return [path](const host::HostTree& t) { return t.boolValue(path) ? 1.0 : 0.0; };
    };
    const std::vector<Watched> watched = {
        {"last hour", value("Sulfur.LhA_H2S"), false, 10.0},
        {"last hour, dew point", value("DPs.LhA_tdps"), false, -4.0},
        {"last day", value("Sulfur.LdA_H2S"), true, 10.0},
        {"last day, oxygen", value("Oxygen.SNo1.LdA_O2"), true, 1.0},
        {"upper alarm", flag("Sulfur.UA_H2S"), true, 1.0},
        {"sulfur alarm", flag("Sulfur.A_S"), true, 1.0},
        {"lower alarm", flag("DPs.LA_tdps"), true, 1.0},
        {"dew-point alarm", flag("DPs.A_dp"), true, 1.0},
        {"oxygen upper alarm", flag("Oxygen.SNo1.UA_O2"), true, 1.0},
        {"oxygen alarm", flag("Oxygen.SNo1.myAlarm"), true, 1.0},
        {"oxygen status words, alarm bit",  // the live word, or the hour's when the hour ends
         [](const host::HostTree& t) {
             return (t.wordValue("Oxygen.SNo1.CStatus_O2") |
                     t.wordValue("Oxygen.SNo1.LhStatus_O2")) &
                    1u;
         },
         true, 1.0},
        {"collective alarm", flag("General.A_gen"), true, 1.0},
    };
    struct Case {
        const char* name;
        bool hour;
        bool day;
        bool saveFails;
    };
    const std::vector<Case> cases = {
        {"hour", true, false, false},        {"hour, save failing", true, false, true},
        {"day", false, true, false},         {"day, save failing", false, true, true},
        {"hour and day", true, true, false}, {"hour and day, save failing", true, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        startAfresh();
        tree->setUnsigned("General.StartUp_Delay", 0);
        tree->setDouble("Sulfur.UAL_H2S", 5.0);
        tree->setDouble("Sulfur.Imp_H2S", 10.0);
        tree->setDouble("DPs.LAL_tdps", 0.0);
        tree->setDouble("DPs.Imp_tdps", -4.0);
        tree->setDouble("Oxygen.SNo1.UAL_O2", 0.5);
        tree->setDouble("Oxygen.SNo1.Imp_O2", 1.0);
        for (const char* last :
             {"Sulfur.LhA_H2S", "DPs.LhA_tdps", "Sulfur.LdA_H2S", "Oxygen.SNo1.LdA_O2"}) {
            tree->setDouble(last, -1.0);
        }
        auto vesk = make();
        vesk->loadDataFile();
        vesk->update();
        std::vector<double> before;
        for (const Watched& w : watched) {
            before.push_back(w.read(*tree));
        }
        std::vector<double> atTheRename;
        host::runAtNextCall("rename", [&] {
            for (const Watched& w : watched) {
                atTheRename.push_back(w.read(*tree));
            }
        });
        if (c.saveFails) {
            host::failNextFileCall("rename", ENOSPC);
        }
        tree->setBool("General.TrigAvg_Hour", c.hour);
        tree->setBool("General.TrigAvg_Day", c.day);
        vesk->update();
        EXPECT_EQ(exists(kFile), !c.saveFails);
        ASSERT_EQ(atTheRename.size(), watched.size());
        for (size_t i = 0; i < watched.size(); ++i) {
            const Watched& w = watched[i];
            SCOPED_TRACE(w.name);
            EXPECT_EQ(atTheRename[i], before[i]);
            const bool ended = w.fromTheDay ? c.day : c.hour;
            EXPECT_EQ(w.read(*tree), ended ? w.after : before[i]);
            EXPECT_NE(w.after, before[i]);
        }
    }
}

// The outputs that receive the word of a finished hour: the sulfur, dew-point and oxygen
// status words.
const std::vector<const char*> kLatchedStatusWords = {"Sulfur.LhStatus_S", "DPs.LhStatus_dp",
                                                      "Oxygen.SNo1.LhStatus_O2"};
constexpr uint32_t kUnwrittenWord = 0x1234;       // not the word of a quiet hour
constexpr uint32_t kStatusWordPolarity = 0x4000;  // of all three: the word of a new hour

// Writes kUnwrittenWord to every latched status word.
void markLatchedWordsUnwritten(host::HostTree& tree) {
    for (const char* word : kLatchedStatusWords) {
        tree.setUnsigned(word, kUnwrittenWord);
    }
}

// Expects every latched status word to hold kUnwrittenWord still.
void expectLatchedWordsUnwritten(const host::HostTree& tree) {
    for (const char* word : kLatchedStatusWords) {
        EXPECT_EQ(tree.wordValue(word), kUnwrittenWord) << word;
    }
}

// A trigger already set at the load does not count as a period end: nothing is saved, the
// periods go on and no status word latches an hour.
TEST_F(VeskTest, ATriggerSetAtTheLoadEndsNoPeriod) {
    const Bytes before = savedFile(100.0);
    tree->setBool("General.TrigAvg_Hour", true);
    tree->setBool("General.TrigAvg_Day", true);
    tree->setDouble("Sulfur.Imp_H2S", 1.0);
    tree->setDouble("Sulfur.LhA_H2S", -1.0);
    markLatchedWordsUnwritten(*tree);
    auto vesk = make();
    vesk->loadDataFile();
    vesk->update();
    EXPECT_EQ(read(kFile), before);
    EXPECT_DOUBLE_EQ(tree->doubleValue("Sulfur.ChA_H2S"), 50.5);
    EXPECT_DOUBLE_EQ(tree->doubleValue("Sulfur.CdA_H2S"), 50.5);
    EXPECT_DOUBLE_EQ(tree->doubleValue("Sulfur.LhA_H2S"), -1.0);
    expectLatchedWordsUnwritten(*tree);
}

// The status words latch the hour in the cycle whose one reading of the triggers has the hour
// ended, the cycle in which the averages close it: an hour trigger that rises during a day
// end's save (after the cycle's reading: at the creation of the temporary file, or after its
// write and sync, at the rename) latches them in the next cycle, together with the last-hour
// mean, and not in the cycle of the save.
TEST_F(VeskTest, TheStatusWordsLatchTheHourOfTheCyclesReading) {
    for (const char* call : {"fopen", "rename"}) {
        SCOPED_TRACE(call);
        startAfresh();
        tree->setDouble("Sulfur.Imp_H2S", 10.0);
        tree->setDouble("Sulfur.LhA_H2S", -1.0);
        markLatchedWordsUnwritten(*tree);
        auto vesk = make();
        vesk->loadDataFile();
        vesk->update();
        bool risen = false;
        host::runAtNextCall(call, [&] {
            tree->setBool("General.TrigAvg_Hour", true);
            risen = true;
        });
        tree->setBool("General.TrigAvg_Day", true);
        vesk->update();
        ASSERT_TRUE(risen);
        EXPECT_TRUE(exists(kFile));
        EXPECT_DOUBLE_EQ(tree->doubleValue("Sulfur.LhA_H2S"), -1.0);
        expectLatchedWordsUnwritten(*tree);
        vesk->update();
        EXPECT_DOUBLE_EQ(tree->doubleValue("Sulfur.LhA_H2S"), 10.0);
        for (const char* word : kLatchedStatusWords) {
            std::string live = word;
            live.replace(live.find("LhStatus"), 8, "CStatus");
            EXPECT_NE(tree->wordValue(word), kUnwrittenWord) << word;
            EXPECT_EQ(tree->wordValue(live), kStatusWordPolarity) << live;  // restarted
        }
    }
}

// The two-sensor life times count down in the cycle whose one reading of the triggers has the
// day ended, the cycle in which the averages close the day (`LdA_O2` written), and in no other.
// The load takes the day trigger as seen before it reads the file; a trigger that rises or falls
// while the file is read (at its opening) moves the life times' day end no more than the
// averages', and a trigger set at the load ends no day for either.
TEST_F(VeskTest, TheLifeTimesCountDownOnTheCyclesReadingOfTheDayEnd) {
    struct Case {
        const char* name;
        bool atTheLoad;      // the day trigger when the load starts
        bool atTheFileRead;  // the day trigger from the opening of the file on
        bool dayEnds[3];     // whether the reading of cycles 1 to 3 has the day ended
    };
    const std::vector<Case> cases = {
        {"clear at the load", false, false, {true, false, true}},
        {"set at the load", true, true, {false, false, true}},
        {"rises while the file is read", false, true, {true, false, true}},
        {"falls while the file is read", true, false, {false, false, true}},
    };
    const bool dayTrigger[3] = {true, false, true};  // in cycles 1 to 3
    constexpr double kLife = 100.0;
    constexpr double kUnwrittenMean = -1.0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        startAfresh();
        tree->setSelectedChoice("Oxygen", 1);
        tree->setDouble("Oxygen.SNo2.Imp_O2M", 1.0);
        tree->setDouble("Oxygen.SNo2.Imp_O2S", 1.0);
        tree->setDouble("Oxygen.SNo2.LT_O2dM", kLife);
        tree->setDouble("Oxygen.SNo2.LT_O2dS", kLife);
        tree->setBool("General.TrigAvg_Day", c.atTheLoad);
        auto vesk = make();
        bool opened = false;
        host::runAtNextCall("fopen", [&] {
            tree->setBool("General.TrigAvg_Day", c.atTheFileRead);
            opened = true;
        });
        vesk->loadDataFile();
        ASSERT_TRUE(opened);
        double days = 0.0;
        for (size_t cycle = 0; cycle < 3; ++cycle) {
            SCOPED_TRACE(cycle + 1);
            tree->setDouble("Oxygen.SNo2.LdA_O2", kUnwrittenMean);
            tree->setBool("General.TrigAvg_Day", dayTrigger[cycle]);
            vesk->update();
            days += c.dayEnds[cycle] ? 1.0 : 0.0;
            EXPECT_EQ(tree->doubleValue("Oxygen.SNo2.LdA_O2"),
                      c.dayEnds[cycle] ? 1.0 : kUnwrittenMean);
            EXPECT_EQ(tree->doubleValue("Oxygen.SNo2.LT_O2dM"), kLife - days);
            EXPECT_EQ(tree->doubleValue("Oxygen.SNo2.LT_O2dS"), kLife - days);
        }
    }
}

TEST_F(VeskTest, TheDirectoryIsFixedAtTheFirstLoad) {
    auto vesk = make();
    vesk->loadDataFile();
    const std::string elsewhere = directory + "/elsewhere";
    mkdir(elsewhere.c_str(), 0700);
    ASSERT_EQ(chdir(elsewhere.c_str()), 0);
    vesk->saveDataFile();
    EXPECT_FALSE(exists(kFile));
    EXPECT_TRUE(exists(directory + "/" + kFile));
    ASSERT_EQ(chdir(directory.c_str()), 0);
    rmdir(elsewhere.c_str());
}

TEST_F(VeskTest, TheFileLivesInTheBasePathOfTheAddressSpace) {
    mkdir((directory + "/base").c_str(), 0700);
    // Table: base path of the self-information -> the directory of the file.
    const std::pair<std::string, std::string> cases[] = {
        {"", directory},
        {"./", directory},
        {"base", directory + "/base"},
        {"base/", directory + "/base"},
        {directory + "/base/", directory + "/base"},
        {directory + "/base/.", directory + "/base"},
    };
    char(&basePath)[sizeof(SelfInformation::szBasePath)] = addressSpace()->selfInfo.szBasePath;
    for (const auto& [base, expected] : cases) {
        std::snprintf(basePath, sizeof(basePath), "%s", base.c_str());
        auto vesk = make();
        vesk->loadDataFile();
        EXPECT_EQ(vesk->dataFileDirectory(), expected) << base;
        vesk->saveDataFile();
        EXPECT_TRUE(exists(expected + "/" + kFile)) << base;
        std::remove((expected + "/" + kFile).c_str());
    }
    // A base path that fills its field whole (no terminator) is taken up to the field's end.
    std::memset(basePath, 'x', sizeof(basePath));
    basePath[0] = '/';
    EXPECT_EQ(make()->dataFileDirectory(), "");  // fixed only by the load
    auto vesk = make();
    vesk->loadDataFile();
    EXPECT_EQ(vesk->dataFileDirectory(), "/" + std::string(sizeof(basePath) - 1, 'x'));
    basePath[0] = '\0';
    rmdir((directory + "/base").c_str());
}

TEST_F(VeskTest, CollectiveOutputsAreWrittenEveryCycle) {
    struct Case {
        const char* name;
        std::function<void(host::HostTree&)> setUp;
        bool alarm, warning, inputFailure;
    };
    const std::vector<Case> cases = {
        {"nothing raised", [](host::HostTree&) {}, false, false, false},
        {"flow unusable", [](host::HostTree& t) { t.setStatus("General.Imp_Qn", 0x8); }, true,
         false, true},
        {"sulfur warning", [](host::HostTree& t) { t.setDouble("Sulfur.UWL_TS", -1.0); }, false,
         true, false},
        {"dew-point input failed", [](host::HostTree& t) { t.setStatus("DPs.Imp_hcdtp", 0x4); },
         true, false, false},
        {"oxygen revision", [](host::HostTree&) {}, false, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        tree = host::HostTree::fromFile(VESK_MODEL_FILE);
        quietLimits();
        c.setUp(*tree);
        for (const char* output : {"General.A_gen", "General.W_gen", "General.A_IFc"}) {
            tree->setBool(output, true);  // written even when nothing is raised
        }
        auto vesk = make();
        vesk->loadDataFile();
        if (std::string(c.name) == "oxygen revision") {
            vesk->oxygenGroup().setRevision(1);
        }
        for (int i = 0; i < 6; ++i) {  // the upper warning's debounce
            vesk->update();
        }
        EXPECT_EQ(tree->boolValue("General.A_gen"), c.alarm);
        EXPECT_EQ(tree->boolValue("General.W_gen"), c.warning);
        EXPECT_EQ(tree->boolValue("General.A_IFc"), c.inputFailure);
    }
}

TEST_F(VeskTest, StateTextsInBothLanguages) {
    // The dictionary has no warning text.
    ASSERT_EQ(host::setTextDictionary(R"({
        "DS_unknown_LR": ["unknown", "unbekannt"], "DS_ready_LR": ["ready", "bereit"],
        "DS_alarm_LR": ["alarm", "Alarm"], "DS_revision_LR": ["revision", "Revision"]})"),
              "");
    host::setTraceLevel(3);
    host::TraceCapture traces;
    auto vesk = make();
    vesk->loadDataFile();
    EXPECT_EQ(traces.withId(0x30063).size(), 2u);  // the warning text of both languages
    struct Case {
        unsigned int mask;
        uint8_t language;
        std::u16string text;
    };
    const std::vector<Case> cases = {
        {0, 0, u"unknown"},
        {1, 0, u"ready"},
        {3, 0, u"ready"},
        {2, 0, u"alarm"},
        {6, 0, u"alarm, ???"},
        {14, 0, u"alarm, ???, revision"},
        {12, 0, u"???, revision"},
        {8, 0, u"revision"},
        {16, 0, u"unknown"},
        {4, 1, u"???"},
        {10, 1, u"Alarm, Revision"},
        {0, 1, u"unbekannt"},
    };
    for (const Case& c : cases) {
        host::setLanguage(c.language);
        EXPECT_EQ(vesk->composeDeviceStateText(c.mask), c.text) << c.mask << " " << +c.language;
    }
    host::setLanguage(0);
    tree->setUnsigned("Sulfur.Imp_DA", 1);
    tree->setUnsigned("DPs.Imp_DSdp", 0x2000);
    EXPECT_EQ(vesk->sulfurDeviceStateText(), u"alarm");
    EXPECT_EQ(vesk->dewPointDeviceStateText(), u"revision");
}

TEST_F(VeskTest, FurtherDewPointSensorsFollowTheCountNode) {
    EXPECT_TRUE(make()->hasFurtherDewPointSensors());  // two preprocessing lines
    for (const auto& [parent, name] :
         std::vector<std::pair<std::string, std::string>>{{"", "Lines"}, {"Lines", "Line_1"}}) {
        tree = treeWithout(parent, name);
        quietLimits();
        const bool expected = name == "Line_1";  // one line left
        EXPECT_EQ(make()->hasFurtherDewPointSensors(), expected) << name;
    }
}

TEST_F(VeskTest, AMissingNodeStopsTheConstruction) {
    expectEachMissingNodeStops(
        {
            {"", "General", "myVeskNode.getGeneral()"},
            {"General", "A_IFc", "myGeneralNode.getA_IFc()"},
            {"General", "W_gen", "myGeneralNode.getW_gen()"},
            {"General", "TrigAvg_Hour", "myGeneralNode.getTrigAvg_Hour()"},
            {"General", "TrigAvg_Day", "myGeneralNode.getTrigAvg_Day()"},
            {"", "Sulfur", "myVeskNode.getSulfur()"},
            {"", "DPs", "myVeskNode.getDPs()"},
            {"", "Oxygen", "myVeskNode.getOxygen()"},
            {"DPs", "UA_thdp", "myDewPointsNode.getUA_thdp()"},
        },
        [](host::HostTree& missing, const MissingNode&) {
            Vesk vesk(missing.root(), addressSpace());
        });
}

TEST_F(VeskTest, DestructionIsTracedBeforeTheGroups) {
    for (uint32_t id : {0x30007u, 0x90007u, 0xa0007u, 0xb0007u}) {
        host::enableTrace(id);
    }
    host::TraceCapture traces;
    make().reset();
    std::vector<uint32_t> order;
    for (const host::TraceRecord& record : traces.records()) {
        order.push_back(record.id);
    }
    EXPECT_EQ(order, (std::vector<uint32_t>{0x30007, 0xb0007, 0xa0007, 0x90007}));
}

}  // namespace

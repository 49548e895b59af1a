// The real Vesk-Prog killed with SIGKILL at random moments of a timeline with many hour and day
// ends. After each kill the data-set file must be absent (only before the first save) or whole
// and equal to one save point the life reached, no older than the last save it completed; a
// next life restores it and counts nothing twice; then the next killed life goes on from it.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <limits>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "ChildEnvironment.h"
#include "ScratchDirectory.h"
#include "TarvoFiles.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// The timeline of every killed life: kCycles cycles; an hour ends in every third, a day in
// every cycle whose number ends in 5 (with the hour in 15, 45, ..., alone in the others).
constexpr int kCycles = 150;
bool hourEnds(int cycle) {
    return cycle % 3 == 0;
}
bool dayEnds(int cycle) {
    return cycle % 10 == 5;
}
// H2S in cycle c is c: the sums of the file tell its save point. Every other input holds a
// constant of its own, so a saved average taken from another save point shows in its count.
double h2sValue(int cycle) {
    return static_cast<double>(cycle);
}
// The value that the verifying life adds.
constexpr double kVerifyValue = 0.5;

// The saved averages in the file's order, by input; H2S is the fourth.
const char* const kInputs[] = {
    "Sulfur.Imp_Merc", "Sulfur.Imp_HC",     "Sulfur.Imp_TS", "Sulfur.Imp_H2S", "Sulfur.Imp_COS",
    "Sulfur.Imp_MM",   "Sulfur.Imp_EM",     "DPs.Imp_tdps",  "DPs.Imp_tdps2",  "DPs.Imp_tdps3",
    "DPs.Imp_pdps",    "DPs.Imp_pdps2",     "DPs.Imp_pdps3", "DPs.Imp_twdp",   "DPs.Imp_twdp2",
    "DPs.Imp_twdp3",   "DPs.Imp_hwdp",      "DPs.Imp_hwdp2", "DPs.Imp_hwdp3",  "DPs.Imp_hcdtp",
    "DPs.Imp_thdp",    "Oxygen.SNo1.Imp_O2"};
constexpr size_t kSlotCount = std::size(kInputs);
constexpr size_t kH2S = 3;
double constantValue(size_t slot) {
    return 0.25 * static_cast<double>(slot + 1);  // sums of it stay exact
}

// The data-set file: header, 22 saved averages of 64 bytes, CRC-32.
constexpr const char* kFile = "VeskDataI01.bin";
constexpr size_t kDataSize = 8 + kSlotCount * 64;
constexpr size_t kFileSize = kDataSize + 4;
// The trace point of a completed save at a period's end (Vesk, point 10, level 6).
constexpr const char* kSavedTrace = "id=0x300a6 ";

// The sums of one period of one average as the file holds them.
struct PeriodSums {
    double weightedSum = 0.0;
    double weightSum = kNaN;
    double plainSum = 0.0;
    double count = kNaN;

    bool empty() const { return std::isnan(count); }
    void add(double value) {  // with the weight 1.0 of every cycle
        weightedSum += value;
        plainSum += value;
        weightSum = std::isnan(weightSum) ? 1.0 : weightSum + 1.0;
        count = std::isnan(count) ? 1.0 : count + 1.0;
    }
    bool operator==(const PeriodSums& other) const {
        auto same = [](double a, double b) { return a == b || (std::isnan(a) && std::isnan(b)); };
        return same(weightedSum, other.weightedSum) && same(weightSum, other.weightSum) &&
               same(plainSum, other.plainSum) && same(count, other.count);
    }
    // The mean after one more value of weight 1.0.
    double meanWith(double value) const {
        return empty() ? value : (plainSum + value) / (count + 1.0);
    }
};

// A save point of the H2S average: its hour and day, and the cycles of the life it covers.
struct SavePoint {
    PeriodSums hour;
    PeriodSums day;
    int cycles = 0;
    bool operator==(const SavePoint& other) const { return hour == other.hour && day == other.day; }
};

double doubleAt(const std::vector<uint8_t>& file, size_t offset) {
    uint64_t bits = 0;
    for (size_t i = 0; i < 8; ++i) {
        bits |= static_cast<uint64_t>(file[offset + i]) << (8 * i);
    }
    double value = 0.0;
    std::memcpy(&value, &bits, sizeof(value));
    return value;
}

PeriodSums periodAt(const std::vector<uint8_t>& file, size_t offset) {
    return PeriodSums{doubleAt(file, offset), doubleAt(file, offset + 8),
                      doubleAt(file, offset + 16), doubleAt(file, offset + 24)};
}

// What a kill left: no file, a whole one (with its H2S save point) or a damaged or mixed one.
struct FoundFile {
    enum Kind { kAbsent, kWhole, kBad } kind = kAbsent;
    SavePoint state;
    std::string fault;
};

// Checks the file's size, header and checksum, and that every average holds the sums its
// constant input gives over the periods of the H2S average.
FoundFile inspect(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return {};
    }
    const std::vector<uint8_t> file((std::istreambuf_iterator<char>(in)),
                                    std::istreambuf_iterator<char>());
    FoundFile found;
    found.kind = FoundFile::kBad;
    if (file.size() != kFileSize) {
        found.fault = "size " + std::to_string(file.size());
        return found;
    }
    const std::vector<uint8_t> header = {0xFE, 0xAA, 0xBA, 0x0F, 0x06, 0x00, 0x00, 0x00};
    uint32_t checksum = 0;
    checksumInit(&checksum);
    checksumUpdate(&checksum, file.data(), kDataSize);
    uint32_t stored = 0;
    for (size_t i = 0; i < 4; ++i) {
        stored |= static_cast<uint32_t>(file[kDataSize + i]) << (8 * i);
    }
    if (!std::equal(header.begin(), header.end(), file.begin()) || stored != checksum) {
        found.fault = "header or checksum";
        return found;
    }
    found.state.hour = periodAt(file, 8 + kH2S * 64);
    found.state.day = periodAt(file, 8 + kH2S * 64 + 32);
    for (size_t slot = 0; slot < kSlotCount; ++slot) {
        if (slot == kH2S) {
            continue;
        }
        for (size_t period = 0; period < 2; ++period) {
            const PeriodSums& h2s = period == 0 ? found.state.hour : found.state.day;
            PeriodSums expected;
            for (double n = 0.0; n < (h2s.empty() ? 0.0 : h2s.count); n += 1.0) {
                expected.add(constantValue(slot));
            }
            if (!(periodAt(file, 8 + slot * 64 + period * 32) == expected)) {
                found.kind = FoundFile::kBad;
                found.fault = std::string("mixed: ") + kInputs[slot];
                return found;
            }
        }
    }
    found.kind = FoundFile::kWhole;
    return found;
}

// The save points of a life that starts from `start` (absent: nullopt): the start, then the
// state after each period end of the timeline.
std::vector<std::optional<SavePoint>> savePoints(const std::optional<SavePoint>& start) {
    std::vector<std::optional<SavePoint>> points = {start};
    SavePoint running = start.value_or(SavePoint());
    for (int cycle = 1; cycle <= kCycles; ++cycle) {
        running.hour.add(h2sValue(cycle));
        running.day.add(h2sValue(cycle));
        if (hourEnds(cycle)) {
            running.hour = PeriodSums();
        }
        if (dayEnds(cycle)) {
            running.day = PeriodSums();
        }
        if (hourEnds(cycle) || dayEnds(cycle)) {
            running.cycles = cycle;
            points.push_back(running);
        }
    }
    return points;
}

// A setting of the scenario: the parameter and its value, written quietly as a live input.
std::string setting(const std::string& name, double value) {
    std::ostringstream text;
    text.precision(17);
    text << "\"" << name << "\": {\"value\": " << value << ", \"change\": false}";
    return text.str();
}

// The scenario of a life on instance `instance`'s file in the working directory: the inputs
// and the flow of weight 1, then the cycles of `cycleSettings` (one list of extra settings a
// cycle) and the expectations of the last one; no shutdown.
std::string scenario(int instance, const std::vector<std::vector<std::string>>& cycleSettings,
                     const std::string& lastExpectations) {
    std::ostringstream text;
    text << "{\"program\": \"Vesk-Prog\", \"selfInfo\": {\"asName\": \"VeskAS\", \"instance\": "
         << instance << ", \"traceSelector\": 0, \"basePath\": \".\"}, \"keepFiles\": true, "
         << "\"instance\": " << instance << ", \"tree\": \"" << VESK_MODEL_FILE
         << "\", \"dictionary\": \"" << VESK_TEXTS_FILE << "\", \"noTraceUpToLevel\": 3, "
         << "\"shutdown\": false, \"steps\": [";
    for (size_t step = 0; step < cycleSettings.size(); ++step) {
        std::vector<std::string> settings = cycleSettings[step];
        if (step == 0) {
            settings.push_back(setting("General.Imp_Qn", 1.0));
            for (size_t slot = 0; slot < kSlotCount; ++slot) {
                if (slot != kH2S) {
                    settings.push_back(setting(kInputs[slot], constantValue(slot)));
                }
            }
        }
        text << (step == 0 ? "" : ", ") << "{\"set\": {";
        for (size_t i = 0; i < settings.size(); ++i) {
            text << (i == 0 ? "" : ", ") << settings[i];
        }
        text << "}, \"command\": \"cycle\"";
        if (step + 1 == cycleSettings.size() && !lastExpectations.empty()) {
            text << ", \"expect\": {" << lastExpectations << "}";
        }
        text << "}";
    }
    text << "]}";
    return text.str();
}

// The killed life's timeline.
std::string timelineScenario() {
    std::vector<std::vector<std::string>> cycles;
    for (int cycle = 1; cycle <= kCycles; ++cycle) {
        std::vector<std::string> settings = {setting("Sulfur.Imp_H2S", h2sValue(cycle))};
        settings.push_back(setting("General.TrigAvg_Hour", hourEnds(cycle) ? 1.0 : 0.0));
        settings.push_back(setting("General.TrigAvg_Day", dayEnds(cycle) ? 1.0 : 0.0));
        cycles.push_back(settings);
    }
    return scenario(1, cycles, "");
}

// Starts Vesk-Prog on `scenarioFile` with its trace log `traceFile`, its output thrown away and
// its temporary folders made in the working directory.
pid_t start(const std::string& scenarioFile, const std::string& traceFile) {
    char here[4096];
    if (getcwd(here, sizeof(here)) == nullptr) {
        return -1;
    }
    const ChildEnvironment environment(here);  // a killed life's folders go with the test's
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    std::string program = VESK_PROGRAM;
    std::string scenarioArgument = scenarioFile;
    std::string traceOption = "--trace";
    std::string traceArgument = traceFile;
    char* argv[] = {program.data(), scenarioArgument.data(), traceOption.data(),
                    traceArgument.data(), nullptr};
    pid_t pid = -1;
    const int result =
        posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, environment.envp());
    posix_spawn_file_actions_destroy(&actions);
    return result == 0 ? pid : -1;
}

// Waits for `pid`; its exit code, or -1 when a signal ended it (or it cannot be waited for).
int waitFor(pid_t pid) {
    int status = 0;
    pid_t waited = -1;
    do {
        waited = waitpid(pid, &status, 0);
    } while (waited < 0 && errno == EINTR);
    return waited == pid && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void write(const std::string& path, const std::string& text) {
    std::ofstream(path) << text;
}

// The completed saves that a life's trace log records.
int completedSaves(const std::string& traceFile) {
    std::ifstream in(traceFile);
    int saves = 0;
    for (std::string line; std::getline(in, line);) {
        saves += line.find(kSavedTrace) != std::string::npos ? 1 : 0;
    }
    return saves;
}

// Runs a life on a copy of the found file (instance 2) that adds one value to both periods and
// expects the means of the file's sums with it; true when its expectations held.
bool nextLifeCountsTheFile(const std::optional<SavePoint>& found) {
    std::remove("VeskDataI02.bin");
    if (found.has_value()) {
        std::ifstream in(kFile, std::ios::binary);
        std::ofstream("VeskDataI02.bin", std::ios::binary) << in.rdbuf();
    }
    const SavePoint state = found.value_or(SavePoint());
    std::ostringstream expect;
    expect.precision(17);
    expect << "\"Sulfur.ChA_H2S\": {\"value\": " << state.hour.meanWith(kVerifyValue)
           << ", \"tolerance\": 1e-9}, \"Sulfur.CdA_H2S\": {\"value\": "
           << state.day.meanWith(kVerifyValue) << ", \"tolerance\": 1e-9}";
    write("verify.json", scenario(2, {{setting("Sulfur.Imp_H2S", kVerifyValue)}}, expect.str()));
    const pid_t pid = start("verify.json", "verify.log");
    return pid > 0 && waitFor(pid) == 0;
}

// The figures of a campaign.
struct Figures {
    int kills = 0;           // lives ended by SIGKILL
    int completedLives = 0;  // lives that ended before their kill
    int whole = 0;
    int absent = 0;
    int mixed = 0;          // damaged, mixed, or a state no save point of the life had
    int leftTemporary = 0;  // kills inside a save (its temporary file left)
    int lostSamples = 0;    // cycles saved by a completed save and missing in the file
    int nextLivesFailed = 0;
};

std::ostream& operator<<(std::ostream& out, const Figures& f) {
    return out << "kills " << f.kills << ", lives ended before their kill " << f.completedLives
               << "; files whole " << f.whole << ", absent " << f.absent << ", mixed or damaged "
               << f.mixed << "; kills inside a save " << f.leftTemporary
               << "; samples lost beyond the last save " << f.lostSamples
               << "; next lives that counted wrong " << f.nextLivesFailed;
}

// Runs `lives` killed lives one after the other on one file.
Figures runCampaign(int lives) {
    const char* seedText = std::getenv("VESK_KILL_SEED");
    const unsigned seed = seedText != nullptr
                              ? static_cast<unsigned>(std::strtoul(seedText, nullptr, 10))
                              : std::random_device()();
    std::cout << "seed " << seed << " (VESK_KILL_SEED repeats it)\n";
    std::mt19937 random(seed);
    write("timeline.json", timelineScenario());

    // A whole life, not killed, tells how long a life lasts.
    const auto before = std::chrono::steady_clock::now();
    const pid_t first = start("timeline.json", "life.log");
    if (first <= 0) {
        ADD_FAILURE() << "Vesk-Prog not started: " << VESK_PROGRAM;
        return Figures();
    }
    EXPECT_EQ(waitFor(first), 0) << "a whole life fails its run";
    const double lifeSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - before).count();
    std::cout << "a whole life of " << kCycles << " cycles takes " << lifeSeconds << " s\n";

    EXPECT_EQ(inspect(kFile).kind, FoundFile::kWhole);
    std::remove(kFile);  // the first killed life starts without a file

    Figures figures;
    FoundFile previous;
    // Kills within the first nine tenths of a life: most lives are killed, at any moment.
    std::uniform_real_distribution<double> moment(0.0, 0.9 * lifeSeconds);
    for (int life = 0; life < lives; ++life) {
        SCOPED_TRACE("life " + std::to_string(life));
        const std::optional<SavePoint> start = previous.kind == FoundFile::kWhole
                                                   ? std::optional<SavePoint>(previous.state)
                                                   : std::nullopt;
        const std::vector<std::optional<SavePoint>> points = savePoints(start);
        std::remove("life.log");
        const pid_t pid = ::start("timeline.json", "life.log");
        if (pid <= 0) {
            ADD_FAILURE() << "Vesk-Prog not started";
            break;
        }
        const auto delay = std::chrono::duration<double>(moment(random));
        const timespec pause = {
            static_cast<time_t>(delay.count()),
            static_cast<long>((delay.count() - std::floor(delay.count())) * 1e9)};
        nanosleep(&pause, nullptr);
        kill(pid, SIGKILL);
        const int exitCode = waitFor(pid);
        if (exitCode < 0) {
            ++figures.kills;
        } else {
            ++figures.completedLives;
            EXPECT_EQ(exitCode, 0) << "a life that ended before its kill failed its run";
        }
        figures.leftTemporary += access((std::string(kFile) + ".new").c_str(), F_OK) == 0 ? 1 : 0;

        const int saves = completedSaves("life.log");
        const FoundFile found = inspect(kFile);
        // The latest save point up to the one after the last completed save (its rename may
        // have come before the kill, its trace not) that the file equals; save points of equal
        // states give equal files.
        int match = -1;
        for (int j = std::min(saves + 1, static_cast<int>(points.size()) - 1); j >= 0; --j) {
            const std::optional<SavePoint>& point = points[static_cast<size_t>(j)];
            const bool absentAsIs = found.kind == FoundFile::kAbsent && !point.has_value();
            const bool sameState =
                found.kind == FoundFile::kWhole && point.has_value() && *point == found.state;
            if (absentAsIs || sameState) {
                match = j;
                break;
            }
        }
        if (found.kind == FoundFile::kAbsent) {
            ++figures.absent;
        } else if (found.kind == FoundFile::kWhole && match >= 0) {
            ++figures.whole;
        } else {
            ++figures.mixed;
            ADD_FAILURE() << "file not of a save point: " << found.fault;
        }
        EXPECT_GE(match, 0) << "no save point the life reached";
        if (match < saves) {
            // Cycles of this life that the last completed save held and the file does not.
            auto cyclesOf = [&points](int j) {
                return j >= 0 && points[static_cast<size_t>(j)].has_value()
                           ? points[static_cast<size_t>(j)]->cycles
                           : 0;
            };
            figures.lostSamples += cyclesOf(saves) - cyclesOf(match);
            ADD_FAILURE() << "file of save point " << match << " after " << saves << " saves";
        }
        if (found.kind != FoundFile::kBad &&
            !nextLifeCountsTheFile(found.kind == FoundFile::kWhole
                                       ? std::optional<SavePoint>(found.state)
                                       : std::nullopt)) {
            ++figures.nextLivesFailed;
            ADD_FAILURE() << "the next life did not go on from the file's sums";
        }
        previous = found;
    }
    return figures;
}

void expectSound(const Figures& figures, int lives) {
    std::cout << figures << "\n";
    EXPECT_EQ(figures.kills + figures.completedLives, lives);
    EXPECT_EQ(figures.whole + figures.absent + figures.mixed, lives);
    EXPECT_EQ(figures.mixed, 0);
    EXPECT_EQ(figures.lostSamples, 0);
    EXPECT_EQ(figures.nextLivesFailed, 0);
}

// A few dozen kills: part of every test run. A sanitizer build runs a third of them: its
// program is several times slower, and the paths the kills take are the same.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr int kRandomKills = 10;
#else
constexpr int kRandomKills = 30;
#endif
TEST(VeskKill, AFewDozenRandomKillsLoseNothingSavedAndCountNothingTwice) {
    ScratchDirectory scratch;
    expectSound(runCampaign(kRandomKills), kRandomKills);
}

// The campaign: run by its own label ("kill") only.
TEST(VeskKill, Campaign) {
    ScratchDirectory scratch;
    constexpr int kLives = 300;
    expectSound(runCampaign(kLives), kLives);
}

}  // namespace

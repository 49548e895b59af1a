// The processor a run's threads share where the kernel keeps them on one: the places runs of this
// machine claim on the processors, taken at the start and again as runs end, names that hold no
// claim file, and real runs on two processors.
#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <sched.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "HostKernel.h"
#include "HostTrace.h"
#include "Kernel.h"
#include "ScratchFolder.h"
#include "SharedProcessor.h"

extern char** environ;

namespace {

using host::kernel::SharedProcessor;

// A place on a processor.
struct Place {
    int processor;
    int place;
};

// Claims `place` for a run of its own (with only that processor, it can take no other place
// below); false when it got another.
bool holdPlace(const ScratchFolder& folder, const Place& place,
               std::vector<std::unique_ptr<SharedProcessor>>& runs) {
    runs.push_back(
        std::make_unique<SharedProcessor>(std::vector<int>{place.processor}, folder.path()));
    return runs.back()->start(place.processor) == place.processor &&
           runs.back()->place() == place.place;
}

// The first choice: the lowest free place of any processor, the one the run is on first.
TEST(SharedProcessorTest, AStartingRunTakesTheLowestFreePlaceItsOwnProcessorFirst) {
    struct Case {
        const char* what;
        std::vector<Place> heldByOthers;  // in the order the others took them
        int running;
        Place expected;
    };
    const Case cases[] = {
        {"all free", {}, 5, {5, 0}},
        {"all free, on the other", {}, 2, {2, 0}},
        {"its own taken", {{5, 0}}, 5, {2, 0}},
        {"the other taken", {{2, 0}}, 5, {5, 0}},
        {"both taken: its own second place", {{2, 0}, {5, 0}}, 5, {5, 1}},
        {"both taken, on the other", {{2, 0}, {5, 0}}, 2, {2, 1}},
        {"the other's second place before its own third", {{2, 0}, {5, 0}, {5, 1}}, 5, {2, 1}},
        {"the other's third place where its own is taken",
         {{2, 0}, {5, 0}, {5, 1}, {2, 1}, {2, 2}},
         2,
         {5, 2}},
        {"on a processor it may not use", {}, 7, {2, 0}},
        {"on a processor it may not use, the first taken", {{2, 0}}, 7, {5, 0}},
    };
    for (const Case& c : cases) {
        ScratchFolder folder;
        std::vector<std::unique_ptr<SharedProcessor>> others;
        for (const Place& held : c.heldByOthers) {
            ASSERT_TRUE(holdPlace(folder, held, others)) << c.what;
        }
        SharedProcessor run({2, 5}, folder.path());
        EXPECT_EQ(run.start(c.running), c.expected.processor) << c.what;
        EXPECT_EQ(run.current(), c.expected.processor) << c.what;
        EXPECT_EQ(run.place(), c.expected.place) << c.what;
    }
}

// Runs started one after the other on the same processor spread evenly over both.
TEST(SharedProcessorTest, RunsStartedTogetherSpreadOverTheProcessors) {
    ScratchFolder folder;
    std::vector<std::unique_ptr<SharedProcessor>> runs;
    const Place expected[] = {{0, 0}, {1, 0}, {0, 1}, {1, 1}, {0, 2}};
    for (const Place& place : expected) {
        runs.push_back(std::make_unique<SharedProcessor>(std::vector<int>{0, 1}, folder.path()));
        EXPECT_EQ(runs.back()->start(0), place.processor) << runs.size();
        EXPECT_EQ(runs.back()->place(), place.place) << runs.size();
    }
}

// At a quiet point a run takes the lowest place that runs which ended left, its own processor's
// first; a run in a first place keeps it.
TEST(SharedProcessorTest, RunsTakeThePlacesOfEndedRunsAndStayEven) {
    ScratchFolder folder;
    std::vector<std::unique_ptr<SharedProcessor>> runs;
    for (int run = 0; run < 4; ++run) {
        runs.push_back(std::make_unique<SharedProcessor>(std::vector<int>{0, 1}, folder.path()));
        runs.back()->start(0);
    }
    // Places: run 0 on 0/0, run 1 on 1/0, run 2 on 0/1, run 3 on 1/1.
    runs[1].reset();
    EXPECT_EQ(runs[3]->chooseAgain(), 1) << "the first place of its own processor";
    EXPECT_EQ(runs[3]->place(), 0);
    EXPECT_EQ(runs[2]->chooseAgain(), 0) << "no lower place left free";
    EXPECT_EQ(runs[2]->place(), 1);
    EXPECT_EQ(runs[0]->chooseAgain(), 0);

    runs[0].reset();  // left on processor 0: run 2 (place 1); on processor 1: run 3 (place 0)
    EXPECT_EQ(runs[2]->chooseAgain(), 0);
    EXPECT_EQ(runs[2]->place(), 0);

    runs[2].reset();  // left: run 3 alone, on processor 1
    EXPECT_EQ(runs[3]->chooseAgain(), 1) << "a first place is kept";
    EXPECT_EQ(runs[3]->place(), 0);
}

// Two runs on one processor, the other left free by a run that ended: the second moves there.
TEST(SharedProcessorTest, ARunMovesToAProcessorLeftFree) {
    ScratchFolder folder;
    SharedProcessor first({0, 1}, folder.path());
    auto second = std::make_unique<SharedProcessor>(std::vector<int>{0, 1}, folder.path());
    SharedProcessor third({0, 1}, folder.path());
    ASSERT_EQ(first.start(0), 0);
    ASSERT_EQ(second->start(0), 1);
    ASSERT_EQ(third.start(0), 0);
    ASSERT_EQ(third.place(), 1);
    EXPECT_EQ(third.chooseAgain(), 0) << "nothing left free yet";
    second.reset();
    EXPECT_EQ(third.chooseAgain(), 1);
    EXPECT_EQ(third.place(), 0);
    SharedProcessor fourth({0, 1}, folder.path());
    EXPECT_EQ(fourth.start(0), 0) << "the place the third let go of";
    EXPECT_EQ(fourth.place(), 1);
}

// Without a usable claim folder a run stays where it started, holding no place, chooses nothing
// else later and says so once in its trace; a run that takes a place says nothing.
TEST(SharedProcessorTest, WithoutAClaimFolderARunStaysWhereItStartedAndSaysSoOnce) {
    ScratchFolder folder;
    host::enableTrace(host::kernel::kTraceNoPlace);
    host::TraceCapture capture;
    const std::string missing = folder.path() + "/missing";
    SharedProcessor run({0, 1}, missing);
    EXPECT_EQ(run.start(1), 1);
    EXPECT_EQ(run.place(), -1);
    EXPECT_EQ(run.chooseAgain(), 1);
    EXPECT_EQ(run.chooseAgain(), 1);
    SharedProcessor placed({0, 1}, folder.path());
    EXPECT_EQ(placed.start(0), 0);
    placed.chooseAgain();
    const std::vector<host::TraceRecord> said = capture.withId(host::kernel::kTraceNoPlace);
    host::resetTraceSettings();
    ASSERT_EQ(said.size(), 1u);
    EXPECT_EQ(said[0].textArg(0), missing);
    EXPECT_EQ(said[0].intArg(1), 1);
}

// ---- Names that hold no claim file ----

// The user that claims in a child process where this test runs as root: what the test puts at
// the names is then another user's, and a file without read permission is unreadable.
constexpr uid_t kNobody = 65534;

// Where a claim made in a child process ended, or nothing where the child gave no answer within
// two seconds (it waited on a name) and was killed. Where this test runs as root the child claims
// as kNobody.
std::optional<Place> claimInAChild(const std::function<Place()>& claim) {
    int answer[2];
    if (::pipe2(answer, O_CLOEXEC) != 0) {
        return std::nullopt;
    }
    const pid_t child = ::fork();
    if (child == 0) {
        if (::geteuid() == 0 &&
            (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)) {
            ::_exit(1);
        }
        const Place place = claim();
        (void)!::write(answer[1], &place, sizeof place);
        ::_exit(0);
    }
    ::close(answer[1]);
    Place place{};
    pollfd ready{answer[0], POLLIN, 0};
    const bool answered = child > 0 && ::poll(&ready, 1, 2000) > 0 &&
                          ::read(answer[0], &place, sizeof place) == sizeof place;
    ::close(answer[0]);
    if (child > 0) {
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
    }
    return answered ? std::optional<Place>(place) : std::nullopt;
}

// A folder of the test's own for the claim files that everyone may write, as the machine's
// temporary folder, and that the user a child claims as can reach.
class SharedClaimFolder : public ScratchFolder {
  public:
    SharedClaimFolder() : ScratchFolder(Reach::kDroppedUser) { ::chmod(path().c_str(), 01777); }
};

// Makes a regular file of mode `mode` at `path` where there is none; whether there is one.
bool makeFile(const std::string& path, mode_t mode) {
    const int made = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW, mode);
    return made >= 0 && ::close(made) == 0 && ::chmod(path.c_str(), mode) == 0;
}

// A regular file in `folder` that is no claim file, for links to point at.
std::string linkTarget(const std::string& folder) {
    const std::string file = folder + "/target";
    return makeFile(file, 0644) ? file : std::string();
}

// What the test puts at a claim file's name in a folder, and whether a claim may use it.
struct NameHolding {
    const char* what;
    bool (*put)(const std::string& folder, const std::string& name);
    bool usable;
};
const NameHolding kNameHoldings[] = {
    {"a FIFO",
     [](const std::string&, const std::string& name) { return ::mkfifo(name.c_str(), 0644) == 0; },
     false},
    {"a directory",
     [](const std::string&, const std::string& name) { return ::mkdir(name.c_str(), 0755) == 0; },
     false},
    {"a symbolic link to a regular file",
     [](const std::string& folder, const std::string& name) {
         return ::symlink(linkTarget(folder).c_str(), name.c_str()) == 0;
     },
     false},
    {"a hard link to a regular file",
     [](const std::string& folder, const std::string& name) {
         return ::link(linkTarget(folder).c_str(), name.c_str()) == 0;
     },
     false},
    {"an unreadable regular file",
     [](const std::string&, const std::string& name) { return makeFile(name, 0); }, false},
    {"another run's regular file",
     [](const std::string&, const std::string& name) { return makeFile(name, 0644); }, true},
};

// Puts `holding` at the names of the first `places` places of `processors` in `folder`.
bool putAtNames(const NameHolding& holding, const std::string& folder,
                const std::vector<int>& processors, int places) {
    for (int processor : processors) {
        for (int place = 0; place < places; ++place) {
            if (!holding.put(folder, SharedProcessor::claimFile(folder, processor, place))) {
                return false;
            }
        }
    }
    return true;
}

// A name that holds anything but a regular file of one link the run can read is skipped without
// waiting: at the first name of the run's processor, the run takes the other's first place; at
// every name, it takes none and stays where it started, also when it looks again. Another run's
// regular file is used.
TEST(SharedProcessorTest, ANameThatHoldsNoClaimFileIsSkippedWithoutWaiting) {
    for (const NameHolding& holding : kNameHoldings) {
        for (const bool atEveryName : {false, true}) {
            SCOPED_TRACE(std::string(holding.what) +
                         (atEveryName ? " at every name" : " at the run's first name"));
            SharedClaimFolder folder;
            ASSERT_TRUE(putAtNames(holding, folder.path(),
                                   atEveryName ? std::vector<int>{0, 1} : std::vector<int>{0},
                                   atEveryName ? host::kernel::kPlacesOfAProcessor : 1));
            const std::optional<Place> taken = claimInAChild([&folder] {
                SharedProcessor run({0, 1}, folder.path());
                run.start(0);
                return Place{run.chooseAgain(), run.place()};
            });
            ASSERT_TRUE(taken.has_value()) << "no answer within two seconds";
            const Place expected = holding.usable ? Place{0, 0}
                                   : atEveryName  ? Place{0, -1}
                                                  : Place{1, 0};
            EXPECT_EQ(taken->processor, expected.processor);
            EXPECT_EQ(taken->place, expected.place);
        }
    }
}

// A run that looks for a lower place again does not wait on a FIFO put at the names of the places
// let go of since, and keeps its own.
TEST(SharedProcessorTest, ALookAgainWaitsOnNoFifoAndKeepsItsPlace) {
    SharedClaimFolder folder;
    auto first = std::make_unique<SharedProcessor>(std::vector<int>{0, 1}, folder.path());
    auto second = std::make_unique<SharedProcessor>(std::vector<int>{0, 1}, folder.path());
    SharedProcessor run({0, 1}, folder.path());
    ASSERT_EQ(first->start(0), 0);
    ASSERT_EQ(second->start(0), 1);
    ASSERT_EQ(run.start(0), 0);
    ASSERT_EQ(run.place(), 1);
    first.reset();
    second.reset();
    for (int processor : {0, 1}) {
        const std::string name = SharedProcessor::claimFile(folder.path(), processor, 0);
        ASSERT_EQ(::unlink(name.c_str()), 0);
        ASSERT_EQ(::mkfifo(name.c_str(), 0644), 0);
    }
    const std::optional<Place> kept = claimInAChild([&run] {
        return Place{run.chooseAgain(), run.place()};
    });
    ASSERT_TRUE(kept.has_value()) << "no answer within two seconds";
    EXPECT_EQ(kept->processor, 0);
    EXPECT_EQ(kept->place, 1);
}

// The descriptors open in this process.
size_t openDescriptors() {
    size_t count = 0;
    for ([[maybe_unused]] const auto& entry :
         std::filesystem::directory_iterator("/proc/self/fd")) {
        ++count;
    }
    return count;
}

// A run opens a name at every look: one that holds no claim file is let go of at once, so a run
// whose names are all spoiled, looking again at every quiet point, keeps no descriptor (a kept one
// a name would be 2 * kPlacesOfAProcessor a look). Exact: this thread alone opens files here.
TEST(SharedProcessorTest, ANameThatHoldsNoClaimFileKeepsNoDescriptor) {
    constexpr int kLooks = 10;
    for (const NameHolding& holding : kNameHoldings) {
        if (holding.usable) {
            continue;
        }
        SCOPED_TRACE(holding.what);
        ScratchFolder folder;
        ASSERT_TRUE(putAtNames(holding, folder.path(), {0, 1}, host::kernel::kPlacesOfAProcessor));
        const size_t before = openDescriptors();
        {
            SharedProcessor run({0, 1}, folder.path());
            run.start(0);
            for (int look = 0; look < kLooks; ++look) {
                run.chooseAgain();
            }
        }
        EXPECT_EQ(openDescriptors(), before);
    }
}

// A run killed while it holds its place leaves it free: the system lets go of the lock with the
// process.
TEST(SharedProcessorTest, AKilledRunsPlaceIsFreeAgain) {
    ScratchFolder folder;
    const std::string file = SharedProcessor::claimFile(folder.path(), 0, 0);
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t killed = ::fork();
    ASSERT_GE(killed, 0);
    if (killed == 0) {
        const int claim = ::open(file.c_str(), O_RDONLY | O_CREAT, 0666);
        const char held = claim >= 0 && ::flock(claim, LOCK_EX | LOCK_NB) == 0 ? 'y' : 'n';
        (void)!::write(ready[1], &held, 1);
        ::pause();
        ::_exit(0);
    }
    ::close(ready[1]);
    char held = 0;
    ASSERT_EQ(::read(ready[0], &held, 1), 1);
    ::close(ready[0]);
    ASSERT_EQ(held, 'y');
    {
        SharedProcessor whileHeld({0, 1}, folder.path());
        EXPECT_EQ(whileHeld.start(0), 1) << "the place of the living run is held";
    }
    ASSERT_EQ(::kill(killed, SIGKILL), 0);
    int status = 0;
    ASSERT_EQ(::waitpid(killed, &status, 0), killed);
    SharedProcessor after({0, 1}, folder.path());
    EXPECT_EQ(after.start(0), 0);
    EXPECT_EQ(after.place(), 0);
}

// ---- Two real runs on two processors ----

// Set in the environment of a process that this test binary starts to stand for a run: the two
// processors it may use and the folder of its claims, "A,B,folder".
constexpr char kRunVariable[] = "SHARED_PROCESSOR_TEST_RUN";

// Where the threads of a stand-in run were in a round.
struct RoundReport {
    int mainBefore = -1;  // the main thread's processor after its kernel calls, before an advance
    int mainAfter = -1;   // the main thread's processor after the advance
    int task = -1;        // the processor of a task woken after the advance
};

// In a process started to stand for a run (kRunVariable set) on the first of its two processors:
// widens its processors to both, claims in its folder, adopts the main thread and starts a task
// that waits on a semaphore. The system may move the process to the second processor before its
// first kernel call, where the run starts on the processor it is on then: the first round's
// mainBefore is the processor the run started on. Then, in rounds: advances time (a
// quiet point), wakes the task and writes "run on <RoundReport>" to its standard output; a byte
// on its standard input starts the next round, 150 ms later; the end of its input ends the
// process.
class StandInRun : public ::testing::Environment {
  public:
    void SetUp() override {
        const char* processors = std::getenv(kRunVariable);
        int first = -1;
        int second = -1;
        int folderAt = 0;
        if (processors == nullptr ||
            std::sscanf(processors, "%d,%d,%n", &first, &second, &folderAt) != 2 || folderAt == 0) {
            return;
        }
        host::kernel::setRunClaimFolder(processors + folderAt);
        cpu_set_t both;
        CPU_ZERO(&both);
        CPU_SET(first, &both);
        CPU_SET(second, &both);
        sched_setaffinity(0, sizeof(both), &both);
        host::resetKernel();
        host::setCurrentTaskName("run");
        Semaphore wake = nullptr;
        CreateSemaphore(0, &wake);
        std::atomic<int> taskProcessor{-1};
        host::spawnTask("probe", [wake, &taskProcessor] {
            while (WaitForSemaphore(wake) == Success) {
                taskProcessor = sched_getcpu();
            }
        });
        host::waitForQuiescence();
        for (;;) {
            RoundReport report;
            report.mainBefore = sched_getcpu();
            host::advanceTime(std::chrono::seconds(1));
            report.mainAfter = sched_getcpu();
            ReleaseSemaphore(wake);
            host::waitForQuiescence();
            report.task = taskProcessor.load();
            std::printf("\nrun on %d %d %d\n", report.mainBefore, report.mainAfter, report.task);
            std::fflush(stdout);
            char byte = 0;
            if (::read(0, &byte, 1) <= 0) {
                ::_exit(0);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(150));
        }
    }
};
[[maybe_unused]] ::testing::Environment* const kStandInRun =
    ::testing::AddGlobalTestEnvironment(new StandInRun);

// A stand-in run on processors `first` and `second`, started on `first`, with claims in
// `claimFolder`.
class RunProcess {
  public:
    RunProcess(int first, int second, const std::string& claimFolder) {
        cpu_set_t startOn;
        CPU_ZERO(&startOn);
        CPU_SET(first, &startOn);
        std::vector<std::string> variables{std::string(kRunVariable) + "=" + std::to_string(first) +
                                           "," + std::to_string(second) + "," + claimFolder};
        for (char** variable = environ; *variable != nullptr; ++variable) {
            variables.emplace_back(*variable);
        }
        std::vector<char*> environment;
        for (std::string& variable : variables) {
            environment.push_back(variable.data());
        }
        environment.push_back(nullptr);
        char program[] = "/proc/self/exe";
        char* arguments[] = {program, nullptr};
        int output[2];
        int input[2];
        if (::pipe2(output, O_CLOEXEC) != 0 || ::pipe2(input, O_CLOEXEC) != 0) {
            return;
        }
        pid_ = ::fork();
        if (pid_ == 0) {
            ::sched_setaffinity(0, sizeof(startOn), &startOn);
            ::dup2(output[1], 1);
            ::dup2(input[0], 0);
            ::execve(program, arguments, environment.data());
            ::_exit(127);
        }
        ::close(output[1]);
        ::close(input[0]);
        output_ = output[0];
        hold_ = input[1];
    }
    ~RunProcess() { end(); }
    RunProcess(const RunProcess&) = delete;
    RunProcess& operator=(const RunProcess&) = delete;

    // Reads the run's next report; false when it gives none within ten seconds.
    bool report(RoundReport& round) {
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (std::chrono::steady_clock::now() < giveUp) {
            const size_t at = text_.find("\nrun on ");
            const size_t end = at != std::string::npos ? text_.find('\n', at + 1) : at;
            if (end != std::string::npos) {
                const bool read =
                    std::sscanf(text_.c_str() + at, "\nrun on %d %d %d", &round.mainBefore,
                                &round.mainAfter, &round.task) == 3;
                text_.erase(0, end);
                return read;
            }
            pollfd ready{output_, POLLIN, 0};
            char buffer[4096];
            ssize_t got = 0;
            if (::poll(&ready, 1, 100) > 0 && (got = ::read(output_, buffer, sizeof buffer)) > 0) {
                text_.append(buffer, static_cast<size_t>(got));
            } else if (got < 0 || (ready.revents & POLLHUP) != 0) {
                return false;
            }
        }
        return false;
    }
    // Starts the run's next round.
    void nextRound() {
        const char byte = 'n';
        (void)!::write(hold_, &byte, 1);
    }
    // Ends the run and waits for its end (its place is free then); a run that has not ended five
    // seconds later (it waits on something) is killed.
    void end() {
        if (hold_ >= 0) {
            ::close(hold_);
            ::close(output_);
            hold_ = -1;
        }
        if (pid_ > 0) {
            const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(5);
            while (::waitpid(pid_, nullptr, WNOHANG) == 0) {
                if (std::chrono::steady_clock::now() >= giveUp) {
                    ::kill(pid_, SIGKILL);
                    ::waitpid(pid_, nullptr, 0);
                    break;
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
            pid_ = -1;
        }
    }

  private:
    pid_t pid_ = -1;
    int output_ = -1;
    int hold_ = -1;
    std::string text_;
};

// Two processors this test may use, to start runs on; none where it has only one.
std::vector<int> twoProcessors() {
    cpu_set_t usable;
    CPU_ZERO(&usable);
    std::vector<int> two;
    if (sched_getaffinity(0, sizeof(usable), &usable) != 0) {
        return two;
    }
    for (int processor = 0; processor < CPU_SETSIZE && two.size() < 2; ++processor) {
        if (CPU_ISSET(processor, &usable)) {
            two.push_back(processor);
        }
    }
    return two.size() == 2 ? two : std::vector<int>();
}

// twoProcessors() read as the test program starts: the kernel's calls of an earlier test may keep
// the main thread on one processor since.
const std::vector<int> kTwoProcessors = twoProcessors();

// Stand-in runs started on the first of two processors this test may use, with claims in a
// folder of the test's own.
class StandInRunsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (two_.empty()) {
            GTEST_SKIP() << "this test runs on one processor";
        }
    }
    // Starts a run and reads its first report into `report`.
    RunProcess& startRun(RoundReport& report) {
        runs_.push_back(std::make_unique<RunProcess>(two_[0], two_[1], folder_.path()));
        EXPECT_TRUE(runs_.back()->report(report));
        return *runs_.back();
    }

    const std::vector<int>& two_ = kTwoProcessors;
    ScratchFolder folder_;
    std::vector<std::unique_ptr<RunProcess>> runs_;
};

// Two runs started together on the same one of two processors each take one of them, all of a
// run's threads on its own.
TEST_F(StandInRunsTest, TwoRunsOnTwoProcessorsRunOnDifferentOnes) {
    RoundReport first;
    RoundReport second;
    startRun(first);
    startRun(second);
    for (const RoundReport* run : {&first, &second}) {
        EXPECT_EQ(run->mainBefore, run->task);
        EXPECT_EQ(run->mainAfter, run->task);
        EXPECT_TRUE(run->task == two_[0] || run->task == two_[1]) << run->task;
    }
    EXPECT_NE(first.task, second.task);
}

// A third run shares a processor until a run on the other one ends; then, at its next advance of
// time, all its threads move there.
TEST_F(StandInRunsTest, ARunMovesWhereARunEnded) {
    RoundReport first;
    RoundReport second;
    RoundReport third;
    RunProcess& firstRun = startRun(first);
    RunProcess& secondRun = startRun(second);
    RunProcess& thirdRun = startRun(third);
    ASSERT_NE(first.task, second.task);
    ASSERT_TRUE(third.task == first.task || third.task == second.task) << third.task;
    const int shared = third.task;
    const int freed = shared == first.task ? second.task : first.task;

    (first.task == freed ? firstRun : secondRun).end();
    thirdRun.nextRound();
    ASSERT_TRUE(thirdRun.report(third));
    EXPECT_EQ(third.mainBefore, shared);
    EXPECT_EQ(third.mainAfter, freed);
    EXPECT_EQ(third.task, freed);
}

// A run whose names all hold something other than a claim file runs in its normal time, all its
// threads on the processor it started on, also after it looked again (a round later).
TEST_F(StandInRunsTest, ARunWhoseNamesHoldNoClaimFileRunsWhereItStarted) {
    for (const NameHolding& holding : kNameHoldings) {
        if (holding.usable) {
            continue;
        }
        SCOPED_TRACE(holding.what);
        ScratchFolder folder;
        ASSERT_TRUE(putAtNames(holding, folder.path(), two_, host::kernel::kPlacesOfAProcessor));
        RunProcess run(two_[0], two_[1], folder.path());
        RoundReport rounds[2];
        ASSERT_TRUE(run.report(rounds[0])) << "no report within ten seconds";
        run.nextRound();
        ASSERT_TRUE(run.report(rounds[1])) << "no second report within ten seconds";
        const int started = rounds[0].mainBefore;
        EXPECT_TRUE(started == two_[0] || started == two_[1]) << started;
        for (const RoundReport& round : rounds) {
            EXPECT_EQ(round.mainBefore, started);
            EXPECT_EQ(round.mainAfter, started);
            EXPECT_EQ(round.task, started);
        }
    }
}

}  // namespace

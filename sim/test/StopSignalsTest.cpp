// The program binaries stopped by SIGINT, SIGTERM or SIGHUP in the middle of a long scenario:
// each removes its work and scratch folders, says in one line on stderr that it was stopped and
// at which step, and ends by that signal; a second signal ends it at once.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "ChildEnvironment.h"
#include "StopSignals.h"
#include "TestFolder.h"

namespace {

// How long a run may take to start, or to end once signalled: generous, since the sanitizer
// builds run slowly on a busy machine. Nothing waits for a fixed time.
constexpr std::chrono::seconds kPatience{300};

// A program binary and the top-level keys of a scenario for it.
struct ProgramCase {
    const char* executable;
    std::string keys;
};

const ProgramCase kPrograms[] = {
    {VESK_PROG, R"("program": "Vesk-Prog", "selfInfo": { "asName": "VeskAS", "instance": 1 },
                  "instance": 1, "tree": ")" EXAMPLES_DIR R"(/vesk/tree.json",
                  "dictionary": ")" EXAMPLES_DIR R"(/vesk/texts.json")"},
    {CALORANT_PROG, R"("program": "Calorant-Prog", "selfInfo": { "asName": "CalorantAS" },
                      "taste": "Default",
                      "tree": ")" REPOSITORY_DIR R"(/gascalc/model/CalorantDefault.json")"},
};

// A cycle, then 31 days of virtual time (the longest advance a step may take): the run is in
// step 2 for minutes.
constexpr const char* kLongSteps =
    R"({ "command": "cycle" }, { "advance": 2678400 }, { "command": "cycle" })";
// The line the runner prints once the first life started (after step 1).
constexpr const char* kStartedLine = "StartUp";

// A program binary running a scenario: its stdout on a terminal of the test's (so that each line
// comes out as it is printed), its stderr in a pipe. Killed and waited for at the end if it still
// runs.
class RunningProgram {
  public:
    RunningProgram(const char* executable, const std::string& scenario,
                   const std::string& temporaries) {
        if (!openTerminal() || ::pipe2(myErrors, O_CLOEXEC) != 0) {
            ADD_FAILURE() << "no terminal or pipe: " << std::strerror(errno);
            return;
        }
        const ChildEnvironment environment(temporaries);
        std::string program = executable;
        std::string argument = scenario;
        char* argv[] = {program.data(), argument.data(), nullptr};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_adddup2(&actions, myTerminalEnd, STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&actions, myErrors[1], STDERR_FILENO);
        const int result =
            posix_spawn(&myPid, program.c_str(), &actions, nullptr, argv, environment.envp());
        posix_spawn_file_actions_destroy(&actions);
        ::close(myErrors[1]);
        myErrors[1] = -1;
        if (result != 0) {
            myPid = -1;
            ADD_FAILURE() << "cannot start " << program << ": " << std::strerror(result);
        }
    }
    ~RunningProgram() {
        if (myPid > 0) {
            ::kill(myPid, SIGKILL);
            waitStatus(0);
        }
        for (const int descriptor : {myTerminal, myTerminalEnd, myErrors[0], myErrors[1]}) {
            if (descriptor >= 0) {
                ::close(descriptor);
            }
        }
    }
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    bool started() const { return myPid > 0; }
    pid_t pid() const { return myPid; }

    // Reads the stdout until a line holding `text` has come; false when the program ended first
    // or kPatience passed.
    bool awaitLine(const std::string& text) {
        const auto deadline = std::chrono::steady_clock::now() + kPatience;
        while (!hasLine(text)) {
            if (!readSome(deadline)) {
                return false;
            }
        }
        return true;
    }

    // Reads everything until the program ends and waits for it: its wait status, or -1 when it
    // did not end within kPatience (it is killed then).
    int finish() {
        const auto deadline = std::chrono::steady_clock::now() + kPatience;
        while (readSome(deadline)) {
        }
        if (myErrors[0] >= 0) {
            ::kill(myPid, SIGKILL);
            waitStatus(0);
            return -1;
        }
        return waitStatus(0);
    }

    // Waits until the program stopped (SIGSTOP); false when it did not.
    bool awaitStopped() { return WIFSTOPPED(waitStatus(WUNTRACED)); }

    const std::string& out() const { return myOut; }
    const std::string& errors() const { return myErrorText; }

  private:
    bool openTerminal() {
        myTerminal = ::posix_openpt(O_RDWR | O_NOCTTY);
        char name[128];
        if (myTerminal < 0 || ::fcntl(myTerminal, F_SETFD, FD_CLOEXEC) != 0 ||
            ::grantpt(myTerminal) != 0 || ::unlockpt(myTerminal) != 0 ||
            ::ptsname_r(myTerminal, name, sizeof(name)) != 0) {
            return false;
        }
        // Kept open here too, so the terminal never hangs up while the program starts or ends.
        myTerminalEnd = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
        return myTerminalEnd >= 0;
    }

    bool hasLine(const std::string& text) const {
        const size_t found = myOut.find(text);
        return found != std::string::npos && myOut.find('\n', found) != std::string::npos;
    }

    // Reads what the terminal or the pipe holds, waiting for it until `deadline`; false once
    // the pipe ended (the program ended) or at the deadline.
    bool readSome(std::chrono::steady_clock::time_point deadline) {
        if (myErrors[0] < 0) {
            return false;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            return false;
        }
        pollfd sources[] = {{myTerminal, POLLIN, 0}, {myErrors[0], POLLIN, 0}};
        if (::poll(sources, 2, static_cast<int>(left.count())) < 0) {
            return errno == EINTR;
        }
        char buffer[4096];
        if ((sources[0].revents & POLLIN) != 0) {
            const ssize_t got = ::read(myTerminal, buffer, sizeof(buffer));
            myOut.append(buffer, static_cast<size_t>(std::max<ssize_t>(got, 0)));
        }
        if ((sources[1].revents & (POLLIN | POLLHUP)) != 0) {
            const ssize_t got = ::read(myErrors[0], buffer, sizeof(buffer));
            if (got <= 0) {
                ::close(myErrors[0]);
                myErrors[0] = -1;
                return false;
            }
            myErrorText.append(buffer, static_cast<size_t>(got));
        }
        return true;
    }

    int waitStatus(int options) {
        int status = 0;
        pid_t waited = -1;
        do {
            waited = ::waitpid(myPid, &status, options);
        } while (waited < 0 && errno == EINTR);
        if (waited == myPid && !WIFSTOPPED(status)) {
            myPid = -1;
        }
        return waited > 0 ? status : -1;
    }

    pid_t myPid = -1;
    int myTerminal = -1;     // the test's end of the terminal
    int myTerminalEnd = -1;  // the program's end (its stdout)
    int myErrors[2] = {-1, -1};
    std::string myOut;
    std::string myErrorText;
};

// The lines of `text` that hold `part`.
std::vector<std::string> linesWith(const std::string& text, const std::string& part) {
    std::vector<std::string> found;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (line.find(part) != std::string::npos) {
            found.push_back(line);
        }
    }
    return found;
}

class StopSignalsTest : public ::testing::Test {
  protected:
    // Writes the long scenario of `program`; its path.
    std::string writeScenario(const ProgramCase& program) {
        const std::string path = scratch.pathOf("long.json");
        std::ofstream(path) << "{ " << program.keys << R"(, "steps": [ )" << kLongSteps << " ] }";
        return path;
    }

    // Waits for `run` to end and checks that it ended by `signal` with one stop line on stderr
    // (given in `stop`), no sanitizer's report, and its work and scratch folders removed.
    void expectStoppedCleanly(RunningProgram& run, int signal, std::string* stop) {
        const int status = run.finish();
        ASSERT_NE(status, -1) << "still running";
        ASSERT_TRUE(WIFSIGNALED(status)) << "status " << status << "\n" << run.errors();
        EXPECT_EQ(WTERMSIG(status), signal);
        EXPECT_TRUE(linesWith(run.errors(), "Sanitizer").empty()) << run.errors();
        const std::vector<std::string> stops = linesWith(run.errors(), "stopped by");
        ASSERT_EQ(stops.size(), 1u) << run.errors();
        *stop = stops[0];
        EXPECT_EQ(scratch.temporariesLeft(), 0u) << "the work and scratch folders are gone";
    }

    TestFolder scratch;
};

TEST_F(StopSignalsTest, ASignalStopsTheRunWhichRemovesItsFoldersAndEndsByThatSignal) {
    for (const ProgramCase& program : kPrograms) {
        for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
            const std::string name = sim::StopSignals::nameOf(signal);
            SCOPED_TRACE(std::string(program.executable) + " " + name);
            RunningProgram run(program.executable, writeScenario(program), scratch.temporaries());
            ASSERT_TRUE(run.started());
            ASSERT_TRUE(run.awaitLine(kStartedLine)) << run.out() << run.errors();
            ASSERT_EQ(::kill(run.pid(), signal), 0);
            std::string stop;
            ASSERT_NO_FATAL_FAILURE(expectStoppedCleanly(run, signal, &stop));
            // The started line comes once step 1 ended: the stop comes before step 2 or in it.
            const std::string stepOne = "long.json: stopped by " + name + " after step 1";
            const std::string stepTwo = "long.json: stopped by " + name + " in step 2";
            EXPECT_TRUE(stop.find(stepOne) != std::string::npos ||
                        stop.find(stepTwo) != std::string::npos)
                << stop;
        }
    }
}

// The same signal sent twice at once (to the process and then to its process group, as
// `timeout` does): one stop, which removes the folders.
TEST_F(StopSignalsTest, TheSameSignalSentTwiceAtOnceIsOneStop) {
    for (const ProgramCase& program : kPrograms) {
        SCOPED_TRACE(program.executable);
        RunningProgram run(program.executable, writeScenario(program), scratch.temporaries());
        ASSERT_TRUE(run.started());
        ASSERT_TRUE(run.awaitLine(kStartedLine)) << run.out() << run.errors();
        ASSERT_EQ(::kill(run.pid(), SIGINT), 0);
        // Apart by a few milliseconds, so that the two are not merged into one while pending.
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        ASSERT_EQ(::kill(run.pid(), SIGINT), 0);
        std::string stop;
        ASSERT_NO_FATAL_FAILURE(expectStoppedCleanly(run, SIGINT, &stop));
        EXPECT_NE(stop.find("stopped by SIGINT"), std::string::npos) << stop;
    }
}

// Two signals before the run could react to the first: the second ends it at once, without the
// line and without removing its folders.
TEST_F(StopSignalsTest, ASecondSignalEndsTheRunAtOnce) {
    for (const ProgramCase& program : kPrograms) {
        SCOPED_TRACE(program.executable);
        RunningProgram run(program.executable, writeScenario(program), scratch.temporaries());
        ASSERT_TRUE(run.started());
        ASSERT_TRUE(run.awaitLine(kStartedLine)) << run.out() << run.errors();
        // Held still, so that both signals wait until it goes on.
        ASSERT_EQ(::kill(run.pid(), SIGSTOP), 0);
        ASSERT_TRUE(run.awaitStopped());
        ASSERT_EQ(::kill(run.pid(), SIGINT), 0);
        ASSERT_EQ(::kill(run.pid(), SIGTERM), 0);
        ASSERT_EQ(::kill(run.pid(), SIGCONT), 0);
        const int status = run.finish();
        ASSERT_NE(status, -1) << "still running";
        ASSERT_TRUE(WIFSIGNALED(status)) << "status " << status << "\n" << run.errors();
        // Either may come first: the one that does is noted, the other ends the process.
        EXPECT_TRUE(WTERMSIG(status) == SIGINT || WTERMSIG(status) == SIGTERM) << WTERMSIG(status);
        EXPECT_TRUE(linesWith(run.errors(), "stopped by").empty()) << run.errors();
        EXPECT_TRUE(linesWith(run.errors(), "Sanitizer").empty()) << run.errors();
        EXPECT_EQ(scratch.temporariesLeft(), 2u) << "ended before it could remove its folders";
        std::filesystem::remove_all(scratch.temporaries());
    }
}

}  // namespace

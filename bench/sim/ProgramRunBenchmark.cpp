// A whole run of a device program (its own executable, as a user runs it) through a scenario of
// many cycle steps: the runner's time per cycle, the processor time it burns beside its wall
// time, and the peak resident memory of the process, which must not grow with the run's length;
// and the cost of simulated days.
#include <benchmark/benchmark.h>

#include <sys/ptrace.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

#include <nlohmann/json.hpp>

namespace {

struct ProgramCase {
    const char* executable;
    const char* exampleFolder;  // its demo scenario's folder, whose settings the run takes
};

const ProgramCase kVesk{VESK_PROG, EXAMPLES_DIR "/vesk"};
const ProgramCase kCalorant{CALORANT_PROG, EXAMPLES_DIR "/calorant"};

// The demo scenario's settings (its files named by absolute paths) with `steps` steps, each a
// cycle after `advanceSeconds` of virtual time, instead of its steps, written to `path` step by
// step.
bool writeCycleScenario(const ProgramCase& program, int64_t steps, int64_t advanceSeconds,
                        const std::string& path) {
    std::ifstream demo(std::string(program.exampleFolder) + "/scenario.json");
    nlohmann::json root = nlohmann::json::parse(demo);
    for (const char* key : {"tree", "dictionary"}) {
        if (root.contains(key)) {
            root[key] = std::string(program.exampleFolder) + "/" + root[key].get<std::string>();
        }
    }
    root.erase("steps");
    root.erase("noTraceUpToLevel");
    if (root.contains("selfInfo")) {
        root["selfInfo"].erase("basePath");
    }
    std::string head = root.dump();
    head.pop_back();  // the closing brace
    std::ofstream file(path, std::ios::trunc);
    file << head << (root.empty() ? "" : ", ") << "\"steps\": [";
    for (int64_t step = 0; step < steps; ++step) {
        file << (step > 0 ? ",\n" : "\n") << R"({ "comment": "cycle )" << step
             << R"(", "advance": )" << advanceSeconds << R"(, "command": "cycle" })";
    }
    file << "\n] }\n";
    return static_cast<bool>(file);
}

// The peak resident memory (VmHWM) of process `pid`, in KiB; 0 when unknown.
long peakResidentKib(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) {
            return std::strtol(line.c_str() + 6, nullptr, 10);
        }
    }
    return 0;
}

// What a run of a program cost beyond its wall time.
struct RunCost {
    long peakKib = 0;         // peak resident memory
    double cpuSeconds = 0.0;  // processor time, user and system, of all its threads
};

double secondsOf(const timeval& time) {
    return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) * 1e-6;
}

// Runs the program on the scenario, its output thrown away and its temporary folders made in
// `folder`; the exit status, and what the run cost. The child is traced to stop it at its exit,
// while its memory can still be read: the program's own peak, not that of the benchmark it was
// forked from.
int runProgram(const ProgramCase& program, const std::string& scenario, const std::string& folder,
               RunCost* cost) {
    const pid_t child = fork();
    if (child == 0) {
        std::freopen("/dev/null", "w", stdout);
        setenv("TMPDIR", folder.c_str(), 1);
        ptrace(PTRACE_TRACEME, 0, nullptr, nullptr);
        execl(program.executable, program.executable, scenario.c_str(),
              static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (child < 0 || wait4(child, &status, 0, &usage) != child) {
        return -1;
    }
    if (!WIFSTOPPED(status)) {  // not traced (tracing refused): the peak includes the fork's
        cost->peakKib = usage.ru_maxrss;
        cost->cpuSeconds = secondsOf(usage.ru_utime) + secondsOf(usage.ru_stime);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    ptrace(PTRACE_SETOPTIONS, child, nullptr, PTRACE_O_TRACEEXIT);
    ptrace(PTRACE_CONT, child, nullptr, nullptr);
    while (wait4(child, &status, 0, &usage) == child && WIFSTOPPED(status)) {
        const bool exiting = (status >> 8) == (SIGTRAP | (PTRACE_EVENT_EXIT << 8));
        if (exiting) {
            cost->peakKib = peakResidentKib(child);
        }
        const int signal = exiting || WSTOPSIG(status) == SIGTRAP ? 0 : WSTOPSIG(status);
        ptrace(PTRACE_CONT, child, nullptr, reinterpret_cast<void*>(static_cast<intptr_t>(signal)));
    }
    cost->cpuSeconds = secondsOf(usage.ru_utime) + secondsOf(usage.ru_stime);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Runs the program on a scenario of `steps` cycles after `advanceSeconds` each, as `state`'s
// iterations; the wall time of the last run in seconds and what it cost. False (the state told
// why) when the scenario could not be made or a run did not pass.
bool timeProgramRuns(benchmark::State& state, const ProgramCase& program, int64_t steps,
                     int64_t advanceSeconds, double* seconds, RunCost* cost) {
    const char* root = std::getenv("TMPDIR");
    std::string folder =
        std::string(root != nullptr && *root != '\0' ? root : "/tmp") + "/program-run-XXXXXX";
    if (mkdtemp(folder.data()) == nullptr) {
        state.SkipWithError("no temporary folder");
        return false;
    }
    const std::string scenario = folder + "/scenario.json";
    bool passed = writeCycleScenario(program, steps, advanceSeconds, scenario);
    if (!passed) {
        state.SkipWithError("cannot write the scenario");
    }
    for (auto _ : state) {
        if (!passed) {
            break;
        }
        const auto start = std::chrono::steady_clock::now();
        const int exitCode = runProgram(program, scenario, folder, cost);
        *seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (exitCode != 0) {
            state.SkipWithError("the run did not pass");
            passed = false;
        }
    }
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);  // with what a failed run left
    return passed;
}

// The processor time of a run beside its wall time, and the run's processors' worth of it.
void countProcessorTime(benchmark::State& state, double seconds, const RunCost& cost) {
    state.counters["wall_s"] = seconds;
    state.counters["cpu_s"] = cost.cpuSeconds;
    state.counters["cpu_per_wall"] = seconds > 0.0 ? cost.cpuSeconds / seconds : 0.0;
}

// Cycle steps one second apart: the runner's time per cycle and the peak memory.
void BM_ProgramRun(benchmark::State& state, const ProgramCase& program) {
    const int64_t cycles = state.range(0);
    RunCost cost;
    double seconds = 0.0;
    if (!timeProgramRuns(state, program, cycles, 1, &seconds, &cost)) {
        return;
    }
    state.counters["peak_MiB"] = static_cast<double>(cost.peakKib) / 1024.0;
    state.counters["us_per_cycle"] = seconds * 1e6 / static_cast<double>(cycles);
    countProcessorTime(state, seconds, cost);
    state.SetItemsProcessed(state.iterations() * cycles);
}

// Simulated days, a cycle at the end of each: what a day of virtual time costs while the program
// runs its one-second alarm and its health monitor. Argument: the number of days.
void BM_ProgramDays(benchmark::State& state, const ProgramCase& program) {
    constexpr int64_t kDay = 86400;
    const int64_t days = state.range(0);
    RunCost cost;
    double seconds = 0.0;
    if (!timeProgramRuns(state, program, days, kDay, &seconds, &cost)) {
        return;
    }
    state.counters["s_per_day"] = seconds / static_cast<double>(days);
    countProcessorTime(state, seconds, cost);
    state.counters["us_per_simulated_s"] = seconds * 1e6 / static_cast<double>(days * kDay);
}
// 10^3, 10^5 and 10^6 cycles, one run each.
void cycleCounts(benchmark::internal::Benchmark* runs) {
    runs->Arg(1000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kSecond)->Iterations(1);
}
BENCHMARK_CAPTURE(BM_ProgramRun, vesk, kVesk)->Apply(cycleCounts);
BENCHMARK_CAPTURE(BM_ProgramRun, calorant, kCalorant)->Apply(cycleCounts);
BENCHMARK_CAPTURE(BM_ProgramDays, vesk, kVesk)
    ->Arg(1)
    ->Arg(7)
    ->Unit(benchmark::kSecond)
    ->Iterations(1);
BENCHMARK_CAPTURE(BM_ProgramDays, calorant, kCalorant)
    ->Arg(1)
    ->Arg(7)
    ->Unit(benchmark::kSecond)
    ->Iterations(1);

}  // namespace

// Host control and observation of the framework stand-in: settings the system manager or a test
// gives the address space (taste, language, instance, dictionary, access rights, display
// context), the fatal-stop action, and the logs of reports, fatal reports and fatal stops.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "TarvoTrace.h"

namespace host {

// Exit status of the process after a fatal stop with the default action.
constexpr int kFatalExitStatus = 70;

// Trace points of the framework itself (selector 0).
constexpr uint32_t kTraceFileFramework = 0x7f1;
constexpr uint32_t kTraceReport = TraceId(kTraceFileFramework, 1, 2);       // name, code, text
constexpr uint32_t kTraceFatalStop = TraceId(kTraceFileFramework, 2, 1);    // name, code, text
constexpr uint32_t kTraceFatalReport = TraceId(kTraceFileFramework, 3, 1);  // name, text, path
constexpr uint32_t kTracePhase = TraceId(kTraceFileFramework, 4, 5);        // phase

// ---- Settings -----------------------------------------------------------------------------------

// Taste name that Tarvo_GetTasteName gives (default "").
void setTasteName(const std::string& name);

// Language and instance index the framework reports instead of the registered block's
// self-information; std::nullopt goes back to the self-information.
void setLanguage(std::optional<uint8_t> language);
void setInstanceIndex(std::optional<uint8_t> index);

// Loads the text dictionary from a JSON file: an object of key -> [first language text, second
// language text], UTF-8. Returns "" on success, else what is wrong (the dictionary is then
// unchanged). Texts returned earlier by the lookups stay valid.
std::string loadTextDictionary(const std::string& path);
// The same from JSON text.
std::string setTextDictionary(const std::string& json);

// Access rights Tarvo_CheckAccess grants: bit n grants right n (default: all).
void setAccessRights(uint32_t grantedMask);

// Context path of the page the display shows; std::nullopt: none (the default).
void setDisplayContext(std::optional<std::string> context);
// True while the calling task holds a context text from Tarvo_DisplayContext that it has not
// given back with Tarvo_ReleaseDisplayContext.
bool displayContextHeld();

// The service object connected to the framework component `component` (1 to 6), or null.
void* componentService(int component);

// Number of blocks Tarvo_DebugAlloc has handed out.
size_t debugAllocationCount();

// ---- Logs ---------------------------------------------------------------------------------------

struct Report {
    int32_t code;
    std::string asName;
    std::string phase;
};
struct FatalReport {
    std::string asName;
    std::string text;
    std::string sourcePath;
};
struct FatalStop {
    int32_t code;
    std::string asName;
    std::string phase;
    std::string message;  // the line written to stderr
};

// Copies of the logs, oldest first.
std::vector<Report> reports();
std::vector<FatalReport> fatalReports();
std::vector<FatalStop> fatalStops();
// Phases in the order they were set.
std::vector<std::string> phases();
std::string currentPhase();

// ---- Fatal stops --------------------------------------------------------------------------------

enum class FatalStopAction {
    Exit,  // default: the process ends at once with kFatalExitStatus (no destructors run)
    Park,  // the stopping task blocks for ever in the kernel (so it counts as quiescent and
           // resetKernel ends it); the rest of the process goes on
};
void setFatalStopAction(FatalStopAction action);

// Called with each fatal stop on the stopping task after it was logged and before the action
// (for example to flush a runner's output, or to park the task in a wait of its own). Must not
// stop itself; empty: none.
void setFatalStopObserver(std::function<void(const FatalStop&)> observer);

// Waits until at least `count` fatal stops have been logged; false when `timeout` passed first
// (a guard against a hanging test, not a time source).
bool waitForFatalStops(size_t count, std::chrono::milliseconds timeout);

// ---- Checksum -----------------------------------------------------------------------------------

namespace detail {
// For tests of checksumUpdate: the running checksum `checksum` carried on over `length` bytes by
// the byte tables alone, and whether checksumUpdate folds with carry-less multiplication on this
// processor.
uint32_t checksumBySlicing(uint32_t checksum, const void* data, size_t length);
bool checksumFolds();
}  // namespace detail

// ---- Reset --------------------------------------------------------------------------------------

// Back to the start state for the next test: no registered block, empty logs and phases,
// default settings, Exit action, no observer, no display context. The dictionary, the debug
// allocations and the exit-time destructor list are kept. Tasks parked by a fatal stop stay
// parked.
void resetFramework();

// Runs and empties the exit-time destructor list now (also done at normal exit).
void runStaticDestructors();

}  // namespace host

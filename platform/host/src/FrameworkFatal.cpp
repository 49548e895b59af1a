// Fatal stops: Tarvo_CheckFatal with a non-zero code and failed assertions end the address
// space. The stop is logged, traced and written to stderr; then the process exits at once
// (_Exit, so no destructor or exit handler of a half-broken program runs), or, with the Park
// action, the stopping task blocks for ever in the kernel so that a test or a runner can observe
// the stop while the rest of the process goes on.
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>

#include "FrameworkInternal.h"
#include "HostFramework.h"
#include "Kernel.h"
#include "Tarvo.h"

namespace host {
namespace {

struct FatalState {
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<FatalStop> stops;
    FatalStopAction action = FatalStopAction::Exit;
    std::function<void(const FatalStop&)> observer;
};

// Never destroyed: stops may happen on tasks that outlive the static destructors.
FatalState& fatal() {
    static FatalState* instance = new FatalState();
    return *instance;
}

// Blocks the calling task for ever inside the kernel, so that it counts as quiescent and the
// kernel can end it (resetKernel unwinds it); should the kernel fail the wait, the task ends.
[[noreturn]] void park() {
    Semaphore never = nullptr;
    Error result = CreateSemaphore(0, &never);
    while (result == Success) {
        result = WaitForSemaphore(never);
    }
    exitTask(result);
}

[[noreturn]] void stopAddressSpace(int32_t code, const AsInfo* pAsInfo, std::string message) {
    const std::string reason = detail::takeStopReason();
    if (!reason.empty()) {
        message += ": " + reason;
    }
    FatalStop stop{code, detail::asNameOf(pAsInfo), detail::phaseNow(), std::move(message)};
    TARVO_TRACE(0, kTraceFatalStop, TraceFormat(kTraceArgText, kTraceArgInt, kTraceArgText),
                stop.asName.c_str(), code, stop.message.c_str());
    std::fprintf(stderr, "%s\n", stop.message.c_str());
    std::fflush(stderr);
    FatalState& s = fatal();
    std::function<void(const FatalStop&)> observer;
    FatalStopAction action;
    {
        std::lock_guard<std::mutex> lock(s.mutex);
        s.stops.push_back(stop);
        observer = s.observer;
        action = s.action;
        s.changed.notify_all();
    }
    if (observer) {
        observer(stop);
    }
    if (action == FatalStopAction::Park) {
        park();
    }
    std::_Exit(kFatalExitStatus);
}

}  // namespace

std::vector<FatalStop> fatalStops() {
    std::lock_guard<std::mutex> lock(fatal().mutex);
    return fatal().stops;
}

void setFatalStopAction(FatalStopAction action) {
    std::lock_guard<std::mutex> lock(fatal().mutex);
    fatal().action = action;
}

void setFatalStopObserver(std::function<void(const FatalStop&)> observer) {
    std::lock_guard<std::mutex> lock(fatal().mutex);
    fatal().observer = std::move(observer);
}

bool waitForFatalStops(size_t count, std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> lock(fatal().mutex);
    return fatal().changed.wait_for(lock, timeout,
                                    [count] { return fatal().stops.size() >= count; });
}

namespace detail {

void resetFatalStops() {
    std::lock_guard<std::mutex> lock(fatal().mutex);
    fatal().stops.clear();
    fatal().action = FatalStopAction::Exit;
    fatal().observer = nullptr;
}

}  // namespace detail
}  // namespace host

void Tarvo_CheckFatal(int32_t code, AsInfo* pAsInfo) {
    if (code == 0) {
        return;
    }
    std::string name = host::detail::asNameOf(pAsInfo);
    host::stopAddressSpace(code, pAsInfo,
                           "FATAL STOP: address space \"" + name + "\" stopped with code " +
                               std::to_string(code) + " (" + Tarvo_ErrorText(code) +
                               ") in phase \"" + host::detail::phaseNow() + "\"");
}

void Tarvo_AssertFailed(const char* expression, const char* sourcePath, uint32_t line) {
    host::stopAddressSpace(TarvoAssertionFailed, nullptr,
                           std::string("ASSERTION FAILED: ") + (expression ? expression : "") +
                               " (" + (sourcePath ? sourcePath : "") + ":" + std::to_string(line) +
                               ")");
}

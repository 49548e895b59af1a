// Error reports, fatal reports and phases of the address space.
#include <cstdio>
#include <mutex>

#include "FrameworkInternal.h"
#include "HostFramework.h"
#include "Tarvo.h"

namespace host {
namespace {

struct ReportLog {
    std::mutex mutex;
    std::vector<Report> reports;
    std::vector<FatalReport> fatalReports;
    size_t fatalReportsTaken = 0;  // those takeStopReason gave already
    std::vector<std::string> phases;
};

// Never destroyed: reports may come from tasks that outlive the static destructors.
ReportLog& log() {
    static ReportLog* instance = new ReportLog();
    return *instance;
}

std::string textOrEmpty(const char* text) {
    return text != nullptr ? std::string(text) : std::string();
}

}  // namespace

std::vector<Report> reports() {
    std::lock_guard<std::mutex> lock(log().mutex);
    return log().reports;
}

std::vector<FatalReport> fatalReports() {
    std::lock_guard<std::mutex> lock(log().mutex);
    return log().fatalReports;
}

std::vector<std::string> phases() {
    std::lock_guard<std::mutex> lock(log().mutex);
    return log().phases;
}

std::string currentPhase() {
    return detail::phaseNow();
}

namespace detail {

std::string phaseNow() {
    std::lock_guard<std::mutex> lock(log().mutex);
    return log().phases.empty() ? std::string() : log().phases.back();
}

std::string takeStopReason() {
    std::string reason;
    {
        std::lock_guard<std::mutex> lock(log().mutex);
        ReportLog& l = log();
        for (; l.fatalReportsTaken < l.fatalReports.size(); ++l.fatalReportsTaken) {
            reason += (reason.empty() ? "" : "; ") + l.fatalReports[l.fatalReportsTaken].text;
        }
    }
    const std::string traced = takeErrorTraceText();
    return reason.empty() ? traced : reason;
}

void resetLogs() {
    takeErrorTraceText();
    std::lock_guard<std::mutex> lock(log().mutex);
    log().reports.clear();
    log().fatalReports.clear();
    log().fatalReportsTaken = 0;
    log().phases.clear();
}

}  // namespace detail
}  // namespace host

void Tarvo_ReportError(int32_t code, AsInfo* pAsInfo) {
    if (code == 0) {
        return;
    }
    host::Report report{code, host::detail::asNameOf(pAsInfo), host::detail::phaseNow()};
    TARVO_TRACE(0, host::kTraceReport, TraceFormat(kTraceArgText, kTraceArgInt, kTraceArgText),
                report.asName.c_str(), code, Tarvo_ErrorText(code));
    std::lock_guard<std::mutex> lock(host::log().mutex);
    host::log().reports.push_back(std::move(report));
}

void Tarvo_FatalReport(const char* asName, const char* text, const char* sourcePath) {
    host::FatalReport report{host::textOrEmpty(asName), host::textOrEmpty(text),
                             host::textOrEmpty(sourcePath)};
    TARVO_TRACE(0, host::kTraceFatalReport,
                TraceFormat(kTraceArgText, kTraceArgText, kTraceArgText), report.asName.c_str(),
                report.text.c_str(), report.sourcePath.c_str());
    std::fprintf(stderr, "FATAL REPORT: address space \"%s\": %s (%s)\n", report.asName.c_str(),
                 report.text.c_str(), report.sourcePath.c_str());
    std::lock_guard<std::mutex> lock(host::log().mutex);
    host::log().fatalReports.push_back(std::move(report));
}

void Tarvo_SetPhase(const char* text) {
    std::string phase = host::textOrEmpty(text);
    TARVO_TRACE(0, host::kTracePhase, TraceFormat(kTraceArgText), phase.c_str());
    std::lock_guard<std::mutex> lock(host::log().mutex);
    host::log().phases.push_back(std::move(phase));
}

// The health monitor's report of finished passes. The checksum task itself is not part of the
// client yet: until it is, HSmonStart starts no task, no pass ever ends, and HSmonReport
// reports nothing.
#include "libSysHSmon.h"

#include "Sysmanlib.h"
#include "Tarvo.h"

namespace {

constexpr char kSourcePath[] = "libSysman/src/libSysHSmon";
constexpr uint32_t kTraceDirReportFailed = 0xd01f3;
constexpr uint32_t kTraceTotalReportFailed = 0xd0203;

}  // namespace

void HSmonStart(AsInfo* pAsInfo) {
    if (pAsInfo == nullptr) {
        Tarvo_AssertFailed("pSelfInfoInt", kSourcePath, 427);
    }
}

int HSmonReport(AsInfo* pAsInfo) {
    if (pAsInfo == nullptr) {
        Tarvo_AssertFailed("pSelfInfoInt", kSourcePath, 465);
    }
    const uint32_t pass = pAsInfo->nHealthPass;
    if (pAsInfo->nHealthReported == pass) {
        return 0;
    }
    pAsInfo->nHealthReported = pass;
    if (pass == 1) {
        const Error dirResult = Sysmanlib_ReportDirChecksum(pAsInfo, pAsInfo->nHealthDirSum);
        if (dirResult != Success) {
            TARVO_TRACE(0, kTraceDirReportFailed, TraceFormat(kTraceArgInt), dirResult);
        }
    }
    const Error result = Sysmanlib_ReportChecksum(pAsInfo, pAsInfo->nHealthTotal);
    if (result != Success) {
        TARVO_TRACE(0, kTraceTotalReportFailed, TraceFormat(kTraceArgInt), result);
    }
    return result;
}

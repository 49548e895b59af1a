// The health monitor: the task's passes, the directory and list checksums, and the report.
#include "libSysHSmon.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "Kernel.h"
#include "SysHSmonTrace.h"
#include "SysManInternal.h"
#include "SysManText.h"
#include "Sysmanlib.h"
#include "Tarvo.h"

using namespace hsmon;
using sysman::AsName;
using sysman::BoundedText;

namespace {

constexpr char kSourcePath[] = "libSysman/src/libSysHSmon";
constexpr uint32_t kStartAssertLine = 427;
constexpr uint32_t kReportAssertLine = 465;

constexpr char kTaskName[] = "AsHealthTask";
constexpr uint32_t kTaskPriority = 8;
constexpr uint32_t kTaskStackSize = 8192;

constexpr uint32_t kFirstCountdown = 10;  // seconds from the start to the first pass
constexpr uint32_t kPassCountdown = 30;   // seconds between passes
constexpr uint32_t kListMode = 4;         // the mode that checksums the files of "files.txt"

enum HealthState : uint32_t {
    kCountdown = 1,     // waiting for the next pass
    kChecksumCode = 2,  // the first pass's files, then the code range
    kFinishPass = 3,    // the total, published
};

constexpr size_t kPathSize = 256;      // a path of the list, or "files.txt" in the base path
constexpr size_t kListLineSize = 255;  // one read of "files.txt": 254 characters
constexpr char kListName[] = "files.txt";
constexpr size_t kListNameRoom = 10;  // "files.txt" and its terminator
// Room for the parameter directory and one of its entries (a name of up to 255 characters).
constexpr size_t kDirectorySize =
    sizeof(SelfInformation::szBasePath) + sizeof(SelfInformation::szParDir) + 2;
constexpr size_t kEntryPathSize = kDirectorySize + 257;

// Extensions of the program's own parameter files, after the parameter prefix.
const char* const kOwnParameterExtensions[] = {".par", ".bpa",     ".bpc",     ".npf",
                                               ".nbp", ".par.spf", ".bpa.spf", ".bpc.spf"};

using BasePath = BoundedText<sizeof(SelfInformation::szBasePath)>;
using ParPrefix = BoundedText<sizeof(SelfInformation::szParPrefix)>;
using ParDir = BoundedText<sizeof(SelfInformation::szParDir)>;

// The checksums the task keeps over its life.
struct TaskSums {
    uint32_t list = 0;   // first pass, mode 4
    uint32_t dir = 0;    // first pass
    uint32_t code = 0;   // every pass
    uint32_t total = 0;  // every pass
    bool firstPassDone = false;
};

// Adds the 4 bytes of a checksum value, in memory order.
void addChecksum(uint32_t* checksum, uint32_t value) {
    checksumUpdate(checksum, &value, sizeof(value));
}

// True when `path` (its links followed) names a regular file. Only those are checksummed: a pipe
// or a device would block the task in its open or feed it without end, a link loop has no file.
bool isRegularFile(const char* path) {
    struct stat status;
    return stat(path, &status) == 0 && S_ISREG(status.st_mode);
}

// Opens `path` for reading when it is a regular file; null otherwise. The open does not wait and
// the open descriptor is what is checked, so that a path that became a pipe after a look at it
// cannot block the task.
std::FILE* openRegularFile(const char* path) {
    const int descriptor = open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (descriptor < 0) {
        return nullptr;
    }
    struct stat status;
    std::FILE* file = nullptr;
    if (fstat(descriptor, &status) == 0 && S_ISREG(status.st_mode)) {
        file = fdopen(descriptor, "rb");  // reads of a regular file never wait anyway
    }
    if (file == nullptr) {
        close(descriptor);
    }
    return file;
}

// ---- Directory checksum -------------------------------------------------------------------------

// True when `path` names a directory that a change into it would enter: one that exists and may
// be searched (its "." can be looked up). Otherwise false, errno telling why (ENOENT, ENOTDIR,
// EACCES for a directory that may be read but not searched, ...).
bool canEnter(const char* path) {
    const size_t length = std::strlen(path);
    if (length == 0) {
        errno = ENOENT;
        return false;
    }
    char inside[kDirectorySize + 2];
    std::snprintf(inside, sizeof(inside), "%s%s.", path, path[length - 1] == '/' ? "" : "/");
    struct stat status;
    return stat(inside, &status) == 0;
}

// The parameter directory as one path: where a change into szBasePath and then into szParDir
// would lead. False (traced) when either cannot be entered.
bool parameterDirectory(const AsInfo* pAsInfo, char (&path)[kDirectorySize]) {
    const BasePath base(pAsInfo->selfInfo.szBasePath);
    const ParDir dir(pAsInfo->selfInfo.szParDir);
    if (!canEnter(base.c_str())) {
        TARVO_TRACE(0, kTraceBasePathNotEntered, TraceFormat(kTraceArgText, kTraceArgInt),
                    base.c_str(), errno);
        return false;
    }
    const char* joiner = base.size() == 0 || base.c_str()[base.size() - 1] == '/' ? "" : "/";
    if (dir.c_str()[0] == '/') {
        std::snprintf(path, sizeof(path), "%s", dir.c_str());
    } else {
        std::snprintf(path, sizeof(path), "%s%s%s", base.c_str(), joiner, dir.c_str());
    }
    errno = ENOENT;  // an empty directory name enters nothing
    if (dir.size() == 0 || !canEnter(path)) {
        TARVO_TRACE(0, kTraceParDirNotEntered, TraceFormat(kTraceArgText, kTraceArgInt), path,
                    errno);
        return false;
    }
    return true;
}

bool isOwnParameterFile(const char* name, const ParPrefix& prefix) {
    const size_t prefixLength = prefix.size();
    if (Tarvo_CompareN(name, prefix.c_str(), static_cast<uint32_t>(prefixLength)) != 0) {
        return false;
    }
    for (const char* extension : kOwnParameterExtensions) {
        if (fileHasExtension(name + prefixLength, extension) == 0) {
            return true;
        }
    }
    return false;
}

// Adds one entry of the parameter directory to `running`; false (traced) when the checksum of a
// file that counts could not be made.
bool addDirectoryEntry(const char* directory, const char* name, const ParPrefix& prefix,
                       uint32_t* running) {
    if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) {
        return true;
    }
    char path[kEntryPathSize];
    const int length = std::snprintf(path, sizeof(path), "%s/%s", directory, name);
    const bool fits = length > 0 && static_cast<size_t>(length) < sizeof(path);
    if (fits && (!isRegularFile(path) || isOwnParameterFile(name, prefix))) {
        return true;
    }
    uint32_t fileChecksum = 0;
    if (!fits || Tarvo_FileChecksum(path, &fileChecksum) != Success) {
        TARVO_TRACE(0, kTraceDirFileFailed, TraceFormat(kTraceArgText, kTraceArgText),
                    prefix.c_str(), name);
        return false;
    }
    checksumUpdate(running, name, static_cast<uint32_t>(std::strlen(name)));
    addChecksum(running, fileChecksum);
    TARVO_TRACE(0, kTraceDirFile, TraceFormat(kTraceArgText, kTraceArgText, kTraceArgInt),
                prefix.c_str(), name, fileChecksum);
    return true;
}

// Adds every entry of the open directory; false when the walk ended early.
bool addDirectoryEntries(DIR* dir, const char* directory, const ParPrefix& prefix,
                         uint32_t* running) {
    for (;;) {
        errno = 0;
        const dirent* entry = readdir(dir);
        if (entry == nullptr) {
            if (errno != 0) {
                TARVO_TRACE(0, kTraceDirNotOpened, TraceFormat(kTraceArgText), directory);
                return false;
            }
            return true;
        }
        if (!addDirectoryEntry(directory, entry->d_name, prefix, running)) {
            return false;
        }
    }
}

// ---- List checksum ------------------------------------------------------------------------------

enum class ListLine { End, Line, TooLong };

bool isListCharacter(int c) {
    return c >= '!' && c <= '~';
}

// Reads the next line of "files.txt" into `line` (at most 254 characters, terminated, without
// its line end). TooLong when a listed character ("!" to "~") follows the 254th: the line does
// not fit one read; blanks and line-end characters there would be cut off anyway.
ListLine readListLine(std::FILE* file, char (&line)[kListLineSize]) {
    int c = std::getc(file);
    if (c == EOF) {
        return ListLine::End;
    }
    size_t length = 0;
    bool tooLong = false;
    for (; c != EOF && c != '\n'; c = std::getc(file)) {
        if (length < kListLineSize - 1) {
            line[length++] = static_cast<char>(c);
        } else if (isListCharacter(c)) {
            tooLong = true;
        }
    }
    line[length] = '\0';
    return tooLong ? ListLine::TooLong : ListLine::Line;
}

// Cuts the characters outside "!" to "~" off the end of `line`.
void cutTrailing(char* line) {
    size_t length = std::strlen(line);
    while (length > 0 && !isListCharacter(static_cast<unsigned char>(line[length - 1]))) {
        line[--length] = '\0';
    }
}

// Adds the checksum of the listed file `name` (relative to the base path) to `running`; false
// (traced) when its path does not fit or its checksum could not be made.
bool addListedFile(const char* name, const BasePath& base, const ParPrefix& prefix,
                   uint32_t* running) {
    char path[kPathSize];
    const int length = std::snprintf(path, sizeof(path), "%s%s", base.c_str(), name);
    if (length < 0 || static_cast<size_t>(length) >= sizeof(path)) {
        TARVO_TRACE(0, kTraceListedPathTooLong, TraceFormat(kTraceArgText), base.c_str());
        return false;
    }
    uint32_t fileChecksum = 0;
    if (Tarvo_FileChecksum(path, &fileChecksum) != Success) {  // refuses what is no regular file
        TARVO_TRACE(0, kTraceListedFileFailed, TraceFormat(kTraceArgText, kTraceArgText),
                    prefix.c_str(), path);
        return false;
    }
    TARVO_TRACE(0, kTraceListedFile, TraceFormat(kTraceArgText, kTraceArgText, kTraceArgInt),
                prefix.c_str(), path, fileChecksum);
    addChecksum(running, fileChecksum);
    return true;
}

// Adds every file the open list names; false when the list ended early.
bool addListedFiles(std::FILE* list, const BasePath& base, const ParPrefix& prefix,
                    uint32_t* running) {
    char line[kListLineSize];
    for (;;) {
        const ListLine read = readListLine(list, line);
        if (read == ListLine::End) {
            return true;
        }
        if (read == ListLine::TooLong) {
            if (line[0] != '+') {
                continue;
            }
            TARVO_TRACE(0, kTraceListedPathTooLong, TraceFormat(kTraceArgText), base.c_str());
            return false;
        }
        cutTrailing(line);
        if (line[0] == '+' && line[1] != '\0' && !addListedFile(line + 1, base, prefix, running)) {
            return false;
        }
    }
}

// ---- Task ---------------------------------------------------------------------------------------

// The block named by the task's identification word; ends the task when there is none.
AsInfo* ownAsInfo() {
    uintptr_t word = 0;
    const Error result = GetTaskIdentification(CurrentTask(), &word);
    if (result != Success) {
        TARVO_TRACE(0, kTraceNoIdentification, TraceFormat(kTraceArgText), KernelErrorName(result));
        exitTask(result);
    }
    if (word == 0) {
        TARVO_TRACE(0, kTraceNoAsInfo, TraceFormat());
        exitTask(NULLObjectSpecified);
    }
    return reinterpret_cast<AsInfo*>(word);
}

void countDown(AsInfo* pAsInfo, TaskSums& sums) {
    const uint32_t remaining = pAsInfo->nHealthCountdown.load(std::memory_order_relaxed);
    if (remaining == 0) {
        pAsInfo->nHealthState.store(kChecksumCode, std::memory_order_relaxed);
        pAsInfo->nHealthCountdown.store(kPassCountdown, std::memory_order_relaxed);
        checksumInit(&sums.code);
        checksumInit(&sums.total);
        return;
    }
    pAsInfo->nHealthCountdown.store(remaining - 1, std::memory_order_relaxed);
    basiclib::sleep(1);
}

void checksumCode(AsInfo* pAsInfo, TaskSums& sums) {
    if (!sums.firstPassDone) {
        if (pAsInfo->selfInfo.nMode == kListMode) {
            TARVO_TRACE(0, kTraceListChecksumNext, TraceFormat(kTraceArgText),
                        AsName(pAsInfo).c_str());
            HSmonFilesTxtChecksum(pAsInfo, &sums.list);
        }
        HSmonDirChecksum(pAsInfo, &sums.dir);
        sums.firstPassDone = true;
    }
    checksumUpdate(&sums.code, pAsInfo->pCodeStart, pAsInfo->nCodeLength);
    pAsInfo->nHealthState.store(kFinishPass, std::memory_order_relaxed);
}

uint32_t passTotal(const AsInfo* pAsInfo, const TaskSums& sums) {
    if (pAsInfo->selfInfo.nMode != kListMode) {
        return sums.code;
    }
    uint32_t total = 0;
    checksumInit(&total);
    addChecksum(&total, sums.list);
    addChecksum(&total, sums.code);
    return total;
}

void traceTotal(const AsInfo* pAsInfo, const TaskSums& sums, uint32_t previous) {
    const auto name = AsName(pAsInfo);
    if (sums.total == previous) {
        TARVO_TRACE(0, kTraceTotalUnchanged,
                    TraceFormat(kTraceArgText, kTraceArgInt, kTraceArgInt, kTraceArgInt),
                    name.c_str(), sums.list, sums.code, sums.total);
    } else if (previous != 0) {
        TARVO_TRACE(0, kTraceTotalChanged, TraceFormat(kTraceArgText, kTraceArgInt, kTraceArgInt),
                    name.c_str(), sums.total, previous);
    } else {
        TARVO_TRACE(0, kTraceFirstTotal, TraceFormat(kTraceArgText, kTraceArgInt, kTraceArgInt),
                    name.c_str(), sums.total, 0u);
    }
}

// Publishes the pass: the checksums first, then the pass count that the command loop reads.
void finishPass(AsInfo* pAsInfo, TaskSums& sums) {
    TARVO_TRACE(0, kTracePass, TraceFormat(kTraceArgText, kTraceArgInt, kTraceArgInt),
                AsName(pAsInfo).c_str(),
                static_cast<uint32_t>(reinterpret_cast<uintptr_t>(pAsInfo->pCodeStart)),
                pAsInfo->nCodeLength);
    sums.total = passTotal(pAsInfo, sums);
    traceTotal(pAsInfo, sums, pAsInfo->nHealthTotal.load(std::memory_order_relaxed));
    pAsInfo->nHealthDirSum.store(sums.dir, std::memory_order_relaxed);
    pAsInfo->nHealthTotal.store(sums.total, std::memory_order_relaxed);
    pAsInfo->nHealthPass.store(pAsInfo->nHealthPass.load(std::memory_order_relaxed) + 1,
                               std::memory_order_release);
    pAsInfo->nHealthState.store(kCountdown, std::memory_order_relaxed);
}

}  // namespace

void HSmonStart(AsInfo* pAsInfo) {
    if (pAsInfo == nullptr) {
        Tarvo_AssertFailed("pSelfInfoInt", kSourcePath, kStartAssertLine);
    }
    pAsInfo->nHealthCountdown.store(kFirstCountdown, std::memory_order_relaxed);
    pAsInfo->nHealthState.store(kCountdown, std::memory_order_relaxed);
    Tarvo_CheckFatal(
        createTask(kTaskName, kTaskPriority, kTaskStackSize, HSmonTask, &pAsInfo->hHealthTask),
        pAsInfo);
    Tarvo_CheckFatal(
        SetTaskIdentification(pAsInfo->hHealthTask, reinterpret_cast<uintptr_t>(pAsInfo)), pAsInfo);
    Tarvo_CheckFatal(RunTask(pAsInfo->hHealthTask), pAsInfo);
}

void HSmonTask(void) {
    AsInfo* pAsInfo = ownAsInfo();
    TARVO_TRACE(0, kTraceTaskStarted, TraceFormat(kTraceArgText), AsName(pAsInfo).c_str());
    TaskSums sums;
    for (;;) {
        switch (pAsInfo->nHealthState.load(std::memory_order_relaxed)) {
            case kCountdown:
                countDown(pAsInfo, sums);
                break;
            case kChecksumCode:
                checksumCode(pAsInfo, sums);
                break;
            case kFinishPass:
                finishPass(pAsInfo, sums);
                break;
            default:  // no pass is due
                basiclib::sleep(1);
                break;
        }
    }
}

void HSmonDirChecksum(AsInfo* pAsInfo, uint32_t* pChecksum) {
    checksumInit(pChecksum);
    uint32_t running = 0;
    checksumInit(&running);
    const ParPrefix prefix(pAsInfo->selfInfo.szParPrefix);
    char directory[kDirectorySize];
    if (!parameterDirectory(pAsInfo, directory)) {
        return;
    }
    DIR* dir = opendir(directory);
    if (dir == nullptr) {
        TARVO_TRACE(0, kTraceDirNotOpened, TraceFormat(kTraceArgText), directory);
        return;
    }
    const bool complete = addDirectoryEntries(dir, directory, prefix, &running);
    closedir(dir);
    if (complete) {
        *pChecksum = running;
    }
}

void HSmonFilesTxtChecksum(AsInfo* pAsInfo, uint32_t* pChecksum) {
    const BasePath base(pAsInfo->selfInfo.szBasePath);
    const ParPrefix prefix(pAsInfo->selfInfo.szParPrefix);
    if (base.size() + kListNameRoom >= kPathSize) {
        TARVO_TRACE(0, kTraceBasePathTooLong, TraceFormat(kTraceArgText), base.c_str());
        return;
    }
    TARVO_TRACE(0, kTraceListStart, TraceFormat(kTraceArgText), prefix.c_str());
    checksumInit(pChecksum);
    uint32_t running = 0;
    checksumInit(&running);
    char path[kPathSize];
    std::snprintf(path, sizeof(path), "%s%s", base.c_str(), kListName);
    if (!Tarvo_FilePresent(path)) {
        TARVO_TRACE(0, kTraceListMissing, TraceFormat(kTraceArgText, kTraceArgText), prefix.c_str(),
                    path);
        return;
    }
    std::FILE* list = openRegularFile(path);
    if (list == nullptr) {
        TARVO_TRACE(0, kTraceListNotOpened, TraceFormat(kTraceArgText, kTraceArgText),
                    prefix.c_str(), path);
        return;
    }
    const bool complete = addListedFiles(list, base, prefix, &running);
    std::fclose(list);
    if (!complete) {
        return;
    }
    TARVO_TRACE(0, kTraceListChecksum, TraceFormat(kTraceArgText, kTraceArgInt), prefix.c_str(),
                running);
    *pChecksum = running;
}

int HSmonReport(AsInfo* pAsInfo) {
    if (pAsInfo == nullptr) {
        Tarvo_AssertFailed("pSelfInfoInt", kSourcePath, kReportAssertLine);
    }
    const uint32_t pass = pAsInfo->nHealthPass.load(std::memory_order_acquire);
    if (pAsInfo->nHealthReported == pass) {
        return 0;
    }
    pAsInfo->nHealthReported = pass;
    if (pass == 1) {
        const Error dirResult = Sysmanlib_ReportDirChecksum(
            pAsInfo, pAsInfo->nHealthDirSum.load(std::memory_order_relaxed));
        if (dirResult != Success) {
            TARVO_TRACE(0, kTraceDirReportFailed, TraceFormat(kTraceArgInt), dirResult);
        }
    }
    const Error result =
        Sysmanlib_ReportChecksum(pAsInfo, pAsInfo->nHealthTotal.load(std::memory_order_relaxed));
    if (result != Success) {
        TARVO_TRACE(0, kTraceTotalReportFailed, TraceFormat(kTraceArgInt), result);
    }
    return result;
}

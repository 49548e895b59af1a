// The health monitor's pieces on their own: the parameter-directory checksum, the list checksum
// of "files.txt", the report of a pass and the task's search for its block.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "HealthChecksums.h"
#include "HostFramework.h"
#include "HostKernel.h"
#include "HostTrace.h"
#include "Kernel.h"
#include "ScratchFolder.h"
#include "SysHSmonTrace.h"
#include "Tarvo.h"
#include "libSysHSmon.h"

namespace fs = std::filesystem;

namespace {

constexpr uint32_t kUntouched = 0xA5A5A5A5u;

template <size_t N>
void setField(char (&field)[N], const std::string& text) {
    std::memset(field, 0, N);
    std::memcpy(field, text.data(), std::min(text.size(), N));
}

// A block for the monitor's functions, and a folder of the running test alone that the user a
// test drops to can reach.
class HealthChecksumTest : public ::testing::Test {
  protected:
    void SetUp() override {
        host::resetTraceSettings();
        host::setTraceLevel(15);
        fs::create_directories(base / "par");
        setField(info->selfInfo.szBasePath, base.string() + "/");
        setField(info->selfInfo.szParDir, "par");
        setField(info->selfInfo.szParPrefix, "Demo");
        setField(info->selfInfo.szAsName, "HealthAS");
    }
    void TearDown() override {
        host::resetKernel();  // ends a monitor task a test started before its block goes
        host::resetTraceSettings();
    }

    void write(const fs::path& path, const std::string& contents) const {
        std::ofstream(path, std::ios::binary) << contents;
    }
    uint32_t dirChecksum() {
        uint32_t sum = kUntouched;
        HSmonDirChecksum(info.get(), &sum);
        return sum;
    }
    uint32_t listChecksum() {
        uint32_t sum = kUntouched;
        HSmonFilesTxtChecksum(info.get(), &sum);
        return sum;
    }
    static uint32_t dirChecksumOfOne(const std::string& name, const std::string& contents) {
        return healthtest::dirChecksumOf({{name, contents}});
    }

    std::unique_ptr<AsInfo> info = std::make_unique<AsInfo>();
    const ScratchFolder folder{ScratchFolder::Reach::kDroppedUser};
    const fs::path base = folder.path();
};

// ---- Directory checksum -------------------------------------------------------------------------

TEST_F(HealthChecksumTest, OwnParameterFilesAndSubDirectoriesAreLeftOut) {
    write(base / "par" / "notes.txt", "hello");
    const std::vector<std::string> ownFiles = {
        "Demo.par",     "Demo.bpa",     "Demo.bpc",     "Demo.npf",        "Demo.nbp",
        "Demo.par.spf", "Demo.bpa.spf", "Demo.bpc.spf", "Demo_backup.par", "Demo2.nbp"};
    for (const std::string& name : ownFiles) {
        write(base / "par" / name, "parameters of " + name);
    }
    fs::create_directories(base / "par" / "sub");
    write(base / "par" / "sub" / "inside.txt", "not walked");
    fs::create_directories(base / "par" / "Demo.par.d");  // a directory with an own name
    host::TraceCapture capture;
    EXPECT_EQ(dirChecksum(), dirChecksumOfOne("notes.txt", "hello"));
    const std::vector<host::TraceRecord> files = capture.withId(hsmon::kTraceDirFile);
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0].textArg(0), "Demo");
    EXPECT_EQ(files[0].textArg(1), "notes.txt");
    EXPECT_EQ(static_cast<uint32_t>(files[0].intArg(2)), healthtest::checksumOfText("hello"));
}

TEST_F(HealthChecksumTest, EveryOtherRegularFileCountsByItsNameAndItsContents) {
    // Names that are not the program's own parameter files.
    const char* const names[] = {"Demo.par.bak", "Other.par", "Demo.spf", "demo.par",
                                 "Demo",         "Dem.par",   "files.txt"};
    for (const char* name : names) {
        SCOPED_TRACE(name);
        fs::remove_all(base / "par");
        fs::create_directories(base / "par");
        write(base / "par" / name, "one");
        EXPECT_EQ(dirChecksum(), dirChecksumOfOne(name, "one"));
        write(base / "par" / name, "two");
        EXPECT_EQ(dirChecksum(), dirChecksumOfOne(name, "two")) << "contents count";
    }
    // Two files: each adds its name and checksum, in the order the directory lists them.
    fs::remove_all(base / "par");
    fs::create_directories(base / "par");
    write(base / "par" / "a", "x");
    write(base / "par" / "b", "y");
    const uint32_t sum = dirChecksum();
    EXPECT_TRUE(sum == healthtest::dirChecksumOf({{"a", "x"}, {"b", "y"}}) ||
                sum == healthtest::dirChecksumOf({{"b", "y"}, {"a", "x"}}))
        << sum;
}

TEST_F(HealthChecksumTest, EmptyDirectoryGivesTheInitialValue) {
    EXPECT_EQ(dirChecksum(), 0u);
}

TEST_F(HealthChecksumTest, DirectoryIsFoundWithoutChangingTheWorkingDirectory) {
    write(base / "par" / "notes.txt", "hello");
    // An absolute directory must fit the 32 bytes of its field, whatever the length of TMPDIR:
    // so this one is made right in /tmp, "/tmp/hsXXXXXX".
    const ScratchFolder shortFolder("/tmp", "hs");
    const fs::path shortDir = shortFolder.path();
    ASSERT_LT(shortDir.string().size(), sizeof(info->selfInfo.szParDir));
    write(shortDir / "notes.txt", "hello");
    const fs::path before = fs::current_path();
    const uint32_t expected = dirChecksumOfOne("notes.txt", "hello");
    // Where a change into the base path and then into the directory would lead.
    struct PathCase {
        std::string basePath;
        std::string parDir;
        uint32_t checksum;
    };
    const PathCase cases[] = {
        {base.string() + "/", "par", expected},
        {base.string(), "par", expected},  // a base path without its slash
        {base.string() + "/", "par/", expected},
        {"/", shortDir.string(), expected},  // an absolute directory stands alone
        {base.string() + "/", shortDir.string(), expected},
        {"/nonexistent-base/", shortDir.string(), 0},  // but the base is entered first
    };
    for (const PathCase& c : cases) {
        SCOPED_TRACE(c.basePath + " | " + c.parDir);
        setField(info->selfInfo.szBasePath, c.basePath);
        setField(info->selfInfo.szParDir, c.parDir);
        EXPECT_EQ(dirChecksum(), c.checksum);
        EXPECT_EQ(fs::current_path(), before);
    }
}

TEST_F(HealthChecksumTest, DirectoryThatCannotBeEnteredIsTracedAndGivesTheInitialValue) {
    write(base / "par" / "notes.txt", "hello");
    write(base / "plain", "a file, not a directory");
    struct FailureCase {
        std::string basePath;
        std::string parDir;
        uint32_t traceId;
        std::string tracedPath;
    };
    const std::string root = base.string() + "/";
    const FailureCase cases[] = {
        {root + "missing/", "par", hsmon::kTraceBasePathNotEntered, root + "missing/"},
        {root + "plain", "par", hsmon::kTraceBasePathNotEntered, root + "plain"},
        {"", "par", hsmon::kTraceBasePathNotEntered, ""},
        {root, "absent", hsmon::kTraceParDirNotEntered, root + "absent"},
        {root, "plain", hsmon::kTraceParDirNotEntered, root + "plain"},
        {root, "", hsmon::kTraceParDirNotEntered, root},
    };
    for (const FailureCase& c : cases) {
        SCOPED_TRACE(c.basePath + " | " + c.parDir);
        setField(info->selfInfo.szBasePath, c.basePath);
        setField(info->selfInfo.szParDir, c.parDir);
        host::TraceCapture capture;
        EXPECT_EQ(dirChecksum(), 0u);
        const std::vector<host::TraceRecord> traces = capture.withId(c.traceId);
        ASSERT_EQ(traces.size(), 1u);
        EXPECT_EQ(traces[0].textArg(0), c.tracedPath);
        EXPECT_NE(traces[0].intArg(1), 0) << "the error number";
        EXPECT_FALSE(capture.contains(hsmon::kTraceDirFile));
    }
}

TEST_F(HealthChecksumTest, DirectoryThatMayBeReadButNotSearchedIsNotEntered) {
    write(base / "par" / "notes.txt", "hello");
    fs::permissions(base / "par",
                    fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    // The child reports what it saw; permissions bind only a user other than root.
    EXPECT_EXIT(
        {
            healthtest::dropRootPrivileges();
            host::TraceCapture capture;
            const uint32_t sum = dirChecksum();
            const std::vector<host::TraceRecord> traces =
                capture.withId(hsmon::kTraceParDirNotEntered);
            std::fprintf(stderr, "sum=%u traced=%zu path=%s code=%d files=%d\n", sum, traces.size(),
                         traces.empty() ? "" : traces[0].textArg(0).c_str(),
                         traces.empty() ? 0 : traces[0].intArg(1),
                         capture.contains(hsmon::kTraceDirFile) ? 1 : 0);
            std::exit(0);
        },
        ::testing::ExitedWithCode(0),
        "sum=0 traced=1 path=" + base.string() + "/par code=" + std::to_string(EACCES) +
            " files=0");
    fs::permissions(base / "par", fs::perms::owner_all);
}

TEST_F(HealthChecksumTest, FileChecksumFailingMidwayLeavesTheInitialValue) {
    const std::vector<std::string> names = {"a.txt", "b.txt", "c.txt", "d.txt"};
    for (const std::string& name : names) {
        write(base / "par" / name, "contents of " + name);
    }
    // The file the walk reaches last cannot be read: the others were added before it failed.
    std::vector<std::string> walkOrder;
    for (const fs::directory_entry& entry : fs::directory_iterator(base / "par")) {
        walkOrder.push_back(entry.path().filename().string());
    }
    ASSERT_EQ(walkOrder.size(), names.size());
    fs::permissions(base / "par" / walkOrder.back(), fs::perms::none);
    EXPECT_EXIT(
        {
            healthtest::dropRootPrivileges();
            host::TraceCapture capture;
            const uint32_t sum = dirChecksum();
            const std::vector<host::TraceRecord> failed =
                capture.withId(hsmon::kTraceDirFileFailed);
            std::fprintf(stderr, "sum=%u failed=%zu name=%s added=%zu\n", sum, failed.size(),
                         failed.empty() ? "" : failed[0].textArg(1).c_str(),
                         capture.withId(hsmon::kTraceDirFile).size());
            std::exit(0);
        },
        ::testing::ExitedWithCode(0),
        "sum=0 failed=1 name=" + walkOrder.back() + " added=" + std::to_string(names.size() - 1));
}

TEST_F(HealthChecksumTest, UnterminatedFieldsAreReadWithinTheirBounds) {
    write(base / "par" / "notes.txt", "hello");
    // A prefix that fills its field whole: only the 32 bytes of the field are the prefix.
    std::memset(info->selfInfo.szParPrefix, 'D', sizeof(info->selfInfo.szParPrefix));
    host::TraceCapture capture;
    EXPECT_EQ(dirChecksum(), dirChecksumOfOne("notes.txt", "hello"));
    const std::vector<host::TraceRecord> files = capture.withId(hsmon::kTraceDirFile);
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0].textArg(0), std::string(32, 'D'));
}

// ---- List checksum ("files.txt") ----------------------------------------------------------------

class FilesTxtTest : public HealthChecksumTest {
  protected:
    void SetUp() override {
        HealthChecksumTest::SetUp();
        write(base / "a.bin", "alpha");
        write(base / "b c.bin", "beta");
    }
    // The list checksum of the listed files' contents, in order.
    static uint32_t listChecksumOf(const std::vector<std::string>& contents) {
        std::vector<uint32_t> sums;
        for (const std::string& text : contents) {
            sums.push_back(healthtest::checksumOfText(text));
        }
        return healthtest::checksumOfSums(sums);
    }
    std::string root() const { return base.string() + "/"; }
};

TEST_F(FilesTxtTest, LinesNameFilesAsTheFormatSays) {
    const std::string longComment = "#" + std::string(253, 'y');  // exactly one read
    const std::string overLongComment = "#" + std::string(253, 'x');
    struct LineCase {
        const char* what;
        std::string list;
        std::vector<std::string> listed;  // names the lines give, in order
    };
    const LineCase cases[] = {
        {"one file", "+a.bin\n", {"a.bin"}},
        {"no line end at the end", "+a.bin", {"a.bin"}},
        {"trailing blanks and carriage return cut", "+a.bin   \r\n", {"a.bin"}},
        {"trailing tab, DEL and high bytes cut", "+a.bin\t\x7f\xff\x80\n", {"a.bin"}},
        {"blanks inside the name kept", "+b c.bin\n", {"b c.bin"}},
        {"order of the lines", "+b c.bin\n+a.bin\n", {"b c.bin", "a.bin"}},
        {"a file listed twice counts twice", "+a.bin\n\n+a.bin\r\n", {"a.bin", "a.bin"}},
        {"a line that is only +", "+\n+ \r\n+a.bin\n", {"a.bin"}},
        {"a blank before the +", " +a.bin\n", {}},
        {"lines without +", "a.bin\n# +a.bin\n\n", {}},
        {"empty list", "", {}},
        {"a line of exactly one read", longComment + "\n+a.bin\n", {"a.bin"}},
        {"an over-long line is not split into two",
         overLongComment + "+a.bin\n+b c.bin\n",
         {"b c.bin"}},
        {"blanks beyond one read are trailing", longComment + "    \r\n+a.bin\n", {"a.bin"}},
    };
    for (const LineCase& c : cases) {
        SCOPED_TRACE(c.what);
        write(base / "files.txt", c.list);
        host::TraceCapture capture;
        std::vector<std::string> contents;
        std::vector<std::string> paths;
        for (const std::string& name : c.listed) {
            contents.push_back(name == "a.bin" ? "alpha" : "beta");
            paths.push_back(root() + name);
        }
        EXPECT_EQ(listChecksum(), listChecksumOf(contents));
        std::vector<std::string> traced;
        for (const host::TraceRecord& record : capture.withId(hsmon::kTraceListedFile)) {
            EXPECT_EQ(record.textArg(0), "Demo");
            traced.push_back(record.textArg(1));
        }
        EXPECT_EQ(traced, paths);
        const std::vector<host::TraceRecord> total = capture.withId(hsmon::kTraceListChecksum);
        ASSERT_EQ(total.size(), 1u);
        EXPECT_EQ(static_cast<uint32_t>(total[0].intArg(1)), listChecksumOf(contents));
        ASSERT_EQ(capture.withId(hsmon::kTraceListStart).size(), 1u);
        EXPECT_EQ(capture.withId(hsmon::kTraceListStart)[0].textArg(0), "Demo");
    }
}

TEST_F(FilesTxtTest, FileLineOf254CharactersIsReadAndOneOf255IsTooLong) {
    // A name of 253 or 254 characters fits a path only after an empty base path, which makes the
    // list and its files relative to the working directory.
    const fs::path before = fs::current_path();
    fs::current_path(base);
    setField(info->selfInfo.szBasePath, "");
    const std::string name253(253, 'n');
    const std::string name254(254, 'm');
    write(base / name253, "alpha");
    write(base / name254, "beta");

    write(base / "files.txt", "+" + name253 + "\n");
    host::TraceCapture capture;
    EXPECT_EQ(listChecksum(), listChecksumOf({"alpha"})) << "a line of 254 characters";
    EXPECT_EQ(capture.withId(hsmon::kTraceListedFile).size(), 1u);

    write(base / "files.txt", "+" + name254 + "\n");
    capture.clear();
    EXPECT_EQ(listChecksum(), 0u) << "a line of 255 characters";
    EXPECT_EQ(capture.withId(hsmon::kTraceListedPathTooLong).size(), 1u);
    EXPECT_FALSE(capture.contains(hsmon::kTraceListedFile));
    fs::current_path(before);
}

TEST_F(FilesTxtTest, OnlyTheListedFilesChecksumsCountNotTheirNames) {
    write(base / "other.bin", "alpha");  // same contents as a.bin, another name
    write(base / "files.txt", "+a.bin\n");
    const uint32_t first = listChecksum();
    write(base / "files.txt", "+other.bin\n");
    EXPECT_EQ(listChecksum(), first);
    write(base / "other.bin", "changed");
    EXPECT_NE(listChecksum(), first);
}

TEST_F(FilesTxtTest, StopsLeaveTheChecksumAtItsInitialValue) {
    const healthtest::RealTimeLimit limit(60);
    healthtest::makeFifo(base / "pipe");
    healthtest::makeDeviceLink(base / "zero");
    healthtest::makeLinkLoop(base / "loop");
    const std::string overLongFileLine = "+" + std::string(300, 'n');
    struct StopCase {
        const char* what;
        std::string list;
        uint32_t traceId;
        std::string traced;  // the path argument of the trace
    };
    const StopCase cases[] = {
        {"a listed file is missing", "+a.bin\n+missing.bin\n+b c.bin\n",
         hsmon::kTraceListedFileFailed, root() + "missing.bin"},
        {"a listed name is a directory", "+.\n", hsmon::kTraceListedFileFailed, root() + "."},
        {"a listed FIFO", "+a.bin\n+pipe\n+b c.bin\n", hsmon::kTraceListedFileFailed,
         root() + "pipe"},
        {"a listed link to a device", "+a.bin\n+zero\n", hsmon::kTraceListedFileFailed,
         root() + "zero"},
        {"a listed link loop", "+loop\n", hsmon::kTraceListedFileFailed, root() + "loop"},
        {"a listed name that is too long for the path", "+" + std::string(250, 'n') + "\n",
         hsmon::kTraceListedPathTooLong, root()},
        {"an over-long file line", overLongFileLine + "\n+a.bin\n", hsmon::kTraceListedPathTooLong,
         root()},
    };
    for (const StopCase& c : cases) {
        SCOPED_TRACE(c.what);
        write(base / "files.txt", c.list);
        host::TraceCapture capture;
        EXPECT_EQ(listChecksum(), 0u);
        const std::vector<host::TraceRecord> traces = capture.withId(c.traceId);
        ASSERT_EQ(traces.size(), 1u);
        EXPECT_EQ(traces[0].textArg(traces[0].arguments.size() - 1), c.traced);
        EXPECT_FALSE(capture.contains(hsmon::kTraceListChecksum));
    }
}

TEST_F(FilesTxtTest, MissingListOrUnusableBasePathIsTraced) {
    host::TraceCapture capture;
    EXPECT_EQ(listChecksum(), 0u) << "started, then stopped";
    std::vector<host::TraceRecord> missing = capture.withId(hsmon::kTraceListMissing);
    ASSERT_EQ(missing.size(), 1u);
    EXPECT_EQ(missing[0].textArg(0), "Demo");
    EXPECT_EQ(missing[0].textArg(1), root() + "files.txt");

    fs::create_directories(base / "files.txt");  // a directory is no list
    capture.clear();
    EXPECT_EQ(listChecksum(), 0u);
    EXPECT_TRUE(capture.contains(hsmon::kTraceListMissing));

    fs::remove(base / "files.txt");
    {
        // Nor is a FIFO or a device, which the list's open must neither wait for nor read.
        const healthtest::RealTimeLimit limit(60);
        for (const auto make : {healthtest::makeFifo, healthtest::makeDeviceLink}) {
            make(base / "files.txt");
            capture.clear();
            EXPECT_EQ(listChecksum(), 0u);
            EXPECT_TRUE(capture.contains(hsmon::kTraceListNotOpened));
            EXPECT_FALSE(capture.contains(hsmon::kTraceListChecksum));
            fs::remove(base / "files.txt");
        }
    }

    // A base path that leaves no room for "files.txt" in 256 bytes: nothing is started.
    const std::string longBase(246, 'b');
    setField(info->selfInfo.szBasePath, longBase);
    capture.clear();
    EXPECT_EQ(listChecksum(), kUntouched);
    std::vector<host::TraceRecord> tooLong = capture.withId(hsmon::kTraceBasePathTooLong);
    ASSERT_EQ(tooLong.size(), 1u);
    EXPECT_EQ(tooLong[0].textArg(0), longBase);
    EXPECT_FALSE(capture.contains(hsmon::kTraceListStart));
    setField(info->selfInfo.szBasePath, std::string(245, 'b'));
    capture.clear();
    EXPECT_EQ(listChecksum(), 0u) << "245 characters leave room";
    EXPECT_TRUE(capture.contains(hsmon::kTraceListMissing));
}

// ---- Report -------------------------------------------------------------------------------------

TEST_F(HealthChecksumTest, FailedReportsAreTracedReturnedAndNotRepeated) {
    host::resetKernel();
    info->nHealthPass = 1;  // no link to a system manager: every report fails
    host::TraceCapture capture;
    EXPECT_EQ(HSmonReport(info.get()), NULLObjectSpecified);
    EXPECT_EQ(info->nHealthReported, 1u);
    ASSERT_EQ(capture.withId(hsmon::kTraceDirReportFailed).size(), 1u);
    EXPECT_EQ(capture.withId(hsmon::kTraceDirReportFailed)[0].intArg(0), NULLObjectSpecified);
    ASSERT_EQ(capture.withId(hsmon::kTraceTotalReportFailed).size(), 1u);
    EXPECT_EQ(capture.withId(hsmon::kTraceTotalReportFailed)[0].intArg(0), NULLObjectSpecified);
    capture.clear();
    EXPECT_EQ(HSmonReport(info.get()), 0) << "the pass counts as reported";
    EXPECT_TRUE(capture.records().empty());
}

// ---- The task without its block -----------------------------------------------------------------

TEST_F(HealthChecksumTest, TaskWithoutItsBlockEndsItself) {
    struct IdentificationCase {
        const char* what;
        Error injected;  // failure of the identification query, Success: none
        Error exitCode;
        uint32_t traceId;
    };
    const IdentificationCase cases[] = {
        {"no identification word", Success, NULLObjectSpecified, hsmon::kTraceNoAsInfo},
        {"identification not readable", ObjectIsNotValid, ObjectIsNotValid,
         hsmon::kTraceNoIdentification},
    };
    for (const IdentificationCase& c : cases) {
        SCOPED_TRACE(c.what);
        host::resetKernel();
        host::TraceCapture capture;
        Task task = nullptr;
        ASSERT_EQ(createTask("AsHealthTask", 8, 8192, HSmonTask, &task), Success);
        if (c.injected != Success) {
            host::failNextCall("GetTaskIdentification", c.injected);
        }
        ASSERT_EQ(RunTask(task), Success);
        host::waitForQuiescence();
        host::TaskInfo taskInfo;
        ASSERT_EQ(host::describeTask(task, &taskInfo), Success);
        EXPECT_EQ(taskInfo.state, host::TaskState::Ended);
        EXPECT_EQ(taskInfo.exitCode, c.exitCode);
        const std::vector<host::TraceRecord> traces = capture.withId(c.traceId);
        ASSERT_EQ(traces.size(), 1u);
        if (c.injected != Success) {
            EXPECT_EQ(traces[0].textArg(0), KernelErrorName(c.injected));
        }
        EXPECT_FALSE(capture.contains(hsmon::kTraceTaskStarted));
    }
}

TEST_F(HealthChecksumTest, APublishedPassCarriesItsChecksums) {
    // The command loop's side runs on a task of its own and takes the pass the moment the
    // monitor's task publishes it: the checksums of that pass must already be there.
    host::resetKernel();
    write(base / "par" / "notes.txt", "hello");
    const std::vector<uint8_t> code = {1, 2, 3, 4, 0xEF, 0xBE, 0x0D, 0x60};
    info->pCodeStart = code.data();
    info->nCodeLength = static_cast<uint32_t>(code.size());
    info->nHealthCountdown = 0;  // the first pass at once
    info->nHealthState = 1;
    AsInfo* block = info.get();
    uint32_t seenTotal = 0;
    uint32_t seenDirSum = 0;
    host::spawnTask("CommandLoop", [&] {
        while (block->nHealthPass.load(std::memory_order_acquire) == 0) {
        }
        seenTotal = block->nHealthTotal.load(std::memory_order_relaxed);
        seenDirSum = block->nHealthDirSum.load(std::memory_order_relaxed);
    });
    Task task = nullptr;
    ASSERT_EQ(createTask("AsHealthTask", 8, 8192, HSmonTask, &task), Success);
    ASSERT_EQ(SetTaskIdentification(task, reinterpret_cast<uintptr_t>(block)), Success);
    ASSERT_EQ(RunTask(task), Success);
    host::waitForQuiescence();
    EXPECT_EQ(seenTotal, healthtest::checksumOfBytes(code.data(), code.size()));
    EXPECT_EQ(seenDirSum, dirChecksumOfOne("notes.txt", "hello"));
    EXPECT_EQ(info->nHealthPass.load(), 1u);
}

TEST(HealthAssertionTest, NullBlockIsAFailedAssertion) {
    EXPECT_EXIT(HSmonStart(nullptr), ::testing::ExitedWithCode(host::kFatalExitStatus),
                "pSelfInfoInt \\(libSysman/src/libSysHSmon:427\\)");
    EXPECT_EXIT(HSmonReport(nullptr), ::testing::ExitedWithCode(host::kFatalExitStatus),
                "pSelfInfoInt \\(libSysman/src/libSysHSmon:465\\)");
}

}  // namespace

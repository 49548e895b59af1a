// The health monitor in the running address space: started by RUN, its passes on the virtual
// clock, the totals of each mode, and the reports after the trigger commands.
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>

#include "HealthChecksums.h"
#include "LifeCycleFixture.h"
#include "ScratchFolder.h"
#include "SysHSmonTrace.h"
#include "libSysHSmon.h"

namespace fs = std::filesystem;
using namespace healthtest;
using sim::EventKind;

namespace {

std::chrono::nanoseconds seconds(double value) {
    return std::chrono::nanoseconds(static_cast<int64_t>(value * 1e9));
}

}  // namespace

// The test address space with a small code image of its own (ending in the marker word) in
// place of its program's code, and a base folder of the running test alone.
class HealthMonitorTest : public LifeCycleTest {
  protected:
    void SetUp() override {
        LifeCycleTest::SetUp();
        folder.emplace();
        base = folder->path();
        fs::create_directories(base / "par");
        for (size_t i = 0; i + 4 < code.size(); ++i) {
            code[i] = static_cast<uint8_t>(i * 7 + 1);
        }
        std::memcpy(&code[code.size() - 4], &kCodeEndMarker, 4);
    }
    // A case of a table starts afresh (TearDown, SetUp) in a new folder.
    void TearDown() override {
        LifeCycleTest::TearDown();
        folder.reset();
    }

    sim::SystemManagerOptions options(uint32_t mode) const {
        sim::SystemManagerOptions result;
        result.self.mode = mode;
        result.self.parPrefix = "Test";
        result.self.basePath = base.string() + "/";
        result.self.parDir = "par";
        return result;
    }

    // Start, start-up, the test image as the code range, RUN.
    bool startAndRunWithImage(uint32_t mode = 3) {
        if (!start(options(mode)) || !manager->startUp()) {
            return false;
        }
        block()->pCodeStart = code.data();
        block()->nCodeLength = static_cast<uint32_t>(code.size());
        return manager->run();
    }

    void advance(double secondsToAdvance) { manager->advance(seconds(secondsToAdvance)); }
    bool cycle() { return manager->trigger(40, 1); }
    uint32_t passes() const { return block()->nHealthPass.load(); }
    uint32_t codeChecksum() const { return checksumOfBytes(code.data(), code.size()); }
    static uint32_t dirChecksumOfOne(const std::string& name, const std::string& contents) {
        return dirChecksumOf({{name, contents}});
    }

    void write(const fs::path& path, const std::string& contents) const {
        std::ofstream(path, std::ios::binary) << contents;
    }

    // Values of the reports the system manager received, in order: 'D' directory, 'T' total.
    std::vector<std::pair<char, uint32_t>> reports() const {
        std::vector<std::pair<char, uint32_t>> result;
        for (const sim::Event& event : manager->events()) {
            if (event.kind == EventKind::DirChecksum) {
                result.emplace_back('D', event.value);
            } else if (event.kind == EventKind::Checksum) {
                result.emplace_back('T', event.value);
            }
        }
        return result;
    }

    std::vector<uint8_t> code = std::vector<uint8_t>(64);
    std::optional<ScratchFolder> folder;
    fs::path base;
};

TEST_F(HealthMonitorTest, RunStartsTheTaskThatIdentifiesItsBlock) {
    ASSERT_TRUE(startAndRunWithImage());
    Task healthTask = block()->hHealthTask;
    ASSERT_NE(healthTask, nullptr);
    host::TaskInfo info;
    ASSERT_EQ(host::describeTask(healthTask, &info), Success);
    EXPECT_EQ(info.name, "AsHealthTask");
    EXPECT_EQ(info.priority, 8u);
    EXPECT_EQ(info.stackSize, 8192u);
    EXPECT_EQ(info.identification, reinterpret_cast<uintptr_t>(block()));
    EXPECT_EQ(info.state, host::TaskState::Blocked) << "counting down";
    EXPECT_EQ(block()->nHealthState.load(), 1u);
    EXPECT_EQ(block()->nHealthCountdown.load(), 9u) << "one second asleep";
    ASSERT_TRUE(manager->run()) << "a second RUN";
    EXPECT_EQ(block()->hHealthTask, healthTask) << "starts no second monitor";
}

TEST_F(HealthMonitorTest, FirstPassAfterTenSecondsThenEveryThirty) {
    host::TraceCapture capture;
    ASSERT_TRUE(startAndRunWithImage());
    const struct {
        double advance;
        uint32_t passes;
    } steps[] = {{9.9, 0}, {0.1, 1}, {29.9, 1}, {0.1, 2}, {30.0, 3}, {90.0, 6}};
    for (const auto& step : steps) {
        advance(step.advance);
        EXPECT_EQ(passes(), step.passes) << "at " << host::currentTime().Seconds << " s";
    }
    const std::vector<host::TraceRecord> started = capture.withId(hsmon::kTraceTaskStarted);
    ASSERT_EQ(started.size(), 1u);
    EXPECT_EQ(started[0].textArg(0), "TestAS");
    const std::vector<host::TraceRecord> pass = capture.withId(hsmon::kTracePass);
    ASSERT_EQ(pass.size(), 6u);
    EXPECT_EQ(pass[0].textArg(0), "TestAS");
    EXPECT_EQ(static_cast<uint32_t>(pass[0].intArg(1)),
              static_cast<uint32_t>(reinterpret_cast<uintptr_t>(code.data())));
    EXPECT_EQ(pass[0].intArg(2), 64);
    // Mode 3: "files.txt" is never read.
    EXPECT_EQ(capture.withId(hsmon::kTraceListChecksumNext).size(), 0u) << "mode 3";
}

TEST_F(HealthMonitorTest, TotalOfEachMode) {
    struct ModeCase {
        uint32_t mode;
        bool listPresent;
        bool listRead;  // "files.txt" is read in mode 4 only
    };
    const ModeCase cases[] = {
        {1, true, false}, {3, true, false}, {4, true, true}, {4, false, true}};
    const uint32_t fileSum = checksumOfText("listed contents");
    for (const ModeCase& c : cases) {
        SCOPED_TRACE("mode " + std::to_string(c.mode) + (c.listPresent ? "" : ", no list"));
        write(base / "listed.bin", "listed contents");
        if (c.listPresent) {
            write(base / "files.txt", "+listed.bin\r\n");
        }
        write(base / "par" / "notes.txt", "hello");
        host::TraceCapture capture;
        ASSERT_TRUE(startAndRunWithImage(c.mode));
        advance(10.0);
        ASSERT_EQ(passes(), 1u);
        const uint32_t list = c.listRead && c.listPresent ? checksumOfSums({fileSum}) : 0u;
        const uint32_t total =
            c.mode == 4 ? checksumOfSums({list, codeChecksum()}) : codeChecksum();
        EXPECT_EQ(block()->nHealthTotal.load(), total);
        EXPECT_EQ(block()->nHealthDirSum.load(), dirChecksumOfOne("notes.txt", "hello"));
        EXPECT_EQ(capture.contains(hsmon::kTraceListChecksumNext), c.listRead);
        EXPECT_EQ(capture.contains(hsmon::kTraceListStart), c.listRead);
        EXPECT_EQ(capture.contains(hsmon::kTraceListMissing), c.listRead && !c.listPresent);
        const std::vector<host::TraceRecord> first = capture.withId(hsmon::kTraceFirstTotal);
        ASSERT_EQ(first.size(), 1u);
        EXPECT_EQ(first[0].textArg(0), "TestAS");
        EXPECT_EQ(static_cast<uint32_t>(first[0].intArg(1)), total);
        EXPECT_EQ(first[0].intArg(2), 0);
        // The next pass reads no file again and comes to the same total.
        capture.clear();
        advance(30.0);
        ASSERT_EQ(passes(), 2u);
        EXPECT_FALSE(capture.contains(hsmon::kTraceListStart));
        EXPECT_FALSE(capture.contains(hsmon::kTraceDirFile));
        const std::vector<host::TraceRecord> same = capture.withId(hsmon::kTraceTotalUnchanged);
        ASSERT_EQ(same.size(), 1u);
        EXPECT_EQ(same[0].textArg(0), "TestAS");
        EXPECT_EQ(static_cast<uint32_t>(same[0].intArg(1)), list);
        EXPECT_EQ(static_cast<uint32_t>(same[0].intArg(2)), codeChecksum());
        EXPECT_EQ(static_cast<uint32_t>(same[0].intArg(3)), total);
        TearDown();
        SetUp();
    }
}

TEST_F(HealthMonitorTest, FilesChangedAfterTheFirstPassAreNotSeen) {
    write(base / "par" / "notes.txt", "hello");
    ASSERT_TRUE(startAndRunWithImage());
    advance(10.0);
    const uint32_t dirSum = block()->nHealthDirSum.load();
    EXPECT_EQ(dirSum, dirChecksumOfOne("notes.txt", "hello"));
    write(base / "par" / "notes.txt", "changed");
    write(base / "par" / "more.txt", "added");
    advance(30.0);
    ASSERT_EQ(passes(), 2u);
    EXPECT_EQ(block()->nHealthDirSum.load(), dirSum) << "the directory is read once";
}

TEST_F(HealthMonitorTest, EachCycleTriggerReportsANewPassOnce) {
    write(base / "par" / "notes.txt", "hello");
    const uint32_t dirSum = dirChecksumOfOne("notes.txt", "hello");
    for (uint32_t command : {40u, 48u, 51u}) {
        SCOPED_TRACE(command);
        ASSERT_TRUE(startAndRunWithImage());
        ASSERT_TRUE(manager->trigger(command, 1));
        EXPECT_TRUE(reports().empty()) << "no pass has ended yet";
        advance(10.0);
        ASSERT_TRUE(manager->trigger(command, 1));
        const std::vector<std::pair<char, uint32_t>> first = {{'D', dirSum}, {'T', codeChecksum()}};
        EXPECT_EQ(reports(), first);
        ASSERT_TRUE(manager->trigger(command, 1));
        EXPECT_EQ(reports(), first) << "a pass is reported once";
        TearDown();
        SetUp();
        write(base / "par" / "notes.txt", "hello");
    }
}

TEST_F(HealthMonitorTest, OtherCommandsReportNothing) {
    ASSERT_TRUE(startAndRunWithImage());
    advance(10.0);
    ASSERT_TRUE(manager->trigger(43, 0));  // process
    ASSERT_TRUE(manager->trigger(40, 2));  // sub-code 2
    ASSERT_TRUE(manager->trigger(48, 0));  // sub-code 0
    ASSERT_TRUE(manager->trigger(42, 1));  // flag word
    ASSERT_TRUE(manager->trigger(50, 1));
    EXPECT_TRUE(reports().empty());
    ASSERT_TRUE(cycle());
    EXPECT_EQ(reports().size(), 2u) << "the pass waited for the next cycle trigger";
}

TEST_F(HealthMonitorTest, DirectoryChecksumOnlyWithTheFirstPassesReport) {
    write(base / "par" / "notes.txt", "hello");
    ASSERT_TRUE(startAndRunWithImage());
    advance(10.0);
    ASSERT_TRUE(cycle());
    advance(30.0);
    ASSERT_TRUE(cycle());
    const uint32_t dirSum = dirChecksumOfOne("notes.txt", "hello");
    EXPECT_EQ(reports(), (std::vector<std::pair<char, uint32_t>>{
                             {'D', dirSum}, {'T', codeChecksum()}, {'T', codeChecksum()}}));

    // When the first report comes only after the second pass, the directory is never reported.
    TearDown();
    SetUp();
    write(base / "par" / "notes.txt", "hello");
    ASSERT_TRUE(startAndRunWithImage());
    advance(40.0);
    ASSERT_EQ(passes(), 2u);
    ASSERT_TRUE(cycle());
    advance(30.0);
    ASSERT_TRUE(cycle());
    EXPECT_EQ(reports(), (std::vector<std::pair<char, uint32_t>>{{'T', codeChecksum()},
                                                                 {'T', codeChecksum()}}));
}

TEST_F(HealthMonitorTest, ChangedCodeIsTracedAndReportedAtTheNextTrigger) {
    host::TraceCapture capture;
    ASSERT_TRUE(startAndRunWithImage());
    advance(10.0);
    ASSERT_TRUE(cycle());
    const uint32_t before = codeChecksum();
    code[5] ^= 0x40;  // the task sleeps: it reads the image again only in its next pass
    const uint32_t after = codeChecksum();
    ASSERT_NE(before, after);
    advance(29.0);
    ASSERT_TRUE(cycle());
    EXPECT_EQ(reports().back(), std::make_pair('T', before)) << "no new pass yet";
    EXPECT_EQ(reports().size(), 2u);
    advance(1.0);
    const std::vector<host::TraceRecord> changed = capture.withId(hsmon::kTraceTotalChanged);
    ASSERT_EQ(changed.size(), 1u);
    EXPECT_EQ(changed[0].textArg(0), "TestAS");
    EXPECT_EQ(static_cast<uint32_t>(changed[0].intArg(1)), after);
    EXPECT_EQ(static_cast<uint32_t>(changed[0].intArg(2)), before);
    EXPECT_FALSE(capture.contains(hsmon::kTraceTotalUnchanged));
    ASSERT_TRUE(cycle());
    EXPECT_EQ(reports(),
              (std::vector<std::pair<char, uint32_t>>{{'D', 0}, {'T', before}, {'T', after}}));
}

TEST_F(HealthMonitorTest, ShutdownHaltsTheMonitor) {
    ASSERT_TRUE(startAndRunWithImage());
    advance(10.0);
    ASSERT_EQ(passes(), 1u);
    ASSERT_TRUE(manager->shutdown());
    advance(120.0);
    EXPECT_EQ(passes(), 1u);
    host::TaskInfo info;
    ASSERT_EQ(host::describeTask(block()->hHealthTask, &info), Success);
    EXPECT_EQ(info.state, host::TaskState::Halted);
    EXPECT_FALSE(manager->stopped());
}

TEST_F(HealthMonitorTest, WithoutCodeRangeNoMonitorRuns) {
    ASSERT_TRUE(startWith([] { SysManStartWithHooks(&sim::testHooks(), sim::testStartTable()); }));
    ASSERT_TRUE(manager->startUp() && manager->run());
    EXPECT_EQ(block()->pCodeStart, nullptr);
    EXPECT_EQ(block()->hHealthTask, nullptr);
    advance(60.0);
    ASSERT_TRUE(cycle());
    EXPECT_TRUE(reports().empty());
    ASSERT_TRUE(manager->shutdown()) << "the shutdown goes on without a monitor";
}

TEST_F(HealthMonitorTest, FailedTaskCreationStopsTheAddressSpace) {
    ASSERT_TRUE(start(options(3)) && manager->startUp());
    block()->pCodeStart = code.data();
    block()->nCodeLength = static_cast<uint32_t>(code.size());
    host::failNextCall("createTask", ResourceNotAvailable);
    EXPECT_FALSE(manager->run());
    ASSERT_EQ(stops().size(), 1u);
    EXPECT_EQ(stops()[0].value, static_cast<uint32_t>(ResourceNotAvailable));
}

TEST_F(HealthMonitorTest, TestProgramsOwnCodeRangeIsChecksummed) {
    ASSERT_TRUE(start(options(3)) && manager->startUp() && manager->run());
    const void* codeStart = nullptr;
    const void* codeEnd = nullptr;
    ASSERT_EQ(Tarvo_GetCodeRange(&codeStart, &codeEnd), Success);
    ASSERT_EQ(block()->pCodeStart, codeStart);
    advance(10.0);
    ASSERT_TRUE(cycle());
    const uint32_t expected = checksumOfBytes(codeStart, block()->nCodeLength);
    EXPECT_EQ(reports().back(), std::make_pair('T', expected));
}

// "param.new": found in the parameter state, removed after RUN.
#include <filesystem>
#include <fstream>

#include "LifeCycleFixture.h"
#include "ScratchFolder.h"
#include "SysManTrace.h"

namespace fs = std::filesystem;

class ParamNewTest : public LifeCycleTest {
  protected:
    void SetUp() override {
        LifeCycleTest::SetUp();
        fs::create_directories(base / "par");
    }

    sim::SystemManagerOptions options() const {
        sim::SystemManagerOptions result;
        result.self.basePath = base.string() + "/";
        result.self.parDir = "par";
        result.self.parText = "Parameters of TestAS";
        return result;
    }
    fs::path paramNew() const { return base / "par" / "param.new"; }

    const ScratchFolder folder;
    const fs::path base = folder.path();
};

TEST_F(ParamNewTest, FoundInStateSeventeenAndRemovedAfterRun) {
    host::TraceCapture capture;
    std::ofstream(paramNew()) << "new";
    ASSERT_TRUE(start(options()) && manager->startUp());
    EXPECT_EQ(block()->bParamNew, 1u);
    std::vector<host::TraceRecord> found = capture.withId(sysman::kTraceParamNewFound);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].textArg(0), "Parameters of TestAS");
    EXPECT_TRUE(fs::exists(paramNew())) << "kept until RUN";
    ASSERT_TRUE(manager->run());
    EXPECT_FALSE(fs::exists(paramNew()));
    EXPECT_EQ(block()->bParamNew, 0u);
    std::vector<host::TraceRecord> removed = capture.withId(sysman::kTraceParamNewRemoved);
    ASSERT_EQ(removed.size(), 1u);
    EXPECT_EQ(removed[0].textArg(0), "Parameters of TestAS");
}

TEST_F(ParamNewTest, AbsentFileSetsNothing) {
    host::TraceCapture capture;
    ASSERT_TRUE(start(options()) && manager->startUp() && manager->run());
    EXPECT_EQ(block()->bParamNew, 0u);
    EXPECT_FALSE(capture.contains(sysman::kTraceParamNewFound));
    EXPECT_FALSE(capture.contains(sysman::kTraceParamNewNotRemoved));
}

TEST_F(ParamNewTest, FailedRemovalIsTracedAndTriedAgainOnTheNextRun) {
    host::TraceCapture capture;
    std::ofstream(paramNew()) << "new";
    ASSERT_TRUE(start(options()) && manager->startUp());
    ASSERT_EQ(block()->bParamNew, 1u);
    fs::remove(paramNew());
    fs::create_directories(paramNew() / "inside");  // a non-empty directory cannot be removed
    ASSERT_TRUE(manager->run());
    EXPECT_EQ(block()->bParamNew, 1u);
    ASSERT_TRUE(manager->run());
    std::vector<host::TraceRecord> failed = capture.withId(sysman::kTraceParamNewNotRemoved);
    ASSERT_EQ(failed.size(), 2u);
    EXPECT_EQ(failed[0].textArg(0), paramNew().string());
    EXPECT_EQ(failed[0].textArg(1), "Parameters of TestAS");
}

TEST_F(ParamNewTest, PathThatDoesNotFitIsTracedAndNeitherTestedNorRemoved) {
    host::TraceCapture capture;
    sim::SystemManagerOptions settings = options();
    // With "par/param.new" a base path of 251 characters exceeds the path's 256 bytes; cut to
    // them the path would name another file.
    const std::string longBase = base.string() + "/" + std::string(250 - base.string().size(), 'd');
    ASSERT_EQ(longBase.size(), 251u);
    settings.self.basePath = longBase;
    ASSERT_TRUE(start(settings) && manager->startUp() && manager->run());
    EXPECT_EQ(block()->bParamNew, 0u);
    EXPECT_FALSE(capture.contains(sysman::kTraceParamNewFound));
    std::vector<host::TraceRecord> traces = capture.withId(sysman::kTraceParamNewPathTooLong);
    ASSERT_EQ(traces.size(), 1u);
    EXPECT_EQ(traces[0].textArg(0), "TestAS");
    EXPECT_EQ(traces[0].intArg(1), 264) << "the length the path needs";
}

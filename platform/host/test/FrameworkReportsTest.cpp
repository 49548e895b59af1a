#include "FrameworkTestSupport.h"
#include "HostTrace.h"
#include "Kernel.h"

namespace {

using frameworktest::makeAsInfo;
using ReportsTest = frameworktest::FrameworkTest;

TEST_F(ReportsTest, CodeZeroIsNotReported) {
    Tarvo_ReportError(0, nullptr);
    EXPECT_TRUE(host::reports().empty());
}

TEST_F(ReportsTest, ReportCarriesCodeNameAndPhaseAndIsTraced) {
    host::TraceCapture capture;
    auto block = makeAsInfo("Vesk");
    Tarvo_SetPhase("Vesk FbDO");
    Tarvo_ReportError(216, block.get());
    Tarvo_ReportError(11, block.get());

    auto logged = host::reports();
    ASSERT_EQ(logged.size(), 2u);
    EXPECT_EQ(logged[0].code, 216);
    EXPECT_EQ(logged[0].asName, "Vesk");
    EXPECT_EQ(logged[0].phase, "Vesk FbDO");
    EXPECT_EQ(logged[1].code, 11);

    auto traced = capture.withId(host::kTraceReport);
    ASSERT_EQ(traced.size(), 2u);
    EXPECT_EQ(traced[0].textArg(0), "Vesk");
    EXPECT_EQ(traced[0].intArg(1), 216);
    EXPECT_EQ(traced[0].textArg(2), "ServiceNotAvailable");
}

TEST_F(ReportsTest, ReportWithoutBlockNamesTheRegisteredOne) {
    auto block = makeAsInfo("Calorant");
    Tarvo_ReportError(5, nullptr);
    ASSERT_EQ(Sysmanlib_AsInfo_Register(block.get()), Success);
    Tarvo_ReportError(6, nullptr);
    auto logged = host::reports();
    ASSERT_EQ(logged.size(), 2u);
    EXPECT_EQ(logged[0].asName, "");
    EXPECT_EQ(logged[1].asName, "Calorant");
}

TEST_F(ReportsTest, FatalReportIsLoggedAndReturns) {
    Tarvo_FatalReport("unknown AS", "File magic mismatch", "src/Veskmain");
    Tarvo_FatalReport(nullptr, nullptr, nullptr);
    auto logged = host::fatalReports();
    ASSERT_EQ(logged.size(), 2u);
    EXPECT_EQ(logged[0].asName, "unknown AS");
    EXPECT_EQ(logged[0].text, "File magic mismatch");
    EXPECT_EQ(logged[0].sourcePath, "src/Veskmain");
    EXPECT_EQ(logged[1].asName, "");
    EXPECT_TRUE(host::fatalStops().empty());
}

TEST_F(ReportsTest, PhasesAreKeptInOrder) {
    EXPECT_EQ(host::currentPhase(), "");
    Tarvo_SetPhase("Calorant Main");
    Tarvo_SetPhase("Calorant Initialize");
    Tarvo_SetPhase(nullptr);
    EXPECT_EQ(host::phases(),
              (std::vector<std::string>{"Calorant Main", "Calorant Initialize", ""}));
    EXPECT_EQ(host::currentPhase(), "");
}

TEST_F(ReportsTest, ErrorTextNamesKernelAndFrameworkCodes) {
    struct Case {
        int32_t code;
        std::string text;
    };
    const Case cases[] = {
        {Success, "Success"},
        {NULLObjectSpecified, "NULLObjectSpecified"},
        {ServiceNotAvailable, "ServiceNotAvailable"},
        {TarvoAccessDenied, "AccessDenied"},
        {-12345, KernelErrorName(-12345)},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Tarvo_ErrorText(c.code), c.text) << c.code;
    }
}

}  // namespace

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <functional>
#include <string>

#include "FrameworkTestSupport.h"
#include "HostKernel.h"
#include "Kernel.h"
#include "ScratchFolder.h"

namespace {

TEST(FilesTest, FileExistsForFilesOnly) {
    const ScratchFolder folder;
    const std::string path = folder.pathOf("param.new");
    EXPECT_EQ(Tarvo_FileExists(path.c_str()), 0);
    EXPECT_EQ(Tarvo_FilePresent(path.c_str()), 0);
    std::ofstream(path) << "";
    EXPECT_NE(Tarvo_FileExists(path.c_str()), 0);
    EXPECT_NE(Tarvo_FilePresent(path.c_str()), 0);
    std::remove(path.c_str());
    EXPECT_EQ(Tarvo_FileExists(folder.path().c_str()), 0);  // a directory
    EXPECT_EQ(Tarvo_FileExists(nullptr), 0);
}

TEST(FilesTest, CompareNComparesThePrefix) {
    EXPECT_EQ(Tarvo_CompareN("VeskPar.par", "VeskPar", 7), 0);
    EXPECT_NE(Tarvo_CompareN("VeskPa", "VeskPar", 7), 0);
    EXPECT_LT(Tarvo_CompareN("Vesk_A", "Vesk_B", 6), 0);
    EXPECT_EQ(Tarvo_CompareN("anything", "other", 0), 0);
    EXPECT_EQ(Tarvo_CompareN(nullptr, "", 4), 0);
    EXPECT_NE(Tarvo_CompareN(nullptr, "V", 1), 0);
}

TEST(FilesTest, FileHasExtensionMatchesTheEndOfTheName) {
    struct Case {
        const char* name;
        const char* extension;
        bool has;
    };
    const Case cases[] = {
        {".par", ".par", true},       {"_01.par", ".par", true},    {".par.spf", ".par.spf", true},
        {".par.spf", ".par", false},  {".PAR", ".par", false},      {".pa", ".par", false},
        {"x.bpa", ".bpa.spf", false}, {"data.npf", ".npf", true},   {"name", "", false},
        {nullptr, ".par", false},     {"name.par", nullptr, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(fileHasExtension(c.name, c.extension) == 0, c.has)
            << (c.name ? c.name : "null") << " " << (c.extension ? c.extension : "null");
    }
}

}  // namespace

namespace {

// The basic library's file calls do what the C library's do, sync included, and an injected
// failure fails the one call without effect, leaving the chosen errno.
TEST(BasicFilesTest, InjectedFailuresLeaveTheirErrnoAndNoEffect) {
    const ScratchFolder folder;
    const std::string path = folder.pathOf("basic.bin");
    std::FILE* out = basiclib::fopen(path.c_str(), "wb");
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(basiclib::fwrite("abc", 1, 3, out), 3u);
    EXPECT_EQ(basiclib::fflush(out), 0);
    EXPECT_EQ(basiclib::fsync(out), 0);
    host::failNextFileCall("fsync", EIO);
    EXPECT_EQ(basiclib::fsync(out), -1);
    EXPECT_EQ(errno, EIO);
    EXPECT_EQ(basiclib::fclose(out), 0);
    EXPECT_EQ(basiclib::syncDirectory(folder.path().c_str()), 0);
    host::failNextFileCall("syncDirectory", EACCES);
    EXPECT_EQ(basiclib::syncDirectory(folder.path().c_str()), -1);
    EXPECT_EQ(errno, EACCES);

    host::failNextFileCall("fopen", EMFILE);
    EXPECT_EQ(basiclib::fopen(path.c_str(), "rb"), nullptr);
    EXPECT_EQ(errno, EMFILE);
    std::FILE* in = basiclib::fopen(path.c_str(), "rb");
    ASSERT_NE(in, nullptr);
    char bytes[4] = {};
    host::failNextFileCall("fread", ENFILE);
    EXPECT_EQ(basiclib::fread(bytes, 1, 4, in), 0u);
    EXPECT_EQ(errno, ENFILE);
    EXPECT_EQ(std::feof(in), 0);  // a read error, not a short file
    EXPECT_EQ(basiclib::fread(bytes, 1, 4, in), 3u);
    EXPECT_NE(std::feof(in), 0);
    EXPECT_EQ(std::string(bytes, 3), "abc");
    std::fclose(in);

    host::failNextFileCall("remove", EBUSY);
    EXPECT_NE(basiclib::remove(path.c_str()), 0);
    EXPECT_EQ(errno, EBUSY);
    EXPECT_EQ(basiclib::remove(path.c_str()), 0);
    EXPECT_NE(basiclib::remove(path.c_str()), 0);
    EXPECT_EQ(errno, ENOENT);
}

// A file-call failure left pending goes with everything it carries, its errno included, when
// the kernel is reset or another failure replaces it: a later failure without a chosen errno
// leaves EIO.
TEST(BasicFilesTest, APendingFailureGoesWithItsErrno) {
    const ScratchFolder folder;
    const std::string path = folder.pathOf("pending.bin");
    std::ofstream(path) << "x";
    const std::function<void()> drops[] = {
        [] { host::resetKernel(); },
        [] { host::failNextCall("fopen", IllegalParameter); },
    };
    for (const auto& drop : drops) {
        host::failNextFileCall("fopen", EMFILE);
        drop();
        host::failNextCall("fopen", IllegalParameter);
        errno = 0;
        EXPECT_EQ(basiclib::fopen(path.c_str(), "rb"), nullptr);
        EXPECT_EQ(errno, EIO);
        std::FILE* file = basiclib::fopen(path.c_str(), "rb");
        ASSERT_NE(file, nullptr);
        std::fclose(file);
    }
}

// A failure injected after a count of calls lets that many succeed first.
TEST(BasicFilesTest, AFailureAfterSkippedCallsHitsTheLaterCall) {
    const ScratchFolder folder;
    const std::string path = folder.pathOf("skipped.bin");
    host::failCallAfter("fopen", 1, IllegalParameter);
    std::FILE* first = basiclib::fopen(path.c_str(), "wb");
    ASSERT_NE(first, nullptr);
    std::fclose(first);
    EXPECT_EQ(basiclib::fopen(path.c_str(), "rb"), nullptr);
    std::FILE* third = basiclib::fopen(path.c_str(), "rb");
    ASSERT_NE(third, nullptr);
    std::fclose(third);
}

}  // namespace

// The whole-file write of the data-set file clearing a stale temporary of nested directories:
// up to its depth bound it clears them, a deeper tree fails that write at once with a trace,
// and no clearing, done or failed, keeps a directory open.
#include "DataSetFile.h"

#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "FileBytes.h"
#include "HostKernel.h"
#include "HostTrace.h"
#include "ScratchDirectory.h"

namespace {

using Bytes = FileBytes::Bytes;

constexpr const char* kFile = "data.bin";
constexpr const char* kTemporary = "data.bin.new";
// Trace file 3, point 13, level 4: a stale temporary too deep to clear, with its path.
constexpr uint32_t kTooDeepTrace = 0x300d4;

class DataSetFileTest : public ::testing::Test, protected FileBytes {
  protected:
    DataSetFileTest() { host::setTraceLevel(4); }
    ~DataSetFileTest() override { host::resetTraceSettings(); }

    // Writes `bytes` as the data-set file; "" when it was written, else the failure's text.
    static std::string save(const Bytes& bytes) {
        try {
            EXPECT_EQ(data_set_file::writeAtomically(kFile, bytes.data(), bytes.size()), "");
            return std::string();
        } catch (const std::runtime_error& error) {
            return error.what();
        }
    }

    // Lays `levels` directories nested in one another at the temporary name, each holding a
    // file; gives the path of the deepest directory.
    static std::string makeNested(int levels) {
        std::string path = kTemporary;
        for (int level = 1; level <= levels; ++level) {
            EXPECT_EQ(mkdir(path.c_str(), 0700), 0) << path;
            write(path + "/x", {1});
            if (level < levels) {
                path += "/d";
            }
        }
        return path;
    }

    // Removes the temporary with all it holds, never following a link.
    static void removeTemporary() {
        std::error_code ignored;
        std::filesystem::remove_all(kTemporary, ignored);
        EXPECT_FALSE(exists(kTemporary));
    }

    // The count of descriptors the process holds open (the listing's own is always one).
    static size_t openDescriptors() {
        DIR* listing = opendir("/proc/self/fd");
        EXPECT_NE(listing, nullptr);
        size_t count = 0;
        while (listing != nullptr && readdir(listing) != nullptr) {
            ++count;
        }
        if (listing != nullptr) {
            closedir(listing);
        }
        return count;
    }

    ScratchDirectory scratch;
};

// A stale temporary of directories nested up to four deep (the temporary itself the first) is
// cleared and the save succeeds; one a level deeper fails the save at once, traced with the
// temporary's path, with the previous file whole and the deepest directory still there.
TEST_F(DataSetFileTest, AStaleTemporaryIsClearedUpToFourNestedDirectories) {
    const Bytes previous = {1, 2, 3};
    const Bytes next = {4, 5, 6, 7};
    struct Case {
        int levels;
        bool cleared;
    };
    const std::vector<Case> cases = {{1, true}, {2, true}, {4, true}, {5, false}, {40, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.levels);
        removeTemporary();
        write(kFile, previous);
        const std::string deepest = makeNested(c.levels);
        host::TraceCapture traces;
        const std::string failure = save(next);
        if (c.cleared) {
            EXPECT_EQ(failure, "");
            EXPECT_EQ(read(kFile), next);
            EXPECT_FALSE(exists(kTemporary));
            EXPECT_FALSE(traces.contains(kTooDeepTrace));
            continue;
        }
        EXPECT_NE(failure.find("clear stale " + std::string(kTemporary) +
                               ": directories nested deeper than 4"),
                  std::string::npos)
            << failure;
        EXPECT_EQ(read(kFile), previous);
        EXPECT_TRUE(exists(deepest));
        const std::vector<host::TraceRecord> traced = traces.withId(kTooDeepTrace);
        ASSERT_EQ(traced.size(), 1u);
        EXPECT_EQ(traced[0].textArg(0), kTemporary);
    }
}

// Every clearing closes every directory it opened, whether it cleared the temporary, failed on
// an entry that could not be removed or met a tree too deep: many clearings leave the count of
// open descriptors as it was.
TEST_F(DataSetFileTest, NoClearingKeepsADirectoryOpen) {
    struct Case {
        const char* name;
        int levels;
        bool removalFails;
    };
    const std::vector<Case> cases = {
        {"cleared", 3, false},
        {"an entry not removed", 3, true},
        {"too deep", 6, false},
    };
    constexpr int kClearings = 20;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        removeTemporary();
        const size_t before = openDescriptors();
        for (int clearing = 0; clearing < kClearings; ++clearing) {
            if (!exists(kTemporary)) {
                makeNested(c.levels);
            }
            if (c.removalFails) {
                host::failNextFileCall("unlinkat", EACCES);
            }
            const bool failed = !save({1}).empty();
            EXPECT_EQ(failed, c.removalFails || c.levels > 4);
        }
        EXPECT_EQ(openDescriptors(), before);
    }
}

}  // namespace

#include <cstdio>
#include <fstream>
#include <string>

#include "FrameworkTestSupport.h"
#include "TempPath.h"

namespace {

TEST(FilesTest, FileExistsForFilesOnly) {
    const std::string path = testTempPath("framework_param.new");
    std::remove(path.c_str());
    EXPECT_EQ(Tarvo_FileExists(path.c_str()), 0);
    EXPECT_EQ(Tarvo_FilePresent(path.c_str()), 0);
    std::ofstream(path) << "";
    EXPECT_NE(Tarvo_FileExists(path.c_str()), 0);
    EXPECT_NE(Tarvo_FilePresent(path.c_str()), 0);
    std::remove(path.c_str());
    EXPECT_EQ(Tarvo_FileExists(::testing::TempDir().c_str()), 0);  // a directory
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

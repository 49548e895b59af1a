// Set-up failures when the object, a group or a line cannot be allocated: each is traced, the
// whole set-up is dropped and nothing is stored in the tree. The non-throwing allocation that
// the set-up uses for these is replaced here so that one chosen call can fail.
#include <gtest/gtest.h>

#include <ostream>

#include <cstddef>
#include <new>

#include "HostTrace.h"
#include "PPTestTree.h"
#include "TarvoTrace.h"
#include "ZUB_Preprocessing.h"

namespace {

// Number of non-throwing allocations still to succeed before one fails; negative: none fails.
int allocationsBeforeFailure = -1;

}  // namespace

void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    if (allocationsBeforeFailure == 0) {
        allocationsBeforeFailure = -1;
        return nullptr;
    }
    if (allocationsBeforeFailure > 0) {
        --allocationsBeforeFailure;
    }
    try {
        return ::operator new(size);
    } catch (...) {
        return nullptr;
    }
}

void operator delete(void* block, const std::nothrow_t&) noexcept {
    ::operator delete(block);
}

namespace {

struct FailureCase {
    const char* title;
    const char* fixture;
    int32_t first;
    uint32_t second;
    int succeedingAllocations;
    uint32_t expectedTraces[2];
};

// Names the case in test output.
void PrintTo(const FailureCase& c, std::ostream* os) {
    *os << c.title;
}

class CreateAllocationFailure : public ::testing::TestWithParam<FailureCase> {};

TEST_P(CreateAllocationFailure, NothingIsStored) {
    const FailureCase& c = GetParam();
    pptest::PPTestTree tree(c.fixture);
    host::TraceCapture capture;
    allocationsBeforeFailure = c.succeedingAllocations;
    EXPECT_EQ(1, CreatePreprocessing(tree.tree(), c.first, c.second)) << c.title;
    allocationsBeforeFailure = -1;
    EXPECT_EQ(nullptr, tree.tree()->GetPreprocessing()) << c.title;
    for (uint32_t id : c.expectedTraces) {
        EXPECT_TRUE(capture.contains(id)) << c.title << std::hex << ", trace 0x" << id;
    }
    EXPECT_EQ(0, CreatePreprocessing(tree.tree(), c.first, c.second)) << "a later call succeeds";
}

// Allocation order: the object, then per PP node its group and its line, then per group node
// its group and each of its lines.
INSTANTIATE_TEST_SUITE_P(
    Allocations, CreateAllocationFailure,
    ::testing::Values(
        FailureCase{
            "object", "calorant-tree.json", 3, 4, 0, {TraceId(0x7a, 7, 1), TraceId(0x7a, 7, 1)}},
        FailureCase{"group of a PP node",
                    "calorant-tree.json",
                    3,
                    4,
                    1,
                    {TraceId(0x7b, 2, 3), TraceId(0x7a, 9, 3)}},
        FailureCase{"line of a PP node",
                    "calorant-tree.json",
                    3,
                    4,
                    2,
                    {TraceId(0x7c, 7, 3), TraceId(0x7b, 3, 3)}},
        FailureCase{"group of a group node",
                    "calorant-tree.json",
                    -1,
                    4,
                    1,
                    {TraceId(0x7b, 6, 3), TraceId(0x7b, 11, 3)}},
        FailureCase{"line of a group node",
                    "calorant-tree.json",
                    -1,
                    4,
                    3,
                    {TraceId(0x7c, 10, 3), TraceId(0x7a, 12, 3)}},
        FailureCase{"line of the one group node",
                    "vesk-tree.json",
                    -1,
                    3,
                    2,
                    {TraceId(0x7c, 10, 3), TraceId(0x7a, 11, 3)}}));

}  // namespace

// Long-running loops stay in bounded memory: programs that drop what they
// make run well past a million iterations, and the bytes the memory record
// has taken from the system, sampled before every collection, stay small. A
// loop that keeps what it makes keeps all of it.
#include <climits>
#include <cstring>
#include <string>

#include "boot/boot-load.h"
#include "runtime/actions/dispatch.h"
#include "runtime/datatypes/string/string.h"
#include "runtime/interpreter/interp.h"
#include "runtime/lexer/lexer.h"
#include "runtime/memory/collector-hook.h"
#include "runtime/memory/series-memory-internal.h"
#include "runtime/stack/exits.h"
#include "tests/unit/collector_test_support.h"

using namespace xel;
using namespace xel::test;

namespace {

uint32_t g_peak;

void sample_then_collect() {
    if (g_memory.os_bytes > g_peak) g_peak = g_memory.os_bytes;
    collector_collect();
}

class LongRun : public CollectorFixture {
  protected:
    void SetUp() override {
        CollectorFixture::SetUp();
        boot_run_top_level();
        g_collect = sample_then_collect;
        g_collector_enabled = true;
        collector_collect();
        g_peak = g_memory.os_bytes;
    }
    void TearDown() override {
        g_collect = collector_collect;
        CollectorFixture::TearDown();
    }
};

// Well past a million iterations, where loops used to stop getting memory
// back; a program's integers there are as large as arena offsets once were.
constexpr const char* kIterations = "1500000";

std::string with_count(std::string program) {
    for (size_t at = program.find('N'); at != std::string::npos; at = program.find('N'))
        program.replace(at, 1, kIterations);
    return program;
}

TEST_F(LongRun, LoopsThatDropWhatTheyMakeStayInBoundedMemory) {
    const uint32_t start = g_peak;
    for (const char* program : {
             "loop N [b: make block! 100]",
             "i: 0 while [i < N] [i: i + 1 b: make block! 100]",
             "loop N [b: make block! 100 s: make string! 200 append s {abcdefghij} append b s]",
         }) {
        std::string code = with_count(program);
        SCOPED_TRACE(code);
        uint32_t collections = g_collection_count;
        eval(code);
        // A million and a half blocks of 1,624 bytes: gigabytes unless the
        // collector gives memory back all along.
        EXPECT_GT(g_collection_count - collections, 100u);
        EXPECT_LT(g_peak - start, 16u << 20) << "bytes taken from the system";
    }
}

TEST_F(LongRun, ExplicitCollectionsBetweenRunsKeepMemoryBounded) {
    const uint32_t start = g_peak;
    eval("loop 15 [loop 100000 [b: make block! 100] recycle]");
    EXPECT_LT(g_peak - start, 16u << 20);
}

TEST_F(LongRun, ALoopThatKeepsWhatItMakesKeepsAllOfIt) {
    const uint32_t start = g_peak;
    EXPECT_EQ(eval("keep: copy [] loop 20000 [append/only keep make block! 100] length? keep"),
              "20000");
    collector_collect();
    // Most of the 32 MB of cells must be new memory; some may fit in room the
    // frames already had free at the start.
    EXPECT_GT(g_memory.os_bytes - start, 20000u * 1400);
    EXPECT_EQ(eval("n: 0 foreach b keep [if block! = type? b [n: n + 1]] n"), "20000");
}

} // namespace

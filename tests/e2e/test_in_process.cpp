// Runs of the engine one after the other in one process leave the same files
// as runs of the program, one process each: no stage keeps state from one
// run to the next.
#include <gtest/gtest.h>
#include <unistd.h>

#include <sstream>

#include "engine/main_flow.h"
#include "platform/console.h"
#include "platform/text_file.h"
#include "tests/e2e/day_run.h"
#include "tests/support/test_support.h"

namespace tarn::test {
namespace {

class InProcessTest : public TempDirTest {};

TEST_F(InProcessTest, RunsInOneProcessEqualRunsInTheirOwnProcesses) {
    const std::vector<std::string> scans = ExampleScans();
    // A fitted scan, one with a given ozone amount and spike correction, and
    // the first again.
    const std::vector<ScanCall> calls = {
        {scans[0], ""}, {scans[1], "0.09no_fit spike_cor"}, {scans[0], ""}};
    const std::string separate = Path("separate"), together = Path("together");
    CopyExampleDay(separate);
    CopyExampleDay(together);
    const std::string separateConsole = RunDay(separate, calls);

    std::ostringstream console;
    SetConsole(&console);
    ASSERT_EQ(chdir(together.c_str()), 0);
    for (const ScanCall& call : calls) {
        std::vector<std::string> args = {call.scan, "exa", "tarn_exa.dfa", "S", "I", "W"};
        if (!call.optionWord.empty()) args.push_back(call.optionWord);
        EXPECT_EQ(tarn::RunTarnpelo(args), 0) << call.scan;
    }
    ASSERT_EQ(chdir(Dir().c_str()), 0);
    SetConsole(nullptr);

    EXPECT_EQ(MaskRunTime(console.str()), MaskRunTime(separateConsole));
    std::map<std::string, std::string> a = RunOutputs(separate), b = RunOutputs(together);
    ASSERT_GT(a.size(), 20u);
    for (const auto& [path, text] : a) {
        ASSERT_EQ(b.count(path), 1u) << "not written in one process: " << path;
        EXPECT_EQ(MaskRunTime(b[path]), MaskRunTime(text)) << path;
    }
    for (const auto& [path, text] : b)
        EXPECT_EQ(a.count(path), 1u) << "written only in one process: " << path;
}

}  // namespace
}  // namespace tarn::test

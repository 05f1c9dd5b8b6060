// The tarnpelo program over the example day, one engine call per scan as the
// operator shell's batch makes them, compared with golden result trees.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/e2e/day_run.h"
#include "tests/support/test_support.h"

namespace tarn::test {
namespace {

std::vector<ScanCall> Calls(const std::vector<std::string>& scans) {
    std::vector<ScanCall> calls;
    for (const std::string& scan : scans) calls.push_back({scan, ""});
    return calls;
}

class ExampleDayTest : public TempDirTest {};

TEST_F(ExampleDayTest, WholeResultTreeMatchesTheGoldenCopies) {
    std::string work = Path("work");
    CopyExampleDay(work);
    std::vector<int> codes;
    std::string console = RunDay(work, Calls(ExampleScans()), &codes);
    EXPECT_TRUE(std::all_of(codes.begin(), codes.end(), [](int c) { return c == 0; }));
    std::map<std::string, std::string> outputs = RunOutputs(work);
    outputs["console.txt"] = console;
    ExpectMatchesGolden("example_day", outputs);
    // Every scan ends its analysis in the main log.
    std::string log = outputs["tarnpelo.log"];
    size_t ends = 0;
    for (size_t p = 0; (p = log.find("END of Program ", p)) != std::string::npos; ++p) ++ends;
    EXPECT_EQ(ends, ExampleScans().size());
}

// Results depend neither on the working directory's name nor on the locale.
TEST_F(ExampleDayTest, SameResultsInAnotherDirectoryAndLocale) {
    std::string work = Path("another dir, ü");
    CopyExampleDay(work);
    std::string console =
        RunDay(work, Calls(ExampleScans()), nullptr,
               {"LC_ALL=de_DE.UTF-8", "LANG=de_DE.UTF-8", "LC_NUMERIC=de_DE.UTF-8"});
    std::map<std::string, std::string> outputs = RunOutputs(work);
    outputs["console.txt"] = console;
    ExpectMatchesGolden("example_day", outputs);
}

// Per-scan result files do not depend on the order of the day's runs.
TEST_F(ExampleDayTest, PerScanFilesDoNotDependOnTheOrderOfRuns) {
    std::string forward = Path("forward"), backward = Path("backward");
    CopyExampleDay(forward);
    CopyExampleDay(backward);
    std::vector<std::string> scans = ExampleScans();
    RunDay(forward, Calls(scans));
    std::reverse(scans.begin(), scans.end());
    RunDay(backward, Calls(scans));
    std::map<std::string, std::string> a = RunOutputs(forward), b = RunOutputs(backward);
    int compared = 0;
    for (const auto& [path, text] : a) {
        // Per-scan files carry the scan name DDDhhmm in their name.
        bool perScan = path.find("/exa/") != std::string::npos &&
                       std::any_of(scans.begin(), scans.end(), [&](const std::string& s) {
                           return path.find(s) != std::string::npos;
                       });
        if (!perScan) continue;
        ASSERT_EQ(b.count(path), 1u) << path;
        EXPECT_EQ(MaskRunTime(text), MaskRunTime(b[path])) << path;
        ++compared;
    }
    EXPECT_EQ(compared, 5 * static_cast<int>(scans.size()));  // I, S, W, T and q files
}

// A day with a missing scan, a scan out of range and a scan analysed with a
// given ozone amount, no shift correction and spike correction.
TEST_F(ExampleDayTest, MissingOutOfRangeAndOptionWordScans) {
    std::string work = Path("work");
    CopyExampleDay(work);
    WriteFile(work + "/uvdata/exa/1731200.exa", "200.0 0.1\n220.0 0.2\n240.0 0.3\n");
    std::vector<ScanCall> calls = {{"1730800", ""},
                                   {"1730930", ""},  // no such file
                                   {"1731200", ""},  // no wavelength in range
                                   {"1730900", "0.0891892no_fitno_sh_corspike_cor"},
                                   {"1731100", ""}};
    std::vector<int> codes;
    std::string console = RunDay(work, calls, &codes);
    EXPECT_EQ(codes, std::vector<int>(calls.size(), 0));
    std::map<std::string, std::string> outputs = RunOutputs(work);
    outputs["console.txt"] = console;
    ExpectMatchesGolden("special_day", outputs);

    EXPECT_EQ(outputs["check.chk"], "error\n");
    EXPECT_NE(console.find("IO error finding:  uvdata/exa/1730930.exa"), std::string::npos);
    std::string log = outputs["tarnpelo.log"];
    EXPECT_NE(log.find("uvdata/exa/1731200.exa Wavelengths out of range:  250.00  410.00nm"),
              std::string::npos);
    // The given amount is used as it is (3700 x 0.0891892 = 330.00 DU), the
    // wavelengths stay as measured and the spikes are corrected.
    EXPECT_NE(console.find("Indicative Ozone value calculated:  330.00 DU"), std::string::npos);
    EXPECT_EQ(outputs["uvanalys/exa/shift/1730900W.exa"], "!wavel wavelength shift (nm)\n");
    EXPECT_NE(outputs["uvanalys/exa/qaqc/173SPQ.exa"].find("Spikes CORRECTED"), std::string::npos);
    // The missing scan has its no-data rows in the day's effective-UV files.
    EXPECT_NE(outputs["uvanalys/exa/efuv/173uv400.exa"].find("0930  9.5000 *       "),
              std::string::npos);
}

}  // namespace
}  // namespace tarn::test

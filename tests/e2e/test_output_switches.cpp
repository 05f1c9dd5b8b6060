// Each switch of the output specification off in turn: exactly the files it
// governs are missing from the result tree.
#include <gtest/gtest.h>

#include <set>

#include "tests/e2e/day_run.h"
#include "tests/support/test_support.h"

namespace tarn::test {
namespace {

// A GREEN scan, a scan with a spike (BLACK) and a scan with two spikes (RED).
const std::vector<std::string> kScans = {"1731100", "1730900", "1731330"};

struct SwitchCase {
    int line;  // 0-based line of output.dfa that holds the switch
    const char* name;
    std::vector<std::string> governed;  // patterns; "*" stands for each scan name
};

const std::vector<SwitchCase>& Cases() {
    static const std::vector<SwitchCase> cases = {
        {2,
         "Effective_UV",
         {"exa/efuv/173uv315.exa", "exa/efuv/173uv320.exa", "exa/efuv/173uv400.exa"}},
        {3, "Interval_UV", {"exa/efuv/173band.exa"}},
        {5, "Stand_slit", {}},
        {6, "Instrument_slit", {"instr2.out"}},
        {8, "detailed_shif", {"exa/shift/*S.exa"}},
        {9, "corr_waveln", {"exa/shift/*W.exa"}},
        {10, "daily_shif", {"exa/shift/173shiS.exa"}},
        {12, "Q_flag", {"exa/qaqc/173QC.exa"}},
        {13,
         "spec_struc",
         {"exa/qaqc/173str01.exa", "exa/qaqc/173str25.exa", "exa/qaqc/173str05.exa",
          "exa/qaqc/173str10.exa", "exa/qaqc/173str50.exa"}},
        {14, "trans_Q", {"exa/qaqc/struc/*q.exa"}},
        {16, "Log_main_tarn", {}},
        {17, "Log_shift", {"shift.shi", "curve.shi", "shift.log"}},
        {19, "Details_on_corrections", {"exa/qaqc/173SPQ.exa"}},
        {20, "Main_spikes_only", {"exa/qaqc/173SPD.exa"}},
        {22, "transmission", {"exa/trans/*T.exa"}},
        {24, "BLACK list", {"exa/qaqc/flagstat/BLACK.exa"}},
        {25, "GREY list", {"exa/qaqc/flagstat/GREY.exa"}},
        {26, "SPIKES list", {"exa/qaqc/flagstat/SPIKES.exa"}},
        {27, "RED list", {"exa/qaqc/flagstat/RED.exa"}},
        {28,
         "YELLOW and GREEN lists",
         {"exa/qaqc/flagstat/YELLOW.exa", "exa/qaqc/flagstat/GREEN.exa"}},
    };
    return cases;
}

// output.dfa with every switch on except the one on line `offLine`.
std::string OutputSpecification(int offLine) {
    const char* labels[] = {"Integrated_UV_output: Effective_UV Interval_UV",
                            "Irradiance_standardised: Stand_slit Instrument_slit",
                            "Wavelength_shifts: detailed_shif corr_waveln daily_shif",
                            "Quality_checks: Q_flag spec_struc trans_Q",
                            "Logging_TARN: Log_main_tarn Log_shift",
                            "Spike_detection: Details_on_corrections Main_spikes_only",
                            "Transmission_compared_to_ET-spectrum: transmission",
                            "Class files: BLACK GREY SPIKES RED YELLOW_GREEN"};
    const int labelLines[] = {1, 4, 7, 11, 15, 18, 21, 23};
    std::string text = "uvanalys/output.dfa\n";
    int label = 0;
    for (int line = 1; line <= 28; ++line) {
        if (label < 8 && line == labelLines[label]) {
            text += std::string(labels[label++]) + "\n";
        } else {
            text += line == offLine ? "false\n" : "true\n";
        }
    }
    return text;
}

std::set<std::string> FileSet(const std::string& work, int offLine) {
    CopyExampleDay(work);
    WriteFile(work + "/uvanalys/output.dfa", OutputSpecification(offLine));
    std::vector<ScanCall> calls;
    for (const std::string& scan : kScans) calls.push_back({scan, ""});
    RunDay(work, calls);
    std::set<std::string> files;
    for (const auto& [path, text] : RunOutputs(work)) files.insert(path);
    return files;
}

std::set<std::string> Governed(const SwitchCase& c) {
    std::set<std::string> files;
    for (const std::string& pattern : c.governed) {
        size_t star = pattern.find('*');
        if (star == std::string::npos) {
            files.insert("uvanalys/" + pattern);
            continue;
        }
        for (const std::string& scan : kScans)
            files.insert("uvanalys/" + pattern.substr(0, star) + scan + pattern.substr(star + 1));
    }
    return files;
}

class OutputSwitchTest : public TempDirTest, public ::testing::WithParamInterface<size_t> {};

TEST_P(OutputSwitchTest, ExactlyTheGovernedFilesAreMissing) {
    const SwitchCase& c = Cases()[GetParam()];
    std::set<std::string> all = FileSet(Path("all"), -1);
    std::set<std::string> off = FileSet(Path("off"), c.line);
    std::set<std::string> expectedMissing;
    for (const std::string& file : Governed(c))
        if (all.count(file) != 0) expectedMissing.insert(file);
    // The lists of colours that the three scans do not reach cannot go missing.
    if (c.line != 25) {
        EXPECT_EQ(expectedMissing.size() > 0, !c.governed.empty()) << c.name;
    }
    std::set<std::string> missing, added;
    for (const std::string& file : all)
        if (off.count(file) == 0) missing.insert(file);
    for (const std::string& file : off)
        if (all.count(file) == 0) added.insert(file);
    EXPECT_EQ(missing, expectedMissing) << c.name;
    EXPECT_TRUE(added.empty()) << c.name << ": " << *added.begin();
}

INSTANTIATE_TEST_SUITE_P(EachSwitch, OutputSwitchTest, ::testing::Range<size_t>(0, 20));

}  // namespace
}  // namespace tarn::test

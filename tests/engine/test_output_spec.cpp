#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/engine_state.h"
#include "engine/output_spec.h"
#include "engine/program_state.h"
#include "platform/run_error.h"
#include "tests/support/test_support.h"

namespace tarn {
namespace {

using test::ReadFile;
using test::WriteFile;

// Lines 1 to 22 as the shell writes them, with every switch given.
std::vector<std::string> Body(const std::vector<std::string>& s) {
    return {"Integrated_UV_output: Effective_UV Interval_UV",
            s[0],
            s[1],
            "Irradiance_standardised: Stand_slit Instrument_slit",
            s[2],
            s[3],
            "Wavelength_shifts: detailed_shif corr_waveln daily_shif",
            s[4],
            s[5],
            s[6],
            "Quality_checks: Q_flag spec_struc trans_Q",
            s[7],
            s[8],
            s[9],
            "Logging_TARN: Log_main_tarn Log_shift",
            s[10],
            s[11],
            "Spike_detection: Details_on_corrections Main_spikes_only",
            s[12],
            s[13],
            "Transmission_compared_to_ET-spectrum: transmission",
            s[14]};
}

std::string Join(const std::string& first, const std::vector<std::string>& lines) {
    std::string text = first + "\n";
    for (const std::string& line : lines) text += line + "\n";
    return text;
}

class OutputSpecTest : public test::EngineTest {
  protected:
    std::string Name() const { return MainPath() + "output.dfa"; }
    std::vector<std::string> Log() const { return test::ReadLines(Path("tarnpelo.log")); }
};

// The switches in file order: Effective_UV, Interval_UV, Stand_slit,
// Instrument_slit, detailed_shif, corr_waveln, daily_shif, Q_flag, spec_struc,
// trans_Q, Log_main_tarn, Log_shift, Details_on_corrections, Main_spikes_only.
std::vector<bool> FileOrderSwitches() {
    const OutputSwitches& s = Engine.Switches;
    return {s.Effective_UV,
            s.Interval_UV,
            s.Stand_slit,
            s.Instrument_slit,
            s.Detailed_shif,
            s.Corr_waveln,
            s.Daily_shif,
            s.Q_flag,
            s.Spec_struc,
            s.Trans_Q,
            s.Log_main_tarn,
            s.Log_shift,
            s.Details_on_corrections,
            s.Main_spikes_only};
}

TEST_F(OutputSpecTest, ReadInPlaceWithItsTwoLogLines) {
    std::vector<std::string> on = {"false", "true",  "true", "false", "x true y",
                                   "False", "true",  "TRUE", "true",  "",
                                   "true",  "false", "true", "false", "false"};
    size_t logBefore = Log().size();
    WriteFile(Name(), Join(Name(), Body(on)));
    Specify_output(Name());
    std::vector<bool> expected = {false, true, true,  false, true,  false, true,
                                  false, true, false, true,  false, true,  false};
    EXPECT_EQ(FileOrderSwitches(), expected);
    EXPECT_FALSE(Engine.Switches.Transmission);  // 23 lines: group 7 read
    for (bool s : Qc.ClassFileSwitches) EXPECT_TRUE(s);
    std::vector<std::string> log = Log();
    ASSERT_EQ(log.size(), logBefore + 2);
    EXPECT_EQ(log[logBefore], "First line of Specify_output " + Name());
    EXPECT_EQ(log[logBefore + 1],
              "Specify_output readin Spike_detection: Details_on_corrections Main_spikes_only");
}

TEST_F(OutputSpecTest, RedirectedToTheFileThatLineZeroNames) {
    std::vector<std::string> all(15, "false");
    WriteFile(Name(), Path("other.dfa") + "\n");
    // The other file's first line is skipped whatever it holds.
    WriteFile(Path("other.dfa"), Join("true", Body(all)));
    Specify_output(Name());
    for (bool s : FileOrderSwitches()) EXPECT_FALSE(s);
    EXPECT_FALSE(Engine.Switches.Transmission);
    std::vector<std::string> log = Log();
    EXPECT_EQ(log.back(),
              "Specify_output readin Spike_detection: Details_on_corrections "
              "Main_spikes_only");
}

TEST_F(OutputSpecTest, SameNameInOtherLettersReadsTheFileAgainFromItsSecondLine) {
    std::vector<std::string> all(15, "false");
    all[0] = "true";
    std::string upper = MainPath() + "OUTPUT.DFA";
    WriteFile(Name(), Join(upper, Body(all)));
    Specify_output(Name());
    EXPECT_TRUE(Engine.Switches.Effective_UV);
    EXPECT_FALSE(Engine.Switches.Interval_UV);
}

TEST_F(OutputSpecTest, TwentyOneAndTwentyTwoLines) {
    std::vector<std::string> all(15, "true");
    std::vector<std::string> body = Body(all);
    body.resize(20);  // lines 0 to 20
    Engine.Switches.Transmission = false;
    WriteFile(Name(), Join(Name(), body));
    Specify_output(Name());
    EXPECT_TRUE(Engine.Switches.Transmission);
    for (bool s : Qc.ClassFileSwitches) EXPECT_TRUE(s);

    body.push_back("Transmission_compared_to_ET-spectrum: transmission");  // 22 lines
    WriteFile(Name(), Join(Name(), body));
    Specify_output(Name());
    EXPECT_FALSE(Engine.Switches.Transmission);

    // Empty lines after line 20 are lines of the file: group 7 reads them, off.
    body.pop_back();
    WriteFile(Name(), Join(Name(), body) + "\n\n");
    Specify_output(Name());
    EXPECT_FALSE(Engine.Switches.Transmission);
}

TEST_F(OutputSpecTest, GroupEightSetsTheClassFileSwitches) {
    std::vector<std::string> body = Body(std::vector<std::string>(15, "true"));
    for (const char* line : {"Class files", "false", "true", "false", "true", "false"})
        body.push_back(line);
    WriteFile(Name(), Join(Name(), body));
    Specify_output(Name());
    const bool expected[5] = {false, true, false, true, false};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(Qc.ClassFileSwitches[i], expected[i]) << i;
    EXPECT_TRUE(Engine.Switches.Transmission);
}

TEST_F(OutputSpecTest, FileEndingEarlyReadsTheMissingSwitchesAsOff) {
    std::vector<std::string> body = Body(std::vector<std::string>(15, "true"));
    body.resize(10);  // ends after daily_shif: the quality switches on are missing
    WriteFile(Name(), Join(Name(), body));
    Specify_output(Name());
    EXPECT_TRUE(Engine.Switches.Daily_shif);
    EXPECT_FALSE(Engine.Switches.Q_flag);
    EXPECT_FALSE(Engine.Switches.Main_spikes_only);
    EXPECT_TRUE(Engine.Switches.Transmission);
}

TEST_F(OutputSpecTest, MissingRedirectionTargetIsARunTimeError) {
    WriteFile(Name(), Path("nowhere.dfa") + "\n");
    EXPECT_THROW(Specify_output(Name()), RunTimeError);
}

}  // namespace
}  // namespace tarn

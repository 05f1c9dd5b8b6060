#include <gtest/gtest.h>

#include "engine/engine_state.h"
#include "engine/main_flow.h"
#include "engine/program_state.h"
#include "tests/support/test_support.h"

namespace tarn {
namespace {

using test::ReadFile;
using test::ReadLines;
using test::WriteFile;

TEST(MainFlow, EarthSunDistanceFactor) {
    EXPECT_NEAR(EarthSunDistanceFactor(1), 1.03505, 1e-12);
    EXPECT_NEAR(EarthSunDistanceFactor(60), 1.0189843638599352, 1e-13);
    EXPECT_NEAR(EarthSunDistanceFactor(183), 0.9666188525760673, 1e-13);
    EXPECT_NEAR(EarthSunDistanceFactor(365), 1.0350198201507328, 1e-13);
}

class FlowTest : public test::EngineTest {};

std::string FileCode(const std::string& scanName, const std::string& year) {
    CommandLine.ScanName = scanName;
    Analysis.MeasurementYear = year;
    DayNumberToFileCode();
    return Scan.MeasurementFileCode;
}

TEST_F(FlowTest, DayNumberToFileCode) {
    EXPECT_EQ(FileCode("0601200", "2004"), "022912002004");
    EXPECT_EQ(FileCode("0601200", "2003"), "030112002003");
    EXPECT_EQ(FileCode("3651200", "2003"), "123112002003");
    EXPECT_EQ(FileCode("0010000", "2003"), "010100002003");
    EXPECT_EQ(FileCode("3661200", "2004"), "123112002004");
    EXPECT_EQ(FileCode("0000930", "2003"), "010009302003");  // day 0: month 1, day 0
    // A day past the year's last day stays in December.
    EXPECT_EQ(FileCode("3701200", "2003"), "123612002003");
    EXPECT_TRUE(ConsoleText().empty());
    EXPECT_EQ(FileCode("ab31200", "2003"), "010012002003");
    EXPECT_EQ(ConsoleText(),
              " Error occurred determining daynr from measurement filename: ab31200\n");
}

TEST_F(FlowTest, WindowClipping) {
    Windows.Count = 300;  // built in: window i spans 289 + i .. 305 + i
    Instrument.RangeEnd = 400;
    ClipWindows();
    EXPECT_EQ(Windows.Count, 95);  // 305 + 95 = 400
    Instrument.RangeEnd = 363.2;
    ClipWindows();
    EXPECT_EQ(Windows.Count, 58);
    Instrument.RangeEnd = 300;  // below every upper bound
    ClipWindows();
    EXPECT_EQ(Windows.Count, 1);
}

TEST_F(FlowTest, WindowCountOutsideTheTableIsClampedAndLogged) {
    Windows.Count = 400;
    for (int w = 1; w <= kMaxWindows; ++w) Windows.Upper[w] = 300 + w;
    Instrument.RangeEnd = 1000;
    ClipWindows();
    EXPECT_EQ(Windows.Count, 350);
    EXPECT_NE(ReadFile(Path("tarnpelo.log")).find("Window count 400 outside 1..350; taken as 350"),
              std::string::npos);
    Windows.Count = 0;
    ClipWindows();
    EXPECT_EQ(Windows.Count, 1);
}

TEST_F(FlowTest, OptionWord) {
    Flow.ShiftCorrectionOn = true;
    ApplyOptionWord("0.1no_fitno_sh_cor");
    EXPECT_FALSE(Flow.ShiftCorrectionOn);
    EXPECT_EQ(Scan.HeaderLines[0], "no_fit");
    EXPECT_DOUBLE_EQ(Flow.GivenOzone, 0.1);
    EXPECT_FALSE(Analysis.SpikeCorrectionOn);

    ApplyOptionWord("spike_cor");
    EXPECT_TRUE(Analysis.SpikeCorrectionOn);
    ApplyOptionWord("no_spike_cor");
    EXPECT_FALSE(Analysis.SpikeCorrectionOn);
}

TEST_F(FlowTest, OptionWordWithoutAnAmountBeforeNoFitStillFits) {
    Scan.HeaderLines[0] = "";
    Flow.GivenOzone = 0;
    ApplyOptionWord("xno_fit");
    EXPECT_EQ(Scan.HeaderLines[0], "");
    EXPECT_EQ(Flow.GivenOzone, 0);
    EXPECT_NE(ConsoleText().find("Warning"), std::string::npos);
}

}  // namespace
}  // namespace tarn

// Each settings layout written by its writer and read back by every reader
// that reads it gives the values that were written.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/defaults.h"
#include "engine/engine_state.h"
#include "engine/formats/analysis_settings_layout.h"
#include "engine/formats/output_spec_layout.h"
#include "engine/output_spec.h"
#include "engine/program_state.h"
#include "engine/wavelength_shift.h"
#include "platform/text_file.h"
#include "tests/support/test_support.h"

namespace tarn {
namespace {

using test::WriteFile;

std::string Join(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    return text;
}

class LayoutRoundTrip : public test::EngineTest {};

// Long file: every group with other counts (4 criteria, 3 selected windows,
// 2 zenith rows, 4 step sizes) and other values, read by the engine and by
// the locator.
TEST_F(LayoutRoundTrip, LongDefaultsFile) {
    DefaultsSettings s = BuiltInDefaults();
    s.Analysis.Latitude = 52.1;
    s.WindowCount = 150;
    s.Analysis.FirstWindowLower = 295.5;
    s.Analysis.MaximumShift = 0.7;
    s.Paths.MainPath = MainPath();
    s.Analysis.StdSlitChar = '1';
    s.Paths.StdSlitFileName = "std.sli";
    s.Analysis.StepTableLength = 4;
    s.Qc.CriteriaCount = 4;
    s.Qc.CriterionName[2] = "crB  ";
    s.Qc.CriterionDeviation[2] = 0.3;
    s.Qc.SelectedWindowCount = 3;
    s.Qc.SelectedWindows[3] = 64;
    s.Analysis.TimeCorrection[1] = -2;
    s.Paths.QaqcSubdir = "qc/";
    s.Qc.StartCriterion = 3;
    s.Qc.ZenithRowCount = 2;
    s.Qc.ZenithTable[2][0] = 361;
    s.Analysis.SpikeDetectionOn = false;
    s.Analysis.SpikeHalfWindow = 7;
    s.Paths.StrucSubdir = "st/";
    s.Qc.TransmissionThresholds[9] = 0.001;
    s.Paths.Et1nmFileName = "et.1nm";
    s.Qc.IrradianceLevels[4] = 0.006;
    s.Qc.ScanVariationThresholds[8] = 1;
    s.ResultCode = "x";
    LongDefaultsLayout written;
    const std::vector<std::string> lines = LongDefaultsLines(s, written);
    ASSERT_EQ(lines.size(), 44u + 4 + 3 + 2 + 30);
    WriteFile(Path("long.dfa"), Join(lines));

    CommandLine.DefaultsFile = "long.dfa";
    ReadLongDefaults();
    const DefaultsSettings r = CurrentDefaultsSettings();
    EXPECT_EQ(LongDefaultsLines(r), lines);  // every written value read back
    EXPECT_DOUBLE_EQ(r.Analysis.Latitude, 52.1);
    EXPECT_EQ(r.WindowCount, 150);
    EXPECT_DOUBLE_EQ(r.WindowLower[150], 295.5 + 149);
    EXPECT_EQ(r.Qc.CriterionName[2], "crB  ");
    EXPECT_EQ(r.Qc.SelectedWindows[3], 64);
    EXPECT_EQ(r.Analysis.TimeCorrection[1], -2);
    EXPECT_EQ(r.Qc.StartCriterion, 3);
    EXPECT_FALSE(r.Analysis.SpikeDetectionOn);
    EXPECT_EQ(r.Paths.Et1nmFileName, "et.1nm");
    EXPECT_EQ(CommandLine.IdSpecout, "x");
    EXPECT_EQ(ConsoleText(), "");

    LongDefaultsLayout located = LocateLongDefaults(lines);
    for (int v = 0; v < kLongDefaultsValueCount; ++v) {
        EXPECT_EQ(located.Lines[v], written.Lines[v]) << v;
        EXPECT_NE(located.Lines[v], kNotInFile) << v;
    }
    EXPECT_EQ(located.CriteriaCount, 4);
    EXPECT_EQ(located.StartCriterion, 3);
    EXPECT_EQ(located.SelectedWindowCount, 3);
    EXPECT_EQ(located.ZenithRowCount, 2);
    EXPECT_EQ(located.StepTableLength, 4);
}

TEST_F(LayoutRoundTrip, ShortDefaultsFile) {
    DefaultsSettings s = BuiltInDefaults();
    s.Analysis.MeasurementYear = "2004";
    s.Analysis.Longitude = 5.18;
    s.Analysis.Latitude = 52.1;
    s.Analysis.MaximumShift = 0.7;
    s.Paths.MainPath = "mp/";
    s.Paths.RefDataPath = "ref/";
    const long time[4] = {1, -2, 30, 15};
    std::copy(time, time + 4, s.Analysis.TimeCorrection);
    const std::vector<std::string> lines = ShortDefaultsLines(s);
    ASSERT_EQ(lines.size(), 6u);
    WriteFile(Path("tarnpelo.dfa"), Join(lines));

    CommandLine.DefaultsFile = "tarnpelo.dfa";
    ReadLongDefaults();
    EXPECT_TRUE(Analysis.ShortDefaultsRead);
    EXPECT_EQ(Analysis.MeasurementYear, "2004");
    EXPECT_EQ(Analysis.Longitude, 5.18);
    EXPECT_EQ(Analysis.Latitude, 52.1);
    EXPECT_EQ(Analysis.MaximumShift, 0.7);
    EXPECT_EQ(Paths.MainPath, "mp/");
    EXPECT_EQ(Paths.RefDataPath, "ref/");
    EXPECT_EQ(Paths.ActionSpectrumDir, "ref/");
    EXPECT_TRUE(std::equal(time, time + 4, Analysis.TimeCorrection));
    EXPECT_EQ(ShortDefaultsLines(CurrentDefaultsSettings()), lines);
}

// Analysis settings file: written once, read by the shift determination, the
// ozone stage and the deconvolution.
TEST(AnalysisSettingsRoundTrip, EveryStageReadsWhatWasWritten) {
    AnalysisSettingsValues v{};
    v.SimulationName = "ozon_shi.exa";
    v.MaximumShift = 0.85;
    v.HalfWidthPoints = 3;
    v.MeasurementCopyName = "meting.met";
    v.ShiftResultName = "shift.shi";
    v.ShiftCurveName = "curve.shi";
    v.Longitude = -5.1875;
    v.Latitude = 52.125;
    v.EtShift = 0.012;
    v.O3Shift = -0.034;
    v.EtFileName = "etsyn.et";
    v.SimSpectrumName = "ozonsim.hsp";
    v.O3CrossFileName = "o3syn.wgt";
    v.InstrumentId = "exa";
    v.GridLow = 282.1;
    v.GridHigh = 412.9;
    v.GridStep = 0.02;
    v.RangeStart = 290;
    v.RangeEnd = 399.5;
    v.RangeStep = 0.5;
    v.Fwhm = 0.55;
    v.SlitChar = '1';
    v.SlitFileName = "exa.sli";
    const double fit[4] = {0.01, 0.5, 0.01, 0.12};
    std::copy(fit, fit + 4, v.OzoneFitValues);
    v.StepCount = 4;
    const double steps[5] = {0, 0.2, 0.04, 0.02, 0.01};
    std::copy(steps, steps + 5, v.Steps);
    v.GridMargin = 2.9;
    v.SlitRangeFactor = 2.0;
    v.FinalRangeLow = 290;
    v.FinalRangeHigh = 396;
    const long time[4] = {0, 1, -30, 15};
    std::copy(time, time + 4, v.TimeCorrection);
    const std::vector<std::string> lines = AnalysisSettingsLines(v, "ozonshi.dfa");
    ASSERT_EQ(lines.size(), 24u);

    // Each reader's values, written again, give the lines it reads.
    auto expectLines = [&](const AnalysisSettingsValues& read, std::vector<int> numbers) {
        std::vector<std::string> again = AnalysisSettingsLines(read, "ozonshi.dfa");
        for (int n : numbers) EXPECT_EQ(again[n - 1], lines[n - 1]) << "line " << n;
    };
    TextIn in;
    AnalysisSettingsValues shift{}, ozone{}, decon{};
    in.OpenText("ozonshi.dfa", Join(lines));
    ReadShiftSettings(in, shift);
    expectLines(shift, {1, 2, 3, 4, 5, 6});
    OzoneSettingsLines found{};
    in.OpenText("ozonshi.dfa", Join(lines));
    ReadOzoneSettings(in, ozone, found);
    EXPECT_TRUE(found.FitValues && found.StepGroup && found.StepsRead && found.FinalRange &&
                found.TimeCorrection);
    expectLines(ozone, {2, 7, 8, 9, 10, 11, 12, 13, 14, 17, 18, 19, 20, 21, 22, 23, 24});
    in.OpenText("ozonshi.dfa", Join(lines));
    ReadDeconvolutionSettings(in, decon);
    expectLines(decon, {14, 15, 16, 17, 18});
    // The forms keep these values exactly.
    EXPECT_EQ(ozone.Longitude, v.Longitude);
    EXPECT_EQ(ozone.O3Shift, v.O3Shift);
    EXPECT_EQ(ozone.Steps[4], 0.01);
    EXPECT_EQ(ozone.TimeCorrection[2], -30);
    EXPECT_EQ(decon.RangeEnd, v.RangeEnd);
}

// Output specification as the shell writes it, read by the engine.
TEST_F(LayoutRoundTrip, OutputSpecification) {
    OutputSwitches written{};
    bool* flags[] = {&written.Effective_UV,    &written.Stand_slit, &written.Corr_waveln,
                     &written.Q_flag,          &written.Trans_Q,    &written.Log_shift,
                     &written.Main_spikes_only};
    for (bool* f : flags) *f = true;  // every other switch stays off
    const std::string name = MainPath() + "output.dfa";
    const std::vector<std::string> lines = OutputSpecLines(name, written);
    ASSERT_EQ(lines.size(), 23u);
    EXPECT_EQ(lines[18], "Spike_detection: Details_on_corrections Main_spikes_only");
    WriteFile(name, Join(lines));
    Specify_output(name);
    const OutputSwitches& r = Engine.Switches;
    EXPECT_EQ(OutputSpecLines(name, r), lines);
    EXPECT_TRUE(r.Effective_UV && r.Stand_slit && r.Corr_waveln && r.Q_flag && r.Trans_Q &&
                r.Log_shift && r.Main_spikes_only);
    EXPECT_FALSE(r.Interval_UV || r.Transmission || r.Instrument_slit || r.Detailed_shif ||
                 r.Daily_shif || r.Spec_struc || r.Details_on_corrections || r.Log_main_tarn);
}

}  // namespace
}  // namespace tarn

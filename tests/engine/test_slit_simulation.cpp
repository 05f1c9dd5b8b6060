// Slit kernels (triangle, slit-function files), single-wavelength convolution
// and the simulated spectrum with its final-mode file.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "engine/engine_state.h"
#include "engine/slit_simulation.h"
#include "platform/run_error.h"
#include "platform/text_format.h"
#include "tests/support/test_support.h"

namespace tarn {
namespace {

class SlitTest : public test::EngineTest {
  protected:
    SlitKernel kernel{};

    static void FillFine(double value) {
        std::fill(Spectra.FineSpectrum, Spectra.FineSpectrum + kSpectrumSize, value);
    }
    std::string Log() const { return test::ReadFile(Path(kMainLogName)); }

    // A slit-function file: a source line, then offset 10:4, a blank, the response.
    void WriteSlitFile(const std::string& name, double from, double to, double step,
                       double (*response)(double)) {
        std::string text = "! synthetic slit\n";
        for (int i = 0; from + i * step <= to + 1e-9; ++i) {
            double r = std::round((from + i * step) * 1e4) / 1e4;  // the offset as written
            text += Fixed(r, 10, 4) + " " + Sci(response(r)) + "\n";
        }
        test::WriteFile(Path(name), text);
    }
};

double Gauss(double x) {
    return std::exp(-x * x / 0.36);
}
double Zero(double) {
    return 0.0;
}

TEST_F(SlitTest, TriangleOfOneNanometreOnTheHundredthGrid) {
    BuildSlitKernel(kernel, {MainPath(), '0', "", 1.0}, 0.01);
    EXPECT_EQ(kernel.Centre, 100);
    EXPECT_EQ(kernel.Samples[0], 0.0);
    EXPECT_EQ(kernel.Samples[200], 0.0);
    EXPECT_NEAR(kernel.Samples[100], 1.0, 1e-12);  // 100 additions of 0.01
    EXPECT_NEAR(kernel.Samples[25], 0.25, 1e-12);
    EXPECT_NEAR(kernel.Samples[175], 0.25, 1e-12);
    EXPECT_NEAR(kernel.Sum, 100.0, 1e-9);
    EXPECT_DOUBLE_EQ(kernel.FirstOffset, -1.0);
    EXPECT_DOUBLE_EQ(kernel.LastOffset, 1.0);

    // A symmetric kernel keeps a straight line: the value of grid point 5000 at 300 nm.
    for (int i = 0; i < kSpectrumSize; ++i) Spectra.FineSpectrum[i] = i;
    bool eof = true;
    EXPECT_NEAR(ConvolveAt(kernel, 300.0, 0.01, &eof), 5000.0, 1e-7);
    EXPECT_FALSE(eof);
    // The first sample lies at 299.0 nm: a single spike there meets weight K[0] = 0,
    // one at 299.5 nm meets K[50] = 0.5.
    FillFine(0.0);
    Spectra.FineSpectrum[4900] = 1.0;
    EXPECT_EQ(ConvolveAt(kernel, 300.0, 0.01), 0.0);
    Spectra.FineSpectrum[4950] = 100.0;
    EXPECT_NEAR(ConvolveAt(kernel, 300.0, 0.01), 0.5, 1e-12);
}

TEST_F(SlitTest, TriangleOutsideTheKernelLimitsIsGuardedAndLogged) {
    BuildSlitKernel(kernel, {MainPath(), '0', "", 0.004}, 0.01);  // m = 0
    EXPECT_EQ(kernel.Centre, 0);
    EXPECT_EQ(kernel.Sum, 1.0);
    Spectra.FineSpectrum[5000] = 7.0;
    EXPECT_EQ(ConvolveAt(kernel, 300.0, 0.01), 7.0);
    EXPECT_NE(Log().find("narrower than half the grid step"), std::string::npos);

    BuildSlitKernel(kernel, {MainPath(), '0', "", 10.0}, 0.01);  // m = 1000 > 750
    EXPECT_EQ(kernel.Centre, 750);
    EXPECT_NEAR(kernel.Samples[750], 1.0, 1e-9);
    EXPECT_DOUBLE_EQ(kernel.FirstOffset, -7.5);
    FillFine(2.0);
    EXPECT_NEAR(ConvolveAt(kernel, 400.0, 0.01), 2.0, 1e-9);
    EXPECT_NE(Log().find("cut to 1501, simulated values are not meaningful"), std::string::npos);
}

TEST_F(SlitTest, SlitFileIsInterpolatedBetweenItsPoints) {
    // 0.05 nm file on a 0.01 nm grid; FWHM 1 keeps the points in (-2.001, 2.0],
    // plus the first one above 1.999.
    WriteSlitFile("inst.sli", -3.0, 3.0, 0.05, Gauss);
    std::string text = "Slit of the test instrument\n\n" + test::ReadFile(Path("inst.sli"));
    test::WriteFile(Path("inst.sli"), text);
    BuildSlitKernel(kernel, {MainPath(), '1', "inst.sli", 1.0}, 0.01);
    EXPECT_NEAR(kernel.FirstOffset, -2.0, 1e-12);
    EXPECT_NEAR(kernel.LastOffset, 2.0, 1e-12);
    EXPECT_EQ(kernel.Centre, 200);  // the sample on the file's point at offset 0
    EXPECT_NEAR(kernel.Samples[0], Gauss(-2.0), 1e-12);
    EXPECT_NEAR(kernel.Samples[200], 1.0, 1e-12);  // ends exactly on the file's response
    // Two fifths of the way from offset 0 to 0.05 nm.
    EXPECT_NEAR(kernel.Samples[202], 1.0 + (Gauss(0.05) - 1.0) * 0.4, 1e-12);
    double sum = 0.0;
    for (int j = 0; j <= 400; ++j) sum += kernel.Samples[j];
    EXPECT_NEAR(kernel.Sum, sum, 1e-9);
    FillFine(3.0);
    EXPECT_NEAR(ConvolveAt(kernel, 320.0, 0.01), 3.0, 1e-9);
    EXPECT_EQ(Log().find("Slit function"), std::string::npos);  // nothing to report
}

TEST_F(SlitTest, SlitFileWithoutAPointAtZeroTakesTheNearestSample) {
    WriteSlitFile("odd.sli", -2.037, 2.063, 0.05, Gauss);  // ..., -0.037, 0.013, ...
    BuildSlitKernel(kernel, {MainPath(), '1', "odd.sli", 1.0}, 0.01);
    // From -1.987 nm the samples lie at -1.987 + 0.01 j: nearest to 0 is 0.003 nm (j = 199).
    EXPECT_NEAR(kernel.FirstOffset, -1.987, 1e-12);
    EXPECT_NEAR(kernel.LastOffset, 2.013, 1e-12);
    EXPECT_EQ(kernel.Centre, 199);
    EXPECT_NE(Log().find("no sample at offset 0 on the grid step 0.0100 nm; the sample at "
                         "offset   0.00300 nm is taken as centre"),
              std::string::npos);
}

TEST_F(SlitTest, SlitFilePastTheKernelEndIsCutAndLogged) {
    // One interval of 31 nm would give 3100 samples.
    test::WriteFile(Path("wide.sli"), "-1.0 1.0\n 0.0 1.0\n30.0 1.0\n31.0 1.0\n");
    BuildSlitKernel(kernel, {MainPath(), '1', "wide.sli", 10.0}, 0.01);
    EXPECT_EQ(kernel.Centre, 100);
    EXPECT_NEAR(kernel.Sum, 1501.0, 1e-9);  // samples 0..1500, all 1
    EXPECT_NEAR(kernel.LastOffset, 14.0, 1e-9);
    EXPECT_NE(Log().find("samples beyond kernel index 1500 dropped"), std::string::npos);
}

TEST_F(SlitTest, KernelSumOfZeroGivesZeroAndALogLine) {
    WriteSlitFile("zero.sli", -3.0, 3.0, 0.1, Zero);
    BuildSlitKernel(kernel, {MainPath(), '1', "zero.sli", 1.0}, 0.01);
    FillFine(1.0);
    EXPECT_EQ(kernel.Sum, 0.0);
    EXPECT_EQ(ConvolveAt(kernel, 300.0, 0.01), 0.0);
    EXPECT_NE(Log().find("Slit kernel sum is 0"), std::string::npos);
}

TEST_F(SlitTest, FwhmBelowZeroEndsAtTheFileEndWithAZeroKernel) {
    // FWHM -1 puts the lower cut at +2 nm, above every offset of the file: the
    // reading stops at the end of the file (which reads as 0, 0) instead of
    // waiting there for an offset beyond the cut.
    test::WriteFile(Path("short.sli"), "-0.3 0.2\n0.03 1.0\n0.33 0.1\n");
    BuildSlitKernel(kernel, {MainPath(), '1', "short.sli", -1.0}, 0.01);
    EXPECT_EQ(kernel.Centre, 0);
    EXPECT_EQ(kernel.Sum, 0.0);
    EXPECT_NE(Log().find("Slit kernel sum is 0"), std::string::npos);
}

TEST_F(SlitTest, BadPairAfterTheHeaderIsARunTimeError) {
    test::WriteFile(Path("bad.sli"), "! header\n-0.5 0.1\n0.0 one\n0.5 0.1\n");
    EXPECT_THROW(BuildSlitKernel(kernel, {MainPath(), '1', "bad.sli", 0.2}, 0.01), RunTimeError);
}

TEST_F(SlitTest, EdgesOfTheFineGrid) {
    BuildSlitKernel(kernel, {MainPath(), '0', "", 1.0}, 0.01);
    FillFine(1.0);
    // At 250.5 nm the kernel starts at index -50: only samples 51..200 meet indexes >= 1,
    // and the sum is still divided by the full kernel sum: (37.75 + 49.5) / 100.
    EXPECT_NEAR(ConvolveAt(kernel, 250.5, 0.01), 0.8725, 1e-9);
    // Far below the grid no term is left.
    EXPECT_EQ(ConvolveAt(kernel, 240.0, 0.01), 0.0);
    // At 650.5 nm only samples 0..50 lie on the grid (index 40000 is 650 nm).
    bool eof = false;
    EXPECT_NEAR(ConvolveAt(kernel, 650.5, 0.01, &eof), 0.1275, 1e-9);
    EXPECT_TRUE(eof);
    // A start index of 40000 or more: 0 and "EOF".
    eof = false;
    EXPECT_EQ(ConvolveAt(kernel, 651.0, 0.01, &eof), 0.0);
    EXPECT_TRUE(eof);
    EXPECT_EQ(Engine.GridIndexFaults, 0);

    RunSimulation({MainPath(), '0', "", 1.0}, {649.0, 652.0, 0.5, 0.01}, "x.out");
    EXPECT_NE(Log().find("Simulation: the slit passes the end of the fine grid (  650.00 nm) "
                         "from   649.50 nm on; values there are not meaningful"),
              std::string::npos);
}

TEST_F(SlitTest, FinalSimulationWritesOneLinePerOutputWavelength) {
    FillFine(0.5);
    RunFinalSimulation({MainPath(), '0', "", 1.0}, {290.0, 400.0, 0.5, 0.01}, "instr1.out");
    auto lines = test::ReadLines(Path("instr1.out"));
    ASSERT_EQ(lines.size(), 221u);
    EXPECT_EQ(lines.front(), "290.00     0.50000000");
    EXPECT_EQ(lines[1], "290.50     0.50000000");
    EXPECT_EQ(lines.back(), "400.00     0.50000000");
    EXPECT_NEAR(Spectra.SimulatedSpectrum[80], 0.5, 1e-12);   // 290 nm at the 0.5 nm step
    EXPECT_NEAR(Spectra.SimulatedSpectrum[300], 0.5, 1e-12);  // 400 nm
    EXPECT_FALSE(test::FileExists(Path("unused.hsp")));
    // Final mode stays: a later plain call writes its file too.
    RunSimulation({MainPath(), '0', "", 1.0}, {300.0, 300.0, 0.5, 0.01}, "instr2.out");
    EXPECT_EQ(test::ReadFile(Path("instr2.out")), "300.00     0.50000000\n");
}

TEST_F(SlitTest, PlainSimulationFillsTheArrayAndTouchesNoFile) {
    test::WriteFile(Path("instr1.out"), "old\n");
    for (int i = 0; i < kSpectrumSize; ++i) Spectra.FineSpectrum[i] = 0.001 * i;
    // Output on the 0.02 nm step, as the ozone fit asks for it; a start beyond the end
    // still gives one wavelength.
    RunSimulation({MainPath(), '0', "", 0.6}, {304.1, 331.0, 0.02, 0.01}, "instr1.out");
    EXPECT_EQ(test::ReadFile(Path("instr1.out")), "old\n");
    EXPECT_NEAR(Spectra.SimulatedSpectrum[GridIndex(304.1, 0.02)], 5.41, 1e-9);
    EXPECT_NEAR(Spectra.SimulatedSpectrum[GridIndex(331.0, 0.02)], 8.10, 1e-9);
    RunSimulation({MainPath(), '0', "", 0.6}, {340.0, 330.0, 0.02, 0.01}, "instr1.out");
    EXPECT_NEAR(Spectra.SimulatedSpectrum[GridIndex(340.0, 0.02)], 9.0, 1e-9);
    EXPECT_EQ(Spectra.SimulatedSpectrum[GridIndex(340.02, 0.02)], 0.0);
}

TEST_F(SlitTest, MissingSlitFileHaltsWithErrorS2) {
    // The stage's directory holds no main log: the log is bound to a new one there.
    test::MakeDirs(Path("other"));
    try {
        RunSimulation({MainPath() + "other/", '1', "none.sli", 1.0}, {300, 301, 0.5, 0.01}, "x");
        FAIL() << "no halt";
    } catch (const EngineExit& end) {
        EXPECT_EQ(end.Code, kExitHalt);
    }
    std::string path = MainPath() + "other/none.sli";
    EXPECT_EQ(ConsoleText(), "Error in Simulation routine\nUnable to find slitfunction file:\n" +
                                 path + "\nProgram Halted; ERROR S2\n");
    EXPECT_EQ(test::ReadFile(Path("other/tarnpelo.log")),
              "Error in Simulation routine\nUnable to find slitfunction file:\n" + path +
                  "\nProgram HALTED; ERROR S2\n\n");
    EXPECT_EQ(Log().find("ERROR S2"), std::string::npos);
}

TEST_F(SlitTest, MissingSlitFileWithALogInTheDirectoryUsesTheMainLog) {
    EXPECT_THROW(BuildSlitKernel(kernel, {MainPath(), '1', "none.sli", 1.0}, 0.01), EngineExit);
    EXPECT_NE(Log().find("Unable to find slitfunction file:\n" + MainPath() +
                         "none.sli\nProgram HALTED; ERROR S2\n\n"),
              std::string::npos);
}

}  // namespace
}  // namespace tarn

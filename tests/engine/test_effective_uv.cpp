#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <map>
#include <sstream>

#include "engine/effective_uv.h"
#include "engine/engine_state.h"
#include "engine/program_state.h"
#include "platform/run_error.h"
#include "platform/text_format.h"
#include "tests/support/test_support.h"

namespace tarn {
namespace {

using test::ReadFile;
using test::WriteFile;

constexpr double kStep = 0.01;  // nm, the built-in model grid step

// CIE erythema reference action spectrum (constant 140), for the independent integrations.
double Erythema(double nm) {
    if (nm <= 298.0) return 1.0;
    if (nm <= 328.0) return std::pow(10.0, 0.094 * (298.0 - nm));
    if (nm <= 400.0) return std::pow(10.0, 0.015 * (140.0 - nm));
    return 0.0;
}

class EfuvTest : public test::EngineTest {
  protected:
    void SetUp() override {
        test::EngineTest::SetUp();
        test::MakeDirs(Path("exa"));
        test::MakeDirs(Path("etoz"));
    }
    std::string ResultDir() const { return MainPath() + "exa/efuv/"; }
    std::string Defaults() const { return MainPath() + "efuv.dfa"; }
    std::string ActionDir() const { return MainPath() + "etoz/"; }
    std::string Result(const std::string& name) const { return ResultDir() + name; }

    // Sets the fine spectrum on the 0.01 nm grid from 285 to 410 nm.
    template <class F>
    void FillSpectrum(F irradiance) {
        for (long i = 3500; i <= 16000; ++i)
            Spectra.FineSpectrum[i] = irradiance(250.0 + i * kStep);
    }
    void Prepare(const std::string& scan) {
        PrepareEffectiveUvFiles(ResultDir(), scan, Defaults(), MainPath() + "header.txt", "exa");
    }
    // Runs the integration over 285..410 nm; returns the two fractions.
    std::pair<double, double> Compute(const std::string& scan, double sza, double start,
                                      double last) {
        EffectiveUvFractions f = ComputeEffectiveUv(ResultDir(), scan, Defaults(), "exa",
                                                    {ActionDir(), 285.0, 410.0, kStep, sza, start, last});
        return {f.BelowStart, f.AboveLast};
    }
    // The dose columns of the last row of a result file.
    std::vector<double> LastRow(const std::string& name) {
        std::vector<std::string> lines = test::ReadLines(Result(name));
        std::istringstream row(lines.empty() ? std::string() : lines.back());
        std::vector<double> values;
        std::string hhmm;
        double hour, sza, v;
        row >> hhmm >> hour >> sza;
        while (row >> v) values.push_back(v);
        return values;
    }
    std::string Log() const { return ReadFile(Path("tarnpelo.log")); }
};

// Weight 1 and 2, a missing file, two cut-offs and two bands.
const char* const kGoldenDefaults =
    "2\nc300\n300.0\nc400\n400.0\n3\nflat1.dat\nflat2.dat\ngone.dat\nband\n2\n"
    "290.0 315.0\n315.0 400.0\n* \n1 2\n";

const char* const kHeader = "!header line 1\n!header line 2\n\nnot copied\n";

TEST_F(EfuvTest, FlatAndExponentialSpectraGiveTheClosedFormDoses) {
    WriteFile(Defaults(),
              "4\nc285\n285.0\nc315\n315.0\nc400\n400.0\nc420\n420.0\n2\none.dat\nexp.dat\n"
              "bands\n2\n285 315\n315 410\n* \n2 3\n");
    WriteFile(ActionDir() + "one.dat", "280 1\n420 1\n");
    std::string exp;
    for (int nm = 280; nm <= 420; ++nm)
        exp += std::to_string(nm) + " " + Sci(std::pow(10.0, -0.094 * (nm - 298))) + "\n";
    WriteFile(ActionDir() + "exp.dat", exp);
    FillSpectrum([](double) { return 1.0; });
    Prepare("1731200");
    auto [below, above] = Compute("1731200", 30.0, 285.0, 420.0);

    // Flat spectrum, weight 1: the dose up to a cut-off is its distance from 285 nm.
    // Tolerance: sums of 12500 grid widths carry rounding of about 1e-12 nm.
    EXPECT_NEAR(LastRow("173c285.exa")[0], 0.0, 1e-12);  // below the first grid cell
    EXPECT_NEAR(LastRow("173c315.exa")[0], 30.0, 1e-8);
    EXPECT_NEAR(LastRow("173c400.exa")[0], 115.0, 1e-8);
    EXPECT_NEAR(LastRow("173c420.exa")[0], 124.99, 1e-8);  // above the end: the full dose

    // Exponential weight 10^(-0.094 (l - 298)): log-linear interpolation of the
    // 1 nm table is exact, so the dose is the geometric series of the grid sum.
    double k = 0.094 * std::log(10.0);
    double first = std::exp(-k * (285.0 + kStep - 298.0)), r = std::exp(-k * kStep);
    double sum315 = kStep * first * (1 - std::pow(r, 3000)) / (1 - r);
    double integral315 = (std::exp(-k * (285.0 - 298.0)) - std::exp(-k * (315.0 - 298.0))) / k;
    double dose315 = LastRow("173c315.exa")[1];
    EXPECT_NEAR(dose315, sum315, 1e-8);  // the row keeps 8 decimals
    // The grid sum against the integral: the right-point rule is low by about
    // k x step / 2 = 0.11 % on this falling weight.
    EXPECT_NEAR(dose315 / integral315, 1.0 - k * kStep / 2, 2e-5);

    // Bands add up to the whole integral.
    std::vector<double> bands = LastRow("173bands.exa");
    ASSERT_EQ(bands.size(), 2u);
    EXPECT_NEAR(bands[0], 30.0, 1e-8);
    EXPECT_NEAR(bands[0] + bands[1], 124.99, 1e-8);

    // Start at the integration start: nothing below it.  Last wavelength past
    // the reference cut-off: the fraction above it is 0 or negative.
    EXPECT_NEAR(below, 0.0, 1e-15);
    EXPECT_LT(above, 0.0);
    EXPECT_NEAR(above, 1.0 - LastRow("173c420.exa")[1] / LastRow("173c400.exa")[1], 1e-6);
}

// A smooth clear-sky-like spectrum with fine structure, mW m-2 nm-1.
double ExampleSpectrum(double nm) {
    double rise = 1.0 / (1.0 + std::exp(-(nm - 306.0) / 2.5));
    return 900.0 * rise * (nm / 400.0) * (1.0 + 0.25 * std::sin(2 * M_PI * nm / 1.7));
}

TEST_F(EfuvTest, ErythemalDoseMatchesAnIndependentTrapezoidIntegration) {
    std::string examples = test::SourceDir() + "/examples/day/uvanalys/etoz/";
    ASSERT_TRUE(test::FileExists(examples + "erythema.dat"));
    std::string defaults = "12\n";
    for (int c = 290; c <= 400; c += 10)
        defaults += "c" + std::to_string(c) + "\n" + std::to_string(c) + ".0\n";
    WriteFile(Defaults(), defaults + "1\nerythema.dat\nband\n0\n");
    FillSpectrum(ExampleSpectrum);
    Prepare("1731200");
    ComputeEffectiveUv(ResultDir(), "1731200", Defaults(), "exa",
                       {examples, 285.0, 410.0, kStep, 30.0, 300.0, 400.0});

    double trapezoid = 0.0;
    for (long i = 3500; i < 15000; ++i) {
        double a = 250.0 + i * kStep, b = a + kStep;
        trapezoid +=
            0.5 * (Erythema(a) * ExampleSpectrum(a) + Erythema(b) * ExampleSpectrum(b)) * kStep;
    }
    double dose = LastRow("173c400.exa")[0];
    // Tolerance 0.1 %: the engine's right-point sum and the trapezoid differ by
    // half a grid cell at each end only.
    EXPECT_NEAR(dose / trapezoid, 1.0, 1e-3);

    // The snapshots at rising cut-offs rise.
    double previous = 0.0;
    for (int c = 290; c <= 400; c += 10) {
        double s = LastRow("173c" + std::to_string(c) + ".exa")[0];
        EXPECT_GT(s, previous) << c;
        previous = s;
    }
}

// Real spectra (0.1 nm, W m-2 nm-1) against the provider's CIE-weighted
// irradiance: the engine on the linearly interpolated spectrum reproduces it.
TEST_F(EfuvTest, ErythemalDoseOfMeasuredSpectraMatchesTheProvidersValue) {
    std::string ref = test::RefDataDir();
    if (ref.empty()) GTEST_SKIP() << "no reference data";
    std::string dir = ref + "/measured/melpitz_2019-06-23/extracted/";
    std::string examples = test::SourceDir() + "/examples/day/uvanalys/etoz/";
    WriteFile(Defaults(), "1\nc400\n400.0\n1\nerythema.dat\nband\n0\n");
    for (const char* time : {"033000", "040800"}) {
        std::ifstream in(dir + "MP190623_" + time + "UT.txt");
        ASSERT_TRUE(in) << time;
        std::vector<double> wl, irr;
        double provider = 0.0;
        std::string line;
        while (std::getline(in, line)) {
            size_t at = line.find("(MP190623.RED): ");
            if (at != std::string::npos) provider = std::stod(line.substr(at + 16));
            if (line.empty() || line[0] == '#') continue;
            std::istringstream(line) >> wl.emplace_back() >> irr.emplace_back();
        }
        ASSERT_GT(provider, 0.0);
        for (double& v : Spectra.FineSpectrum) v = 0.0;
        for (size_t p = 0; p + 1 < wl.size(); ++p) {
            long from = std::lround((wl[p] - 250.0) / kStep),
                 to = std::lround((wl[p + 1] - 250.0) / kStep);
            for (long i = from; i <= to; ++i)
                Spectra.FineSpectrum[i] =
                    irr[p] + (irr[p + 1] - irr[p]) * (i - from) / double(to - from);
        }
        Prepare("1740330");
        ComputeEffectiveUv(ResultDir(), "1740330", Defaults(), "exa",
                           {examples, 290.0, 410.0, kStep, 85.0, 290.0, 400.0});
        std::vector<std::string> lines = test::ReadLines(Result("174c400.exa"));
        ASSERT_FALSE(lines.empty());
        double dose = std::stod(lines.back().substr(20));
        // The provider's value has 4 digits; the reference notes give
        // 0.2-0.3 % between a trapezoid sum and it, so 0.5 % here.
        EXPECT_NEAR(dose / provider, 1.0, 5e-3) << time;
    }
}

TEST_F(EfuvTest, GoldenDayFilesAfterTwoScansAndAMissingScan) {
    WriteFile(Defaults(), kGoldenDefaults);
    WriteFile(ActionDir() + "flat1.dat", "280 1\n420 1\n");
    WriteFile(ActionDir() + "flat2.dat", "280 2\n420 2\n");
    WriteFile(Path("header.txt"), kHeader);
    FillSpectrum([](double) { return 0.5; });
    Prepare("1731200");
    auto [below, above] = Compute("1731200", 30.0, 295.0, 400.0);
    EXPECT_NEAR(below, 5.0 / 57.5, 1e-12);  // dose to 295 over the dose to 400 nm
    EXPECT_NEAR(above, 0.0, 1e-12);
    FillSpectrum([](double) { return 0.25; });
    Prepare("1731230");
    Compute("1731230", 35.5, 295.0, 400.0);
    WriteEffectiveUvNoData(ResultDir(), "1731300", Defaults(), "exa");

    std::string head = "!header line 1\n!header line 2\n\n";
    std::string titles = "!T:hhmm hh.dec  sza  flat1.dat    flat2.dat    gone.dat     \n";
    std::string noData = "1300 13.0000 *       *            *            *            \n";
    EXPECT_EQ(ReadFile(Result("173c300.exa")),
              head + titles +
                  "1200 12.0000  30.00   7.50000000  15.00000000 10000.00000000 \n"
                  "1230 12.5000  35.50   3.75000000   7.50000000 10000.00000000 \n" +
                  noData);
    EXPECT_EQ(ReadFile(Result("173c400.exa")),
              head + titles +
                  "1200 12.0000  30.00  57.50000000 115.00000000 10000.00000000 \n"
                  "1230 12.5000  35.50  28.75000000  57.50000000 10000.00000000 \n" +
                  noData);
    EXPECT_EQ(ReadFile(Result("173band.exa")),
              head +
                  "!T:hhmm hh.dec  sza  290-315      315-400      \n"
                  "1200 12.0000  30.00  12.50000000  42.50000000 \n"
                  "1230 12.5000  35.50   6.25000000  21.25000000 \n"
                  "1300 13.0000 *       *            *            \n");
}

TEST_F(EfuvTest, MissingFirstScanOfTheDayCreatesTheDayFiles) {
    WriteFile(Defaults(), kGoldenDefaults);
    WriteFile(Path("header.txt"), kHeader);
    WriteEffectiveUvNoData(ResultDir(), "1730700", Defaults(), "exa");
    EXPECT_EQ(ReadFile(Result("173c300.exa")),
              "!header line 1\n!header line 2\n\n"
              "!T:hhmm hh.dec  sza  flat1.dat    flat2.dat    gone.dat     \n"
              "0700  7.0000 *       *            *            *            \n");
    EXPECT_EQ(ReadFile(Result("173band.exa")),
              "!header line 1\n!header line 2\n\n"
              "!T:hhmm hh.dec  sza  290-315      315-400      \n"
              "0700  7.0000 *       *            *            \n");
}

TEST_F(EfuvTest, SwitchesAndTheMissingDefaultsFile) {
    Engine.Switches.Effective_UV = false;
    WriteFile(Defaults(), kGoldenDefaults);
    FillSpectrum([](double) { return 1.0; });
    Prepare("1731200");
    Compute("1731200", 30.0, 295.0, 400.0);
    EXPECT_FALSE(test::FileExists(Result("173c300.exa")));
    EXPECT_TRUE(test::FileExists(Result("173band.exa")));

    std::remove(Defaults().c_str());
    Prepare("1741200");
    EXPECT_NE(Log().find("ERROR EF1 Default Efuv_File not found: " + Defaults()),
              std::string::npos);
}

TEST_F(EfuvTest, WithoutAnyDefaultsFileNothingIsWrittenAndTheFractionsAreUndetermined) {
    FillSpectrum([](double) { return 1.0; });
    Prepare("1731200");
    auto [below, above] = Compute("1731200", 30.0, 295.0, 400.0);
    WriteEffectiveUvNoData(ResultDir(), "1731300", Defaults(), "exa");
    EXPECT_EQ(below, -1.0);
    EXPECT_EQ(above, -1.0);
    EXPECT_FALSE(test::FileExists(Result("173.exa")));
    EXPECT_NE(Log().find("Effective UV: ratio indexes 0 0 outside the tables; fractions "
                         "undetermined (-1)"),
              std::string::npos);
}

TEST_F(EfuvTest, CountsAboveTheTablesAreClampedAndLogged) {
    std::string d = "20\n";
    for (int c = 1; c <= 20; ++c)
        d += "k" + std::to_string(c) + "\n" + std::to_string(290 + c) + "\n";
    d += "22\n";
    for (int a = 1; a <= 22; ++a) d += "one.dat\n";
    d += "band\n21\n";
    for (int b = 1; b <= 21; ++b) d += "290 " + std::to_string(300 + b) + "\n";
    d += "# \n1 18\n";
    WriteFile(Defaults(), d);
    WriteFile(ActionDir() + "one.dat", "280 1\n420 1\n");
    FillSpectrum([](double) { return 1.0; });
    Prepare("1731200");
    auto [below, above] = Compute("1731200", 30.0, 300.0, 400.0);
    std::string log = Log();
    EXPECT_NE(log.find(": cut-off count 20 outside 0..18; 18 used"), std::string::npos);
    EXPECT_NE(log.find(": action-spectrum count 22 outside 0..20; 20 used"), std::string::npos);
    EXPECT_NE(log.find(": band count 21 outside 0..20; 20 used"), std::string::npos);
    EXPECT_TRUE(test::FileExists(Result("173k18.exa")));
    EXPECT_FALSE(test::FileExists(Result("173k19.exa")));
    EXPECT_EQ(LastRow("173k18.exa").size(), 20u);
    EXPECT_NEAR(LastRow("173k18.exa")[19], 308.0 - 285.0, 1e-8);
    EXPECT_EQ(LastRow("173band.exa").size(), 20u);
    EXPECT_NEAR(LastRow("173band.exa")[19], 320.0 - 290.0, 1e-8);
    // The marker and the ratio line after the dropped entries are still read.
    EXPECT_NEAR(below, 15.0 / 23.0, 1e-12);
    WriteEffectiveUvNoData(ResultDir(), "1731300", Defaults(), "exa");
    EXPECT_EQ(test::ReadLines(Result("173k1.exa")).back().substr(0, 26),
              "1300 13.0000 #       #    ");
}

TEST_F(EfuvTest, NonPositiveWeightsAndRepeatedWavelengths) {
    WriteFile(Defaults(), "1\nall\n420\n2\nzero.dat\ndup.dat\nband\n0\n* \n1 1\n");
    WriteFile(ActionDir() + "zero.dat", "280 1\n300 0\n420 0\n");
    WriteFile(ActionDir() + "dup.dat", "280 1\n300 1\n300 2\n420 2\n");
    FillSpectrum([](double) { return 1.0; });
    Prepare("1731200");
    Compute("1731200", 30.0, 300.0, 400.0);
    std::vector<double> row = LastRow("173all.exa");
    ASSERT_EQ(row.size(), 2u);
    // Linear in 280..300 (1 - (l - 280) / 20), 0 above: the grid sum over
    // 285.01..300.00 is 0.01 (1500 x 0.75 - 0.0005 x 1125750) = 5.62125.
    EXPECT_NEAR(row[0], 5.62125, 1e-8);
    // Weight 1 up to 300 nm and 2 above, without a division by zero.
    EXPECT_NEAR(row[1], 15.0 + 2 * (409.99 - 300.0), 1e-8);
    std::string log = Log();
    EXPECT_NE(log.find("Action spectrum zero.dat: weight of 0 or less between  280.000 and  "
                       "300.000 nm; interpolated linearly there"),
              std::string::npos);
    EXPECT_NE(log.find("Action spectrum dup.dat: bracket of one wavelength  300.000 nm"),
              std::string::npos);
}

TEST_F(EfuvTest, RatioIndexesOutsideTheTablesGiveUndeterminedFractions) {
    WriteFile(Defaults(), "1\nc400\n400\n1\none.dat\nband\n0\n* \n2 1\n");
    WriteFile(ActionDir() + "one.dat", "280 1\n420 1\n");
    FillSpectrum([](double) { return 1.0; });
    Prepare("1731200");
    auto [below, above] = Compute("1731200", 30.0, 300.0, 400.0);
    EXPECT_EQ(below, -1.0);
    EXPECT_EQ(above, -1.0);
    EXPECT_NE(Log().find("Effective UV: ratio indexes 2 1 outside the tables"), std::string::npos);
}

TEST_F(EfuvTest, ActionFileWithTextEndsWithTheRunTimeError) {
    WriteFile(Defaults(), "1\nc400\n400\n1\nbad.dat\nband\n0\n");
    WriteFile(ActionDir() + "bad.dat", "wavelength weight\n280 1\n");
    EXPECT_THROW(Compute("1731200", 30.0, 300.0, 400.0), RunTimeError);
}

// Lines "wavelength weight" of an action-spectrum or reference table file;
// lines that are not two numbers are passed over.
std::map<double, double> ReadTable(const std::string& path) {
    std::map<double, double> table;
    for (const std::string& line : test::ReadLines(path)) {
        std::istringstream in(line);
        std::string a, b, rest;
        double x, y;
        if (in >> a >> b && !(in >> rest) && ParseReal(a, x) && ParseReal(b, y)) table[x] = y;
    }
    return table;
}

TEST(ExampleActionSpectra, FollowThePublishedDefinitions) {
    std::string dir = test::SourceDir() + "/examples/day/uvanalys/etoz/";
    std::map<double, double> erythema = ReadTable(dir + "erythema.dat");
    ASSERT_EQ(erythema.size(), 116u);  // 285..400 nm
    EXPECT_EQ(erythema.begin()->first, 285.0);
    // CIE check values (constant 140), given to 5 digits: relative tolerance 5e-5.
    const std::pair<double, double> checks[] = {
        {300, 0.64863},   {305, 0.21979}, {310, 0.074473},  {320, 0.0085507}, {328, 0.0015136},
        {330, 0.0014125}, {340, 0.001},   {360, 5.0119e-4}, {400, 1.2589e-4}};
    for (auto [nm, weight] : checks) EXPECT_NEAR(erythema[nm] / weight, 1.0, 5e-5) << nm;

    std::map<double, double> dna = ReadTable(dir + "dna_gm.dat");
    ASSERT_EQ(dna.size(), 126u);  // 285..410 nm
    EXPECT_DOUBLE_EQ(dna[300.0], 1.0);
    std::map<double, double> vitaminD = ReadTable(dir + "vitd_cie.dat");
    ASSERT_EQ(vitaminD.size(), 46u);  // 285..330 nm
    EXPECT_DOUBLE_EQ(vitaminD[298.0], 1.0);
    // Every weight is positive (the engine interpolates their logarithms) and
    // the wavelengths rise by 1 nm.
    for (auto* table : {&erythema, &dna, &vitaminD}) {
        double previous = 284.0;
        for (auto [nm, weight] : *table) {
            EXPECT_GT(weight, 0.0) << nm;
            EXPECT_EQ(nm, previous + 1.0);
            previous = nm;
        }
    }

    std::string ref = test::RefDataDir();
    if (ref.empty()) GTEST_SKIP() << "no reference data";
    // The CIE 2006 previtamin-D3 table gives 3 significant digits: 0.5 %.
    std::map<double, double> published = ReadTable(ref + "/action_spectra/vitamin_D.txt");
    int compared = 0;
    for (auto [nm, weight] : vitaminD) {
        if (published.count(nm) == 0) continue;
        EXPECT_NEAR(weight / published[nm], 1.0, 5e-3) << nm;
        ++compared;
    }
    EXPECT_EQ(compared, 46);
}

TEST(ExampleActionSpectra, EfuvDefaultsNameTheFilesAndTheBands) {
    std::string dir = test::SourceDir() + "/examples/day/uvanalys/";
    EXPECT_EQ(
        ReadFile(dir + "efuv.dfa"),
        "3\nuv315\n315.0\nuv320\n320.0\nuv400\n400.0\n3\nerythema.dat\nvitd_cie.dat\n"
        "dna_gm.dat\nband\n3\n290.0 315.0\n315.0 400.0\n290.0 400.0\n*\n1 3\n");
}

}  // namespace
}  // namespace tarn

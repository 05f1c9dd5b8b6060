#include <gtest/gtest.h>
#include <unistd.h>

#include <istream>
#include <sstream>
#include <streambuf>
#include <string>
#include <vector>

#include "engine/defaults.h"
#include "engine/engine_state.h"
#include "engine/install.h"
#include "engine/instrument_file.h"
#include "engine/program_state.h"
#include "platform/console.h"
#include "platform/run_error.h"
#include "tests/support/test_support.h"

namespace tarn {
namespace {

using test::ReadFile;
using test::ReadLines;
using test::WriteFile;

const std::string kBanner = kVersionBanner;

const std::string kUsage =
    "\n"
    "Program TARNpelo, version: \n" +
    kBanner +
    "\n"
    "This program has been developed at PELO within the context of the\n"
    "EC-project KESTRIL\n"
    "Installation for calculations with a new instrument: TARNpelo -i\n"
    "Standard KESTRIL installation:                       TARNpelo -s\n"
    "Otherwise start with the following commandline:\n"
    "TARNpelo [DDDhhmm] [id_met] <path+defaultsfilename> <id_shift> <id_specout>\n"
    "         <id_shif_appl>\n"
    "[...]   - required command line input\n"
    "<...>   - optional (otherwise defaults in tarnpelo.dfa are applied)\n"
    "          normal usage does not require optional parameters\n"
    "DDDhhmm - DDD day number in year;hhmm hour minutes\n"
    "id_met  - three letter code for instrument_identification\n"
    "path+   - file with overall defaults, else tarnpelo.dfa\n"
    "id_shift- identification (1 lettercode) for results of shift analysis\n"
    "id_speco- identification (1 lettercode) for analysed simulated spectrum\n"
    "id_shif_a identification (1 lettercode) interpolated shift values for each\n"
    "          wavelength measured, if not specified results are in shiftlog.log\n";

// Opening lines of the dialogue up to the first question.
std::string Opening(const std::string& modeLine) {
    return "   Start Procedure Install_DFA\n\nProgram TARNpelo, version: \n" + kBanner +
           "\nThis program has been developed at PELO within the context of the\n"
           "KESTRIL and TAMOR project\n" +
           modeLine +
           "\n\n"
           "Provide the year of the measurements (example: 1998)\n"
           "Provide the location of the measurements: longitude latitude\n"
           "in degrees.decimal separated by space\n"
           "Provide the three letter instrument_id (avoid: dfa or gle)\n";
}

const char* const kRangeAndFwhm =
    "Provide (maximum) measured wavelength range and (representative) wavelength step in "
    "spectra\n"
    "Program can handle variability in wavelength steps and ranges\n"
    "start wavelength    end wavelength   step in wavelength (nm)\n"
    "\n"
    "Provide Full Width at Half Maximum of the slit function (nm)\n"
    "\n"
    "Is the slit function available Y/N?\n";

const char* const kSlitQuestions =
    "Provide slit function filename (full path and filename)\n"
    "\n"
    "If the slit was measured using a spectral line two steps are required\n"
    "to make the result a slit function:\n"
    "1- subtract the nominal wavelength of the line from the wavelength reading\n"
    "2- mirror the measured line in the nominal (=0 nm) wavelength\n"
    "If the second step is not performed answer the next question with N\n"
    "Is the slit function mirrored in the nominal wavelength?\n";

std::string Closing(const std::string& main, const std::string& id) {
    return "Instrument specific defaults written to:\n" + main + id +
           ".dfa\n"
           "General defaults (in short default-format) are written in:\n" +
           main +
           "tarnpelo.dfa\n"
           "\n"
           "TARNpelo has now been installed for: " +
           id +
           "\n"
           "\n"
           "EXAMPLE of program call:\n"
           "TARNpelo DDDhhmm " +
           id + " " + main +
           "tarnpelo.dfa s i w\n"
           "\n"
           "    where DDDhhmm - stands for day number in year (DDD) hour and minutes\n"
           "\n"
           "   End Procedure Install_DFA\n";
}

class InstallTest : public test::EngineTest {
  protected:
    void RunInstall(const std::string& argument, const std::string& input) {
        CommandLine.ScanName = argument;
        SetInput(input);
        ClearConsole();
        HandleInstallOrUsage();
    }
};

TEST_F(InstallTest, UsageTextWithoutAnInstallArgument) {
    RunInstall("", "");
    EXPECT_EQ(ConsoleText(), kUsage);
    EXPECT_EQ(test::SplitLines(kUsage).size(), 20u);
    RunInstall("0011200", "");
    EXPECT_EQ(ConsoleText(), kUsage);
    EXPECT_EQ(CommandLine.ScanName, "0011200");
}

TEST_F(InstallTest, InstallModeGoldenTranscriptAndFilesWithAMirroredSlit) {
    WriteFile(Path("line.txt"),
              "Hg line at 296.73 nm\n-2.0 0.0\n-1.0 0.5\n0.0 1.0\n1.0 0.4\n2.0 0.1\n\n");
    std::string input = "2004x\n5.18 52.1\ntst\n/data/uv\n" + Dir() + "\n290 400 0.5\n1.1\ny\n" +
                        Path("line.txt") + "\nn\nN\n1 30 0\n";
    RunInstall("-i", input);
    std::string main = MainPath();
    std::string expected = Opening("Program was started with the -i = install option") +
                           "Provide the full path where measurements in two column ASC-II\n"
                           "format will be located (wavelength irradiance (separated by spaces)\n"
                           "NOTE1: PLOVEN1997-format is allowed\n"
                           "NOTE2: KESTRIL-quadrel should be extracted with MERU-tool\n"
                           "\n"
                           "Provide the main-path for the analysed results and default files\n" +
                           kRangeAndFwhm + kSlitQuestions +
                           "The line measurement is now mirrored to obtain the slit function\n"
                           "Slit function file created: " +
                           main +
                           "tst.sli\n"
                           "\n"
                           "Do times in data-files refer to Universal Time (UT)?  Y/N\n"
                           "\n"
                           "Provide the time correction necessary to obtain UT:\n"
                           "UT = time_correction + time_provided\n"
                           "where time_correction  is given in:\n"
                           "hours minutes and seconds as integers separated by spaces\n"
                           "\n" +
                           Closing(main, "tst");
    EXPECT_EQ(ConsoleText(), expected);

    EXPECT_EQ(ReadFile(Path("tst.dfa")),
              "ozonshi.dfa\n"
              "0 no_id_met\n"
              ".tst\n"
              "/data/uv\n"
              " 2.90000000000000E+0002  4.00000000000000E+0002  5.00000000000000E-0001\n"
              "2\n"
              "1\n"
              " 1.10000000000000E+0000\n"
              "1\n");
    EXPECT_EQ(ReadFile(Path("tarnpelo.dfa")),
              "2004\n"
              " 5.18000000000000E+0000  5.21000000000000E+0001\n"
              " 9.00000000000000E-0001\n" +
                  main + "\n" + main +
                  "etoz/\n"
                  "0 1 30 0\n");
    EXPECT_EQ(ReadFile(Path("tst.sli")), "! " + Path("line.txt") +
                                             "  MIRRORED by TARNpelo\n"
                                             "   -2.0000  1.00000000000000E-0001\n"
                                             "   -1.0000  4.00000000000000E-0001\n"
                                             "    0.0000  1.00000000000000E+0000\n"
                                             "    1.0000  5.00000000000000E-0001\n"
                                             "    2.0000  0.00000000000000E+0000\n");
    EXPECT_TRUE(Instrument.NoIdMet);
    EXPECT_EQ(Paths.MainPath, main);
}

TEST_F(InstallTest, SlitAlreadyMirroredIsCopiedInFileOrder) {
    WriteFile(Path("slit.txt"), "! measured\n\n-1.5 0.2\n0 1\n1.5 0.3\n");
    RunInstall("-I", "2004\n5 52\nab\nd\n" + Dir() + "\n290 400 0.5\n1\nY\n" + Path("slit.txt") +
                         "\nyes\ny\n");
    EXPECT_NE(ConsoleText().find("Slit function file created: " + MainPath() + "ab.sli\n"),
              std::string::npos);
    EXPECT_EQ(ConsoleText().find("now mirrored"), std::string::npos);
    EXPECT_EQ(ReadFile(Path("ab.sli")), "! " + Path("slit.txt") +
                                            "\n   -1.5000  2.00000000000000E-0001\n"
                                            "    0.0000  1.00000000000000E+0000\n"
                                            "    1.5000  3.00000000000000E-0001\n");
}

TEST_F(InstallTest, MissingSlitSourceIsReportedAndTheFlagStaysOne) {
    RunInstall("-i", "2004\n5 52\nab\nd\n" + Dir() + "\n290 400 0.5\n1\ny\n/no/such.sli\nn\ny\n");
    std::string expected =
        "Is the slit function mirrored in the nominal wavelength?\n"
        "Slit function: /no/such.sli does not exist yet!\n"
        "Slit function should be made available\n"
        "Before using program; copy slit function in: " +
        MainPath() +
        "\n"
        "slit name should be: ab.sli\n"
        "\n"
        "NOTE: slit function should be mirrored !!!\n"
        "\n"
        "Do times in data-files refer to Universal Time (UT)?  Y/N\n\n";
    EXPECT_NE(ConsoleText().find(expected), std::string::npos) << ConsoleText();
    EXPECT_FALSE(test::FileExists(Path("ab.sli")));
    EXPECT_EQ(ReadLines(Path("ab.dfa"))[6], "1");
    EXPECT_EQ(ReadLines(Path("tarnpelo.dfa"))[5], "0 0 0 0");  // UT answer yes
}

TEST_F(InstallTest, SlitCopyStopsAtFortyThousandPairs) {
    std::string text = "! many\n";
    for (int i = 0; i < 40003; ++i) text += std::to_string(i * 0.001) + " 1\n";
    WriteFile(Path("many.txt"), text);
    RunInstall("-i", "2004\n5 52\nab\nd\n" + Dir() + "\n290 400 0.5\n1\ny\n" + Path("many.txt") +
                         "\ny\ny\n");
    std::vector<std::string> lines = ReadLines(Path("ab.sli"));
    ASSERT_EQ(lines.size(), 40001u);
    EXPECT_EQ(lines.back(), "   39.9990  1.00000000000000E+0000");
    std::string note = "Slit function " + Path("many.txt") + ": only the first 40000 pairs copied";
    EXPECT_NE(ConsoleText().find(note), std::string::npos);
    EXPECT_NE(ReadFile(Path("tarnpelo.log")).find(note), std::string::npos);
}

TEST_F(InstallTest, StandardModeDerivesThePathsFromTheCurrentDirectory) {
    test::MakeDirs(Path("data/uvanalys/bin"));
    ASSERT_EQ(chdir(Path("data/uvanalys/bin").c_str()), 0);
    RunInstall("-S", "1999\n-3.5 40.25\nxyz\n300 450 0.25\n1.0\nN\ny\n");
    EXPECT_EQ(CommandLine.ScanName, "-S-i");
    std::string base = Dir() + "/data/";
    std::string main = base + "uvanalys/";
    std::string expected =
        Opening("Program was started with the -s = standard KESTRIL install option") +
        kRangeAndFwhm +
        "Triangular slit function with FWHM:  1.00 is used\n"
        "NOTE: using measured slit function is preferable\n"
        "\n"
        "Do times in data-files refer to Universal Time (UT)?  Y/N\n"
        "\n" +
        Closing(main, "xyz");
    EXPECT_EQ(ConsoleText(), expected);
    std::vector<std::string> instrument = ReadLines(main + "xyz.dfa");
    ASSERT_EQ(instrument.size(), 9u);
    EXPECT_EQ(instrument[3], base + "uvdata/");
    EXPECT_EQ(instrument[5], "2");  // 2 x 2 x 0.25 >= 1.0
    EXPECT_EQ(instrument[6], "0");
    std::vector<std::string> shortFile = ReadLines(main + "tarnpelo.dfa");
    ASSERT_EQ(shortFile.size(), 6u);
    EXPECT_EQ(shortFile[1], "-3.50000000000000E+0000  4.02500000000000E+0001");
    EXPECT_EQ(shortFile[3], main);
    EXPECT_EQ(shortFile[4], main + "etoz/");
    EXPECT_EQ(shortFile[5], "0 0 0 0");
}

TEST_F(InstallTest, StandardModeOutsideAnAnalysisDirectory) {
    test::MakeDirs(Path("uvanalys"));
    RunInstall("x-s", "1999\n5 52\nab\n290 400 0.5\n1.0\nn\ny\n");
    EXPECT_EQ(CommandLine.ScanName, "x-s-i");
    EXPECT_EQ(ReadLines(Path("uvanalys/ab.dfa"))[3], Dir() + "/uvdata/");
}

TEST_F(InstallTest, HalfWidthInPointsEndsForEveryStep) {
    struct Case {
        const char* step;
        const char* fwhm;
        const char* points;
    } cases[] = {{"0.5", "1.0", "1"},  {"0.25", "1.0", "2"}, {"0.5", "1.1", "2"},
                 {"0.1", "0.3", "2"},  {"0.1", "0.6", "3"},  {"0", "1.0", "1"},
                 {"-0.5", "1.0", "1"}, {"0.5", "0", "1"}};
    for (const Case& c : cases) {
        RunInstall("-i", std::string("2004\n5 52\nab\nd\n") + Dir() + "\n290 400 " + c.step + "\n" +
                             c.fwhm + "\nn\ny\n");
        EXPECT_EQ(ReadLines(Path("ab.dfa"))[5], c.points) << c.step << " " << c.fwhm;
    }
}

TEST_F(InstallTest, EmptyMainPathIsTheWorkingDirectory) {
    RunInstall("-i", "2004\n5 52\nab\nd\n\n290 400 0.5\n1.0\nn\ny\n");
    EXPECT_EQ(Paths.MainPath, "");
    EXPECT_TRUE(test::FileExists(Path("ab.dfa")));
    EXPECT_EQ(ReadLines(Path("tarnpelo.dfa"))[4], "etoz/");
}

TEST_F(InstallTest, AnswerThatIsNoNumberIsARunTimeError) {
    try {
        RunInstall("-i", "2004\nfive 52\n");
        FAIL() << "no run-time error";
    } catch (const RunTimeError& e) {
        EXPECT_EQ(e.File(), "standard input");
        EXPECT_EQ(e.Line(), 2);
    }
    // Numbers missing from an answer line are taken from the next line.
    RunInstall("-i", "2004\n5\n52\nab\nd\n" + Dir() + "\n290\n400 0.5\n1\nn\ny\n");
    EXPECT_EQ(ReadLines(Path("ab.dfa"))[4],
              " 2.90000000000000E+0002  4.00000000000000E+0002  5.00000000000000E-0001");
    EXPECT_EQ(ReadLines(Path("tarnpelo.dfa"))[1],
              " 5.00000000000000E+0000  5.20000000000000E+0001");
}

// Input that never ends: one character for ever.
class EndlessInput : public std::streambuf {
  public:
    explicit EndlessInput(char c) : m_block(4096, c) {}

  protected:
    int_type underflow() override {
        setg(&m_block[0], &m_block[0], &m_block[0] + m_block.size());
        return traits_type::to_int_type(m_block[0]);
    }

  private:
    std::string m_block;
};

// Endless input (zero bytes without a line end, or empty lines for ever) and
// input that ends early stop the dialogue with the run-time error before it
// writes its files; over-long answers are cut to their fields.
TEST_F(InstallTest, EndlessOrEndingInputStopsTheDialogue) {
    // The dialogue's report for `input`; empty when it ended normally.
    auto report = [](std::streambuf* input) {
        std::istream in(input);
        SetConsoleInput(&in);
        CommandLine.ScanName = "-i";
        std::string text;
        try {
            Install_DFA();
        } catch (const RunTimeError& e) {
            text = e.Report();
        }
        SetConsoleInput(nullptr);
        return text;
    };
    for (char c : {'\0', '\n'}) {
        EndlessInput endless(c);
        EXPECT_EQ(report(&endless),
                  "run-time error: read number from 'standard input' line 2: "
                  "no number in the answer");
    }
    std::stringbuf early("2004\n5\n52\nab\n");
    EXPECT_EQ(report(&early),
              "run-time error: read from 'standard input' line 5: end of input before the "
              "install dialogue was answered");
    EXPECT_FALSE(test::FileExists(Path("tarnpelo.dfa")));

    std::string longDir(300, 'd'), longId(20, 'i');
    std::stringbuf answers("2004\n5 52\n" + longId + "\n" + longDir + "\n" + Dir() +
                           "\n290 400 0.5\n1.0\nn\ny\n");
    EXPECT_EQ(report(&answers), "");
    std::vector<std::string> lines = ReadLines(Path(longId.substr(0, 15) + ".dfa"));
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[3], longDir.substr(0, 255));
}

class ShortDefaultsTest : public test::EngineTest {
  protected:
    void ReadShort(const std::string& text) {
        WriteFile(Path("tarnpelo.dfa"), text);
        SetInternalDefaults();
        ReadShortDefaults("tarnpelo.dfa");
    }
};

TEST_F(ShortDefaultsTest, FiveSixAndSevenLines) {
    ReadShort("2003xyz\n4.9 52.1\n0.7\nmp\nref\n");
    EXPECT_EQ(Analysis.MeasurementYear, "2003");
    EXPECT_DOUBLE_EQ(Analysis.Longitude, 4.9);
    EXPECT_DOUBLE_EQ(Analysis.Latitude, 52.1);
    EXPECT_DOUBLE_EQ(Analysis.MaximumShift, 0.7);
    EXPECT_EQ(Paths.MainPath, "mp/");
    EXPECT_EQ(Paths.SecondPath, "mp/");
    EXPECT_EQ(Paths.ShiftRootPath, "mp/");
    EXPECT_EQ(Paths.RefDataPath, "ref");  // used as written
    EXPECT_EQ(Paths.ActionSpectrumDir, "ref");
    EXPECT_EQ(Analysis.TimeCorrection[1], 0);
    EXPECT_EQ(Analysis.StdSlitChar, '0');
    EXPECT_EQ(Paths.StdSlitFileName, "");
    EXPECT_NE(ReadFile(Path("tarnpelo.log")).find("Reads short defaults: tarnpelo.dfa\n"),
              std::string::npos);

    ReadShort("2003\n4.9 52.1\n0.7\nmp/\nref/\n1 -2 30 15\n");
    EXPECT_EQ(Paths.MainPath, "mp/");
    EXPECT_EQ(Analysis.TimeCorrection[0], 1);
    EXPECT_EQ(Analysis.TimeCorrection[1], -2);
    EXPECT_EQ(Analysis.TimeCorrection[3], 15);
    EXPECT_EQ(Analysis.StdSlitChar, '0');

    ReadShort("2003\n4.9 52.1\n0.7\nmp/\nref/\n0 0 0 0\n1std.sli\n");
    EXPECT_EQ(Analysis.StdSlitChar, '1');
    EXPECT_EQ(Paths.StdSlitFileName, "std.sli");
    ReadShort("2003\n4.9 52.1\n0.7\nmp/\nref/\n0 0 0 0\n1 std.sli\n\n");
    EXPECT_EQ(Analysis.StdSlitChar, '1');
    EXPECT_EQ(Paths.StdSlitFileName, " std.sli");
}

TEST_F(ShortDefaultsTest, FileEndingEarlyKeepsTheRestBuiltIn) {
    ReadShort("2003\n4.9 52.1\n");
    EXPECT_EQ(Analysis.MeasurementYear, "2003");
    EXPECT_DOUBLE_EQ(Analysis.MaximumShift, 0.9);
    EXPECT_EQ(Paths.MainPath, "uvanalys/");
    EXPECT_NE(ReadFile(Path("tarnpelo.log")).find("tarnpelo.dfa ends after line 2"),
              std::string::npos);
}

TEST_F(ShortDefaultsTest, SecondEffectiveDefaultsAfterTheInstrumentFile) {
    test::MakeDirs(Path("mp"));
    WriteFile(Path("tarnpelo.dfa"), "2003\n4.9 52.1\n0.7\n" + Path("mp") + "\nref/\n0 1 0 0\n");
    WriteFile(Path("mp/abc.dfa"),
              "ozonshi.dfa\n0\n.abc\nd\n290 400 0.5\n1\n0\n1.0\n1\n1.0\n0.07\n");
    CommandLine.DefaultsFile = "tarnpelo.dfa";
    CommandLine.IdMet = "abc";
    ReadLongDefaults();
    ASSERT_TRUE(Analysis.ShortDefaultsRead);
    CommandLine.IdSpecout = "i";
    WriteEffectiveDefaults();
    std::vector<std::string> first = ReadLines(Path("mp/tarn_e.dfa"));
    ASSERT_EQ(first.size(), 93u);
    EXPECT_EQ(first[0], " 5.21000000000000E+0001  4.90000000000000E+0000");  // latitude first
    EXPECT_EQ(first[4], " 7.00000000000000E-0001");
    EXPECT_EQ(first[6], Path("mp") + "/");
    EXPECT_EQ(first[7], "ref/");
    EXPECT_EQ(first[17], "ref/");
    EXPECT_EQ(first[21], "2003");
    EXPECT_EQ(first[40], "0 1 0 0");
    EXPECT_EQ(first[46], " 5.00000000000000E-0002  2.00000000000000E-0002");

    Inlezen_Instrument();
    WriteEffectiveDefaults();
    std::vector<std::string> second = ReadLines(Path("mp/tarn_e.dfa"));
    ASSERT_EQ(second.size(), 93u);
    EXPECT_EQ(second[46], " 5.00000000000000E-0002  7.00000000000000E-0002");
    second[46] = first[46];
    EXPECT_EQ(second, first);  // nothing else changes
}

class InstallProgram : public test::TempDirTest {};

TEST_F(InstallProgram, NoArgumentPrintsTheUsageAndEndsWithErrorC1) {
    test::MakeDirs(Path("uvanalys"));
    std::string out, err;
    EXPECT_EQ(test::RunTarnpelo(Dir(), {}, &out, &err), 1);
    ASSERT_GE(out.size(), kUsage.size());
    EXPECT_EQ(out.substr(0, kUsage.size()), kUsage);
    EXPECT_NE(out.find("Unable to find Instrument Default file:\nuvanalys/.dfa\n"),
              std::string::npos);
}

TEST_F(InstallProgram, InstallRunGoesOnToTheMissingInstrumentFile) {
    std::string out, err;
    std::string input = "2004\n5.18 52.1\ntst\n/data/uv\n" + Dir() + "\n290 400 0.5\n1.0\nn\ny\n";
    EXPECT_EQ(test::RunTarnpelo(Dir(), {"-i"}, &out, &err, input), 1);
    EXPECT_NE(out.find("   End Procedure Install_DFA\n"), std::string::npos);
    EXPECT_TRUE(test::FileExists(Path("tst.dfa")));
    // The run reads the short file just written and looks for "<main path>.dfa".
    EXPECT_NE(out.find("Unable to find Instrument Default file:\n" + Dir() + "/.dfa\n"),
              std::string::npos)
        << out;
    EXPECT_NE(ReadFile(Path("tarnpelo.log")).find("Reads short defaults: tarnpelo.dfa"),
              std::string::npos);
}

}  // namespace
}  // namespace tarn

#include "engine/install.h"

#include <algorithm>
#include <cmath>
#include <istream>
#include <limits>

#include "engine/defaults.h"
#include "engine/engine_state.h"
#include "engine/formats/instrument_layout.h"
#include "engine/formats/settings_text.h"
#include "engine/program_state.h"
#include "platform/console.h"
#include "platform/paths.h"
#include "platform/run_error.h"
#include "platform/run_lock.h"
#include "platform/text_file.h"
#include "platform/text_format.h"

namespace tarn {

namespace {

constexpr const char* kInputName = "standard input";
constexpr long kMaxSlitPairs = kMaxMeasuredPoints;
constexpr size_t kMaxInputLine = 4096;   // characters of one input line
constexpr size_t kMaxNumberLength = 64;  // characters of one number
constexpr size_t kMaxPathAnswer = 255;   // characters kept of a path answer

// Answers of the install dialogue.
struct InstallAnswers {
    bool StandardMode;
    std::string Year;
    double Longitude, Latitude;
    std::string Id;
    std::string MeasurementDirectory;
    double RangeStart, RangeEnd, RangeStep;
    double Fwhm;
    char SlitChar;
    long HalfWidthPoints;
    long TimeCorrection[4];
};

// Standard input read one answer line at a time; numbers are taken from the
// answer line and, when it holds too few, from the lines that follow.  A line
// is at most kMaxInputLine characters (the rest of a longer one is read as the
// next line), a number at most kMaxNumberLength; the end of the input, or a
// line without a number where one is wanted, ends the dialogue with the
// run-time error report.
struct AnswerReader {
    int LineNumber = 0;
    std::string Pending;        // rest of the current answer line for number reads
    bool LineHadToken = false;  // a token has been taken from that line

    std::string Line() {
        std::istream& input = ConsoleInput();
        std::string text;
        bool read = false;
        int c = 0;
        while (text.size() < kMaxInputLine && (c = input.get()) != EOF) {
            read = true;
            if (c == '\n') break;
            text.push_back(static_cast<char>(c));
        }
        ++LineNumber;
        if (!read) {
            throw RunTimeError("read from", kInputName, LineNumber,
                               "end of input before the install dialogue was answered");
        }
        if (!text.empty() && text.back() == '\r') text.pop_back();
        return text;
    }

    // Takes the next token of `Pending`; empty when it holds none.
    std::string TakeToken() {
        size_t start = 0;
        while (start < Pending.size() && static_cast<unsigned char>(Pending[start]) <= ' ') ++start;
        size_t end = start;
        while (end < Pending.size() &&
               end - start<kMaxNumberLength&& static_cast<unsigned char>(Pending[end])> ' ')
            ++end;
        std::string token = Pending.substr(start, end - start);
        Pending.erase(0, end);
        LineHadToken = LineHadToken || !token.empty();
        return token;
    }

    std::string Token() {
        std::string token = TakeToken();
        if (!token.empty()) return token;
        // A line used up goes on on the next one; an empty line ends the answer.
        if (LineHadToken) {
            Pending = Line();
            LineHadToken = false;
            token = TakeToken();
        }
        if (token.empty()) {
            throw RunTimeError("read number from", kInputName, LineNumber,
                               "no number in the answer");
        }
        return token;
    }

    double Real() {
        std::string token = Token();
        double value = 0.0;
        if (!ParseReal(token, value)) Fail(token);
        return value;
    }

    long Int() {
        std::string token = Token();
        long value = 0;
        if (!ParseInt(token, value)) Fail(token);
        return value;
    }

    // Starts a number answer on a new line; the rest of that line is dropped
    // after its numbers have been taken.
    void StartNumbers() {
        Pending = Line();
        LineHadToken = false;
    }
    void EndNumbers() { Pending.clear(); }

    [[noreturn]] void Fail(const std::string& token) {
        throw RunTimeError("read number from", kInputName, LineNumber,
                           "invalid numeric format '" + token + "'");
    }
};

// True for every answer except one that begins with "N" or "n".
bool IsYes(const std::string& answer) {
    return answer.empty() || (answer[0] != 'N' && answer[0] != 'n');
}

bool Contains(const std::string& text, const char* word) {
    return text.find(word) != std::string::npos;
}

void PrintUsage() {
    ConsoleLine();
    for (const char* line :
         {"Program TARNpelo, version: ", kVersionBanner,
          "This program has been developed at PELO within the context of the", "EC-project KESTRIL",
          "Installation for calculations with a new instrument: TARNpelo -i",
          "Standard KESTRIL installation:                       TARNpelo -s",
          "Otherwise start with the following commandline:",
          "TARNpelo [DDDhhmm] [id_met] <path+defaultsfilename> <id_shift> <id_specout>",
          "         <id_shif_appl>", "[...]   - required command line input",
          "<...>   - optional (otherwise defaults in tarnpelo.dfa are applied)",
          "          normal usage does not require optional parameters",
          "DDDhhmm - DDD day number in year;hhmm hour minutes",
          "id_met  - three letter code for instrument_identification",
          "path+   - file with overall defaults, else tarnpelo.dfa",
          "id_shift- identification (1 lettercode) for results of shift analysis",
          "id_speco- identification (1 lettercode) for analysed simulated spectrum",
          "id_shif_a identification (1 lettercode) interpolated shift values for each",
          "          wavelength measured, if not specified results are in shiftlog.log"}) {
        ConsoleLine(line);
    }
}

// Standard mode: measurement directory and main path next to the "uvanalys"
// directory that holds the working directory, or inside the working directory.
void DeriveStandardPaths(InstallAnswers& a) {
    std::string current = AsDirectory(WorkingDirectory());
    std::string base = current;
    size_t p = current.find("uvanalys");
    if (p != std::string::npos) base = current.substr(0, p);
    p = current.find("UVANALYS");
    if (p != std::string::npos) base = current.substr(0, p);
    a.MeasurementDirectory = base + AsDirectory("uvdata");
    Paths.MainPath = base + AsDirectory("uvanalys");
}

void AskPaths(InstallAnswers& a, AnswerReader& in) {
    if (a.StandardMode) {
        DeriveStandardPaths(a);
    } else {
        ConsoleLine("Provide the full path where measurements in two column ASC-II");
        ConsoleLine("format will be located (wavelength irradiance (separated by spaces)");
        a.MeasurementDirectory = Cut(in.Line(), kMaxPathAnswer);
        ConsoleLine("NOTE1: PLOVEN1997-format is allowed");
        ConsoleLine("NOTE2: KESTRIL-quadrel should be extracted with MERU-tool");
        ConsoleLine();
        ConsoleLine("Provide the main-path for the analysed results and default files");
        Paths.MainPath = Cut(in.Line(), kMaxPathAnswer);
    }
    // An empty main path stands for the working directory.
    Paths.MainPath = AsDirectory(Paths.MainPath);
    Paths.SecondPath = Paths.MainPath;
    Paths.ShiftRootPath = Paths.MainPath;
    Paths.RefDataPath = Paths.MainPath + AsDirectory("etoz");
    Paths.RefDataPath2 = Paths.RefDataPath;
    Paths.ActionSpectrumDir = Paths.RefDataPath;
}

// Copies the slit source into <main path><id>.sli: the pairs from the first
// line that reads as two numbers on, at most 40000; mirrored (order reversed,
// offsets negated) when the measurement was not mirrored yet.
void CopySlitFunction(const std::string& source, bool mirrored, const std::string& target) {
    TextIn in;
    in.OpenOrThrow(source);
    double* offsets = Spectra.MeasuredWavelengths;
    double* responses = Spectra.MeasuredIrradiances;
    long n = 0;
    bool found = false;
    while (!found && !in.Eof()) {
        double x = 0.0, y = 0.0;
        found = in.TryReal(x) && in.TryReal(y);
        in.NextLine();
        if (found) {
            offsets[++n] = x;
            responses[n] = y;
        }
    }
    bool full = false;
    while (found && !in.Eof()) {
        if (n == kMaxSlitPairs) {
            full = true;
            break;
        }
        double x = in.Real();
        double y = in.Real();
        in.NextLine();
        bool last = in.Eof();
        // The last pair is kept only when it goes on ascending.
        if (!last || x > offsets[n]) {
            offsets[++n] = x;
            responses[n] = y;
        }
    }
    in.Close();
    if (full) {
        std::string text = "Slit function " + source + ": only the first " +
                           IntText(kMaxSlitPairs) + " pairs copied";
        LogLine(text);
        ConsoleLine(text);
    }

    TextOut out;
    out.Create(target);
    if (mirrored) {
        ConsoleLine("Slit function file created: " + target);
        out.WriteLine("! " + source);
        for (long i = 1; i <= n; ++i)
            out.Fixed(offsets[i], 10, 4).Text(" ").Sci(responses[i]).EndLine();
    } else {
        ConsoleLine("The line measurement is now mirrored to obtain the slit function");
        ConsoleLine("Slit function file created: " + target);
        out.WriteLine("! " + source + "  MIRRORED by TARNpelo");
        // 0 - x: a centre offset of 0 stays 0.0000, not -0.0000.
        for (long i = n; i >= 1; --i)
            out.Fixed(0.0 - offsets[i], 10, 4).Text(" ").Sci(responses[i]).EndLine();
    }
    out.Close();
}

void AskSlit(InstallAnswers& a, AnswerReader& in) {
    ConsoleLine("Is the slit function available Y/N?");
    if (!IsYes(in.Line())) {
        a.SlitChar = '0';
        ConsoleLine("Triangular slit function with FWHM: " + Fixed(a.Fwhm, 5, 2) + " is used");
        ConsoleLine("NOTE: using measured slit function is preferable");
        return;
    }
    a.SlitChar = '1';
    ConsoleLine("Provide slit function filename (full path and filename)");
    std::string source = Cut(in.Line(), kMaxPathAnswer);
    ConsoleLine();
    ConsoleLine("If the slit was measured using a spectral line two steps are required");
    ConsoleLine("to make the result a slit function:");
    ConsoleLine("1- subtract the nominal wavelength of the line from the wavelength reading");
    ConsoleLine("2- mirror the measured line in the nominal (=0 nm) wavelength");
    ConsoleLine("If the second step is not performed answer the next question with N");
    ConsoleLine("Is the slit function mirrored in the nominal wavelength?");
    bool mirrored = IsYes(in.Line());
    if (TextFileExists(source)) {
        CopySlitFunction(source, mirrored, Paths.MainPath + a.Id + ".sli");
        return;
    }
    ConsoleLine("Slit function: " + source + " does not exist yet!");
    ConsoleLine("Slit function should be made available");
    ConsoleLine("Before using program; copy slit function in: " + Paths.MainPath);
    ConsoleLine("slit name should be: " + a.Id + ".sli");
    ConsoleLine();
    ConsoleLine("NOTE: slit function should be mirrored !!!");
}

void AskTimeCorrection(InstallAnswers& a, AnswerReader& in) {
    ConsoleLine();
    ConsoleLine("Do times in data-files refer to Universal Time (UT)?  Y/N");
    std::fill(a.TimeCorrection, a.TimeCorrection + 4, 0L);
    if (IsYes(in.Line())) return;
    ConsoleLine();
    ConsoleLine("Provide the time correction necessary to obtain UT:");
    ConsoleLine("UT = time_correction + time_provided");
    ConsoleLine("where time_correction  is given in:");
    ConsoleLine("hours minutes and seconds as integers separated by spaces");
    in.StartNumbers();
    for (int i = 1; i <= 3; ++i) a.TimeCorrection[i] = in.Int();
    in.EndNumbers();
}

// Smallest k >= 1 with 2k x step >= FWHM (nm); 1 when the step is 0 or less.
long HalfWidthPoints(double fwhm, double step) {
    if (!(step > 0.0) || !(fwhm > 2.0 * step)) return 1;
    double estimate = std::ceil(fwhm / (2.0 * step));
    if (!(estimate < std::numeric_limits<int32_t>::max()))
        return std::numeric_limits<int32_t>::max();
    long k = std::max(1L, static_cast<long>(estimate));
    if (k > 1 && 2.0 * (k - 1) * step >= fwhm) --k;  // the division rounded up one too many
    if (2.0 * k * step < fwhm) ++k;
    return k;
}

void WriteInstrumentFile(const InstallAnswers& a, const std::string& path) {
    InstrumentDefaultsTexts texts;
    texts.SettingsFileName = kSettingsFileName;
    texts.HeaderCount = HeaderCountText(0, true);
    texts.Extension = Cut("." + a.Id, kMaxExtensionLength);
    texts.Directory = a.MeasurementDirectory;
    texts.Range = Reals({a.RangeStart, a.RangeEnd, a.RangeStep}, path);
    texts.HalfWidth = IntText(a.HalfWidthPoints);
    texts.SlitChar = std::string(1, a.SlitChar);
    texts.Fwhm = Reals({a.Fwhm}, path);
    texts.LineStep = IntText(1);
    CreateWithLines(path, InstrumentDefaultsLines(texts));
}

// Keeps the dialogue's values in the engine's records.
void ApplyAnswers(const InstallAnswers& a) {
    Analysis.MeasurementYear = a.Year;
    Analysis.Longitude = a.Longitude;
    Analysis.Latitude = a.Latitude;
    Instrument.MeasurementExtension = Cut("." + a.Id, kMaxExtensionLength);
    Instrument.HeaderLineCount = 0;
    Instrument.SettingsFileName = kSettingsFileName;
    Instrument.MeasurementDirectory = a.MeasurementDirectory;
    Instrument.RangeStart = a.RangeStart;
    Instrument.RangeEnd = a.RangeEnd;
    Instrument.RangeStep = a.RangeStep;
    Instrument.Fwhm = a.Fwhm;
    Instrument.SlitChar = a.SlitChar;
    Instrument.HalfWidthPoints = a.HalfWidthPoints;
    Instrument.LineStep = 1;
    for (int i = 0; i < 4; ++i) Analysis.TimeCorrection[i] = a.TimeCorrection[i];
}

void PrintExample(const InstallAnswers& a) {
    ConsoleLine();
    ConsoleLine("TARNpelo has now been installed for: " + a.Id);
    ConsoleLine();
    ConsoleLine("EXAMPLE of program call:");
    ConsoleLine("TARNpelo DDDhhmm " + a.Id + " " + Paths.MainPath + kShortDefaultsName + " s i w");
    ConsoleLine();
    ConsoleLine("    where DDDhhmm - stands for day number in year (DDD) hour and minutes");
    ConsoleLine();
    ConsoleLine("   End Procedure Install_DFA");
}

}  // namespace

void HandleInstallOrUsage() {
    std::string& word = CommandLine.ScanName;
    if (Contains(word, "-s") || Contains(word, "-S")) word += "-i";
    if (Contains(word, "-i") || Contains(word, "-I")) {
        SetInternalDefaults();
        Install_DFA();
    } else {
        PrintUsage();
    }
}

void Install_DFA() {
    InstallAnswers a{};
    AnswerReader in;
    const std::string& word = CommandLine.ScanName;
    a.StandardMode = Contains(word, "-s") || Contains(word, "-S");
    ConsoleLine("   Start Procedure Install_DFA");
    ConsoleLine();
    ConsoleLine("Program TARNpelo, version: ");
    ConsoleLine(kVersionBanner);
    ConsoleLine("This program has been developed at PELO within the context of the");
    ConsoleLine("KESTRIL and TAMOR project");
    ConsoleLine(a.StandardMode ? "Program was started with the -s = standard KESTRIL install option"
                               : "Program was started with the -i = install option");
    ConsoleLine();

    ConsoleLine("Provide the year of the measurements (example: 1998)");
    a.Year = Cut(in.Line(), 4);
    ConsoleLine("Provide the location of the measurements: longitude latitude");
    ConsoleLine("in degrees.decimal separated by space");
    in.StartNumbers();
    a.Longitude = in.Real();
    a.Latitude = in.Real();
    in.EndNumbers();
    ConsoleLine("Provide the three letter instrument_id (avoid: dfa or gle)");
    a.Id = Cut(in.Line(), 15);

    AskPaths(a, in);
    // The files go to the main path: no run may work there meanwhile.
    LockRunDirectory(Paths.MainPath);

    ConsoleLine(
        "Provide (maximum) measured wavelength range and (representative) wavelength "
        "step in spectra");
    ConsoleLine("Program can handle variability in wavelength steps and ranges");
    ConsoleLine("start wavelength    end wavelength   step in wavelength (nm)");
    in.StartNumbers();
    a.RangeStart = in.Real();
    a.RangeEnd = in.Real();
    a.RangeStep = in.Real();
    in.EndNumbers();
    ConsoleLine();
    ConsoleLine("Provide Full Width at Half Maximum of the slit function (nm)");
    in.StartNumbers();
    a.Fwhm = in.Real();
    in.EndNumbers();
    ConsoleLine();

    AskSlit(a, in);
    AskTimeCorrection(a, in);
    ConsoleLine();
    a.HalfWidthPoints = HalfWidthPoints(a.Fwhm, a.RangeStep);
    ApplyAnswers(a);

    std::string instrumentFile = Paths.MainPath + a.Id + ".dfa";
    ConsoleLine("Instrument specific defaults written to:");
    ConsoleLine(instrumentFile);
    WriteInstrumentFile(a, instrumentFile);
    Instrument.NoIdMet = true;

    std::string shortFile = Paths.MainPath + kShortDefaultsName;
    ConsoleLine("General defaults (in short default-format) are written in:");
    ConsoleLine(shortFile);
    CreateWithLines(shortFile, ShortDefaultsLines(CurrentDefaultsSettings()));
    PrintExample(a);
}

}  // namespace tarn

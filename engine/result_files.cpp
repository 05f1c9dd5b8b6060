#include "engine/result_files.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "engine/engine_state.h"
#include "engine/formats/result_names.h"
#include "engine/program_state.h"
#include "engine/structure_check.h"
#include "platform/paths.h"
#include "platform/text_file.h"
#include "platform/text_format.h"

namespace tarn {

namespace {

constexpr const char* kAboveNote = " !NOTE: above measured wavelength";
constexpr double kAboveTolerance = 0.00001;  // nm
constexpr double kEtMatch = 0.0001;          // nm, output wavelength at a 1-nm ET point
constexpr const char* kNoTransmission = "99999.999999";

std::vector<std::string> HeaderBlock() {
    const long* t = Analysis.TimeCorrection;
    unsigned count = std::min<unsigned>(Instrument.HeaderLineCount, kMaxHeaderLines);
    std::vector<std::string> lines = {
        std::string("!Programm: ") + kVersionBanner,
        "!Calculated : " + RunDateText(),
        (Instrument.NoIdMet ? "!Units as in measurement file: " : "!Measurement file: ") +
            ScanFilePath() + " Measurement Year: " + Analysis.MeasurementYear,
        "Irradiance unit correction factor applied: " + Fixed(Instrument.IrradianceFactor, 7, 2) +
            "  Time correction applied: " + IntW(t[0], 3) + " days  " + IntW(t[1], 2) + " hr  " +
            IntW(t[2], 2) + " min  " + IntW(t[3], 2) + " sec",
        "!Range in wavelengths        : " + Fixed(Instrument.RangeStart, 6, 2) + " - " +
            Fixed(Instrument.RangeEnd, 6, 2) + " step: " + Fixed(Instrument.RangeStep, 6, 2),
        "!Latitude: " + Fixed(Analysis.Latitude, 6, 2) + " Longitude " +
            Fixed(Analysis.Longitude, 6, 2),
        Flow.ShiftCorrectionOn ? "! Based on shift corrected and deconvoluted measurement"
                               : "! NO SHIFT CORRECTION APPLIED; Based on deconvoluted measurement",
        Analysis.SpikeDetectionOn && Analysis.SpikeCorrectionOn
            ? "! Spike correction applied, at relative error: " +
                  Fixed(Analysis.SpikeCriterion, 6, 3)
            : "! NO spike correction applied ",
        "! Measurement Header-information: " + IntW(count, 3) + " lines"};
    for (unsigned i = 1; i <= count; ++i) lines.push_back("! " + Scan.HeaderLines[i]);
    return lines;
}

std::string StandardSlitLine() {
    std::string line = "!col.2 irrad_st based on FWHM   : " + Fixed(Analysis.StdFwhm, 6, 2);
    return line + (Analysis.StdSlitChar == '1' ? " slit function: " + Paths.StdSlitFileName
                                               : std::string(" triangular slit function"));
}

std::string InstrumentSlitLine(const char* column) {
    std::string line = std::string("!col.") + column +
                       " irrad_instr instr. FWHM  : " + Fixed(Instrument.Fwhm, 6, 2);
    return line + (Instrument.SlitChar == '1' ? " slitfunction: " + CommandLine.IdMet + ".sli"
                                              : std::string(" triangular slitfunction"));
}

void WriteColumnHeader(TextOut& out, bool standard, bool instrument) {
    std::string col1 = "!col.1 wavelength based on      : " + Paths.EtFileName +
                       " ozone cross section: " + Paths.O3CrossFileName;
    if (standard && instrument) {
        for (const std::string& line :
             {std::string("!Shift corrected, with standardized slit and instrument slit"),
              std::string("!Three columns:"), col1, StandardSlitLine(), InstrumentSlitLine("3"),
              std::string("!wavelength irrad_st     irrad_instr")}) {
            out.WriteLine(line);
        }
        return;
    }
    out.WriteLine("!Shift corrected, with instrument slit");
    out.WriteLine("!Two columns:");
    out.WriteLine(col1);
    if (standard) {
        out.WriteLine(StandardSlitLine());
        out.WriteLine("!wavelength   irrad_st");
    } else {
        out.WriteLine(InstrumentSlitLine("2"));
        out.WriteLine("!wavelength   irrad_instr");
    }
}

// Reads one wavelength (nm) and value from a line of a simulated spectrum or
// of the 1-nm ET file; a row that is not two numbers is the run-time error.
void ReadPair(TextIn& in, double& wavelength, double& value) {
    wavelength = in.Real();
    value = in.Real();
    in.NextLine();
}

// Skips the 1-nm ET file's head: lines are read until one gives two numbers
// or the file ends.
void SkipEtHeader(TextIn& et, double& wavelength, double& value) {
    bool ok;
    do {
        ok = et.TryReal(wavelength);
        if (ok) ok = et.TryReal(value);
        et.NextLine();
    } while (!ok && !et.Eof());
}

std::string TransmissionField(double standard, double et) {
    double denominator = et * Scan.EarthSunFactor;
    if (denominator == 0) return "   " + std::string(kNoTransmission);  // 15 characters
    return Fixed(standard / denominator, 15, 12);
}

// Tracks over the output wavelengths (nm) the value at the row nearest the
// start wavelength (the first of two equally near) and the largest value before it.
struct StartTracking {
    double StartWavelength;
    double BestDistance;
    void Add(double wavelength, double value) {
        double d = std::fabs(wavelength - StartWavelength);
        if (d < BestDistance) {
            BestDistance = d;
            QcOut.MaxIrradianceBelowStart =
                std::max(QcOut.MaxIrradianceBelowStart, QcOut.StartIrradiance);
            QcOut.StartIrradiance = value;
        }
    }
};

}  // namespace

// Creates or overwrites `fileName` with the header block: run date and time,
// scan path, unit factor and time correction, wavelength range (nm), site
// (degrees), the shift and spike corrections applied and the scan's header lines.
void WriteHeaderFile(const std::string& fileName) {
    CreateWithLines(fileName, HeaderBlock());
}

// Reads the simulated spectra <directory><standardName> (standardised slit)
// and <directory><instrumentName> (instrument slit) as the output switches
// ask; writes the result spectrum <directory><resultName> (Stand_slit,
// Instrument_slit) and, with `Transmission`, <directory><id>/<trans><DDDhhmm>T.<id>,
// the standardised spectrum over the 1-nm ET spectrum x Earth-Sun factor.
// Sets StartIrradiance and MaxIrradianceBelowStart (W m-2 nm-1) from the
// standardised values, or from the instrument values when only those are read.
void CombineResults(const std::string& directory, const std::string& standardName,
                    const std::string& instrumentName, const std::string& resultName) {
    const OutputSwitches& sw = Engine.Switches;
    if (!sw.Stand_slit && !sw.Instrument_slit && !sw.Transmission) return;
    const bool readStandard = sw.Stand_slit || sw.Transmission;
    const bool writeResult = sw.Stand_slit || sw.Instrument_slit;
    const double upperMeasured = Instrument.RangeEnd + kAboveTolerance;

    QcOut.StartIrradiance = 0.0;
    QcOut.MaxIrradianceBelowStart = 0.0;
    StartTracking tracking{StructureStartWavelength(), 0.0};
    tracking.BestDistance = tracking.StartWavelength;
    double etWavelength = 250.0, etValue = 0.0;

    TextIn standard, instrument, et;
    if (readStandard) standard.OpenOrThrow(directory + standardName);
    if (sw.Instrument_slit) instrument.OpenOrThrow(directory + instrumentName);

    TextOut transmission, result;
    if (sw.Transmission) {
        std::string etPath = Paths.RefDataPath + Paths.Et1nmFileName;
        et.OpenOrThrow(etPath);
        SkipEtHeader(et, etWavelength, etValue);
        std::string name =
            ResultDirectoryName(directory, CommandLine.IdMet) + Paths.TransSubdir +
            TransmissionName(CommandLine.ScanName, Paths.TransName, CommandLine.IdMet);
        WriteHeaderFile(name);
        transmission.Append(name);
        transmission.WriteLine("! ET 1nm fwhm file: " + etPath +
                               "    Irradiance correction factor for Earth_sun distance : " +
                               Fixed(Scan.EarthSunFactor, 6, 4));
        transmission.WriteLine("! wavelength and transmission-fraction");
    }
    if (writeResult) {
        WriteHeaderFile(directory + resultName);
        result.Append(directory + resultName);
        WriteColumnHeader(result, sw.Stand_slit, sw.Instrument_slit);
    }

    double wavelength = 0.0, valueStandard = 0.0, valueInstrument = 0.0;
    for (;;) {
        if (sw.Instrument_slit) ReadPair(instrument, wavelength, valueInstrument);
        if (readStandard) ReadPair(standard, wavelength, valueStandard);
        if (sw.Transmission) {
            while (wavelength - kAboveTolerance > etWavelength && !et.Eof())
                ReadPair(et, etWavelength, etValue);
        }
        tracking.Add(wavelength, readStandard ? valueStandard : valueInstrument);

        bool above = wavelength > upperMeasured;
        if (writeResult) {
            std::string row = Fixed(wavelength, 6, 2) + " ";
            if (sw.Stand_slit && sw.Instrument_slit) {
                row += Fixed(valueStandard, 14, 8) + " " + Fixed(valueInstrument, 14, 8);
                if (above) row += kAboveNote;
            } else {
                row += Fixed(sw.Stand_slit ? valueStandard : valueInstrument, 14, 8);
                if (above) row += std::string(" ") + kAboveNote;
            }
            result.WriteLine(row);
        }
        if (sw.Transmission && etWavelength > wavelength - kEtMatch &&
            etWavelength < wavelength + kEtMatch) {
            transmission.WriteLine(Fixed(etWavelength, 8, 3) + " " +
                                   TransmissionField(valueStandard, etValue) +
                                   (above ? kAboveNote : ""));
        }
        if ((sw.Instrument_slit && instrument.Eof()) || (readStandard && standard.Eof())) break;
    }
    if (transmission.IsOpen()) transmission.Close();
    if (result.IsOpen()) result.Close();
}

}  // namespace tarn

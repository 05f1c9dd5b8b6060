#include "engine/result_files.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

#include "engine/engine_state.h"
#include "engine/formats/result_names.h"
#include "engine/program_state.h"
#include "engine/structure_check.h"
#include "engine/usable_ratio.h"
#include "platform/paths.h"
#include "platform/text_file.h"
#include "platform/text_format.h"

namespace tarn {

namespace {

constexpr const char* kAboveNote = " !NOTE: above measured wavelength";
constexpr double kAboveTolerance = 0.00001;  // nm
constexpr double kEtMatch = 0.0001;          // nm, output wavelength at a 1-nm ET point
constexpr const char* kNoTransmission = "99999.999999";

void WriteHeaderBlock(TextOut& out) {
    const long* t = Analysis.TimeCorrection;
    unsigned count = std::min<unsigned>(Instrument.HeaderLineCount, kMaxHeaderLines);
    out.WriteLine(std::string("!Programm: ") + kVersionBanner);
    out.WriteLine("!Calculated : " + RunDateText());
    out.WriteLine((Instrument.NoIdMet ? "!Units as in measurement file: " : "!Measurement file: ") +
                  ScanFilePath() + " Measurement Year: " + Analysis.MeasurementYear);
    out.Text("Irradiance unit correction factor applied: ")
        .Fixed(Instrument.IrradianceFactor, 7, 2);
    out.Text("  Time correction applied: ").Int(t[0], 3).Text(" days  ").Int(t[1], 2);
    out.Text(" hr  ").Int(t[2], 2).Text(" min  ").Int(t[3], 2).Text(" sec").EndLine();
    out.Text("!Range in wavelengths        : ").Fixed(Instrument.RangeStart, 6, 2).Text(" - ");
    out.Fixed(Instrument.RangeEnd, 6, 2).Text(" step: ").Fixed(Instrument.RangeStep, 6, 2);
    out.EndLine();
    out.Text("!Latitude: ").Fixed(Analysis.Latitude, 6, 2).Text(" Longitude ");
    out.Fixed(Analysis.Longitude, 6, 2).EndLine();
    out.WriteLine(Flow.ShiftCorrectionOn
                      ? "! Based on shift corrected and deconvoluted measurement"
                      : "! NO SHIFT CORRECTION APPLIED; Based on deconvoluted measurement");
    if (Analysis.SpikeDetectionOn && Analysis.SpikeCorrectionOn) {
        out.Text("! Spike correction applied, at relative error: ");
        out.Fixed(Analysis.SpikeCriterion, 6, 3).EndLine();
    } else {
        out.WriteLine("! NO spike correction applied ");
    }
    out.Text("! Measurement Header-information: ").Int(count, 3).Text(" lines").EndLine();
    for (unsigned i = 1; i <= count; ++i) out.WriteLine("! " + Scan.HeaderLines[i]);
}

void WriteStandardSlitLine(TextOut& out) {
    out.Text("!col.2 irrad_st based on FWHM   : ").Fixed(Analysis.StdFwhm, 6, 2);
    out.Text(Analysis.StdSlitChar == '1' ? " slit function: " + Paths.StdSlitFileName
                                         : std::string(" triangular slit function"));
    out.EndLine();
}

void WriteInstrumentSlitLine(TextOut& out, const char* column) {
    out.Text(std::string("!col.") + column + " irrad_instr instr. FWHM  : ");
    out.Fixed(Instrument.Fwhm, 6, 2);
    out.Text(Instrument.SlitChar == '1' ? " slitfunction: " + CommandLine.IdMet + ".sli"
                                        : std::string(" triangular slitfunction"));
    out.EndLine();
}

void WriteColumnHeader(TextOut& out, bool standard, bool instrument) {
    std::string col1 = "!col.1 wavelength based on      : " + Paths.EtFileName +
                       " ozone cross section: " + Paths.O3CrossFileName;
    if (standard && instrument) {
        out.WriteLine("!Shift corrected, with standardized slit and instrument slit");
        out.WriteLine("!Three columns:");
        out.WriteLine(col1);
        WriteStandardSlitLine(out);
        WriteInstrumentSlitLine(out, "3");
        out.WriteLine("!wavelength irrad_st     irrad_instr");
        return;
    }
    out.WriteLine("!Shift corrected, with instrument slit");
    out.WriteLine("!Two columns:");
    out.WriteLine(col1);
    if (standard) {
        WriteStandardSlitLine(out);
        out.WriteLine("!wavelength   irrad_st");
    } else {
        WriteInstrumentSlitLine(out, "2");
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

// The transmission standard / (et x Earth-Sun factor), or its mark where the
// divisor is 0 or the ratio has no usable value.
void WriteTransmissionField(TextOut& out, double standard, double et) {
    const std::optional<double> t = UsableRatio(standard, et * Scan.EarthSunFactor);
    if (!t) {
        out.Text("   " + std::string(kNoTransmission));  // 15 characters
    } else {
        out.Fixed(*t, 15, 12);
    }
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
    TextOut out;
    out.Create(fileName);
    WriteHeaderBlock(out);
    out.Close();
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
        transmission.Text("! ET 1nm fwhm file: ")
            .Text(etPath)
            .Text("    Irradiance correction factor for Earth_sun distance : ")
            .Fixed(Scan.EarthSunFactor, 6, 4)
            .EndLine();
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
            result.Fixed(wavelength, 6, 2).Text(" ");
            if (sw.Stand_slit && sw.Instrument_slit) {
                result.Fixed(valueStandard, 14, 8).Text(" ").Fixed(valueInstrument, 14, 8);
                if (above) result.Text(kAboveNote);
            } else {
                result.Fixed(sw.Stand_slit ? valueStandard : valueInstrument, 14, 8);
                if (above) result.Text(std::string(" ") + kAboveNote);
            }
            result.EndLine();
        }
        if (sw.Transmission && etWavelength > wavelength - kEtMatch &&
            etWavelength < wavelength + kEtMatch) {
            transmission.Fixed(etWavelength, 8, 3).Text(" ");
            WriteTransmissionField(transmission, valueStandard, etValue);
            transmission.Text(above ? kAboveNote : "").EndLine();
        }
        if ((sw.Instrument_slit && instrument.Eof()) || (readStandard && standard.Eof())) break;
    }
    if (transmission.IsOpen()) transmission.Close();
    if (result.IsOpen()) result.Close();
}

}  // namespace tarn

#include "engine/scan_reading.h"

#include <algorithm>
#include <cmath>

#include "engine/engine_state.h"
#include "engine/program_state.h"
#include "platform/run_error.h"
#include "platform/text_file.h"
#include "platform/text_format.h"

namespace tarn {

namespace {

// Largest size of an irradiance times the irradiance factor.  A scan holds
// irradiances of order 1 in the unit of the model (W m-2 nm-1); a value beyond
// this bound is no measurement, and its squares and sums would leave the range
// of a real.
constexpr double kMaxIrradiance = 1.0e6;

bool InAcceptedRange(double wavelength) {
    return wavelength >= kReferenceGridStart && wavelength <= Analysis.GridHigh;
}

void ReadHeaderLines(TextIn& scan, const std::string& scanPath) {
    unsigned count = Instrument.HeaderLineCount;
    for (unsigned h = 1; h <= count; ++h) {
        std::string line = scan.ReadLine();
        if (h <= kMaxHeaderLines) Scan.HeaderLines[h] = line;
    }
    if (count > kMaxHeaderLines) {
        LogLine(scanPath + " header lines: " + IntText(count) + " read, the first " +
                IntText(kMaxHeaderLines) + " kept");
        Instrument.HeaderLineCount = kMaxHeaderLines;
    }
}

// Searches the first readable pair in the accepted range; false at the end of
// the file.  `line` receives the line of its wavelength.
bool FindFirstPair(TextIn& scan, double& wavelength, double& irradiance, int& line) {
    while (true) {
        bool ok = scan.TryReal(wavelength);
        line = scan.LineNumber();
        ok = ok && scan.TryReal(irradiance);
        scan.NextLine();
        if (ok && InAcceptedRange(wavelength)) return true;
        if (scan.Eof()) return false;
    }
}

// Stores the pair read on line `line` as point n; a wavelength that does not
// rise above the point before and an irradiance beyond the bound are the
// run-time error, naming the scan file and the line.
void StorePoint(TextOut& copy, const std::string& scanPath, int line, int n, double wavelength,
                double irradiance) {
    double value = irradiance * Instrument.IrradianceFactor;
    if (n > 1 && !(wavelength > Spectra.MeasuredWavelengths[n - 1])) {
        throw RunTimeError("read", scanPath, line,
                           "wavelength " + Fixed(wavelength, 0, 4) +
                               " nm does not rise above the one before, " +
                               Fixed(Spectra.MeasuredWavelengths[n - 1], 0, 4) + " nm");
    }
    if (!(std::fabs(value) <= kMaxIrradiance)) {
        throw RunTimeError("read", scanPath, line,
                           "irradiance times the irradiance factor (" + Sci(value) +
                               ") is beyond +-" + Sci(kMaxIrradiance));
    }
    copy.Fixed(wavelength, 10, 4).Text(" ").Sci(value).EndLine();
    Spectra.MeasuredWavelengths[n] = wavelength;
    Spectra.MeasuredIrradiances[n] = value;
}

}  // namespace

void ReadScan(TextIn& scan, const std::string& scanPath) {
    TextOut copy;
    copy.Create(Paths.MainPath + Paths.MeasurementCopyName);
    ReadHeaderLines(scan, scanPath);

    double wavelength = 0.0, irradiance = 0.0;
    int line = 0;
    if (!FindFirstPair(scan, wavelength, irradiance, line)) {
        LogLine(LogText()
                    .Text(scanPath)
                    .Text(" Wavelengths out of range: ")
                    .Fixed(kReferenceGridStart, 7, 2)
                    .Text(" ")
                    .Fixed(Analysis.GridHigh, 7, 2)
                    .Text("nm"));
        throw EngineExit{kExitNormal};
    }

    long lineStep = Instrument.LineStep;
    if (lineStep < 1) {
        LogLine("Line step " + IntText(lineStep) + " of the instrument file taken as 1");
        lineStep = 1;
    }

    int n = 0;
    while (true) {
        Scan.LastStoredWavelength = wavelength;
        ++n;
        StorePoint(copy, scanPath, line, n, wavelength, irradiance);
        for (long s = 0; s < lineStep; ++s) {
            // Past the end of the file every read gives 0 and no error: one
            // assignment stands for the rest of a large line step.
            if (scan.Eof()) {
                wavelength = irradiance = 0.0;
                break;
            }
            wavelength = scan.Real();
            line = scan.LineNumber();
            irradiance = scan.Real();
            scan.NextLine();
        }
        if (scan.Eof() || !InAcceptedRange(wavelength) || n == kMaxMeasuredPoints) break;
    }
    // The last line, on which the loop stops at the end of the file (refused,
    // as every other, when its wavelength does not rise).
    bool lastStored = n < kMaxMeasuredPoints && InAcceptedRange(wavelength);
    if (lastStored) {
        ++n;
        StorePoint(copy, scanPath, line, n, wavelength, irradiance);
    }
    copy.Close();
    scan.Close();

    Scan.PointCount = n;
    Spectra.MeasuredWavelengths[0] = n;
    Spectra.MeasuredIrradiances[0] = n;
    // A stored last wavelength equal to the range end keeps it, so the range
    // does not lose that point; a pair that was not stored (the point cap) cuts
    // the range only when it lies below its end.
    if (wavelength > 0 &&
        (wavelength < Instrument.RangeEnd || (lastStored && wavelength == Instrument.RangeEnd))) {
        Instrument.RangeEnd = wavelength;
    } else if (Scan.LastStoredWavelength < Instrument.RangeEnd) {
        Instrument.RangeEnd = Scan.LastStoredWavelength;
    }
}

}  // namespace tarn

#include "engine/scan_reading.h"

#include <algorithm>

#include "engine/engine_state.h"
#include "engine/program_state.h"
#include "platform/run_error.h"
#include "platform/text_file.h"
#include "platform/text_format.h"

namespace tarn {

namespace {

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

// Searches the first readable pair in the accepted range; false at the end of the file.
bool FindFirstPair(TextIn& scan, double& wavelength, double& irradiance) {
    while (true) {
        bool ok = scan.TryReal(wavelength) && scan.TryReal(irradiance);
        scan.NextLine();
        if (ok && InAcceptedRange(wavelength)) return true;
        if (scan.Eof()) return false;
    }
}

void StorePoint(TextOut& copy, int n, double wavelength, double irradiance) {
    double value = irradiance * Instrument.IrradianceFactor;
    copy.WriteLine(Fixed(wavelength, 10, 4) + " " + Sci(value));
    Spectra.MeasuredWavelengths[n] = wavelength;
    Spectra.MeasuredIrradiances[n] = value;
}

}  // namespace

void ReadScan(TextIn& scan, const std::string& scanPath) {
    TextOut copy;
    copy.Create(Paths.MainPath + Paths.MeasurementCopyName);
    ReadHeaderLines(scan, scanPath);

    double wavelength = 0.0, irradiance = 0.0;
    if (!FindFirstPair(scan, wavelength, irradiance)) {
        LogLine(scanPath + " Wavelengths out of range: " + Fixed(kReferenceGridStart, 7, 2) + " " +
                Fixed(Analysis.GridHigh, 7, 2) + "nm");
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
        StorePoint(copy, n, wavelength, irradiance);
        for (long s = 0; s < lineStep; ++s) {
            // Past the end of the file every read gives 0 and no error: one
            // assignment stands for the rest of a large line step.
            if (scan.Eof()) {
                wavelength = irradiance = 0.0;
                break;
            }
            wavelength = scan.Real();
            irradiance = scan.Real();
            scan.NextLine();
        }
        if (scan.Eof() || !InAcceptedRange(wavelength) || n == kMaxMeasuredPoints) break;
    }
    // The last line, on which the loop stops at the end of the file.
    if (n < kMaxMeasuredPoints && InAcceptedRange(wavelength) &&
        wavelength > Spectra.MeasuredWavelengths[n]) {
        ++n;
        StorePoint(copy, n, wavelength, irradiance);
    }
    copy.Close();
    scan.Close();

    Scan.PointCount = n;
    Spectra.MeasuredWavelengths[0] = n;
    Spectra.MeasuredIrradiances[0] = n;
    // A last wavelength equal to the range end keeps it: that point was stored,
    // and the range must not lose it.
    if (wavelength > 0 && wavelength <= Instrument.RangeEnd) {
        Instrument.RangeEnd = wavelength;
    } else if (Scan.LastStoredWavelength < Instrument.RangeEnd) {
        Instrument.RangeEnd = Scan.LastStoredWavelength;
    }
}

}  // namespace tarn

#include "engine/instrument_file.h"

#include "engine/engine_state.h"
#include "engine/program_state.h"
#include "engine/wavelength_shift.h"

namespace tarn {

void Inlezen_Instrument() {
    // Until the instrument file is read: what its reader sets first, a line step of 1.
    Instrument.IrradianceFactor = 1.0;
    Instrument.LineStep = 1;
    Instrument.RangeStart = Analysis.GridLow;
    Instrument.RangeEnd = Analysis.GridHigh;
    Instrument.RangeStep = 0.5;
    Instrument.Fwhm = 1.0;
    Instrument.HalfWidthPoints = 1;
    Instrument.SlitChar = '0';
    Instrument.SettingsFileName = "ozonshi.dfa";
    Instrument.MeasurementExtension = "." + CommandLine.IdMet;
    Instrument.MeasurementDirectory = Paths.MainPath;
    StepTable.LevelCount = Analysis.StepTableLength;
    Spectra.SimulatedSpectrum[0] = StepTable.Steps[StepTable.LevelCount];
}

void WriteOzoneShiftSettings() {}

}  // namespace tarn

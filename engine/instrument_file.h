// Instrument defaults file <main path><id>.dfa and the analysis settings file.
#pragma once

namespace tarn {

// Reads <main path><id>.dfa (lines 1-9; optional line 10 the irradiance factor,
// line 11 the SD-shift threshold in nm) into the instrument settings, sets
// GridMargin (nm) to SlitRangeFactor x FWHM + MaximumShift and chooses the
// fine-grid step (LevelCount, SimulatedSpectrum[0]).  Halts with ERROR C1 when
// the file is missing.
void Inlezen_Instrument();

// Writes the 24-line analysis settings file <main path><settings file name>
// from the settings in force (wavelengths in nm); line 23 holds the model grid
// range with spike correction, else the span of the clipped windows.
void WriteOzoneShiftSettings();

}  // namespace tarn

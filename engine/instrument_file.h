// Instrument defaults file <main path><id>.dfa and the analysis settings file.
#pragma once

namespace tarn {

// Reads <main path><id>.dfa into the instrument settings, sets GridMargin and
// chooses the fine-grid step; halts with ERROR C1 when the file is missing.
void Inlezen_Instrument();

// Writes the 24-line analysis settings file <main path><settings file name>.
void WriteOzoneShiftSettings();

}  // namespace tarn

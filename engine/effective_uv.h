// Effective UV: weighted doses at cut-off wavelengths and band integrals of
// the deconvolved fine spectrum, appended per day and cut-off.
#pragma once

#include <string>

namespace tarn {

// Clears the unit's state as at program start (the main flow, at the start
// of every run).
void ResetEffectiveUv();

// Reads the effective-UV defaults, creates the result directory and the day's
// files with their headers (taken from `headerPath`).
void PrepareEffectiveUvFiles(const std::string& resultDirectory, const std::string& scanName,
                             const std::string& defaultsPath, const std::string& headerPath,
                             const std::string& id);

// The integration of one scan: the action spectra's directory, the fine
// grid walked (nm) and the two extra cut-offs (nm) whose doses give the
// fractions.
struct EffectiveUvIntegration {
    std::string ActionDirectory;
    double Start, End, Step;  // nm
    double ZenithAngle;       // degrees, written in each row
    double StartWavelength;   // nm, first reliable wavelength of the scan
    double LastWavelength;    // nm, end of the instrument's range
};

// Fractions of the reference dose (not percent): below StartWavelength and
// above LastWavelength; -1 when undetermined.
struct EffectiveUvFractions {
    double BelowStart, AboveLast;
};

// Integrates FineSpectrum from `grid.Start` to `grid.End` with each action
// spectrum, appends the dose rows and returns the fractions.
EffectiveUvFractions ComputeEffectiveUv(const std::string& resultDirectory,
                                        const std::string& scanName,
                                        const std::string& defaultsPath, const std::string& id,
                                        const EffectiveUvIntegration& grid);

// Appends a no-data row to each of the day's effective-UV files.
void WriteEffectiveUvNoData(const std::string& resultDirectory, const std::string& scanName,
                            const std::string& defaultsPath, const std::string& id);

}  // namespace tarn

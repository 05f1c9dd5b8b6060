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

// Integrates FineSpectrum from integrationStart to integrationEnd (nm, step
// gridStep) with each action spectrum and appends the dose rows.  On entry
// startWavelength and lastWavelength (nm) are two extra cut-offs; on return
// they hold the fractions EfuvBelowStart and EfuvAboveLast (-1 undetermined).
void ComputeEffectiveUv(const std::string& resultDirectory, const std::string& scanName,
                        const std::string& defaultsPath, const std::string& actionDirectory,
                        const std::string& id, double integrationStart, double integrationEnd,
                        double zenithAngle, double gridStep, double& startWavelength,
                        double& lastWavelength);

// Appends a no-data row to each of the day's effective-UV files.
void WriteEffectiveUvNoData(const std::string& resultDirectory, const std::string& scanName,
                            const std::string& defaultsPath, const std::string& id);

}  // namespace tarn

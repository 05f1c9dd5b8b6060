// Slit kernel (triangle or slit-function file) and convolution of the fine
// spectrum into SimulatedSpectrum; in final mode also a two-column file.
#pragma once

#include <string>

namespace tarn {

constexpr int kMaxKernelIndex = 1500;

// Kernel samples at the grid step; the kernel in use is Samples[0..2 Centre].
// The deconvolution keeps a kernel of its own of this type.
struct SlitKernel {
    double Samples[kMaxKernelIndex + 1];
    int Centre;          // c
    double Sum;          // kernel sum
    double FirstOffset;  // nm, offset of the first sample from the slit centre
    double LastOffset;   // nm, offset of the last sample
};

// Builds `kernel` on the grid step `gridStep` (nm): slitChar '1' reads
// <directory><slitFile> within +-SlitRangeFactor x fwhm (ERROR S2 when it is
// missing), any other character gives a triangle of FWHM `fwhm` (nm).
void BuildSlitKernel(SlitKernel& kernel, const std::string& directory, char slitChar,
                     const std::string& slitFile, double fwhm, double gridStep);

// Convolution of FineSpectrum with `kernel` at `wavelength` (nm), divided by
// the kernel sum.  `endOfGrid` (optional) is set when the kernel runs past the
// end of the fine grid or of the spectrum ("EOF"), cleared otherwise ("OK").
double ConvolveAt(const SlitKernel& kernel, double wavelength, double gridStep,
                  bool* endOfGrid = nullptr);

// ConvolveAt at `count` (at most kConvolveBlock) wavelengths (nm) at once:
// each value is the same sum in the same order, but the sums run side by side
// so that their additions overlap.  `endOfGrid` gets one flag per wavelength.
constexpr int kConvolveBlock = 8;
void ConvolveSeveral(const SlitKernel& kernel, const double* wavelengths, int count,
                     double gridStep, double* values, bool* endOfGrid);

// Clears the unit's state as at program start, final mode included (the main
// flow, at the start of every run).
void ResetSimulationUnit();

// Convolves FineSpectrum at start, start + outputStep, ... end (nm) with the
// slit (slitChar '1': <directory><slitFile>, else a triangle of FWHM `fwhm`)
// on the grid step `gridStep` (nm) and stores the values in SimulatedSpectrum
// indexed by Round((wavelength - 250) / outputStep).
void RunSimulation(const std::string& directory, const std::string& outputName,
                   const std::string& thirdName, double start, double end, double outputStep,
                   double gridStep, double fwhm, char slitChar, const std::string& slitFile);

// The same in final mode: also writes <directory><outputName> ("instr1.out").
void RunFinalSimulation(const std::string& directory, const std::string& outputName,
                        const std::string& thirdName, double start, double end, double outputStep,
                        double gridStep, double fwhm, char slitChar, const std::string& slitFile);

}  // namespace tarn

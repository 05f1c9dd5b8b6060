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

// A slit: SlitChar '1' is the slit-function file <Directory><FileName>, any
// other character a triangle of FWHM Fwhm.
struct SlitSpec {
    std::string Directory;  // ends in the separator
    char SlitChar;
    std::string FileName;
    double Fwhm;  // nm
};

// Builds `kernel` on the grid step `gridStep` (nm): the slit-function file is
// read within +-SlitRangeFactor x FWHM (ERROR S2 when it is missing).
void BuildSlitKernel(SlitKernel& kernel, const SlitSpec& slit, double gridStep);

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

// The wavelengths simulated: Start, Start + OutputStep, ... End, on the fine
// grid step GridStep (all nm).
struct SimulationRange {
    double Start, End, OutputStep, GridStep;
};

// Convolves FineSpectrum with the slit over the range and stores the values in
// SimulatedSpectrum indexed by Round((wavelength - 250) / OutputStep).  Once
// a final simulation has run, it also writes <slit.Directory><outputName>.
void RunSimulation(const SlitSpec& slit, const SimulationRange& range,
                   const std::string& outputName);

// The same in final mode: also writes <slit.Directory><outputName> ("instr1.out").
void RunFinalSimulation(const SlitSpec& slit, const SimulationRange& range,
                        const std::string& outputName);

}  // namespace tarn

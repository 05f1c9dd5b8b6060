// Reading of the scan file into the measured arrays and the copy file.
#pragma once

#include <string>

namespace tarn {

class TextIn;

// Reads the header lines and the accepted pairs (250 nm .. grid high) of the
// open scan file into MeasuredWavelengths/MeasuredIrradiances, writes them to
// <main path><measurement-copy name> and cuts RangeEnd to the scan.  A scan
// without a pair in range logs one line and ends the run (exit code 0).
void ReadScan(TextIn& scan, const std::string& scanPath);

}  // namespace tarn

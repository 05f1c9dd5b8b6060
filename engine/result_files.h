// Result header "header.txt", the standardised result spectrum and the
// transmission file.
#pragma once

#include <string>

namespace tarn {

// Creates `fileName` and writes the header block of the run and the scan.
void WriteHeaderFile(const std::string& fileName);

// Joins <directory><standardName> and <directory><instrumentName> into the
// result spectrum <directory><resultName> and writes the transmission file;
// sets StartIrradiance and MaxIrradianceBelowStart.
void CombineResults(const std::string& directory, const std::string& standardName,
                    const std::string& instrumentName, const std::string& resultName);

}  // namespace tarn

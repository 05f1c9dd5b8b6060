// Names of the result files that the engine writes per scan and per day, in
// one place for the engine's writers and for the windowed programs (plots,
// archiving lines, viewer presets).  Every name is <stem><part>.<id>: the
// stem is the scan name DDDhhmm or the day DDD, the part a result code or a
// name part of the defaults files, the extension the instrument id.  The
// functions only join their pieces, so a piece may hold wildcards when a
// program builds a file mask.
#pragma once

#include <string>

namespace tarn {

// Built-in names of the result sub-directories, without the separator.  The
// long defaults file can change all but "flagstat"; the shell's archiving
// lines use these.
constexpr const char* kShiftSubdirectory = "shift";
constexpr const char* kQaqcSubdirectory = "qaqc";
constexpr const char* kStructureSubdirectory = "struc";  // inside the qaqc one
constexpr const char* kTransmissionSubdirectory = "trans";
constexpr const char* kEfuvSubdirectory = "efuv";
constexpr const char* kFlagstatSubdirectory = "flagstat";  // inside the qaqc one

// Fixed name part of the daily quality table.
constexpr const char* kDailyQualityPart = "QC";

// The instrument's result directory <main path><id><separator>.
std::string ResultDirectoryName(const std::string& mainPath, const std::string& id);

// The first three characters of a scan name, with "0" put in front until
// there are three: the day DDD of the per-day files that pad it.
std::string PaddedDay(const std::string& scanName);

// ---- Per scan (scan: DDDhhmm; code: a one-letter result code) ----

// Scan shift table <scan><id_shift>.<id>, in the shift sub-directory.
std::string ScanShiftTableName(const std::string& scan, const std::string& idShift,
                               const std::string& id);
// Applied-shift file <scan><id_shif_appl>.<id> (the shell plots it), in the
// shift sub-directory.
std::string AppliedShiftName(const std::string& scan, const std::string& idShifAppl,
                             const std::string& id);
// The directory of the applied-shift files, <mainPath><id>/<shiftSubdirectory>
// (the shift subdirectory with its separator, as the long defaults file
// names it).
std::string AppliedShiftDirectoryOf(const std::string& mainPath,
                                    const std::string& shiftSubdirectory, const std::string& id);
// The applied-shift code of a result-code text ("W" of "S I W": its fifth
// character); false when the text is shorter.
bool AppliedShiftCode(const std::string& resultCodes, std::string& code);
// Result spectrum <scan><id_specout>.<id>, in the result directory.
std::string ResultSpectrumName(const std::string& scan, const std::string& idSpecout,
                               const std::string& id);
// Transmission file <scan><name part, "T">.<id>, in the transmission sub-directory.
std::string TransmissionName(const std::string& scan, const std::string& transName,
                             const std::string& id);
// Model-ratio file <scan>q.<id> (the viewer's spectral views), in
// <qaqc><struc>.
std::string ModelRatioName(const std::string& scan, const std::string& id);
// The shell's mask of model-ratio files, <dayTime>Q.<id>: the part in
// capitals as the shell writes it; names are compared without regard to
// case, so the mask finds the engine's "q" files.
std::string ModelRatioMask(const std::string& dayTime, const std::string& id);

// ---- Per day (day: DDD) ----

// Daily shift series <day>shi<id_shift>.<id>, in the shift sub-directory.
std::string DailyShiftName(const std::string& day, const std::string& idShift,
                           const std::string& id);
// Structure-check file of one criterion <day><criterion name>.<id>, in <qaqc>.
std::string StructureCheckName(const std::string& day, const std::string& criterionName,
                               const std::string& id);
// Daily quality table <day>QC.<id> (the viewer's diurnal views), in <qaqc>.
std::string DailyQualityName(const std::string& day, const std::string& id);
// Quality-flag file <day><name part, "Qflag">.<id>, in <qaqc>.
std::string QualityFlagName(const std::string& day, const std::string& qflagName,
                            const std::string& id);
// Spike files <day><name part>.<id>: "SPQ" corrections, "SPD" summary; in <qaqc>.
std::string SpikeFileName(const std::string& day, const std::string& namePart,
                          const std::string& id);
// Effective-UV file <day><cut-off name or band-file name>.<id>, in the
// effective-UV sub-directory.
std::string EffectiveUvName(const std::string& day, const std::string& namePart,
                            const std::string& id);

// ---- Flag statistics (<qaqc>flagstat/) ----

// Per-colour list <colour>.<id> ("BLACK", "GREY", "RED", "YELLOW", "GREEN").
std::string FlagClassName(const std::string& colour, const std::string& id);
// Spike list SPIKES.<id>.
std::string SpikeListName(const std::string& id);

}  // namespace tarn

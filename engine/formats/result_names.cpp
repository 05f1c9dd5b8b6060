#include "engine/formats/result_names.h"

#include "platform/paths.h"

namespace tarn {

namespace {

std::string Joined(const std::string& stem, const std::string& part, const std::string& id) {
    return stem + part + "." + id;
}

}  // namespace

std::string ResultDirectoryName(const std::string& mainPath, const std::string& id) {
    return mainPath + id + kPathSeparator;
}

std::string PaddedDay(const std::string& scanName) {
    std::string day = scanName.substr(0, 3);
    while (day.size() < 3) day.insert(day.begin(), '0');
    return day;
}

std::string ScanShiftTableName(const std::string& scan, const std::string& idShift,
                               const std::string& id) {
    return Joined(scan, idShift, id);
}

std::string AppliedShiftName(const std::string& scan, const std::string& idShifAppl,
                             const std::string& id) {
    return Joined(scan, idShifAppl, id);
}

std::string AppliedShiftDirectoryOf(const std::string& mainPath,
                                    const std::string& shiftSubdirectory, const std::string& id) {
    return ResultDirectoryName(mainPath, id) + shiftSubdirectory;
}

bool AppliedShiftCode(const std::string& resultCodes, std::string& code) {
    constexpr size_t kIndex = 4;  // the fifth character of "S I W"
    if (resultCodes.size() <= kIndex) return false;
    code = resultCodes.substr(kIndex, 1);
    return true;
}

std::string ResultSpectrumName(const std::string& scan, const std::string& idSpecout,
                               const std::string& id) {
    return Joined(scan, idSpecout, id);
}

std::string TransmissionName(const std::string& scan, const std::string& transName,
                             const std::string& id) {
    return Joined(scan, transName, id);
}

std::string ModelRatioName(const std::string& scan, const std::string& id) {
    return Joined(scan, "q", id);
}

std::string ModelRatioMask(const std::string& dayTime, const std::string& id) {
    return Joined(dayTime, "Q", id);
}

std::string DailyShiftName(const std::string& day, const std::string& idShift,
                           const std::string& id) {
    return Joined(day, "shi" + idShift, id);
}

std::string StructureCheckName(const std::string& day, const std::string& criterionName,
                               const std::string& id) {
    return Joined(day, criterionName, id);
}

std::string DailyQualityName(const std::string& day, const std::string& id) {
    return Joined(day, kDailyQualityPart, id);
}

std::string QualityFlagName(const std::string& day, const std::string& qflagName,
                            const std::string& id) {
    return Joined(day, qflagName, id);
}

std::string SpikeFileName(const std::string& day, const std::string& namePart,
                          const std::string& id) {
    return Joined(day, namePart, id);
}

std::string EffectiveUvName(const std::string& day, const std::string& namePart,
                            const std::string& id) {
    return Joined(day, namePart, id);
}

std::string FlagClassName(const std::string& colour, const std::string& id) {
    return Joined(colour, "", id);
}

std::string SpikeListName(const std::string& id) {
    return Joined("SPIKES", "", id);
}

}  // namespace tarn

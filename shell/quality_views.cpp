#include "shell/quality_views.h"

#include <QString>
#include <algorithm>
#include <stdexcept>

#include "engine/formats/quality_table_layout.h"
#include "engine/formats/result_names.h"
#include "gui-common/data_files_window.h"
#include "gui-common/dialogs.h"
#include "gui-common/edit_text.h"
#include "gui-common/line_list.h"
#include "platform/file_mask.h"
#include "platform/paths.h"
#include "platform/run_error.h"
#include "shell/batch_file.h"
#include "shell/child_process.h"
#include "shell/defaults_upkeep.h"
#include "shell/shift_graph_window.h"

namespace tarn::tarncall {

namespace {

// Columns of a model-ratio file: wavelength, measured and modelled
// irradiance, their ratio, the pair-ratio deviation in percent.
constexpr int kModelRatioWavelength = 1;
constexpr int kModelRatioRatio = 4;
constexpr int kModelRatioDeviation = 5;
// Characters of the day-and-time mask that name the day.
constexpr size_t kDayLength = 3;

// The Y axis of a view and its title; spectral views plot a model-ratio
// column, diurnal views a column of the quality table.
struct Preset {
    QualityView View;
    const char* Title;  // followed by the mask, a blank and the id
    int ModelRatioColumn;
    int DiurnalColumns::*TableColumn;
    double YMax, YMin;
    const char* YTitle;
    int YSteps;
};

const Preset kPresets[] = {
    {QualityView::SpectralSpikes, "Spectral spikes for: ", kModelRatioDeviation, nullptr, 50, -50,
     "Percent deviation", 10},
    {QualityView::SpectralTransmission, "Spectral transmission for: ", kModelRatioRatio, nullptr,
     1.4, 0, "Transmission compared to cloudless sky", 7},
    {QualityView::DiurnalShift1, "Wavelength shift1 range ", 0, &DiurnalColumns::MeanShift1, 0.5,
     -0.5, "Shift (nm)", 10},
    {QualityView::DiurnalShift2, "Wavelength shift2 range ", 0, &DiurnalColumns::MeanShift2, 0.5,
     -0.5, "Shift (nm)", 10},
    {QualityView::DiurnalShape, "Deviation of spectral shape ", 0, &DiurnalColumns::ShapeScore, 30,
     0, "% deviation (<3% stable;green<10%>yellow<15%>red<20%>black", 6},
    {QualityView::DiurnalTransmission2, "Diurnal transmission in UVA ", 0,
     &DiurnalColumns::RatioMean2, 1.4, 0, "Transmission (trans2)", 7},
};

// The X axis: wavelength for the spectral views; zenith angle or hour of
// the day for the diurnal ones.
struct XAxis {
    int Column;
    double Max, Min;
    const char* Title;
    int Steps;
};

const Preset& PresetOf(QualityView view) {
    for (const Preset& preset : kPresets)
        if (preset.View == view) return preset;
    throw std::invalid_argument("the spectral-shift view has no viewer settings");
}

std::string Number(double value) {
    return gui::ViewerSettingsNumber(value);
}

}  // namespace

DiurnalColumns DiurnalColumnsFor(int criteriaCount, int startCriterion) {
    const QualityTableColumns table = DailyQualityColumns(criteriaCount, startCriterion);
    DiurnalColumns columns;
    columns.ZenithAngle = table.Of(QualityColumn::ZenithAngle);
    columns.MeanShift1 = table.Of(QualityColumn::MeanShift1);
    columns.MeanShift2 = table.Of(QualityColumn::MeanShift2);
    columns.ShapeScore = table.Of(QualityColumn::ShapeScore, std::min(2, table.CriteriaCount));
    columns.RatioMean2 = table.Of(QualityColumn::RatioMean2);
    columns.ScanHour = table.Of(QualityColumn::ScanHour);
    return columns;
}

ViewSources ReadViewSources(const std::string& path) {
    const MainDefaults defaults = ReadMainDefaults(path);
    ViewSources sources;
    sources.MainPath = defaults.MainAnalysisPath;
    sources.QcSubdirectory = defaults.QcSubdirectory;
    sources.StructureSubdirectory = defaults.StructureSubdirectory;
    sources.ShiftSubdirectory = defaults.ShiftSubdirectory;
    sources.Columns = DiurnalColumnsFor(defaults.CriteriaCount, defaults.StartCriterion);
    sources.DefaultsMissing = defaults.Missing;
    return sources;
}

gui::ViewerSettings ViewerPreset(const ViewRequest& request, const ViewSources& sources) {
    const Preset& preset = PresetOf(request.View);
    const std::string& d = request.DayTime;
    const std::string& id = request.InstrumentId;
    const std::string results = ResultDirectoryName(sources.MainPath, id);
    const bool spectral = preset.TableColumn == nullptr;
    XAxis x{kModelRatioWavelength, 400, 290, "Wavelength (nm)", 11};
    if (!spectral && request.BySza)
        x = XAxis{sources.Columns.ZenithAngle, 90, 0, "Solar Zenith Angle(Degrees)", 18};
    else if (!spectral)
        x = XAxis{sources.Columns.ScanHour, 24, 0, "Time (UT)", 12};

    gui::ViewerSettings settings;
    if (spectral) {
        settings.FileMask = ModelRatioMask(d, id);
        settings.Path = results + sources.QcSubdirectory + sources.StructureSubdirectory;
        settings.YColumn = std::to_string(preset.ModelRatioColumn);
    } else {
        settings.FileMask = DailyQualityName(d.substr(0, kDayLength), id);
        settings.Path = results + sources.QcSubdirectory;
        settings.YColumn = std::to_string(sources.Columns.*preset.TableColumn);
    }
    settings.Title = preset.Title + d + " " + id;
    settings.XColumn = std::to_string(x.Column);
    settings.XMax = Number(x.Max);
    settings.XMin = Number(x.Min);
    settings.XTitle = x.Title;
    settings.YMax = Number(preset.YMax);
    settings.YMin = Number(preset.YMin);
    settings.YTitle = preset.YTitle;
    settings.XSteps = std::to_string(x.Steps);
    settings.YSteps = std::to_string(preset.YSteps);
    return settings;
}

void WriteViewerSettings(const gui::ViewerSettings& preset) {
    gui::SaveViewerSettingsFile(preset, true);
}

std::string AppliedShiftDirectory(const ViewRequest& request, const ViewSources& sources) {
    return AppliedShiftDirectoryOf(sources.MainPath, sources.ShiftSubdirectory,
                                   request.InstrumentId);
}

std::string AppliedShiftMask(const ViewRequest& request) {
    std::string code;  // none in a text shorter than five characters (refused by the view)
    AppliedShiftCode(request.ResultCodes, code);
    return AppliedShiftName(request.DayTime, code, request.InstrumentId);
}

std::optional<std::string> ArchivedDayText(const ViewRequest& request, const ViewSources& sources,
                                           const std::string& directory,
                                           const std::string& pattern) {
    const std::string day = request.DayTime.substr(0, kDayLength);
    if (!DayNumber(day) || !ListFilesByMask(directory, pattern).empty()) return std::nullopt;
    const std::string archive = ArchiveFile(sources.MainPath, request.InstrumentId, day);
    if (!FileExists(archive)) return std::nullopt;
    return "No file matches " + MessagePart(pattern) + " in " + MessagePart(directory) +
           ": the files of day " + day + " are in its archive " + MessagePart(archive);
}

void ShowAppliedShifts(const ViewRequest& request, const ViewSources& sources,
                       gui::TfrmDataFiles& files, ShiftGraphs& graphs) {
    const std::string directory = AppliedShiftDirectory(request, sources);
    files.show();
    files.SetMask(directory + AppliedShiftMask(request));
    const std::string title = ShiftGraphTitleFor(request.InstrumentId, request.DayTime);
    for (int i = 0; i < files.Count(); ++i) graphs.Show(title, directory + files.Item(i), i == 0);
}

void ShowQualityView(const ViewRequest& request, gui::TfrmDataFiles& files,
                     ShiftGraphs& graphs) {
    const ViewSources sources = ReadViewSources(request.DefaultsFile);
    std::optional<std::string> archived;
    if (request.View != QualityView::SpectralShift) {
        const gui::ViewerSettings preset = ViewerPreset(request, sources);
        WriteViewerSettings(preset);
        archived = ArchivedDayText(request, sources, preset.Path, preset.FileMask);
        if (!archived) RunProgramAndWait(QString::fromLatin1(kViewerProgram));
    } else if (std::string code; !AppliedShiftCode(request.ResultCodes, code)) {
        gui::CurrentDialogs().Inform(gui::DecodeBytes(NoShiftCodeText(request.ResultCodes)));
    } else if (!sources.DefaultsMissing) {
        ShowAppliedShifts(request, sources, files, graphs);
        if (files.Count() == 0)
            archived = ArchivedDayText(request, sources, AppliedShiftDirectory(request, sources),
                                       AppliedShiftMask(request));
    }
    if (archived) gui::CurrentDialogs().Inform(gui::DecodeBytes(*archived));
}

}  // namespace tarn::tarncall

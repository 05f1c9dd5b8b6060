// Viewer settings file "viewer.dfa" as the viewer reads it and the shell
// writes into it.  The viewer: ReadViewerSettings on the loaded lines and the
// view converted (ColumnGraphSpecOf, RequirePlottable, the axis increments); the
// main window made as at program start (FormCreate) and "Plot" pressed, which
// must leave exactly the thirteen lines of the edits (or the file as it was,
// when it refuses the edits), its graphs drawn, then
// drawn again after "Rescale axis" took the edits' axis limits; the
// working directory holds two small result files in "res/".  The shell: a
// view's preset written into the file as it stands, which must leave the
// preset's thirteen lines and every later line of the file as it was.
#include <QPushButton>
#include <cstdlib>
#include <vector>

#include "fuzz/fuzz_gui_support.h"
#include "gui-common/chart.h"
#include "gui-common/line_list.h"
#include "gui-common/viewer_settings.h"
#include "shell/quality_views.h"
#include "viewer/column_graphs.h"
#include "viewer/graph_window.h"
#include "viewer/main_window.h"
#include "viewer/view_spec.h"

namespace {

using namespace tarn;

void WriteResultFiles() {
    fuzz::WriteWorkFile("res/1731230I.exa",
                        "!header\n290.0 0.10 1.2\n300.5 0.25 1.1\n310.0 nan 1.0\n320.0 0.40\n"
                        "330.0 0.45 0.9\n");
    fuzz::WriteWorkFile("res/173QC.exa", "! day\n1730500 75.68 0.052\n1731230 28.42 0.061\n");
}

// The plain reading of the lines and the view they give.
void ReadPlain() {
    gui::LineList lines;
    if (!fuzz::RunGuiReader([&] { lines.Load(gui::kViewerSettingsFileName); })) return;
    gui::ViewerSettings settings = gui::DefaultViewerSettings();
    gui::ReadViewerSettings(lines, settings);
    const resplot::ColumnGraphSpec spec = resplot::ColumnGraphSpecOf(settings);
    try {
        resplot::RequirePlottable(settings);
    } catch (const RunTimeError&) {
    }
    resplot::AxisIncrement(spec.XMin, spec.XMax, spec.XSteps);
    resplot::AxisIncrement(spec.YMin, spec.YMax, spec.YSteps);
}

// The viewer's start and "Plot"; the file saved must be the edits' 13 lines,
// or as it was when the Plot refused the edits.
void StartAndPlot() {
    resplot::TForm1 form;  // FormCreate
    const std::vector<std::string> before = fuzz::StoredLines(gui::kViewerSettingsFileName);
    bool refused = false;
    try {
        resplot::RequirePlottable(form.FormSettings());
    } catch (const RunTimeError&) {
        refused = true;
    }
    form.btn_plot->click();
    const std::vector<std::string> after = fuzz::StoredLines(gui::kViewerSettingsFileName);
    if (refused) return fuzz::CheckLines(before, after, "viewer.dfa after a refused Plot");
    for (resplot::TGrafiek1* graph : form.Graphs().Graphs()) {
        fuzz::RenderChart(*graph->Chart1);
        graph->btnAxis->click();  // the axis limits of the edits, through the axis dialog
        fuzz::RenderChart(*graph->Chart1);
    }
    gui::LineList saved;
    if (!fuzz::RunGuiReader([&] { saved.Load(gui::kViewerSettingsFileName); })) return;
    const auto lines = gui::ViewerSettingsLines(form.FormSettings());
    fuzz::CheckLines({lines.begin(), lines.end()}, saved.Lines(), "viewer.dfa saved by Plot");
}

// The shell's preset written into the file as it stands.
void ShellWrites(const std::string& text) {
    fuzz::WriteWorkFile(gui::kViewerSettingsFileName, text);
    gui::LineList before;
    if (!fuzz::RunGuiReader([&] { before.Load(gui::kViewerSettingsFileName); })) return;
    gui::ViewerSettings preset = gui::DefaultViewerSettings();
    preset.Title = "Spikes for: 1731230 exa";
    if (!fuzz::RunGuiReader([&] { tarncall::WriteViewerSettings(preset); })) return;
    gui::LineList after;
    after.Load(gui::kViewerSettingsFileName);
    const auto lines = gui::ViewerSettingsLines(preset);
    fuzz::CheckHeadAndKeptLines({lines.begin(), lines.end()}, before.Lines(), after.Lines(),
                                "viewer.dfa after the shell's preset");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (!fuzz::StartGuiInput(size)) return 0;
    WriteResultFiles();
    const std::string text = fuzz::ConfinedInput(data, size);
    fuzz::WriteWorkFile(gui::kViewerSettingsFileName, text);
    ReadPlain();
    StartAndPlot();
    ShellWrites(text);
    fuzz::CheckReports();
    return 0;
}

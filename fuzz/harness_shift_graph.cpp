// Applied-shift files as the shell's shift graph reads them: the file is
// added to the current shift-graph window (ShiftGraphs::AddFile, whose guard
// reports a bad data line; the points before it stay) after "Clear plot", and
// the chart is drawn.  PlotShiftFile into a series of its own must give the
// same points.
#include <cstdlib>

#include "fuzz/fuzz_gui_support.h"
#include "gui-common/chart.h"
#include "platform/text_file.h"
#include "shell/shift_graph_window.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tarn;
    using namespace tarn::tarncall;
    if (!fuzz::StartGuiInput(size)) return 0;
    const std::string text = fuzz::InputText(data, size);
    const std::string file = fuzz::WorkDir() + "/1731230W.exa";
    fuzz::WriteText(file, text);
    // The graphs live as long as the program, as the shell's do.
    static auto* graphs = new ShiftGraphs();
    if (graphs->Current() == nullptr)
        graphs->Show(ShiftGraphTitleFor("exa", "1731230"), file, true);
    TGrafiek1& window = *graphs->Current();
    window.Button1Click();
    graphs->File = file;
    graphs->AddFile();
    fuzz::RenderChart(*window.Chart1);

    gui::ChartSeries series(gui::SeriesKind::Point, nullptr);
    TextIn in;
    in.OpenText(file, text);
    fuzz::RunGuiReader([&] { PlotShiftFile(in, series); });
    if (series.Count() != window.Series1->Count()) std::abort();
    fuzz::CheckReports();
    return 0;
}

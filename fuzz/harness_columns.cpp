// Result files as the viewer reads their columns.  The input's first line is
// the X column text and its second the Y column text, as the viewer settings
// file holds them; the rest is the result file.  The column texts are
// converted as the viewer converts them (ColumnGraphSpecOf); ReadColumnPairs
// reads the file, which must give exactly the pairs that ColumnPairOfLine
// gives line by line, all finite, and none for a column outside 1..100.
// Every line is also read with column numbers at and beyond the limits.  The
// pairs are plotted into a graph window (PlotColumnPairs) and drawn.
#include <climits>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "fuzz/fuzz_gui_support.h"
#include "gui-common/chart.h"
#include "platform/text_file.h"
#include "viewer/column_graphs.h"
#include "viewer/column_reading.h"
#include "viewer/graph_window.h"
#include "viewer/view_spec.h"

namespace {

using namespace tarn;
using namespace tarn::resplot;

// The first line of `text` from `start` (without its line end); `start` moves
// past it.
std::string TakeLine(const std::string& text, size_t& start) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    start = end < text.size() ? end + 1 : end;
    return line;
}

TGrafiek1& Graph() {
    static TGrafiek1* graph = [] {
        auto* g = new TGrafiek1();
        g->Chart1->BottomAxis().SetMinMax(290.0, 400.0);
        g->Chart1->LeftAxis().SetMinMax(0.0, 1.3);
        return g;
    }();
    return *graph;
}

// Every line read with columns at and beyond the limits; a column outside
// 1..100 never gives a pair.
void ReadAtLimits(const std::string& line) {
    const long columns[][2] = {{1, 2}, {100, 100}, {0, 1}, {1, 101}, {LONG_MIN, LONG_MAX}, {-1, 2}};
    for (const auto& c : columns) {
        double x = 0.0, y = 0.0;
        const bool pair = ColumnPairOfLine(line, c[0], c[1], x, y);
        if (pair && (!IsValidColumn(c[0]) || !IsValidColumn(c[1]))) std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > fuzz::kMaxInputSize) return 0;
    fuzz::StartGui();
    const std::string text = fuzz::InputText(data, size);
    size_t start = 0;
    gui::ViewerSettings settings = gui::DefaultViewerSettings();
    settings.XColumn = TakeLine(text, start);
    settings.YColumn = TakeLine(text, start);
    const ColumnGraphSpec spec = ColumnGraphSpecOf(settings);
    const std::string file = text.substr(start);

    TextIn in;
    in.OpenText("1731230I.exa", file);
    const std::vector<ColumnPair> pairs = ReadColumnPairs(in, spec.XColumn, spec.YColumn);
    in.OpenText("1731230I.exa", file);
    size_t matched = 0;
    while (!in.Eof()) {
        const std::string line = in.ReadLine();
        ReadAtLimits(line);
        double x = 0.0, y = 0.0;
        if (!ColumnPairOfLine(line, spec.XColumn, spec.YColumn, x, y)) continue;
        if (matched >= pairs.size() || pairs[matched].X != x || pairs[matched].Y != y)
            std::abort();  // the file reading and the line reading disagree
        ++matched;
    }
    if (matched != pairs.size()) std::abort();
    if (!pairs.empty() && (!IsValidColumn(spec.XColumn) || !IsValidColumn(spec.YColumn)))
        std::abort();
    for (const ColumnPair& pair : pairs)
        if (!std::isfinite(pair.X) || !std::isfinite(pair.Y)) std::abort();

    TGrafiek1& graph = Graph();
    graph.Button1Click();
    in.OpenText("1731230I.exa", file);
    PlotColumnPairs(in, graph, spec.XColumn, spec.YColumn);
    if (graph.Series1->Count() != static_cast<int>(pairs.size())) std::abort();
    fuzz::RenderChart(*graph.Chart1);
    fuzz::CheckReports();
    return 0;
}

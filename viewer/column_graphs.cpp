#include "viewer/column_graphs.h"

#include "gui-common/axis_setting_dialog.h"
#include "gui-common/chart.h"
#include "platform/text_file.h"
#include "viewer/column_reading.h"
#include "viewer/graph_window.h"
#include "viewer/main_window.h"

namespace tarn::resplot {

void PlotColumnPairs(TextIn& file, TGrafiek1& graph, long xColumn, long yColumn) {
    // The plotted points take the place of Series3's average until "Clear plot".
    graph.Series3->SetAverageOf(nullptr);
    graph.Series3->Clear();
    for (const ColumnPair& pair : ReadColumnPairs(file, xColumn, yColumn)) {
        graph.Series1->AddXY(pair.X, pair.Y, Qt::red);
        graph.Series3->AddXY(pair.X, pair.Y, Qt::blue);
    }
}

ColumnGraphs::ColumnGraphs(TForm1* owner, gui::TFrm_axissetting* axisDialog)
    : m_owner(owner), m_axisDialog(axisDialog) {}

int ColumnGraphs::PlotFiles(const ColumnGraphSpec& spec, const std::string& directory,
                            const std::vector<std::string>& names, bool oneGraphPerFile) {
    const size_t before = m_graphs.size();
    for (size_t i = 0; i < names.size(); ++i) {
        const std::string& name = names[names.size() - 1 - i];
        const std::string file = directory + name;
        if (i == 0 || oneGraphPerFile) {
            OpenColumnGraph(spec, oneGraphPerFile ? spec.Title + " " + name : spec.Title, file);
        } else {
            ShowColumnGraph(file, spec.XColumn, false, spec.YColumn);
        }
    }
    int points = 0;  // in the graphs this plot made
    for (size_t g = before; g < m_graphs.size(); ++g)
        if (!m_graphs[g].isNull()) points += m_graphs[g]->Series1->Count();
    return points;
}

void ColumnGraphs::OpenColumnGraph(const ColumnGraphSpec& spec, const std::string& title,
                                   const std::string& file) {
    ShowColumnGraph(file, spec.XColumn, true, spec.YColumn);
    gui::Chart& chart = *Current()->Chart1;
    chart.ClearTitle();
    chart.SetTitle(QString::fromStdString(title));
    chart.LeftAxis().SetMinMax(spec.YMin, spec.YMax);
    chart.BottomAxis().SetMinMax(spec.XMin, spec.XMax);
    chart.LeftAxis().SetIncrement(AxisIncrement(spec.YMin, spec.YMax, spec.YSteps));
    chart.BottomAxis().SetIncrement(AxisIncrement(spec.XMin, spec.XMax, spec.XSteps));
    chart.BottomAxis().SetTitle(QString::fromStdString(spec.XTitle));
    chart.LeftAxis().SetTitle(QString::fromStdString(spec.YTitle));
}

void ColumnGraphs::ShowColumnGraph(const std::string& file, long xColumn, bool create,
                                   long yColumn) {
    m_columnGraphFile = file;
    if (create || Current() == nullptr) {
        auto* graph = new TGrafiek1(m_owner);
        m_graphs.emplace_back(graph);
        if (m_axisDialog != nullptr) m_axisDialog->SetCurrentChart(graph->Chart1);
    }
    PlotFileColumns(xColumn, yColumn);
    Current()->show();
}

void ColumnGraphs::PlotFileColumns(long xColumn, long yColumn) {
    TGrafiek1* graph = Current();
    TextIn file;
    if (graph == nullptr || !file.Open(m_columnGraphFile)) return;
    PlotColumnPairs(file, *graph, xColumn, yColumn);
    file.Close();
}

TGrafiek1* ColumnGraphs::Current() const {
    return m_graphs.empty() ? nullptr : m_graphs.back().data();
}

std::vector<TGrafiek1*> ColumnGraphs::Graphs() const {
    std::vector<TGrafiek1*> graphs;
    for (const QPointer<TGrafiek1>& graph : m_graphs)
        if (!graph.isNull()) graphs.push_back(graph.data());
    return graphs;
}

}  // namespace tarn::resplot

#include "viewer/export_mode.h"

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <cstdio>
#include <vector>

#include "gui-common/chart.h"
#include "gui-common/line_list.h"
#include "gui-common/viewer_settings.h"
#include "gui-common/widget_png.h"
#include "platform/paths.h"
#include "platform/run_error.h"
#include "viewer/column_graphs.h"
#include "viewer/graph_window.h"
#include "viewer/main_window.h"

namespace tarn::resplot {

namespace {

void WriteErrorLine(const QString& text) {
    std::fprintf(stderr, "resplot: %s\n", text.toLocal8Bit().constData());
    std::fflush(stderr);
}

std::string AxisFields(const gui::ChartAxis& axis) {
    const std::string increment =
        axis.AutomaticIncrement() ? "auto" : gui::ViewerSettingsNumber(axis.Increment());
    return gui::ViewerSettingsNumber(axis.Minimum()) + "\t" +
           gui::ViewerSettingsNumber(axis.Maximum()) + "\t" + increment;
}

// Writes each graph window of `form` and the summary into `directory`;
// raises RunTimeError naming what cannot be written.
void WriteGraphs(TForm1& form, const std::string& directory) {
    std::vector<std::string> lines;
    int n = 0;
    for (TGrafiek1* graph : form.Graphs().Graphs()) {
        const std::string name = "graph-" + std::to_string(++n) + ".png";
        const std::string path = JoinPath(directory, name);
        if (!gui::RenderWidgetToPng(*graph, QFile::decodeName(path.c_str())))
            throw RunTimeError::Refusal("cannot write " + path);
        lines.push_back(GraphSummaryLine(name, *graph));
    }
    gui::SaveLinesAtomically(JoinPath(directory, "graphs.txt"), lines);
}

}  // namespace

void ConsoleDialogs::Inform(const QString& text) {
    WriteErrorLine(text);
}

void ConsoleDialogs::Error(const QString& text) {
    WriteErrorLine(text);
}

bool ConsoleDialogs::SetUpPrinter(QPrinter&) {
    return false;
}

std::string GraphSummaryLine(const std::string& imageName, TGrafiek1& graph) {
    const gui::Chart& chart = *graph.Chart1;
    return imageName + "\t" + std::to_string(graph.Series1->Count()) + "\t" +
           std::to_string(graph.Series3->Count()) + "\t" + AxisFields(chart.BottomAxis()) + "\t" +
           AxisFields(chart.LeftAxis()) + "\t" + chart.Title().toStdString();
}

int ExportGraphs(TForm1& form, const QString& directory) {
    try {
        if (!QDir().mkpath(directory))
            throw RunTimeError::Refusal("cannot create the directory " + directory.toStdString());
        form.btn_plot->click();
        WriteGraphs(form, QFile::encodeName(directory).toStdString());
    } catch (const RunTimeError& error) {
        WriteErrorLine(QString::fromStdString(error.Report()));
        return 2;
    }
    return 0;
}

int RunExportMode(const QString& directory) {
    ConsoleDialogs dialogs;
    gui::SetDialogs(&dialogs);
    int code = 0;
    {
        TForm1 form;
        code = ExportGraphs(form, directory);
    }
    gui::SetDialogs(nullptr);
    return code;
}

}  // namespace tarn::resplot

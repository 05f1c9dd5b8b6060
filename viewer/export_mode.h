// Export mode, for scripts and end-to-end tests:
//
//     resplot --export DIR
//
// starts as usual (the main window takes its settings from the viewer settings
// file in the working directory), presses "Plot" as the operator does, writes
// each graph window as DIR/graph-<n>.png (n = 1, 2, ... in creation order)
// and the summary DIR/graphs.txt, and ends.  DIR is created when missing.
// Messages that would be message boxes go to standard error instead, one line
// each, beginning "resplot: ".  Exit code 0; 2, with one line on standard
// error, when DIR cannot be created or a file in it cannot be written.
//
// graphs.txt holds one line per graph window, in creation order (no line when
// no graph opened), with these fields separated by one tab character:
//
//     graph-<n>.png  Series1-points  Series3-points  X-min  X-max  X-increment
//     Y-min  Y-max  Y-increment  title
//
// Point counts are whole numbers; axis values are in the shortest form that
// reads back exactly ("290", "0.05", "1e+20"); an automatic increment is
// "auto".  The title, last, may hold blanks.
#pragma once

#include <QString>
#include <string>

#include "gui-common/dialogs.h"

namespace tarn::resplot {

class TForm1;
class TGrafiek1;

// Dialogs without a screen: each message becomes one line "resplot: <text>"
// on standard error; the print dialog is cancelled.
class ConsoleDialogs : public gui::Dialogs {
  public:
    void Inform(const QString& text) override;
    void Error(const QString& text) override;
    bool SetUpPrinter(QPrinter& printer) override;
};

// The graphs.txt line of `graph`, saved as the image `imageName`.
std::string GraphSummaryLine(const std::string& imageName, TGrafiek1& graph);

// Presses "Plot" on `form` and writes its graphs into `directory` as above;
// returns the exit code (2 after writing the one error line).
int ExportGraphs(TForm1& form, const QString& directory);

// The whole export mode: console dialogs, the main window, ExportGraphs.
int RunExportMode(const QString& directory);

}  // namespace tarn::resplot

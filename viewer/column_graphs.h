// The viewer's graph routines and their module values: the file plotted next
// (ColumnGraphFile) and the graph windows in creation order, the last one
// being the current column graph that plotting and the axis dialog act on.
#pragma once

#include <QPointer>
#include <string>
#include <vector>

#include "viewer/view_spec.h"

namespace tarn {
class TextIn;
}
namespace tarn::gui {
class TFrm_axissetting;
}

namespace tarn::resplot {

class TForm1;
class TGrafiek1;

// Adds the column pairs of the open `file` to `graph`: every pair to Series1 in
// red, and, after Series3 has been emptied and taken off its average, to
// Series3 in blue, so that Series3 holds the points of this file only.
void PlotColumnPairs(TextIn& file, TGrafiek1& graph, long xColumn, long yColumn);

class ColumnGraphs {
  public:
    // Graph windows become windows of `owner`; a new graph becomes the current
    // chart of `axisDialog`.
    ColumnGraphs(TForm1* owner, gui::TFrm_axissetting* axisDialog);

    // Plots the files `names` of `directory` (joined as typed), from the last
    // name to the first: each in a new graph titled spec.title + " " + name
    // when `oneGraphPerFile`, else all in one new graph titled spec.title.
    // Returns the number of points plotted.
    int PlotFiles(const ColumnGraphSpec& spec, const std::string& directory,
                  const std::vector<std::string>& names, bool oneGraphPerFile);
    // Opens a new graph of `file` and sets its title, axis ranges, increments
    // (range / steps; automatic for 0 or no number) and axis titles from `spec`.
    void OpenColumnGraph(const ColumnGraphSpec& spec, const std::string& title,
                         const std::string& file);
    // Stores `file` as ColumnGraphFile; with `create` (or while there is no
    // graph) makes a new current graph; plots the file into the current graph
    // and shows it.
    void ShowColumnGraph(const std::string& file, long xColumn, bool create, long yColumn);
    // Plots ColumnGraphFile into the current graph; a file that cannot be
    // opened adds nothing and shows no message.
    void PlotFileColumns(long xColumn, long yColumn);

    // The current column graph, nullptr before the first.
    TGrafiek1* Current() const;
    // The graph windows in creation order.
    std::vector<TGrafiek1*> Graphs() const;
    const std::string& ColumnGraphFile() const { return m_columnGraphFile; }

  private:
    TForm1* m_owner;
    gui::TFrm_axissetting* m_axisDialog;
    std::string m_columnGraphFile;
    std::vector<QPointer<TGrafiek1>> m_graphs;
};

}  // namespace tarn::resplot

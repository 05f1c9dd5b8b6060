// The axis dialog: four edits for the maximum and minimum of the Y and X axes.
// Every change of an edit shows the dialog and applies the two edits of its
// axis to the program's current chart at once; an entry that is not a number
// leaves that axis as it was, and an edit left holding one (Enter, or the
// focus gone) says so once with one message naming it.  The dialog is
// modeless.
#pragma once

#include <QPointer>
#include <QWidget>
#include <string>

class QLabel;
class QLineEdit;

namespace tarn::gui {

class Chart;
class ChartAxis;

// The four axis limits as typed (axis units), passed from one window to the
// dialog as values.
struct AxisLimitTexts {
    QString YMax;
    QString XMax;
    QString YMin;
    QString XMin;
};

// Converts the two texts (AxisNumber) and sets the axis
// to minimum..maximum (the smaller value is the minimum); false, and the axis
// left as it was, when either text is not a finite number.
bool ApplyAxisTexts(ChartAxis& axis, const std::string& maximumText,
                    const std::string& minimumText);

class TFrm_axissetting : public QWidget {
    Q_OBJECT

  public:
    explicit TFrm_axissetting(QWidget* parent = nullptr);

    // The chart that the change handlers act on (the program's current graph);
    // nullptr, or a chart since destroyed, makes them change no chart.
    void SetCurrentChart(Chart* chart) { m_current = chart; }
    Chart* CurrentChart() const { return m_current.data(); }

    // Puts `limits` into the edits: Y max, X max, Y min, X min, in that
    // order; each edit that changes applies its axis to the current chart at
    // once.
    void ShowLimits(const AxisLimitTexts& limits);

    // Sets the left axis of `chart` from the Y edits and its bottom axis from
    // the X edits; true when both axes were set.
    bool ApplyToChart(Chart& chart) const;

    void edt_ymaxChange();
    void edt_YminChange();
    void edt_XmaxChange();
    void edt_XminChange();

    QLineEdit* edt_ymax;
    QLineEdit* edt_Ymin;
    QLineEdit* edt_Xmax;
    QLineEdit* edt_Xmin;

  private:
    // Shows the dialog and applies one axis to the current chart.
    void ApplyYToCurrent();
    void ApplyXToCurrent();
    bool ApplyY(Chart& chart) const;
    bool ApplyX(Chart& chart) const;
    QLineEdit* AddRow(int row, const QString& label, const QString& text, const char* name);
    // Raises the refusal naming `label` when `edit` holds no number, once
    // until its text changes.
    static void RefuseNonNumber(QLineEdit& edit, const QString& label);

    QPointer<Chart> m_current;
};

}  // namespace tarn::gui

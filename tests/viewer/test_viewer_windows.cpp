// The result viewer driven as an operator drives it: settings read at start
// and written at "Plot", graphs per file or all in one, the points each
// series holds, axes from the settings, and the graph window's buttons.
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "gui-common/axis_setting_dialog.h"
#include "gui-common/chart.h"
#include "gui-common/data_files_window.h"
#include "gui-common/line_list.h"
#include "gui-common/viewer_settings.h"
#include "tests/support/recording_dialogs.h"
#include "tests/viewer/viewer_test_files.h"
#include "viewer/column_graphs.h"
#include "viewer/column_reading.h"
#include "viewer/graph_window.h"
#include "viewer/main_window.h"

using tarn::gui::ChartSeries;
using tarn::gui::ViewerSettings;
using tarn::resplot::TForm1;
using tarn::resplot::TGrafiek1;

using viewer_test::ReadFile;
using viewer_test::WriteFile;

namespace {

constexpr double kTolerance = 1e-12;

// Model-ratio files: wavelength, irradiance, model, ratio, deviation.
const char k1850900[] =
    "!TARNpelo version 3.075\n"
    "! wave measured irr. modelled irr.   ratio meas/mod   meas_ratio(m1/m2)/model_ratio\n"
    " 290.00     0.10000000      0.20000000    0.25000     9.000\n"
    "1850900  NOT_DETERMINED\n"
    " 310.00     0.10000000      0.20000000 NOT_SIGNIFICANT 1.000\n"
    "\n"
    " 400.00     0.30000000      0.20000000    1.50000     1.000 RED";  // no line end
const char k1851000[] =
    "! Earth_sun distance correction factor:   0.9673\r\n"
    " 300.00     0.00100000      0.00200000    0.50000     1.000\r\n"
    " 350.00     0.10000000      0.10000000    1.00000     2.000\r\n";

void Type(QLineEdit* edit, const QString& text) {
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
}

void Click(QAbstractButton* button) {
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
}

// Points as (x, y) with their colour's name.
QVector<QPair<QPointF, QString>> Points(const ChartSeries& series) {
    QVector<QPair<QPointF, QString>> points;
    for (const auto& p : series.Points()) points.append({QPointF(p.X, p.Y), p.Colour.name()});
    return points;
}

QVector<QPair<QPointF, QString>> Coloured(std::initializer_list<QPointF> points,
                                          const char* colour) {
    QVector<QPair<QPointF, QString>> out;
    for (const QPointF& p : points) out.append({p, QString(colour)});
    return out;
}

const auto kPoints1850900 = {QPointF(290.0, 0.25), QPointF(400.0, 1.5)};
const auto kPoints1851000 = {QPointF(300.0, 0.5), QPointF(350.0, 1.0)};

}  // namespace

class ViewerWindowsTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<tarn::gui::RecordingDialogs> m_dialogs;
    QString m_previous;

    // The spectral-transmission view over the two model-ratio files.
    ViewerSettings TransmissionView() const {
        return tarn::gui::ViewerSettingsOf(
            {"185*Q.TES", m_dir->filePath("struc").toStdString() + "/",
             "Spectral transmission for: 185* TES", "1", "400", "290", "Wavelength (nm)", "4",
             "1.5", "0", "Transmission compared to cloudless sky", "11", "3"});
    }

    void WriteSettings(const ViewerSettings& settings, int extraLines = 0) {
        tarn::gui::LineList lines;
        tarn::gui::WriteViewerSettings(settings, lines, true);
        for (int i = 0; i < extraLines; ++i) lines.Append("shell line " + std::to_string(i));
        lines.Save("viewer.dfa");
    }

    std::unique_ptr<TForm1> ShownForm() {
        auto form = std::make_unique<TForm1>();
        form->show();
        return form;
    }

  private slots:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        m_previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(m_dir->path()));
        QVERIFY(QDir(m_dir->path()).mkpath("struc"));
        WriteFile(m_dir->filePath("struc/1850900Q.TES"), k1850900);
        WriteFile(m_dir->filePath("struc/1851000Q.TES"), k1851000);
        WriteFile(m_dir->filePath("struc/1851000Q.XXX"), k1851000);
        m_dialogs = std::make_unique<tarn::gui::RecordingDialogs>();
    }

    void cleanup() {
        m_dialogs.reset();
        QDir::setCurrent(m_previous);
        m_dir.reset();
    }

    void formCreateFromWholeMissingAndShortFiles() {
        WriteSettings(TransmissionView(), 2);
        {
            TForm1 form;
            QCOMPARE(form.windowTitle(), QString("Graphical View Main"));
            QCOMPARE(form.size(), QSize(496, 350));
            QVERIFY(form.ChckBx_indiv->isChecked());
            QCOMPARE(form.edt_Y_Title->text(), QString("Transmission compared to cloudless sky"));
            QVERIFY(tarn::gui::ViewerSettingsLines(form.FormSettings()) ==
                    tarn::gui::ViewerSettingsLines(TransmissionView()));
        }
        QVERIFY(m_dialogs->Messages().isEmpty());

        QVERIFY(QFile::remove("viewer.dfa"));
        {
            TForm1 form;
            QCOMPARE(form.edt_filename->text(), QString("1851200i.ati"));
            QCOMPARE(form.edt_path->text(), QString("uvanalys/ati/"));
            QCOMPARE(form.edt_X_step->text(), QString());  // no design-time name
            form.resize(20, 20);
            QCOMPARE(form.size(), QSize(496, 350));
        }
        QVERIFY(m_dialogs->Messages().isEmpty());
        QVERIFY(!QFile::exists("viewer.dfa"));  // the first "Plot" writes it

        WriteFile("Viewer.DFA", "186*Q.TES\n/short/\nShort title\n3\n90\n");
        TForm1 form;
        QCOMPARE(m_dialogs->Messages().size(), 1);
        QVERIFY(m_dialogs->Errors().at(0).contains("index 5"));
        QCOMPARE(form.edt_filename->text(), QString("186*Q.TES"));
        QCOMPARE(form.Edt_X_max->text(), QString("90"));
        QCOMPARE(form.edt_X_min->text(), QString("300"));  // not reached: default
        QCOMPARE(form.edt_Y_step->text(), QString());
    }

    void plotRewritesTheSettingsFileWithThirteenLines() {
        WriteSettings(TransmissionView(), 2);
        auto form = ShownForm();
        Type(form->edt_Title, "My view");
        Type(form->edt_Y_max, "1.4");
        Click(form->btn_plot);
        const QByteArray want = "185*Q.TES\n" + m_dir->filePath("struc").toUtf8() +
                                "/\nMy view\n1\n400\n290\nWavelength (nm)\n4\n1.4\n0\n"
                                "Transmission compared to cloudless sky\n11\n3\n";
        QCOMPARE(ReadFile(m_dir->filePath("viewer.dfa")), want);
    }

    void allInOneThenOneGraphPerFile() {
        WriteSettings(TransmissionView());
        auto form = ShownForm();
        Click(form->btn_plot);
        QCOMPARE(form->DataFiles().Count(), 2);
        QVERIFY(form->DataFiles().isVisible());
        QCOMPARE(form->Graphs().Graphs().size(), size_t(1));
        TGrafiek1& all = *form->Graphs().Current();
        QVERIFY(all.isVisible());
        QCOMPARE(all.windowTitle(), QString("Grafiek1"));
        QCOMPARE(all.Chart1->Title(), QString("Spectral transmission for: 185* TES"));
        all.resize(20, 20);
        QCOMPARE(all.size(), QSize(696, 480));
        // Last name first: 1851000Q.TES, then 1850900Q.TES; headers, status
        // words, short and empty lines add nothing; the last line counts.
        QCOMPARE(Points(*all.Series1), Coloured({QPointF(300.0, 0.5), QPointF(350.0, 1.0),
                                                 QPointF(290.0, 0.25), QPointF(400.0, 1.5)},
                                                "#ff0000"));
        QCOMPARE(Points(*all.Series3), Coloured(kPoints1850900, "#0000ff"));
        const auto& bottom = all.Chart1->BottomAxis();
        const auto& left = all.Chart1->LeftAxis();
        QCOMPARE(bottom.Minimum(), 290.0);
        QCOMPARE(bottom.Maximum(), 400.0);
        QVERIFY(std::abs(bottom.Increment() - 10.0) < kTolerance);
        QVERIFY(std::abs(left.Increment() - 0.5) < kTolerance);
        QCOMPARE(left.Maximum(), 1.5);
        QCOMPARE(bottom.Title(), QString("Wavelength (nm)"));
        QCOMPARE(left.Title(), QString("Transmission compared to cloudless sky"));
        QCOMPARE(form->AxisDialog().CurrentChart(), all.Chart1);

        Click(form->ChckBx_indiv);
        QVERIFY(!form->ChckBx_indiv->isChecked());
        Click(form->btn_plot);
        QVERIFY(form->OneGraphPerFile());
        const auto graphs = form->Graphs().Graphs();
        QCOMPARE(graphs.size(), size_t(3));
        QCOMPARE(graphs[1]->Chart1->Title(),
                 QString("Spectral transmission for: 185* TES 1851000Q.TES"));
        QCOMPARE(graphs[2]->Chart1->Title(),
                 QString("Spectral transmission for: 185* TES 1850900Q.TES"));
        QCOMPARE(Points(*graphs[1]->Series1), Coloured(kPoints1851000, "#ff0000"));
        QCOMPARE(Points(*graphs[1]->Series3), Coloured(kPoints1851000, "#0000ff"));
        QCOMPARE(Points(*graphs[2]->Series1), Coloured(kPoints1850900, "#ff0000"));
        QCOMPARE(form->Graphs().Current(), graphs[2]);
        QCOMPARE(all.Series1->Count(), 4);  // earlier graphs stay as they were
        QVERIFY(m_dialogs->Messages().isEmpty());
    }

    void stepCountsOfZeroGiveAutomaticIncrements() {
        WriteSettings(TransmissionView());
        auto form = ShownForm();
        Type(form->edt_X_step, "0");
        Type(form->edt_Y_step, "0");
        Click(form->btn_plot);
        const TGrafiek1& graph = *form->Graphs().Current();
        QVERIFY(graph.Chart1->BottomAxis().AutomaticIncrement());
        QVERIFY(graph.Chart1->LeftAxis().AutomaticIncrement());
        QCOMPARE(graph.Chart1->BottomAxis().Maximum(), 400.0);
        QCOMPARE(graph.Series1->Count(), 4);
        QVERIFY(m_dialogs->Messages().isEmpty());
    }

    // What the viewer cannot use is refused before anything is written; a
    // Plot that draws nothing says why.  Lines not typed keep their bytes.
    void plotRefusesOrSaysWhyNothingIsDrawn() {
        std::string settings;
        for (std::string line : tarn::gui::ViewerSettingsLines(TransmissionView()))
            settings += (line == "Wavelength (nm)" ? "Wellenl\xE4nge (nm)" : line) + "\r\n";
        WriteFile("viewer.dfa", QByteArray::fromStdString(settings));
        auto form = ShownForm();
        Click(form->btn_plot);
        QCOMPARE(ReadFile("viewer.dfa").toStdString(), settings);
        QCOMPARE(form->Graphs().Graphs().size(), size_t(1));
        struct Case {
            QLineEdit* edit;
            const char* text;
            const char* message;
            size_t newGraphs;
        };
        const Case cases[] = {
            {form->edt_Y_max, "abc", "Y Max: a number expected, not 'abc'; nothing written", 0},
            {form->edt_X_step, "", "X axis steps: a number expected, not ''; nothing written", 0},
            {form->edt_Y, "20",
             "Nothing plotted: no line of the 2 files holds numbers in columns 1 and 20", 1}};
        for (const Case& c : cases) {
            const QString before = c.edit->text();
            const size_t graphs = form->Graphs().Graphs().size();
            Type(c.edit, c.text);
            m_dialogs->Clear();
            Click(form->btn_plot);
            QCOMPARE(m_dialogs->Messages(), QStringList{c.message});
            if (c.newGraphs == 0) QCOMPARE(ReadFile("viewer.dfa").toStdString(), settings);
            QCOMPARE(form->Graphs().Graphs().size(), graphs + c.newGraphs);
            c.edit->setText(before);
        }
    }

    void columnOutsideTheFieldTablePlotsNothingWithOneMessage() {
        WriteSettings(TransmissionView());
        auto form = ShownForm();
        Type(form->edt_Y, "101");
        Click(form->btn_plot);
        QCOMPARE(m_dialogs->Messages(),
                 QStringList{"Y column: a whole number from 1 to 100 expected, not '101'; "
                             "nothing written"});
        QVERIFY(form->Graphs().Graphs().empty());
        QVERIFY(!ReadFile("viewer.dfa").contains("\n101\n"));  // refused, not saved

        Type(form->edt_Y, "4");
        Type(form->edt_X, "x");
        Click(form->btn_plot);
        QCOMPARE(m_dialogs->Messages().size(), 2);
        QVERIFY(m_dialogs->Messages().at(1).startsWith("X column: "));
        QVERIFY(form->Graphs().Graphs().empty());
    }

    void maskMatchingNoFileOpensNoGraph() {
        ViewerSettings view = TransmissionView();
        view.FileMask = "186*Q.TES";
        WriteSettings(view);
        auto form = ShownForm();
        Click(form->btn_plot);
        QVERIFY(form->DataFiles().isVisible());
        QCOMPARE(form->DataFiles().Count(), 0);
        QVERIFY(form->Graphs().Graphs().empty());
        QCOMPARE(m_dialogs->Messages(),
                 QStringList{"Nothing plotted: no file matches 186*Q.TES in " +
                             m_dir->filePath("struc") + "/"});
    }

    void rescaleClearAndPrint() {
        WriteSettings(TransmissionView());
        auto form = ShownForm();
        Click(form->ChckBx_indiv);
        Click(form->btn_plot);
        const auto graphs = form->Graphs().Graphs();
        QCOMPARE(graphs.size(), size_t(2));
        TGrafiek1& first = *graphs[0];
        TGrafiek1& current = *graphs[1];

        Type(form->Edt_X_max, "350");
        Type(form->edt_X_min, "300");
        Type(form->edt_Y_max, "2");
        Type(form->Edt_Y_min, "-1");
        Click(first.btnAxis);
        const auto& dialog = form->AxisDialog();
        QVERIFY(dialog.isVisible());
        QCOMPARE(dialog.edt_ymax->text(), QString("2"));
        QCOMPARE(dialog.edt_Xmin->text(), QString("300"));
        for (TGrafiek1* graph : {&first, &current}) {
            QCOMPARE(graph->Chart1->BottomAxis().Minimum(), 300.0);
            QCOMPARE(graph->Chart1->BottomAxis().Maximum(), 350.0);
            QCOMPARE(graph->Chart1->LeftAxis().Minimum(), -1.0);
            QCOMPARE(graph->Chart1->LeftAxis().Maximum(), 2.0);
        }

        // "Clear plot" empties the window whose button was pressed, axes kept.
        Click(first.Button1);
        QCOMPARE(first.Series1->Count(), 0);
        QCOMPARE(first.Series3->Count(), 0);
        QCOMPARE(first.Chart1->BottomAxis().Maximum(), 350.0);
        QCOMPARE(current.Series1->Count(), 2);
        QCOMPARE(current.Series3->Count(), 2);
        Click(first.Button1);  // empty: nothing happens
        QCOMPARE(first.Series1->Count(), 0);

        m_dialogs->SetPrintFile(m_dir->filePath("print.pdf"));
        Click(current.Button2);
        QCOMPARE(m_dialogs->PrintRequests(), 1);
        QVERIFY(ReadFile(m_dir->filePath("print.pdf")).startsWith("%PDF"));
        QVERIFY(m_dialogs->Messages().isEmpty());
    }

    void linesBeyondOneHundredFieldsKeepTheFirstHundred() {
        std::string line;
        for (int i = 1; i <= 120; ++i) line += " " + std::to_string(i) + ".5";
        double x = 0.0, y = 0.0;
        QVERIFY(tarn::resplot::ColumnPairOfLine(line, 1, 100, x, y));
        QCOMPARE(x, 1.5);
        QCOMPARE(y, 100.5);
        QVERIFY(!tarn::resplot::ColumnPairOfLine(line, 1, 101, x, y));
        QVERIFY(!tarn::resplot::ColumnPairOfLine(" 1 2", 1, 3, x, y));
        QCOMPARE(y, 100.5);  // untouched
    }
};

QTEST_MAIN(ViewerWindowsTest)
#include "test_viewer_windows.moc"
